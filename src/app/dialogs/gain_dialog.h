#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 405, "Change volume": the gain of the selection as a range, with its two sliders, fades and lock.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runGainDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
