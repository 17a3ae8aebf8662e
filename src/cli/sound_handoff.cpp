#include "cli/sound_handoff.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "audio/module_location.h"
#include "cli/commands.h"

namespace quillane::cli {
namespace {

// As the helper's own registrations describe them.
constexpr const char* kPlayDescription = "Play the edited audio through the sound output";
constexpr const char* kRecordDescription = "Record from the sound input straight to MP3";
constexpr const char* kDeviceFailure = "Could not open wave/audio device";

}  // namespace

void registerSoundCommandNames(CLI::App& app) {
  app.add_subcommand("play", kPlayDescription);
  app.add_subcommand("record", kRecordDescription);
}

bool asksForSoundCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    return std::strcmp(argv[i], "play") == 0 || std::strcmp(argv[i], "record") == 0;
  }
  return false;
}

int runSoundHelper(char** argv) {
  const std::filesystem::path helper = findModule(kSoundHelperName);
  if (helper.empty()) return failWith(std::string(kDeviceFailure) + ": " + kSoundHelperName + " was not found");
  execv(helper.c_str(), argv);
  return failWith(std::string(kDeviceFailure) + ": " + helper.string() + ": " + std::strerror(errno));
}

}  // namespace quillane::cli
