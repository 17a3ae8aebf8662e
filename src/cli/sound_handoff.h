#pragma once

#include <CLI/CLI.hpp>

namespace quillane::cli {

// `play` and `record` run Qt Multimedia's sound devices. They live in a helper
// program, quillane-cli-sound (the whole tool with them built in), that
// quillane-cli replaces itself with, so that every other command starts without
// Qt. Here they are only names in the help.
void registerSoundCommandNames(CLI::App& app);

// True when the command line asks for `play` or `record`: the first argument
// that is not an option (the tool's own options take no values).
bool asksForSoundCommand(int argc, char** argv);

// Runs the helper with the same arguments in place of this process; returns
// only when it could not be found or started, with the failure status.
int runSoundHelper(char** argv);

}  // namespace quillane::cli
