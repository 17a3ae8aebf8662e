#include "settings/settings_location.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#ifndef QUILLANE_SOURCE_DATA_DIR
#define QUILLANE_SOURCE_DATA_DIR ""
#endif

namespace quillane {
namespace {

constexpr const char* kSettingsFileName = "quillane.ini";
constexpr const char* kAppFolderName = "quillane";

bool usable(const char* value) { return value != nullptr && value[0] != '\0'; }

std::filesystem::path besideExecutable(const std::filesystem::path& executable) {
  return executable.parent_path() / kSettingsFileName;
}

// HOME of the user from the password database, for a process started without HOME.
std::string homeFromPasswd() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384u, '\0');
  passwd entry{};
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
      result == nullptr || result->pw_dir == nullptr) {
    return {};
  }
  return result->pw_dir;
}

}  // namespace

std::filesystem::path settingsFilePath(const std::filesystem::path& executable,
                                       const char* xdgConfigHome, const char* home) {
  std::error_code ec;
  const std::filesystem::path portable = besideExecutable(executable);
  if (!executable.empty() && std::filesystem::is_regular_file(portable, ec)) return portable;
  // Relative values of XDG_CONFIG_HOME are invalid and must be ignored.
  if (usable(xdgConfigHome) && std::filesystem::path(xdgConfigHome).is_absolute()) {
    return std::filesystem::path(xdgConfigHome) / kAppFolderName / kSettingsFileName;
  }
  if (usable(home)) {
    return std::filesystem::path(home) / ".config" / kAppFolderName / kSettingsFileName;
  }
  return portable;
}

std::filesystem::path settingsFilePath(const std::filesystem::path& executable) {
  const char* home = std::getenv("HOME");
  std::string fallbackHome;
  if (!usable(home)) {
    fallbackHome = homeFromPasswd();
    home = fallbackHome.c_str();
  }
  return settingsFilePath(executable, std::getenv("XDG_CONFIG_HOME"), home);
}

std::filesystem::path dataFolder(const std::filesystem::path& executable) {
  std::error_code ec;
  if (!executable.empty()) {
    const std::filesystem::path installed =
        (executable.parent_path() / ".." / "share" / kAppFolderName).lexically_normal();
    if (std::filesystem::is_directory(installed, ec)) return installed;
  }
  return std::filesystem::path(QUILLANE_SOURCE_DATA_DIR);
}

std::filesystem::path programDataFolder() { return dataFolder(executablePath()); }

std::vector<std::filesystem::path> languageFolders(const std::filesystem::path& dataFolder,
                                                   const std::filesystem::path& settingsFile) {
  const std::filesystem::path first = (dataFolder / "Languages").lexically_normal();
  const std::filesystem::path second =
      (settingsFile.parent_path() / "Languages").lexically_normal();
  std::error_code ec;
  const bool same = first == second || std::filesystem::equivalent(first, second, ec);
  if (same) return {first};
  return {first, second};
}

std::filesystem::path executablePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe;
}

}  // namespace quillane
