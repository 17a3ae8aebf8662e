#include <filesystem>
#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/progress.h"
#include "cli/source_file.h"
#include "edit/edit_model.h"
#include "save/save_job.h"
#include "save/save_preparation.h"

namespace quillane::cli {
namespace {

struct SaveOptions {
  std::string source;
  std::string out;
  EditOptions edits;
  std::string selection;
  bool append = false;
  bool noXing = false;
  bool keepId3v2 = false;
  bool noId3v1 = false;
  bool force = false;
};

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

int runSave(const SaveOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  std::string error;
  if (!openEditedSource(session, host, o.source, command, o.edits, error)) return failWith(error);
  if (!applySelection(session, o.selection, error)) return failWith(error);

  std::error_code ec;
  const bool exists = std::filesystem::exists(o.out, ec);
  const bool overSource = exists && sameFile(o.out, session.stream.sourcePath);
  if (o.append && !exists) return failWith(o.out + ": the file to append to does not exist");
  if (o.append && overSource) return failWith(o.out + ": can't append a file to itself");
  if (!o.append && exists && !o.force) return failWith(o.out + ": exists (use --force to overwrite it)");

  if (o.noXing) session.settings.write_xing = 0;
  if (o.keepId3v2) session.settings.keep_id3v2 = 1;
  if (o.noId3v1) session.stream.hasId3v1 = 0;

  // The save commands' own preparation, with the command line answering the dialog:
  // the destination is OUT, and naming the source means replacing it.
  host.savePath = overSource ? session.stream.sourcePath : o.out;
  host.answerYes = o.force;
  const SaveCommand which = o.append ? SaveCommand::Append
                            : o.selection.empty() ? SaveCommand::All
                                                  : SaveCommand::Selection;
  if (!prepareSave(session, host, which)) {
    endSaveCommand(session);
    return kExitFailure;  // the reason went to stderr through the host
  }

  SaveJob job(session, host);
  if (!job.open()) return kExitFailure;
  ProgressBar bar("Saving");
  while (!job.step()) bar.update(job.progress());
  bar.done();
  endSaveCommand(session);
  std::cout << job.report() << "\n";
  if (job.result() != SaveJob::Result::Finished) return kExitFailure;
  // A source that could not be replaced leaves the temporary file: that is a failure.
  if (overSource && std::filesystem::exists(session.stream.sourcePath + kReplaceSuffix, ec)) return kExitFailure;
  return kExitOk;
}

}  // namespace

void registerSaveCommand(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<SaveOptions>();
  CLI::App* command = app.add_subcommand("save", "Write the edited audio without re-encoding it");
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")->required();
  command->add_option("-o,--output", o->out, "Destination file (the source itself replaces the source)")->required();
  addEditOptions(*command, o->edits);
  command->add_option("--selection", o->selection, "Save only the frames from A to B (the frame at B included)")
      ->type_name("A-B");
  command->add_flag("--append", o->append, "Append to OUT (over its ID3v1 tag) instead of creating it");
  command->add_flag("--no-xing", o->noXing, "Write no Xing tag into a variable-bit-rate file");
  command->add_flag("--keep-id3v2", o->keepId3v2, "Keep the data before the first frame of a source with ID3v2");
  command->add_flag("--no-id3v1", o->noId3v1, "Write no ID3v1 tag");
  command->add_flag("--force", o->force, "Overwrite an existing OUT");
  command->footer(
      "Positions: [[h:]m:]s[.fraction] or @byte-offset, each moved to the frame found there.\n"
      "Gains: --gain A-B:STEPS or A-B:BEG:END in global_gain steps of 1.5 dB (-32..+32); write\n"
      "the steps with a sign when the times have minutes, as in --gain 1:00-2:30:+4.");
  command->callback([o, command, &result] { result.exitCode = runSave(*o, *command); });
}

}  // namespace quillane::cli
