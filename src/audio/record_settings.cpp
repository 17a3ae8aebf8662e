// What a recording takes from the settings: its file name, its capture format
// and its encoder.
#include <cstdio>

#include "audio/audio_session.h"
#include "audio/recording_engine.h"

namespace quillane {

std::string recordFileNameBuild(const Settings& settings, const std::tm& now) {
  const std::string& base = settings.file_savepath;
  std::string name;
  if (settings.rec_adddate != 0) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%2d-%2d-%2d--%2d-%2d-%2d.mp3", now.tm_year + 1900, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    // Single-digit fields get their leading zero; the base name keeps its blanks.
    std::string date = stamp;
    for (char& c : date)
      if (c == ' ') c = '0';
    name = base + date;
  } else {
    name = base + ".mp3";
  }
  if (name.size() > kRecordFileNameMax) name.resize(kRecordFileNameMax);
  return name;
}

PcmFormat recordCaptureFormat(const Settings& settings) {
  PcmFormat format;
  if (settings.enc_type == 2) {
    const LameConfig lame = lameConfigFromSettings(settings);
    format.channels = static_cast<uint16_t>(lameChannels(lame));
    format.samplesPerSecond = lame.sampleRate;
  } else {
    const SystemEncoderFormat system = systemFormatFromSettings(settings);
    format.channels = system.channels == 1 ? 1 : 2;
    format.samplesPerSecond = system.sampleRate;
  }
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(2 * format.channels);
  format.avgBytesPerSecond = format.samplesPerSecond * format.blockAlign;
  return format;
}

EncoderOpening openEncoderFromSettings(const Settings& settings) {
  if (settings.enc_type == 2) return openLameEncoder(lameConfigFromSettings(settings));
  if (settings.enc_type == 1)
    return openSystemEncoder(systemFormatFromSettings(settings), settings.enc_acm_highquality != 0);
  EncoderOpening none;
  none.problem = "no encoder chosen";
  return none;
}

int64_t recordedBytes(const AudioSession& session) {
  const RecordingState& rec = session.recording;
  if (rec.recordTimeFromPcm) return static_cast<int64_t>(rec.recordPcmHundreds());
  return rec.recordFileLength + static_cast<int64_t>(rec.encoded.size());
}

}  // namespace quillane
