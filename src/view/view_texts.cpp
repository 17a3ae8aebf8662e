#include "view/view_texts.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"
#include "view/recording_texts.h"
#include "view/time_format.h"

namespace quillane {
namespace {

std::string timeOf(const Session& session, int64_t bytes) {
  return formatTime(bytes, session.stream.avgBitrate, session.settings.show_milisec != 0);
}

// to - from, held within int64_t: a position read from a project file may lie
// anywhere, and the texts must still come out.
int64_t distance(int64_t to, int64_t from) {
  int64_t d = 0;
  if (!__builtin_sub_overflow(to, from, &d)) return d;
  return to > from ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

const char* text(const Session& session, int id) { return uiText(session.text, id).c_str(); }

// trunc(scale * part / whole), 0 for an empty whole.
int scaledShare(double scale, int64_t part, int64_t whole) {
  if (whole <= 0) return 0;
  const double value = std::trunc(scale * static_cast<double>(part) / static_cast<double>(whole));
  if (!std::isfinite(value)) return 0;
  if (value > 2e9) return 2000000000;
  if (value < -2e9) return -2000000000;
  return static_cast<int>(value);
}

}  // namespace

std::string windowTitle(const std::string& sourcePath) {
  // Either separator ends the folder part: paths from Windows-made project
  // files and cue sheets use backslashes.
  const std::size_t slash = sourcePath.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
  return name + " - Quillane";
}

std::string statusBarText(const AudioStream& stream) {
  const FrameHeader& h = stream.currentHeader;
  if (h.version == 0) return " No sync";
  char buffer[160];
  const double version = versionNumber(h.version);
  const int kHz = h.sampleRate / 1000;
  if (stream.vbrMode == kVbrConstant) {
    std::snprintf(buffer, sizeof buffer, " MPEG%2.1f Layer %d, %d kbps, %d kHz, %s", version, h.layer,
                  static_cast<int>(h.bitrate), kHz, channelModeName(h.channelMode));
  } else {
    std::snprintf(buffer, sizeof buffer, " MPEG%2.1f Layer %d, %d kbps VBR (%3.0f kbps), %d kHz, %s", version,
                  h.layer, static_cast<int>(h.bitrate), static_cast<double>(stream.avgBitrate) / 1000.0, kHz,
                  channelModeName(h.channelMode));
  }
  std::string status = buffer;
  if (h.hasCrc) status += ", CRC";
  if (h.rightsFlag) status += ", \u00A9";
  return status;
}

std::string selectionFieldText(const Session& session) {
  const EditRangeTable& t = session.edits;
  const int64_t start = session.stream.audioStart;
  char buffer[256];
  if (t.selection.beg >= 0) {
    const int64_t beg = t.selection.beg;
    const int64_t end = t.selection.end;
    std::snprintf(buffer, sizeof buffer, " %s: %s - %s (%s)", text(session, ui::kStatusSelection),
                  timeOf(session, distance(beg, start)).c_str(),
                  timeOf(session, distance(end, start)).c_str(), timeOf(session, distance(end, beg)).c_str());
    return buffer;
  }
  if (t.count > 0 && t.currentRange >= 0 && t.currentRange < t.count) {
    const EditRange& r = t.ranges[static_cast<std::size_t>(t.currentRange)];
    std::snprintf(buffer, sizeof buffer, " %s (%d/%d): %s - %s (%s)", text(session, ui::kStatusRange),
                  t.currentRange + 1, static_cast<int>(t.count),
                  timeOf(session, distance(r.beg, start)).c_str(),
                  timeOf(session, distance(r.end, start)).c_str(),
                  timeOf(session, distance(r.end, r.beg)).c_str());
    return buffer;
  }
  return " ";
}

std::string positionFieldText(const Session& session) {
  const AudioStream& s = session.stream;
  const int64_t total = distance(s.audioEnd, s.audioStart);
  const int64_t now = distance(s.cursor, s.audioStart);
  const int percent = scaledShare(100.0, now, total);
  char buffer[256];
  if (s.currentHeader.frameSize == 0) {
    std::snprintf(buffer, sizeof buffer, " (%d%%) ", percent);
  } else {
    std::snprintf(buffer, sizeof buffer, " %s: %s   %s: %s   (%d%%)", text(session, ui::kStatusTotal),
                  timeOf(session, total).c_str(), text(session, ui::kStatusNow), timeOf(session, now).c_str(),
                  percent);
  }
  return buffer;
}

int positionBarValue(const Session& session) {
  const AudioStream& s = session.stream;
  return scaledShare(1000.0, distance(currentPosition(session), s.audioStart),
                     distance(s.audioEnd, s.audioStart));
}

ViewTexts refreshTexts(Session& session, int level, const LevelMeter* meter) {
  // Without a file the recording owns the texts, or nothing does.
  if (level > 0 && !session.stream.isOpen()) level = session.recordInitialised ? kRefreshRecording : kRefreshClear;

  ViewTexts v;
  v.level = level;
  const Settings& set = session.settings;

  if (level >= kRefreshAll) {
    v.settingsChecks = std::array<bool, kSettingsCheckItems>{
        set.big_timer != 0, set.show_milisec != 0, set.db_scale != 0,     set.autoselect != 0,
        set.margin != 0,    set.bitrate_graph != 0, set.big_relative != 0};
    v.marginButtonEnabled = set.margin != 0;
    v.title = windowTitle(session.stream.sourcePath);
  }
  if (level >= kRefreshSelection) {
    v.statusText = statusBarText(session.stream);
  }
  if (level >= kRefreshPosition) {
    autoselectRange(session);
    v.positionBar = positionBarValue(session);
    v.positionField = positionFieldText(session);
  }
  // After the autoselect, so that the field names the range now current.
  if (level >= kRefreshSelection) {
    v.selectionField = selectionFieldText(session);
  }
  if (level == kRefreshClear) {
    v.title = "Quillane";
    v.statusText = " ";
    v.positionField = " ";
    v.selectionField = " ";
    v.positionBar = 0;
  }
  if (level <= kRefreshRecording) {
    if (!session.recordInitialised) {
      v.positionField = " ";
      v.statusText = " ";
    } else if (!session.recordWriting) {
      v.statusText = encoderStatusText(set);
      v.positionField = uiText(session.text, ui::kStatusPressPlayToRecord);
    } else {
      v.positionField = recordingPositionText(session);
      v.selectionField = recordingSelectionText(session);
    }
  }
  if ((level >= kRefreshPosition || level == kRefreshMargin) && set.margin != 0 &&
      meter != nullptr) {
    v.marginLabel = meterMarginText(*meter, meterIsMono(session.stream.currentHeader));
  }
  return v;
}

}  // namespace quillane
