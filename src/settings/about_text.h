#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/ui_text.h"

namespace quillane {

// The About box's text: the program's name and version, the rights line, where
// the program's documents are, the licence notice (GPL-3.0-or-later), and, when
// a language file set entry 310, the translation line ("<language> translation*",
// " by <311>", " for version <312>") with the note that the English texts rule.
// Lines begin with two blanks and end with "\r\n".
std::string aboutText(const UiText& table);

// How many bytes of each document the About box shows.
constexpr size_t kChangeHistoryShown = 20000;
constexpr size_t kLicenceShown = 4000;

// The first `limit` bytes of a file (fewer when it is shorter); nothing when it
// can't be opened or read.
std::optional<std::string> readFileStart(const std::filesystem::path& file, size_t limit);

}  // namespace quillane
