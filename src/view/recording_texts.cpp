#include "view/recording_texts.h"

#include <cstdio>

#include "audio/recording_engine.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "view/time_format.h"

namespace quillane {
namespace {

std::string timeAtRecordRate(const Session& session, int64_t bytes) {
  return formatTime(bytes, static_cast<float>(session.recording.recordRate), session.settings.show_milisec != 0);
}

const char* lameModeName(int mode) {
  if (mode == 0) return "Stereo";
  if (mode == 3) return "Mono";
  return "Joint Stereo";
}

}  // namespace

std::string encoderStatusText(const Settings& s) {
  char buffer[160];
  std::string text = "Encoder = ";
  if (s.enc_type == 1) {
    std::snprintf(buffer, sizeof buffer, "FFmpeg: %d kbps, %d kHz, %s", s.enc_acm_bitrate / 1000,
                  s.enc_acm_samplerate / 1000, s.enc_acm_channels == 1 ? "Mono" : "Stereo");
    return text + buffer;
  }
  if (s.enc_type == 2) {
    std::snprintf(buffer, sizeof buffer, "Lame: %d", s.enc_lam_bitrate);
    text += buffer;
    if (s.enc_lam_vbr_method >= 0 && s.enc_lam_vbr_method <= 3) {
      std::snprintf(buffer, sizeof buffer, "-%d kbps (VBR, Q%d), ", s.enc_lam_bitrate_max, s.enc_lam_vbr_quality);
    } else if (s.enc_lam_vbr_method == 4) {
      std::snprintf(buffer, sizeof buffer, "-%d kbps (ABR %d kbps), ", s.enc_lam_bitrate_max, s.enc_lam_abr_bitrate);
    } else {
      std::snprintf(buffer, sizeof buffer, " kbps, ");
    }
    text += buffer;
    std::snprintf(buffer, sizeof buffer, "%d kHz, %s", s.enc_lam_samplerate / 1000, lameModeName(s.enc_lam_mode));
    return text + buffer;
  }
  return text;
}

std::string recordingPositionText(const Session& session) {
  return " " + uiText(session.text, ui::kStatusWriting) + " '" + session.recording.recordFileName + "'";
}

std::string recordingSelectionText(const Session& session) {
  const RecordingState& rec = session.recording;
  if (rec.cueMarks.empty()) return uiText(session.text, ui::kStatusPressSetCue);
  char buffer[96];
  if (rec.recordTimeFromPcm) {
    std::snprintf(buffer, sizeof buffer, " Cue (%d): ~%s", static_cast<int>(rec.cueMarks.size()),
                  timeAtRecordRate(session, static_cast<int64_t>(rec.recordPcmHundreds())).c_str());
  } else {
    std::snprintf(buffer, sizeof buffer, " Cue (%d): %s", static_cast<int>(rec.cueMarks.size()),
                  timeAtRecordRate(session, rec.cueMarks.back()).c_str());
  }
  return buffer;
}

std::string recordingTimeText(const Session& session) { return timeAtRecordRate(session, recordedBytes(session)); }

}  // namespace quillane
