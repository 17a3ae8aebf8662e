#include "audio/level_meter.h"
#include "audio/recording_engine.h"
#include "audio/session_reset.h"
#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "shell/command_stages.h"
#include "shell/dispatch_command.h"
#include "shell/file_opening.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

// The cue marks of a finished recording become its cue ranges, the first current.
void cueMarksToRanges(Session& session, ShellHost& host) {
  const std::vector<int64_t>& marks = session.recording.cueMarks;
  if (marks.empty()) return;
  EditRangeTable& edits = session.edits;
  for (std::size_t i = 0; i < marks.size() && i < edits.ranges.size(); ++i) {
    EditRange cue;
    cue.type = kRangeCut;
    cue.beg = cue.end = findCurrentFrame(session.stream, marks[i]);
    edits.ranges[i] = cue;
  }
  edits.count = static_cast<uint16_t>(std::min(marks.size(), edits.ranges.size()));
  edits.currentRange = 0;
  host.rebuildRangeMenu();
  edits.modified = true;
  host.refreshView(kRefreshSelection);
}

// Stop while writing: the recording ends and its file opens with its cues. A
// recording that never wrote a byte has no file of its own to open.
void stopWritingAndOpen(Session& session, ShellHost& host) {
  stopRecording(session, host);
  if (!session.recording.fileWritten) {
    host.refreshView(kRefreshClear);
    return;
  }
  session.stream.sourcePath = session.recording.recordFileName;
  if (openAndShow(session, host)) cueMarksToRanges(session, host);
}

// Rec: a new recording starts capturing (nothing written yet).
void startRecording(Session& session, ShellHost& host) {
  if (!audioIdle(session) || !confirmUnsaved(session, host)) {
    session.recording.turboGrabber = false;
    return;
  }
  closeStream(session.stream);
  resetSession(session, ResetLevel::FileStateAndSource);
  host.rebuildRangeMenu();
  host.refreshView(kRefreshClear);
  if (recordInit(session, host)) {
    host.refreshView(kRefreshRecording);
    host.setButtonPressed(cmd::kRecord, true);
  }
}

}  // namespace

void runTransportCommand(Session& session, ShellHost& host, int id) {
  switch (id) {
    case cmd::kMargin:
      meterResetMargin(session.meter);
      // While a recording is set up the recording displays own the window.
      host.refreshView(session.recordInitialised ? kRefreshMargin : kRefreshPosition);
      break;

    case cmd::kSetBegin:
      // A cue mark at the running length of the output while a recording writes.
      if (session.recordWriting) {
        setRecordCueMark(session);
        host.refreshView(kRefreshRecording);
      }
      break;

    case cmd::kPlay:
      if (!session.recordInitialised) {
        requestPlay(session, host);
      } else if (!session.recordWriting && startWriting(session, host)) {
        host.refreshView(kRefreshRecording);
        host.setButtonPressed(cmd::kPlay, true);
      }
      break;

    case cmd::kStop:
      if (requestStop(session, host)) {
        host.refreshView(kRefreshSelection);
      } else if (session.recordWriting) {
        stopWritingAndOpen(session, host);
      } else if (session.recordInitialised) {
        stopRecording(session, host);
        host.refreshView(kRefreshClear);
      }
      break;

    case cmd::kRecord:
      startRecording(session, host);
      break;

    case cmd::kTurboGrabber:
      if (!audioIdle(session)) break;
      session.recording.turboGrabber = true;
      host.messageBox(uiText(session.text, ui::kMsgTurboGrabber), uiText(session.text, ui::kMenuTurboGrabber),
                      MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
      dispatchCommand(session, host, cmd::kRecord);
      break;

    case cmd::kPlayOrStop:
      dispatchCommand(session, host, session.playing || session.recordWriting ? cmd::kStop : cmd::kPlay);
      break;

    // The prelisten buttons work on the open file's selection.
    case cmd::kPrelistenToBegin:
      if (session.stream.isOpen()) requestPrelisten(session, host, 2, id);
      break;
    case cmd::kPrelistenFromBegin:
      if (session.stream.isOpen()) requestPrelisten(session, host, 3, id);
      break;
    case cmd::kPrelistenToEnd:
      if (session.stream.isOpen()) fastPlaySlower(session, host);
      break;
    case cmd::kPrelistenFromEnd:
      if (session.stream.isOpen()) fastPlayFaster(session, host);
      break;
    case cmd::kPrelistenAsCut:
      if (session.stream.isOpen()) requestPrelisten(session, host, 1, id);
      break;

    default:
      break;
  }
}

}  // namespace quillane
