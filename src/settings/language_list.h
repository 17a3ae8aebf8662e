#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace quillane {

// The entry of the language list that stands for the built-in texts.
constexpr const char* kEnglishEntry = "English (default, no file)";

// The language list of the "Operation" page: kEnglishEntry first, then the name of
// every "lan<name>.ini" file of the folders (the part between "lan" and the last
// "."), sorted, each name once.
std::vector<std::string> languageListEntries(const std::vector<std::filesystem::path>& folders);

// The entry the list shows for the `language` setting: 0 (English) when it is
// empty, else the entry equal to it, else 0, the first entry.
int languageListSelection(const std::vector<std::string>& entries, const std::string& language);

// A language chosen in the list: an entry beginning with "English" empties
// `language`; another one shorter than 30 characters becomes `language`;
// a longer one leaves it as it is.
void chooseLanguage(Settings& settings, const std::string& entry);

// The first start of a new version: the About box when the settings file was
// written by another version (or there was none).
bool aboutDueAtStart(const Settings& settings);
// After it, the language question and the configuration dialog on its language
// page when the program was never used for a file (file_recent2 empty), no
// language is set and some language file exists.
bool languageQuestionDueAtStart(const Settings& settings, const std::vector<std::filesystem::path>& folders);

}  // namespace quillane
