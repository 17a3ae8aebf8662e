#pragma once

#include <string>
#include <vector>

#include "audio/mp3_encoder.h"

// libavcodec's MP3 encoder: what the core's systemEncoderName, systemEncoderFormats,
// systemEncoderAccepts and openSystemEncoder do once the codec module is loaded.
namespace quillane::libav {

std::string encoderName();
std::vector<SystemEncoderFormat> encoderFormats();
bool encoderAccepts(const SystemEncoderFormat& format);
EncoderOpening openEncoder(const SystemEncoderFormat& format, bool highQuality);

}  // namespace quillane::libav
