#pragma once

#include <memory>
#include <string>

#include "audio/module_sound_devices.h"
#include "session/session.h"

namespace quillane {

// What the program holds for as long as its window lives: the sound devices,
// whose module loads at the first play, record or list of devices, and the
// session that plays and records through them (destroyed first).
struct Program {
  ModuleOutputDevice output;
  ModuleInputDevice input;
  Session session;
};

// The program's start before its window, as main() and the start-up benchmark do
// it: the application's name, icon and desktop entry, then a Session with every
// setting at its default, the settings file read, the language's texts loaded
// and the sound devices installed. `file` is the file named on the command line
// (empty when none). Needs the QApplication.
std::unique_ptr<Program> startProgram(int argc, char** argv, std::string& file);

}  // namespace quillane
