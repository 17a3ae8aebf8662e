#include "settings/language_list.h"

#include <algorithm>

namespace quillane {
namespace {

constexpr std::string_view kLanguagePrefix = "lan";
constexpr std::string_view kLanguageExtension = ".ini";
constexpr size_t kLanguageNameLimit = 30;

// The language a file name stands for, or empty when it is not "lan*.ini".
std::string languageOfFileName(const std::string& name) {
  if (name.size() < kLanguagePrefix.size() + kLanguageExtension.size() || !name.starts_with(kLanguagePrefix) ||
      !name.ends_with(kLanguageExtension))
    return {};
  const size_t dot = name.rfind('.');
  return name.substr(kLanguagePrefix.size(), dot - kLanguagePrefix.size());
}

std::vector<std::string> languageNames(const std::vector<std::filesystem::path>& folders) {
  std::vector<std::string> names;
  for (const std::filesystem::path& folder : folders) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const std::string name = languageOfFileName(it->path().filename().string());
      if (!name.empty()) names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace

std::vector<std::string> languageListEntries(const std::vector<std::filesystem::path>& folders) {
  std::vector<std::string> entries{kEnglishEntry};
  for (std::string& name : languageNames(folders)) entries.push_back(std::move(name));
  return entries;
}

int languageListSelection(const std::vector<std::string>& entries, const std::string& language) {
  if (language.empty()) return 0;
  const auto found = std::find(entries.begin(), entries.end(), language);
  return found == entries.end() ? 0 : static_cast<int>(found - entries.begin());
}

void chooseLanguage(Settings& settings, const std::string& entry) {
  if (entry.starts_with("English")) {
    settings.language.clear();
  } else if (entry.size() < kLanguageNameLimit) {
    settings.language = entry;
  }
}

bool aboutDueAtStart(const Settings& settings) { return settings.version != kSettingsVersion; }

bool languageQuestionDueAtStart(const Settings& settings, const std::vector<std::filesystem::path>& folders) {
  return settings.file_recent[1].empty() && settings.language.empty() && !languageNames(folders).empty();
}

}  // namespace quillane
