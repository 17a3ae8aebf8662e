#include <cmath>
#include <iostream>
#include <optional>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/output_file.h"
#include "cli/source_file.h"
#include "edit/auto_cue.h"
#include "edit/cue_sheet.h"
#include "edit/project_file.h"
#include "settings/ui_text_ids.h"
#include "view/typed_positions.h"

namespace quillane::cli {
namespace {

struct SheetOptions {
  std::string source;
  std::string out;
  EditOptions edits;
  std::string autoCue;
  bool force = false;
};

// The Auto Cue interval, M:SS in whole seconds (as the dialog keeps it, at most
// 65535 s). Unlike the dialog's field, text that is not such a time is refused.
std::optional<uint16_t> autoCueSeconds(const std::string& text) {
  const std::optional<double> seconds = parseTypedTime(text);
  if (!seconds || *seconds != std::floor(*seconds) || *seconds < 1.0 || *seconds > 65535.0) return std::nullopt;
  return static_cast<uint16_t>(*seconds);
}

int runSheet(const SheetOptions& o, const CLI::App& command, bool cueSheet) {
  Session session;
  CliHost host;
  if (const Problem problem = openSource(session, host, o.source)) return failWith(*problem);
  if (!o.autoCue.empty()) {
    const std::optional<uint16_t> seconds = autoCueSeconds(o.autoCue);
    if (!seconds) return failWith("--auto-cue \"" + o.autoCue + "\": expected M:SS, from 0:01 to 1092:15");
    placeAutoCues(session, *seconds);
  }
  if (const Problem problem = applyEdits(session, orderedEdits(command, o.edits))) return failWith(*problem);
  if (const Problem problem = checkOutput(session, o.out, o.force)) return failWith(*problem);
  session.projectPath = o.out;
  const bool written = cueSheet ? writeCueSheet(session) : writeProjectFile(session);
  if (!written) return failWith(uiText(session.text, ui::kMsgCouldNotWrite) + ": " + session.save.writeError);
  return kExitOk;
}

void registerSheet(CLI::App& app, CommandResult& result, const char* name, const char* help, bool cueSheet) {
  auto o = std::make_shared<SheetOptions>();
  CLI::App* command = app.add_subcommand(name, help);
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")
      ->required()
      ->check(kFileName);
  command->add_option("-o,--output", o->out, "The file to write")->required()->check(kFileName);
  addEditOptions(*command, o->edits);
  command->add_flag("--force", o->force, "Overwrite an existing file");
  command->add_option("--auto-cue", o->autoCue, "Set a cue every M:SS as Auto Cue does, before the edits are added")->type_name("M:SS");
  command->callback([o, command, &result, cueSheet] { result.exitCode = runSheet(*o, *command, cueSheet); });
}

}  // namespace

void registerSheetCommands(CLI::App& app, CommandResult& result) {
  registerSheet(app, result, "cuesheet", "Write the cues as a cue sheet", true);
  registerSheet(app, result, "project", "Write a project file with every edit range", false);
}

}  // namespace quillane::cli
