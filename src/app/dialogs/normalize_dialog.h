#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 406, Normalize: the peak of the selection, measured in timer slices, and the gain range it proposes.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runNormalizeDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
