#pragma once

#include <string>

namespace quillane {

// Loads the module `name` from the module folders and returns its exported
// function `entry`; null when the module is missing, does not load or lacks the
// function, with `problem` saying which file and why. The dynamic loader keeps
// one copy of a module per process and counts the opens, so every call may open
// it again; it is never closed, as the objects it made may live until the end.
void* loadModuleEntry(const char* name, const char* entry, std::string& problem);

}  // namespace quillane
