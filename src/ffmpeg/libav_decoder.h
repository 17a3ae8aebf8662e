#pragma once

#include <cstddef>
#include <vector>

#include "audio/decoder_backend.h"

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

namespace quillane {

// "System (FFmpeg)": libavcodec's MPEG audio decoders for Layer III and Layer II,
// fed one packet per frame. Whatever sample format they deliver is converted to
// interleaved signed 16-bit with the channel count of the target.
class LibavDecoder : public DecoderBackend {
 public:
  LibavDecoder() = default;
  ~LibavDecoder() override;
  LibavDecoder(const LibavDecoder&) = delete;
  LibavDecoder& operator=(const LibavDecoder&) = delete;

  const char* name() const override { return "System (FFmpeg)"; }
  bool supportsLayer(int layer) const override { return layer == 2 || layer == 3; }

  BackendOpenResult open(const PcmFormat& format, int layer) override;
  DecodeResult decode(const uint8_t* frames, int length, uint8_t* out, int capacity) override;
  void reset() override;
  void close() override;

 private:
  // Appends the samples of `frame` to pending_, converted to the target format.
  void appendFrame(const AVFrame& frame);
  int takePending(uint8_t* out, int capacity);

  PcmFormat format_;
  int layer_ = 0;  // the layer the open codec decodes, 0 when none is open
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  std::vector<uint8_t> pending_;  // converted PCM not handed out yet
  size_t pendingStart_ = 0;
};

}  // namespace quillane
