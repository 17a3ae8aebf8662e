#include <algorithm>
#include <cstdint>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "shell/command_stages.h"
#include "shell/dispatch_command.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

constexpr int kZoomNearest = 8;  // the zoom doubles up to 8 and halves down to 1
constexpr int kZoomFarthest = 1;

// The skip commands take 2 bytes off their target so that findFrame, which
// searches forward, lands on the frame holding the target rather than the next.
constexpr double kSkipCorrection = 2.0;
// Shift+Left goes back one and a half average frames and lets findFrame find the
// previous frame's start from there; Shift+Right goes on by the current frame
// less 2 bytes.
constexpr float kFrameBackFactor = 1.5f;
constexpr int kFrameForwardCorrection = 2;

// currentPosition + delta, the step being a float product of frames and the
// average frame size, truncated toward zero.
int64_t offsetBy(int64_t position, float step, double correction) {
  return static_cast<int64_t>(static_cast<double>(position) + static_cast<double>(step) - correction);
}

float skipStep(const Session& session, uint16_t frames) {
  return static_cast<float>(frames) * session.stream.avgFrameSize;
}

void skipBack(Session& session, uint16_t frames) {
  seekPlayback(session, offsetBy(currentPosition(session), -skipStep(session, frames), kSkipCorrection));
}

void skipForward(Session& session, uint16_t frames) {
  const float step = skipStep(session, frames);
  const int64_t position = currentPosition(session);
  if (static_cast<double>(position) + step >= static_cast<double>(session.stream.audioEnd))
    seekPlayback(session, session.stream.audioEnd);
  else
    seekPlayback(session, offsetBy(position, step, kSkipCorrection));
}

bool hasCurrentRange(const EditRangeTable& edits) {
  return edits.count > 0 && edits.currentRange >= 0 && edits.currentRange < edits.count;
}

// Up and Down: that end of the selection, else of the current range.
void seekSelectionBound(Session& session, bool begin) {
  const EditRangeTable& edits = session.edits;
  const int64_t bound = begin ? edits.selection.beg : edits.selection.end;
  if (bound >= 0) {
    seekPlayback(session, bound);
  } else if (hasCurrentRange(edits)) {
    const EditRange& range = edits.ranges[edits.currentRange];
    seekPlayback(session, begin ? range.beg : range.end);
  }
}

// Shift+Left and Shift+Right move only the cursor, never the play position, and
// leave everything as it is when findFrame finds nothing.
void stepOneFrame(Session& session, ShellHost& host, bool forward) {
  if (session.playing) return;
  AudioStream& stream = session.stream;
  const int64_t target =
      forward ? currentPosition(session) + stream.currentHeader.frameSize - kFrameForwardCorrection
              : offsetBy(currentPosition(session), -kFrameBackFactor * stream.avgFrameSize, 0.0);
  const int64_t frame = findCurrentFrame(stream, target);
  if (frame < 0) return;
  stream.cursor = frame;
  host.refreshView(kRefreshSelection);
}

void zoom(Session& session, ShellHost& host, bool in) {
  uint8_t& level = session.settings.zoomlevel;
  if (in && level < kZoomNearest) level = static_cast<uint8_t>(level * 2);
  if (!in && level > kZoomFarthest) level = static_cast<uint8_t>(level / 2);
  host.graphGeometryChanged();
}

}  // namespace

void runNavigationCommand(Session& session, ShellHost& host, int id) {
  const Settings& settings = session.settings;
  EditRangeTable& edits = session.edits;
  switch (id) {
    case cmd::kSkipBackLarge: skipBack(session, settings.frameskiphi); break;
    case cmd::kSkipBackSmall: skipBack(session, settings.frameskiplo); break;
    case cmd::kSkipForwardSmall: skipForward(session, settings.frameskiplo); break;
    case cmd::kSkipForwardLarge: skipForward(session, settings.frameskiphi); break;
    case cmd::kPreviousRange:
      if (edits.currentRange > 0) --edits.currentRange;
      if (hasCurrentRange(edits)) seekPlayback(session, edits.ranges[edits.currentRange].beg);
      break;
    case cmd::kNextRange:
      if (edits.currentRange < static_cast<int>(edits.count) - 1) ++edits.currentRange;
      if (hasCurrentRange(edits)) seekPlayback(session, edits.ranges[edits.currentRange].beg);
      break;
    case cmd::kGoToBegin: seekSelectionBound(session, true); break;
    case cmd::kGoToEnd: seekSelectionBound(session, false); break;
    case cmd::kZoomIn: zoom(session, host, true); break;
    case cmd::kZoomOut: zoom(session, host, false); break;
    case cmd::kGoToAudioEnd: seekPlayback(session, session.stream.audioEnd); break;
    case cmd::kRewind: seekPlayback(session, session.stream.audioStart); break;

    // These end without the common refresh.
    case cmd::kFrameBack: stepOneFrame(session, host, false); return;
    case cmd::kFrameForward: stepOneFrame(session, host, true); return;
    case cmd::kFocusPositionField: host.focusControl(ctl::kPositionField); return;
    case cmd::kFocusSelectionField: host.focusControl(ctl::kSelectionField); return;
    default: return;
  }
  host.refreshView(kRefreshSelection);
}

void runRangeMenuCommand(Session& session, ShellHost& host, int id) {
  if (!selectRangeFromMenu(session, id)) return;
  seekPlayback(session, session.edits.ranges[session.edits.currentRange].beg);
  host.refreshView(kRefreshSelection);
}

}  // namespace quillane
