#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 408, Split: the pieces between cuts and cues saved one after the other, with their names and tags.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runSplitDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
