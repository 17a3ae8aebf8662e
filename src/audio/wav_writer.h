#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/safe_writer.h"

namespace quillane {

// A canonical 16-bit PCM WAV file: "RIFF" size "WAVE", a 16-byte "fmt " chunk and
// one "data" chunk. The RIFF size field is 32 bits and also counts 36 header bytes
// and a pad byte after odd data, so the data may hold at most 4 GiB less 38 bytes.
constexpr size_t kWavHeaderBytes = 44;
constexpr uint64_t kWavMaxDataBytes = 0xFFFFFFFEull - 36;

// The 44 header bytes for `dataBytes` bytes of 16-bit PCM (an odd count is padded
// to an even chunk, as RIFF wants, in the RIFF size).
std::array<uint8_t, kWavHeaderBytes> wavHeader(uint16_t channels, uint32_t sampleRate, uint64_t dataBytes);

// Writes 16-bit little-endian PCM to a WAV file through a SafeWriter. The header is
// written at open with zero sizes and patched at close, which puts the complete file
// in place; every write is checked, and a failure leaves a one-line reason in
// error(). A writer destroyed without close() leaves nothing behind.
class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();  // an unfinished file is removed
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool open(const WriteTarget& target, uint16_t channels, uint32_t sampleRate);
  // A target that may replace an existing file of that name.
  bool open(const std::string& path, uint16_t channels, uint32_t sampleRate);
  // Appends PCM bytes; false (nothing written) when the file would pass the RIFF limit.
  bool write(const uint8_t* pcm, size_t bytes);
  // Pads an odd data chunk, patches the sizes, closes and puts the file in place.
  // False when that failed; then nothing was put in place.
  bool close();

  bool isOpen() const { return file_ != nullptr; }
  uint64_t dataBytes() const { return dataBytes_; }
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& reason);

  SafeWriter writer_;
  std::FILE* file_ = nullptr;  // on a duplicate of the writer's descriptor
  std::string path_;
  uint16_t channels_ = 0;
  uint32_t sampleRate_ = 0;
  uint64_t dataBytes_ = 0;
  bool broken_ = false;  // a write failed: close() puts nothing in place
  std::string error_;
};

}  // namespace quillane
