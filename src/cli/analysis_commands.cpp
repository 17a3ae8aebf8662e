#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "audio/normalize_scan.h"
#include "audio/pause_detection.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "cli/save_runner.h"
#include "cli/source_file.h"
#include "edit/cue_sheet.h"
#include "edit/project_file.h"
#include "settings/ui_text_ids.h"

namespace quillane::cli {
namespace {

constexpr const char* kSourceHelp = "Audio file, project file (.qlp) or cue sheet (.cue)";
constexpr const char* kSelectionHelp = "Scan only the frames from A to B (default: the whole audio)";


// ---- normalize ------------------------------------------------------------

struct NormalizeOptions {
  std::string source;
  std::string out;
  EditOptions edits;
  std::string selection;
  std::string decoder;
  bool force = false;
};

int runNormalize(const NormalizeOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  if (const Problem problem = openEditedSource(session, host, o.source, command, o.edits)) return failWith(*problem);
  if (const Problem problem = applySelection(session, o.selection)) return failWith(*problem);
  applyDecoderOption(session, o.decoder);
  SaveRequest request;
  request.out = o.out;
  request.force = o.force;
  // OUT is checked before the scan, so that a refusal comes alone.
  if (!o.out.empty()) {
    if (const Problem problem = checkSaveOutput(session, request)) return failWith(*problem);
    if (const Problem problem = gainAllowed(session, "normalize with -o")) return failWith(*problem);
  }

  NormalizeScan scan(session, host);
  scan.setThreads(defaultScanThreads());
  if (!scan.open()) return decoderOpenFailure(host);
  ProgressBar bar("Scanning");
  while (scan.step()) bar.update(scan.progress());
  bar.done();
  std::cout << scan.peakFoundLine() << "\n" << scan.levelChangeLine() << "\n";
  if (o.out.empty()) {
    scan.cancel();
    return kExitOk;
  }
  // As the dialog's OK: the proposed gain over the selection, then the whole file saved.
  if (!scan.accept()) return kExitFailure;  // the refusal went to stderr through the host
  return runSaveRequest(session, host, request);
}

void registerNormalize(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<NormalizeOptions>();
  CLI::App* command =
      app.add_subcommand("normalize", "Find the selection's peak and the gain that brings it to full scale");
  command->add_option("SOURCE", o->source, kSourceHelp)->required()->check(kFileName);
  addEditOptions(*command, o->edits);
  command->add_option("--selection", o->selection, kSelectionHelp)->type_name("A-B");
  command->add_option("-o,--output", o->out, "Add the proposed gain range and save the edited audio to OUT")
      ->check(kFileName);
  command->add_flag("--force", o->force, "Overwrite an existing OUT");
  addDecoderOption(*command, o->decoder);
  command->callback([o, command, &result] { result.exitCode = runNormalize(*o, *command); });
}

// ---- pauses ---------------------------------------------------------------

struct PausesOptions {
  std::string source;
  std::string out;
  EditOptions edits;
  std::string selection;
  std::string decoder;
  int threshold = 0;
  int duration = 0;
  int offset = 0;
  int skip = 0;
  bool cutWhole = false;
  bool json = false;
  bool force = false;
  CLI::Option* thresholdOption = nullptr;
  CLI::Option* durationOption = nullptr;
  CLI::Option* offsetOption = nullptr;
  CLI::Option* skipOption = nullptr;
};

bool isCueSheetName(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".cue";
}

int runPauses(const PausesOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  if (const Problem problem = openEditedSource(session, host, o.source, command, o.edits)) return failWith(*problem);
  if (const Problem problem = applySelection(session, o.selection)) return failWith(*problem);
  applyDecoderOption(session, o.decoder);
  if (!o.out.empty()) {
    if (const Problem problem = checkOutput(session, o.out, o.force)) return failWith(*problem);
  }
  Settings& settings = session.settings;
  if (o.thresholdOption->count()) settings.silence_level = static_cast<uint8_t>(o.threshold);
  if (o.durationOption->count()) settings.silence_duration = static_cast<uint8_t>(o.duration);
  if (o.offsetOption->count()) settings.silence_offset = static_cast<uint8_t>(o.offset);
  if (o.skipOption->count()) settings.silence_skip = static_cast<uint16_t>(o.skip);

  PauseDetection detection(session, host);
  detection.cutWholePause = o.cutWhole;
  detection.setThreads(defaultScanThreads());
  detection.open();
  if (!detection.start()) return decoderOpenFailure(host);
  ProgressBar bar("Scanning");
  while (detection.step()) bar.update(detection.progress());
  bar.done();
  detection.close();

  // With --json the standard output is the JSON array alone; the count goes to stderr.
  (o.json ? std::cerr : std::cout) << detection.foundText() << "\n";
  printRanges(session, o.json);
  if (o.out.empty()) return kExitOk;
  session.projectPath = o.out;
  const bool written = isCueSheetName(o.out) ? writeCueSheet(session) : writeProjectFile(session);
  if (!written) return failWith(uiText(session.text, ui::kMsgCouldNotWrite) + ": " + session.save.writeError);
  return kExitOk;
}

void registerPauses(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<PausesOptions>();
  CLI::App* command = app.add_subcommand(
      "pauses", "Set a cue (or with --cut-whole a cut) at every pause, as Pause detection does");
  command->add_option("SOURCE", o->source, kSourceHelp)->required()->check(kFileName);
  addEditOptions(*command, o->edits);
  command->add_option("--selection", o->selection, kSelectionHelp)->type_name("A-B");
  o->thresholdOption = command->add_option("--threshold", o->threshold, "Silence level, 1..100 (setting silence_level)")
                           ->check(CLI::Range(kSilenceLevelMin, kSilenceLevelMax));
  o->durationOption =
      command->add_option("--duration", o->duration, "Minimum pause in tens of frames, 1..30 (silence_duration)")
          ->check(CLI::Range(kSilenceDurationMin, kSilenceDurationMax));
  o->offsetOption = command
                        ->add_option("--offset", o->offset,
                                     "Cue offset slider position, 0..100, 60 is no offset (silence_offset)")
                        ->check(CLI::Range(0, kSilenceOffsetMax));
  o->skipOption = command->add_option("--skip", o->skip, "Seconds skipped after each pause (silence_skip)")
                      ->check(CLI::Range(0, 65535))
                      ->type_name("S");
  command->add_flag("--cut-whole", o->cutWhole, "Cut each pause (keeping its first 50 frames) instead of a cue");
  command->add_flag("--json", o->json, "Print the ranges as the JSON array of ranges --json");
  command->add_option("-o,--output", o->out, "Write a cue sheet (.cue) or a project file (any other name)")
      ->check(kFileName);
  command->add_flag("--force", o->force, "Overwrite an existing OUT");
  addDecoderOption(*command, o->decoder);
  command->callback([o, command, &result] { result.exitCode = runPauses(*o, *command); });
}

}  // namespace

void registerAnalysisCommands(CLI::App& app, CommandResult& result) {
  registerNormalize(app, result);
  registerPauses(app, result);
}

}  // namespace quillane::cli
