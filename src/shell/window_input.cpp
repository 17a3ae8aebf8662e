#include "shell/window_input.h"

#include <cmath>
#include <cstdlib>

#include "audio/recording_engine.h"
#include "edit/edit_model.h"
#include "shell/dispatch_command.h"
#include "shell/file_opening.h"
#include "stream/open_stream.h"
#include "view/typed_positions.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

bool fileOpen(const Session& session) { return session.stream.audioEnd > 0; }

// mouse_method 0: "Left = set begin / Right = set end"; 1: "Left = new + drag /
// Right = set nearest".
constexpr int kMouseSetsBounds = 0;
constexpr int kMouseNearest = 1;

// Moves the bound nearer to t; a tie moves the end, and a t before the begin
// always moves the begin.
void setNearestBound(EditRangeTable& table, int64_t t) {
  const EditRange& s = table.selection;
  if (std::llabs(t - s.beg) < std::llabs(t - s.end) || t < s.beg)
    setSelectionBegin(table, t);
  else
    setSelectionEnd(table, t);
}

// The seek of the position bar and the overview strip: while playing, the
// completion notices of the output device refresh the display.
void seekAndShow(Session& session, ShellHost& host, int64_t position) {
  seekPlayback(session, position);
  if (!session.playing) host.refreshView(kRefreshSelection);
}

int64_t truncated(double value) { return static_cast<int64_t>(value); }

void levelGraphMouse(Session& session, ShellHost& host, const GraphGeometry& geometry, MouseKeys keys, int x,
                     bool pressed) {
  AudioStream& stream = session.stream;
  const int columns = geometry.graphColumns;
  const int column = static_cast<int>(static_cast<int64_t>(x) * columns / geometry.width);
  const int fromMiddle = column - columns / 2;
  const int64_t t =
      findCurrentFrame(stream, truncated(static_cast<double>(currentPosition(session)) + fromMiddle * stream.avgFrameSize));
  if (t < 0) return;

  EditRangeTable& table = session.edits;
  const int method = session.settings.mouse_method;
  if (keys.ctrl) {
    seekPlayback(session, t);
  } else if (keys.left) {
    if (pressed) {
      pushSelectionUndo(session.selectionUndo, table);
      // A new selection starts at the press; Shift extends the one there is. The
      // pending names stay, as for any other change of the selection's bounds.
      if (method == kMouseNearest && !keys.shift) table.selection.beg = table.selection.end = -1;
    }
    if (method == kMouseSetsBounds)
      setSelectionBegin(table, t);
    else
      setNearestBound(table, t);
  } else if (keys.right) {
    if (pressed) pushSelectionUndo(session.selectionUndo, table);
    if (method == kMouseSetsBounds)
      setSelectionEnd(table, t);
    else
      setNearestBound(table, t);
  }
  host.refreshView(kRefreshSelection);
}

}  // namespace

void graphMouse(Session& session, ShellHost& host, const GraphGeometry& geometry, MouseKeys keys, int x, int y,
                bool pressed) {
  if (!fileOpen(session)) return;
  if (x <= 0 || x >= geometry.width || y <= 0 || y >= geometry.height) return;
  if (y < geometry.graphBottom) {
    levelGraphMouse(session, host, geometry, keys, x, pressed);
    return;
  }
  // The overview strip stands for the whole file, left to right.
  if (!keys.left) return;
  const AudioStream& s = session.stream;
  seekAndShow(session, host, s.audioStart + (s.audioEnd - s.audioStart) * x / geometry.width);
}

void positionBarScroll(Session& session, ShellHost& host, ScrollCode code, int thumb) {
  if (!fileOpen(session)) return;
  const AudioStream& s = session.stream;
  const double position = static_cast<double>(currentPosition(session));
  // A page is 192 frames, as far as the average frame size tells.
  const double page = 192.0 * s.avgFrameSize;
  int64_t target = 0;
  switch (code) {
    case ScrollCode::LineLeft:
      target = truncated(position - 1.5 * s.avgFrameSize);
      break;
    case ScrollCode::LineRight:
      // Just short of the next frame, so that the frame search lands on it.
      target = truncated(position + s.currentHeader.frameSize - 10);
      break;
    case ScrollCode::PageLeft:
      target = truncated(position - page);
      break;
    case ScrollCode::PageRight:
      target = truncated(position + page);
      break;
    case ScrollCode::ThumbTrack: {
      const int64_t share = thumb < 0 ? 0 : thumb > 1000 ? 1000 : thumb;
      target = s.audioStart + (s.audioEnd - s.audioStart) * share / 1000;
      break;
    }
    case ScrollCode::Other:
      return;
  }
  seekAndShow(session, host, target);
}

void dropFiles(Session& session, ShellHost& host, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (!requireIdle(session, host)) return;
  // Saving the project on the way puts it on the recent list, which the menu then shows.
  const auto recentBefore = session.settings.file_recent;
  const UnsavedChoice choice = askAboutUnsaved(session, host);
  if (session.settings.file_recent != recentBefore) host.rebuildRecentMenu();
  if (choice == UnsavedChoice::Stop) return;
  // The path is taken whole: a shortened one would name another file.
  openInstead(session, host, paths.front(), ResetLevel::FileStateAndSource, choice == UnsavedChoice::Discard);
}

namespace {

// A field's text that can't be taken: the host beeps and nothing changes; the
// window leaves the text for retyping. The text the field shows, untouched, is
// never refused, nor a blank one.
bool refused(ShellHost& host, std::string_view text, const std::string& shown) {
  if (text == shown || text.find_first_not_of(" \t") == std::string_view::npos) return true;
  host.beep();
  return false;
}

}  // namespace

bool enterPositionField(Session& session, ShellHost& host, std::string_view text) {
  if (!fileOpen(session)) return refused(host, text, " ");
  const auto position = parsePositionField(session, text);
  if (!position) return refused(host, text, positionFieldText(session));
  seekPlayback(session, *position);
  host.refreshView(kRefreshSelection);
  return true;
}

bool enterSelectionField(Session& session, ShellHost& host, std::string_view text) {
  if (!fileOpen(session)) return refused(host, text, " ");
  // An unchanged text changes nothing; the refresh then puts the shown text
  // back into the field.
  if (!parseSelectionField(session, text).read && !refused(host, text, selectionFieldText(session))) return false;
  host.refreshView(kRefreshSelection);
  return true;
}

void playbackTimerFired(Session& session, ShellHost& host) { startTimerFired(session, host); }

void playbackBufferReturned(Session& session, ShellHost& host, int bufferIndex) {
  onBufferDone(session, host, bufferIndex);
  int& lastShown = session.playback.lastShownRange;
  if (session.edits.currentRange != lastShown) {
    lastShown = session.edits.currentRange;
    host.refreshView(kRefreshSelection);
  } else {
    host.refreshView(kRefreshPosition);
  }
}

void recordBufferFilled(Session& session, ShellHost& host, int bufferIndex, uint32_t bytes) {
  const bool wasInitialised = session.recordInitialised;
  onRecordBuffer(session, host, bufferIndex, bytes);
  // A failed write may have ended the recording: then everything is cleared.
  host.refreshView(session.recordInitialised || !wasInitialised ? kRefreshMargin : kRefreshClear);
}

bool closeRequested(Session& session, Host& host) { return confirmUnsaved(session, host); }

}  // namespace quillane
