#include "audio/wav_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillane {
namespace {

void put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xFF);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::array<uint8_t, kWavHeaderBytes> wavHeader(uint16_t channels, uint32_t sampleRate, uint64_t dataBytes) {
  if (dataBytes > kWavMaxDataBytes) dataBytes = kWavMaxDataBytes;
  const uint64_t padded = dataBytes + (dataBytes & 1);
  const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
  std::array<uint8_t, kWavHeaderBytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  put32(h.data() + 4, static_cast<uint32_t>(36 + padded));
  std::memcpy(h.data() + 8, "WAVE", 4);
  std::memcpy(h.data() + 12, "fmt ", 4);
  put32(h.data() + 16, 16);
  put16(h.data() + 20, 1);  // PCM
  put16(h.data() + 22, channels);
  put32(h.data() + 24, sampleRate);
  put32(h.data() + 28, sampleRate * blockAlign);
  put16(h.data() + 32, blockAlign);
  put16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  put32(h.data() + 40, static_cast<uint32_t>(dataBytes));
  return h;
}

WavWriter::~WavWriter() {
  if (file_) std::fclose(file_);  // not closed: the file was not finished, and goes
}

bool WavWriter::fail(const std::string& reason) {
  error_ = path_ + ": " + reason;
  return false;
}

bool WavWriter::open(const std::string& path, uint16_t channels, uint32_t sampleRate) {
  WriteTarget target;
  target.path = path;
  target.existing = ExistingFile::Replace;
  return open(target, channels, sampleRate);
}

bool WavWriter::open(const WriteTarget& target, uint16_t channels, uint32_t sampleRate) {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  writer_.abandon();
  path_ = target.path;
  error_.clear();
  dataBytes_ = 0;
  broken_ = false;
  if (channels < 1 || sampleRate < 1) return fail("no channels or no sample rate");
  channels_ = channels;
  sampleRate_ = sampleRate;
  if (!writer_.create(target)) {
    error_ = writer_.errorText();
    return false;
  }
  const int fd = fcntl(writer_.descriptor(), F_DUPFD_CLOEXEC, 0);
  file_ = fd >= 0 ? fdopen(fd, "w+b") : nullptr;
  if (!file_) {
    if (fd >= 0) ::close(fd);
    writer_.abandon();
    return fail(std::strerror(errno));
  }
  const auto header = wavHeader(channels_, sampleRate_, 0);
  if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
    const std::string reason = std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
    writer_.abandon();
    return fail("could not write: " + reason);
  }
  return true;
}

bool WavWriter::write(const uint8_t* pcm, size_t bytes) {
  if (!file_) return fail("not open");
  if (bytes == 0) return true;
  if (dataBytes_ + bytes > kWavMaxDataBytes)
    return fail("the audio is larger than a WAV file can hold (4 GiB)");
  if (std::fwrite(pcm, 1, bytes, file_) != bytes) {
    broken_ = true;  // part of the block may be in the file: it can't be finished
    return fail(std::string("could not write: ") + std::strerror(errno));
  }
  dataBytes_ += bytes;
  return true;
}

bool WavWriter::close() {
  if (!file_) return false;
  bool ok = !broken_;
  std::string reason;
  if (dataBytes_ & 1) {
    const uint8_t pad = 0;
    if (std::fwrite(&pad, 1, 1, file_) != 1) ok = false;
  }
  const auto header = wavHeader(channels_, sampleRate_, dataBytes_);
  if (ok && std::fseek(file_, 0, SEEK_SET) != 0) ok = false;
  if (ok && std::fwrite(header.data(), 1, header.size(), file_) != header.size()) ok = false;
  if (ok && std::fflush(file_) != 0) ok = false;
  if (!ok) reason = broken_ ? "a write failed before" : std::strerror(errno);
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  file_ = nullptr;
  if (!ok) {
    writer_.abandon();
    return fail("could not write: " + reason);
  }
  if (!writer_.commit()) {
    error_ = writer_.errorText();
    return false;
  }
  return true;
}

}  // namespace quillane
