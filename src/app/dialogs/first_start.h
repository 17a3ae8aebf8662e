#pragma once

#include <filesystem>
#include <vector>

#include "session/session.h"
#include "shell/shell_host.h"

namespace quillane {

// The first start of a new version, once the main window shows: the About box
// when the settings were written by another version (or there were none); then,
// when the program has never been used for a file, no language is set and a
// language file exists, "First start. Please choose a language..." and the
// configuration dialog on its "Operation" page.
void showFirstStartDialogs(Session& session, ShellHost& host,
                           const std::vector<std::filesystem::path>& languageFolders);

}  // namespace quillane
