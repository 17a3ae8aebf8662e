#include "audio/ffmpeg_decoder_backend.h"

#include <string>

#include "audio/system_codec_module.h"

namespace quillane {

BackendOpenResult FfmpegDecoderBackend::open(const PcmFormat& format, int layer) {
  if (!codec_) {
    std::string problem;
    const SystemCodecModule* module = loadSystemCodecModule(problem);
    if (module == nullptr) return BackendOpenResult::CodecFailed;
    codec_ = module->makeDecoder();
  }
  return codec_->open(format, layer);
}

DecodeResult FfmpegDecoderBackend::decode(const uint8_t* frames, int length, uint8_t* out, int capacity) {
  if (!codec_) return {};
  return codec_->decode(frames, length, out, capacity);
}

void FfmpegDecoderBackend::reset() {
  if (codec_) codec_->reset();
}

void FfmpegDecoderBackend::close() {
  if (codec_) codec_->close();
}

}  // namespace quillane
