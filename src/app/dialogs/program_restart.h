#pragma once

#include <string>

namespace quillane {

// Starts a new instance of this program on `file` (none when empty) without
// waiting for it; false when it could not be started.
bool startProgramAgain(const std::string& file);

}  // namespace quillane
