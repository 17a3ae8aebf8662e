#pragma once

#include <string>

#include "settings/settings.h"

namespace quillane {

// Puts `path` at the top of the recent list (file_recent1..6). A path that is
// already listed (compared exactly, letter case included) keeps its place and
// nothing changes; otherwise the entries move down one place, the sixth is
// dropped and `path` becomes the first. Returns true when the list changed,
// so the caller knows to rebuild the recent entries of the File menu. An
// empty path is ignored.
bool addRecent(Settings& settings, const std::string& path);

}  // namespace quillane
