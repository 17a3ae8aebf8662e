#pragma once

#include <filesystem>
#include <vector>

namespace quillane {

// Where the settings file lives: "quillane.ini" beside the executable when
// that file exists (portable use), else $XDG_CONFIG_HOME/quillane/quillane.ini
// when XDG_CONFIG_HOME is set and absolute, else
// $HOME/.config/quillane/quillane.ini. Without a usable HOME it falls back to
// the file beside the executable. Either environment value may be null.
std::filesystem::path settingsFilePath(const std::filesystem::path& executable,
                                       const char* xdgConfigHome, const char* home);
// The same with XDG_CONFIG_HOME and HOME from the environment (HOME from the
// password database when it is not set).
std::filesystem::path settingsFilePath(const std::filesystem::path& executable);

// The folder of the help files and the Languages folder:
// <exe dir>/../share/quillane when it exists (installed), else the source
// tree's data folder (running from a build tree).
std::filesystem::path dataFolder(const std::filesystem::path& executable);

// The data folder of this process's executable.
std::filesystem::path programDataFolder();

// The documents of the data folder: help files and the About box's texts.
constexpr const char* kManualFileName = "Manual.htm";
constexpr const char* kFaqFileName = "FAQ.htm";
constexpr const char* kChangeHistoryFileName = "Version.txt";
constexpr const char* kLicenceFileName = "License.txt";

// Folders searched for language files, in order: <data>/Languages, then
// Languages beside the settings file (given once when both are the same).
std::vector<std::filesystem::path> languageFolders(const std::filesystem::path& dataFolder,
                                                   const std::filesystem::path& settingsFile);

// This process's executable, from /proc/self/exe; empty when it can't be read.
std::filesystem::path executablePath();

}  // namespace quillane
