#pragma once

#include <memory>

#include "audio/decoder_backend.h"

namespace quillane {

// "System (FFmpeg)": libavcodec's MPEG audio decoders for Layer III and Layer II.
// They live in the FFmpeg codec module, loaded at the first open; without the
// module the open fails as a codec that could not be opened.
class FfmpegDecoderBackend : public DecoderBackend {
 public:
  const char* name() const override { return "System (FFmpeg)"; }
  bool supportsLayer(int layer) const override { return layer == 2 || layer == 3; }

  BackendOpenResult open(const PcmFormat& format, int layer) override;
  DecodeResult decode(const uint8_t* frames, int length, uint8_t* out, int capacity) override;
  void reset() override;
  void close() override;

 private:
  std::unique_ptr<DecoderBackend> codec_;  // the module's decoder, once loaded
};

}  // namespace quillane
