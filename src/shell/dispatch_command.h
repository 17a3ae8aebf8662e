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

// True at once when the setting warn is off or nothing is modified; otherwise
// asks "Changes unsaved. Save modified Project?" (Yes/No/Cancel, Cancel the
// default): Yes saves the project (false when that fails or is cancelled),
// No forgets the changes, Cancel refuses.
bool confirmUnsaved(Session& session, Host& host);

}  // namespace quillane
