// quillane-cli: the editor's engine for scripts and batch work.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"
#include "cli/sound_handoff.h"
#include "settings/safe_writer.h"

int quillane::cli::failWith(const std::string& message) {
  std::cerr << "quillane-cli: " << message << "\n";
  return kExitFailure;
}

int main(int argc, char** argv) {
#ifdef QUILLANE_SOUND_HELPER
  if (quillane::cli::asksForSoundCommand(argc, argv)) return quillane::cli::runSoundHelper(argv);
#endif
  // Ctrl+C or a kill in the middle of a save leaves the destination as it was.
  quillane::removeTemporaryFilesOnSignals();
  CLI::App app{"Quillane command-line tool: MPEG audio (MP3/MP2) inspection and lossless editing"};
  app.set_version_flag("--version", std::string("quillane-cli ") + QUILLANE_VERSION_TEXT);
  app.require_subcommand(1);

  quillane::cli::CommandResult result;
  quillane::cli::registerInfoCommand(app, result);
  quillane::cli::registerSaveCommand(app, result);
  quillane::cli::registerSplitCommand(app, result);
  quillane::cli::registerSheetCommands(app, result);
  quillane::cli::registerRangesCommand(app, result);
  quillane::cli::registerDecodeCommand(app, result);
  quillane::cli::registerAnalysisCommands(app, result);
#ifdef QUILLANE_HAS_SOUND
  quillane::cli::registerPlayCommand(app, result);
  quillane::cli::registerRecordCommand(app, result);
#elif defined(QUILLANE_SOUND_HELPER)
  quillane::cli::registerSoundCommandNames(app);
#endif

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return quillane::cli::kExitUsage;
  }
  return result.exitCode;
}
