#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 403: the artist and title of the current range or of the cue sheet.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runNamesDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
