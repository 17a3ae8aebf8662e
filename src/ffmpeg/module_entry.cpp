// The FFmpeg codec module's one exported function: the table of what it makes.
#include "audio/system_codec_module.h"
#include "ffmpeg/libav_decoder.h"
#include "ffmpeg/libav_encoder.h"

namespace {

std::unique_ptr<quillane::DecoderBackend> makeDecoder() { return std::make_unique<quillane::LibavDecoder>(); }

constexpr quillane::SystemCodecModule kModule{
    makeDecoder,
    quillane::libav::encoderName,
    quillane::libav::encoderFormats,
    quillane::libav::encoderAccepts,
    quillane::libav::openEncoder,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const quillane::SystemCodecModule* quillane_system_codec_module() {
  return &kModule;
}
