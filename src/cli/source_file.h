#pragma once

#include <string>

#include "cli/problem.h"
#include "session/host.h"
#include "session/session.h"

namespace quillane::cli {

// Opens an audio file into the session as the program does. The problem, if
// any, names the file and the reason.
Problem openAudioFile(Session& session, const std::string& path);

// Opens SOURCE by its extension, as opening it in the program does: an audio
// file, a project file (.qlp) or a cue sheet (.cue) with its audio file and ranges.
Problem openSource(Session& session, Host& host, const std::string& path);

}  // namespace quillane::cli
