#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// The modal dialogs of the main window by their numbers (dlg::k...): runs
// dialog `dialogId` over parent and returns its result, 1 (cancelled) for a
// number without a dialog.
int runWindowDialog(int dialogId, Session& session, ShellHost& host, QWidget* parent);

// True for the numbers runWindowDialog has a dialog for.
bool hasWindowDialog(int dialogId);

}  // namespace quillane
