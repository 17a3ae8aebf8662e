// The system's MP3 encoder (enc_type 1): libavcodec's, in the FFmpeg codec
// module, loaded when the encoder page or a recording first asks for it. Without
// the module there is no system encoder.
#include <string>

#include "audio/mp3_encoder.h"
#include "audio/system_codec_module.h"

namespace quillane {

SystemEncoderFormat systemFormatFromSettings(const Settings& settings) {
  SystemEncoderFormat format;
  format.sampleRate = static_cast<uint32_t>(settings.enc_acm_samplerate);
  format.bitrate = static_cast<uint32_t>(settings.enc_acm_bitrate);
  format.channels = settings.enc_acm_channels;
  format.blockSize = settings.enc_acm_blocksize;
  return format;
}

std::string systemEncoderName() {
  std::string problem;
  const SystemCodecModule* module = loadSystemCodecModule(problem);
  return module != nullptr ? module->encoderName() : "";
}

bool systemEncoderAccepts(const SystemEncoderFormat& format) {
  std::string problem;
  const SystemCodecModule* module = loadSystemCodecModule(problem);
  return module != nullptr && module->encoderAccepts(format);
}

std::vector<SystemEncoderFormat> systemEncoderFormats() {
  std::string problem;
  const SystemCodecModule* module = loadSystemCodecModule(problem);
  return module != nullptr ? module->encoderFormats() : std::vector<SystemEncoderFormat>{};
}

EncoderOpening openSystemEncoder(const SystemEncoderFormat& format, bool highQuality) {
  EncoderOpening opening;
  const SystemCodecModule* module = loadSystemCodecModule(opening.problem);
  if (module == nullptr) return opening;
  return module->openEncoder(format, highQuality);
}

}  // namespace quillane
