#pragma once

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include "session/session.h"

namespace quillane::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "quillane-cli: message" on stderr and gives the failure status.
int failWith(const std::string& message);

// For every option that names a file: "" names none, a usage error.
inline const CLI::Validator kFileName(
    [](std::string& name) { return name.empty() ? std::string("the file name is empty") : std::string(); }, "");

// Filled by the subcommand that ran.
struct CommandResult {
  int exitCode = kExitOk;
};

void registerInfoCommand(CLI::App& app, CommandResult& result);
void registerRangesCommand(CLI::App& app, CommandResult& result);
void registerSaveCommand(CLI::App& app, CommandResult& result);
void registerSplitCommand(CLI::App& app, CommandResult& result);
void registerSheetCommands(CLI::App& app, CommandResult& result);  // cuesheet and project
void registerDecodeCommand(CLI::App& app, CommandResult& result);
void registerAnalysisCommands(CLI::App& app, CommandResult& result);  // normalize and pauses
#ifdef QUILLANE_HAS_SOUND
void registerPlayCommand(CLI::App& app, CommandResult& result);
void registerRecordCommand(CLI::App& app, CommandResult& result);
#endif

// --decoder system|mpg123: the back end (use_mpglib 0 or 1); not given, the setting stays.
void addDecoderOption(CLI::App& command, std::string& decoder);
void applyDecoderOption(Session& session, const std::string& decoder);

// The exit status when the decoder (or a scan built on it) could not be opened; its
// own messages have gone to stderr through the host already.
class CliHost;
int decoderOpenFailure(const CliHost& host);

// The ranges as `ranges` prints them: the "List" menu's lines, or a JSON array.
nlohmann::ordered_json rangesJson(const Session& session);
void printRanges(const Session& session, bool json);

}  // namespace quillane::cli
