#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 407, Pause detection: cues (or cuts) at the pauses of the selection, found in timer slices.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runPauseDetectionDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
