#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillane {

// The parts built apart from the programs and loaded only by the commands that
// need them: the FFmpeg codec module, the window's sound devices and the
// command-line tool's sound helper.
constexpr const char* kSystemCodecModuleName = "libquillane_ffmpeg.so";
constexpr const char* kSoundModuleName = "libquillane_sound.so";
constexpr const char* kSoundHelperName = "quillane-cli-sound";
// Set, it names the only folder searched (empty: none); tests run without the parts.
constexpr const char* kModuleFolderVariable = "QUILLANE_MODULE_DIR";

// Where the parts are looked for, in order: the folder that kModuleFolderVariable
// names when it is set; else <exe dir>/../lib/quillane (installed), <exe dir>
// and the build tree's module folder (running from a build tree).
// `folderVariable` is the variable's value, null when it is not set.
std::vector<std::filesystem::path> moduleFolders(const std::filesystem::path& executable,
                                                 const char* folderVariable);

// The first existing `name` in this process's module folders; empty when none has it.
std::filesystem::path findModule(const std::string& name);

}  // namespace quillane
