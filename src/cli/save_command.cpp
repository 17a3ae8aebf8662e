#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/save_runner.h"
#include "cli/source_file.h"
#include "edit/edit_model.h"

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
  bool dropId3v2 = false;
  bool noId3v1 = false;
  bool force = false;
  bool sampleAccurate = false;
};

int runSave(const SaveOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  EditOptions edits = o.edits;
  edits.sampleOffsets = o.sampleAccurate;
  if (const Problem problem = openEditedSource(session, host, o.source, command, edits)) return failWith(*problem);
  if (const Problem problem = applySelection(session, o.selection, o.sampleAccurate)) return failWith(*problem);

  if (o.noXing) session.settings.write_xing = 0;
  // The ID3v2 tag (the bytes before the first frame) is kept unless dropped.
  session.settings.keep_id3v2 = o.dropId3v2 ? 0 : 1;
  if (o.noId3v1) session.stream.hasId3v1 = false;
  session.save.sampleAccurate = o.sampleAccurate;

  SaveRequest request;
  request.out = o.out;
  request.append = o.append;
  request.force = o.force;
  request.selectionOnly = !o.selection.empty();
  return runSaveRequest(session, host, request);
}

}  // namespace

void registerSaveCommand(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<SaveOptions>();
  CLI::App* command = app.add_subcommand("save", "Write the edited audio without re-encoding it");
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")
      ->required()
      ->check(kFileName);
  command->add_option("-o,--output", o->out, "Destination file (the source itself replaces the source)")
      ->required()
      ->check(kFileName);
  addEditOptions(*command, o->edits);
  command->add_option("--selection", o->selection, "Save only the frames from A to B (the frame at B included)")
      ->type_name("A-B");
  command->add_flag("--append", o->append, "Append to OUT (over its ID3v1 tag) instead of creating it");
  command->add_flag("--no-xing", o->noXing, "Write no Xing tag into a variable-bit-rate file");
  command->add_flag("--keep-id3v2", o->keepId3v2,
                    "Keep the data before the first frame of a source with ID3v2 (the default)");
  command->add_flag("--drop-id3v2", o->dropId3v2, "Leave out the data before the first frame (the ID3v2 tag)")
      ->excludes("--keep-id3v2");
  command->add_flag("--no-id3v1", o->noId3v1, "Write no ID3v1 tag");
  command->add_flag("--force", o->force, "Overwrite an existing OUT");
  command->add_flag("--sample-accurate", o->sampleAccurate,
                    "With --selection and a LAME tag: exactly the samples from A up to B for gapless players");
  command->footer(
      "Positions: [[h:]m:]s[.fraction] or @byte-offset, each moved to the frame found there.\n"
      "Gains: --gain A-B:STEPS or A-B:BEG:END in global_gain steps of 1.5 dB (-32..+32); write\n"
      "the steps with a sign when the times have minutes, as in --gain 1:00-2:30:+4.");
  command->callback([o, command, &result] { result.exitCode = runSave(*o, *command); });
}

}  // namespace quillane::cli
