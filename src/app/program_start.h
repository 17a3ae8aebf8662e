#pragma once

#include <memory>
#include <string>

#include "session/session.h"

namespace quillane {

// The program's start before its window, as main() and the start-up benchmark do
// it: the application's name, icon and desktop entry, then a Session with every
// setting at its default, the settings file read and the language's texts loaded.
// `file` is the file named on the command line (empty when none). Needs the
// QApplication.
std::unique_ptr<Session> startProgram(int argc, char** argv, std::string& file);

}  // namespace quillane
