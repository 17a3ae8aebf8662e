#pragma once

#include <string>

#include "session/host.h"
#include "session/session.h"

namespace quillane::cli {

// Opens an audio file into the session as the program does. On failure returns
// false and sets `error` to one line that names the file and the reason.
bool openAudioFile(Session& session, const std::string& path, std::string& error);

// Opens SOURCE by its extension, as opening it in the program does: an audio
// file, a project file (.qlp) or a cue sheet (.cue) with its audio file and ranges.
bool openSource(Session& session, Host& host, const std::string& path, std::string& error);

}  // namespace quillane::cli
