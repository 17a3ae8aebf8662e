#include "audio/module_location.h"

#include <cstdlib>

#include "settings/settings_location.h"

namespace quillane {

std::vector<std::filesystem::path> moduleFolders(const std::filesystem::path& executable,
                                                 const char* folderVariable) {
  if (folderVariable != nullptr) {
    if (*folderVariable == '\0') return {};
    return {folderVariable};
  }
  std::vector<std::filesystem::path> folders;
  if (!executable.empty()) {
    const std::filesystem::path bin = executable.parent_path();
    folders.push_back(bin / ".." / "lib" / "quillane");
    folders.push_back(bin);
  }
  folders.emplace_back(QUILLANE_BUILD_MODULE_DIR);
  return folders;
}

std::filesystem::path findModule(const std::string& name) {
  for (const auto& folder : moduleFolders(executablePath(), std::getenv(kModuleFolderVariable))) {
    std::error_code ec;
    const std::filesystem::path candidate = folder / name;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

}  // namespace quillane
