#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/decoder_backend.h"
#include "audio/mp3_encoder.h"

namespace quillane {

// What the FFmpeg codec module (libquillane_ffmpeg.so, built from src/ffmpeg)
// hands out: the libavcodec decoder back end and MP3 encoder. The module is
// loaded only when one of them is first needed, so that the programs start
// without libavcodec and run without it for everything else.
struct SystemCodecModule {
  std::unique_ptr<DecoderBackend> (*makeDecoder)();
  std::string (*encoderName)();
  std::vector<SystemEncoderFormat> (*encoderFormats)();
  bool (*encoderAccepts)(const SystemEncoderFormat& format);
  EncoderOpening (*openEncoder)(const SystemEncoderFormat& format, bool highQuality);
};

// The function the module exports: returns its table.
using SystemCodecModuleEntry = const SystemCodecModule* (*)();
constexpr const char* kSystemCodecModuleEntry = "quillane_system_codec_module";

// The module's table, loaded at the first call; null when the module is missing
// or does not load, with `problem` saying which file and why.
const SystemCodecModule* loadSystemCodecModule(std::string& problem);

}  // namespace quillane
