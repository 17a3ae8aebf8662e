#pragma once

#include <cstdint>

namespace quillane {

// The PCM that the decoder layer hands out: a wave format record for 16-bit PCM.
struct PcmFormat {
  uint16_t formatTag = 1;  // PCM
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t avgBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 16;
};

// What a back end's open ran into; each kind has its own message.
enum class BackendOpenResult {
  Ok,
  LoadFailed,   // the decoder library is missing or unusable
  InitFailed,   // the library is there but refused to start a decoder
  CodecFailed,  // the system codec for the format could not be opened
};

// The result of one decode call: the PCM bytes written, and whether the data
// could not be decoded (then the caller resynchronises and resets). failedCall,
// when set, names a library call that failed outright; decoding went on.
struct DecodeResult {
  int bytes = 0;
  bool error = false;
  const char* failedCall = nullptr;
};

// One decoder that turns whole MPEG audio frames into interleaved signed 16-bit
// PCM of the format given at open. Output that does not fit into `capacity` stays
// pending inside the back end and comes out first at the next call; a call with
// no input (frames == nullptr, length 0) only hands out what is pending.
class DecoderBackend {
 public:
  virtual ~DecoderBackend() = default;

  // The name the settings page shows for it.
  virtual const char* name() const = 0;
  // True when the back end has a decoder for MPEG audio layer `layer` (1..3).
  virtual bool supportsLayer(int layer) const = 0;

  // Starts a decoder for frames of MPEG audio layer `layer` that outputs `format`.
  virtual BackendOpenResult open(const PcmFormat& format, int layer) = 0;
  // `frames` holds `length` bytes of whole, consecutive frames.
  virtual DecodeResult decode(const uint8_t* frames, int length, uint8_t* out, int capacity) = 0;
  // Forgets everything the decoder remembers from earlier frames (after a jump).
  virtual void reset() = 0;
  virtual void close() = 0;
};

}  // namespace quillane
