#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 404, Auto Cue: a cue every M:SS from the cursor on.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runAutoCueDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
