#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 402, File info: the facts of the open file and its ID3v1 tag.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runFileInfoDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
