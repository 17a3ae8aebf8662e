#pragma once

#include "audio/decoder_backend.h"

struct mpg123_handle_struct;

namespace quillane {

// "libmpg123": the library in feed mode. Frames are fed as the editor hands them
// over, so nothing is trimmed (gapless decoding off), a tag frame is decoded like
// any other frame, and output starts with the first frame fed (no read-ahead).
class Mpg123DecoderBackend : public DecoderBackend {
 public:
  Mpg123DecoderBackend() = default;
  ~Mpg123DecoderBackend() override;
  Mpg123DecoderBackend(const Mpg123DecoderBackend&) = delete;
  Mpg123DecoderBackend& operator=(const Mpg123DecoderBackend&) = delete;

  const char* name() const override { return "libmpg123"; }
  bool supportsLayer(int layer) const override { return layer >= 1 && layer <= 3; }

  BackendOpenResult open(const PcmFormat& format, int layer) override;
  DecodeResult decode(const uint8_t* frames, int length, uint8_t* out, int capacity) override;
  void reset() override;
  void close() override;

 private:
  BackendOpenResult startHandle();

  PcmFormat format_;
  mpg123_handle_struct* handle_ = nullptr;
};

}  // namespace quillane
