#pragma once

#include <CLI/CLI.hpp>

namespace quillane::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Filled by the subcommand that ran.
struct CommandResult {
  int exitCode = kExitOk;
};

void registerInfoCommand(CLI::App& app, CommandResult& result);

}  // namespace quillane::cli
