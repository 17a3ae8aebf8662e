#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

class QWidget;

namespace quillane {

// Dialog 300, Configuration: the pages "Devices", "Encoder", "Operation" and "Misc", opened on session.configTab.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runConfigurationDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
