#pragma once

#include <string>

#include "session/session.h"

namespace quillane::cli {

// Opens an audio file into the session as the program does. On failure returns
// false and sets `error` to one line that names the file and the reason.
bool openAudioFile(Session& session, const std::string& path, std::string& error);

}  // namespace quillane::cli
