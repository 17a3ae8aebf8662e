#include "audio/level_meter.h"
#include "shell/command_ids.h"
#include "shell/command_stages.h"

namespace quillane {

void releaseTransportButtons(ShellHost& host) {
  for (int button : {cmd::kPlay, cmd::kRecord, cmd::kPrelistenToBegin, cmd::kPrelistenFromBegin,
                     cmd::kPrelistenToEnd, cmd::kPrelistenFromEnd, cmd::kPrelistenAsCut})
    host.setButtonPressed(button, false);
  // While playing with buffer_frm >= 4 these two buttons read ">> -" and ">> +" (Fast Play).
  host.setButtonText(cmd::kPrelistenToEnd, "..=>I");
  host.setButtonText(cmd::kPrelistenFromEnd, "..I=>");
}

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

    // Hook for the playback and recording engines. Until they exist
    // commandAvailable refuses these ids, so they never arrive here:
    //   134 Play: requestPlay while idle with a valid header and the cursor before
    //       audioEnd; or startWriting when a recording is set up but not writing.
    //   135 Stop: playActive off, releaseTransportButtons, then stopPlayback and
    //       refreshView(2), or stop the recording and open what it wrote (its cue
    //       marks become cue ranges), or stopRecording and refreshView(0).
    //   136 Space: 134 when neither playing nor writing, else 135.
    //   137 Rec: when idle and confirmUnsaved: closeStream, resetEditModel(2),
    //       rebuildRangeMenu, refreshView(0), recordInit; then refreshView(-2).
    //   1043 Turbo Grabber: when idle, turboGrabber on, text 183, then 137.
    default:
      break;
  }
}

}  // namespace quillane
