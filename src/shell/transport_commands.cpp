#include "audio/level_meter.h"
#include "shell/command_ids.h"
#include "shell/command_stages.h"
#include "shell/dispatch_command.h"

namespace quillane {

void runTransportCommand(Session& session, ShellHost& host, int id) {
  switch (id) {
    case cmd::kMargin:
      meterResetMargin(session.meter);
      // While a recording is set up the recording displays own the window.
      host.refreshView(session.recordInitialised ? -1 : 1);
      break;

    case cmd::kSetBegin:
      // A cue mark at the running length of the output while a recording writes.
      // Hook: setRecordCueMark and refreshView(-2) once the recording engine exists.
      break;

    case cmd::kPlay:
      // Hook for the recording engine: while a recording is set up but not
      // writing, Play starts writing (startWriting, refreshView(-2), Play pressed).
      requestPlay(session, host);
      break;

    case cmd::kStop:
      if (requestStop(session, host)) host.refreshView(2);
      // Hook for the recording engine: otherwise stop the recording (and open
      // what it wrote, its cue marks becoming cue ranges), then refresh.
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

    // Hook for the recording engine. Until it exists commandAvailable refuses
    // these ids, so they never arrive here:
    //   137 Rec: when idle and confirmUnsaved: closeStream, resetEditModel(2),
    //       rebuildRangeMenu, refreshView(0), recordInit; then refreshView(-2).
    //   1043 Turbo Grabber: when idle, turboGrabber on, text 183, then 137.
    default:
      break;
  }
}

}  // namespace quillane
