#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 401, About: the version, the licence, the translation and the help files.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runAboutDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
