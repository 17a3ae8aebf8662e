#pragma once

#include "audio/playback_engine.h"  // seekPlayback, releaseTransportButtons
#include "session/session.h"
#include "shell/shell_host.h"

namespace quillane {

// Runs one command (cmd::k...) from a menu item, an accelerator key or a
// control-panel button. Stage A (playback, recording, file, settings, help)
// works with or without a file; stage B (navigation, selection, edit ranges,
// the file commands that need a file and the "&List" items) only with one.
// `notification` is cmd::kNotifySetFocus for the selection field's focus notice.
// Commands that commandAvailable refuses do nothing.
void dispatchCommand(Session& session, ShellHost& host, int id, int notification = 0);

// True when this build carries out command `id`: false for the commands whose
// dialog the host does not have yet (ShellHost::dialogAvailable) and for
// playback and recording until their engines exist. The window shows such
// commands disabled.
bool commandAvailable(const Session& session, const ShellHost& host, int id);

// True when neither playback nor a recording runs; otherwise "Please stop
// play/rec first" (caption "Not possible", error icon) and false.
bool requireIdle(Session& session, Host& host);

// What the user settled about unsaved changes.
enum class UnsavedChoice {
  Proceed,  // nothing unsaved, the warning is off, or the project was saved
  Discard,  // "No": the changes are to be dropped
  Stop,     // "Cancel", or the save failed or was cancelled
};

// Proceed at once when the setting warn is off or nothing is modified; otherwise
// asks "Changes unsaved. Save modified Project?" (Yes/No/Cancel, Cancel the
// default): Yes saves the project (Stop when that fails or is cancelled). The
// modified mark is left as it is, so that an action that does not go ahead
// after "No" (a cancelled file dialog) leaves the model exactly as it was.
UnsavedChoice askAboutUnsaved(Session& session, Host& host);

// askAboutUnsaved for the actions that go ahead at once: true unless Stop; "No"
// forgets the changes (clears modified).
bool confirmUnsaved(Session& session, Host& host);

}  // namespace quillane
