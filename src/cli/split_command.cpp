#include <filesystem>
#include <iostream>
#include <set>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "cli/source_file.h"
#include "save/split_save.h"

namespace quillane::cli {
namespace {

// The highest number the first piece may take.
constexpr int64_t kLastFirstNumber = 99999;

struct SplitOptions {
  std::string source;
  std::string dir;
  EditOptions edits;
  std::string pattern = "Track %N";
  int64_t first = 1;
  bool id3v11 = false;
  bool force = false;
  bool sampleAccurate = false;
};

// The pieces' names, as the split will make them.
std::vector<std::string> piecePaths(const Session& session, const std::string& folder, int64_t first) {
  std::vector<std::string> paths;
  int64_t number = 0;
  for (const SplitPiece& piece : splitPieces(session.edits, session.stream)) {
    const SplitNameFields fields = splitNameFields(session.edits, piece, ++number, first);
    paths.push_back(splitPiecePath(folder, session.settings.split_name, fields, session.stream.sourcePath));
  }
  return paths;
}

int runSplit(const SplitOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  EditOptions edits = o.edits;
  edits.sampleOffsets = o.sampleAccurate;
  if (const Problem problem = openEditedSource(session, host, o.source, command, edits)) return failWith(*problem);
  if (session.edits.count == 0) return failWith(o.source + ": no cuts or cues to split at (give --cut or --cue)");
  // The folder as a full path ending in a separator: the split takes it as it is.
  std::error_code ec;
  std::string folder = std::filesystem::absolute(o.dir, ec).lexically_normal().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  session.settings.split_name = o.pattern;
  session.settings.split_id3v11 = o.id3v11 ? 1 : 0;
  session.settings.split_sample_accurate = o.sampleAccurate ? 1 : 0;
  const std::vector<std::string> paths = piecePaths(session, folder, o.first);
  std::set<std::string> names;
  for (const std::string& path : paths) {
    if (!names.insert(path).second) return failWith(path + ": two pieces would get this name (give --pattern a %N)");
  }

  std::filesystem::create_directories(o.dir, ec);
  if (!std::filesystem::is_directory(o.dir, ec))
    return failWith(o.dir + ": not a folder that can be written to" + (ec ? " (" + ec.message() + ")" : ""));
  for (const std::string& path : paths) {
    if (const Problem problem = checkOutput(session, path, o.force)) return failWith(*problem);
  }
  session.save.savePath = folder;
  std::vector<std::string> messages;
  host.capture = &messages;
  ProgressBar bar("Splitting");
  const SplitResult result = splitSave(session, host, o.first, [&bar](SaveJob& job) {
    while (!job.step()) bar.update(job.progress());
  });
  bar.done();
  for (const std::string& path : result.writtenPaths) std::cout << path << "\n";
  std::ostream& report = result.ok ? std::cout : std::cerr;
  for (const std::string& message : messages) report << (result.ok ? "" : "quillane-cli: ") << message << "\n";
  if (const std::string problem = id3v2ProblemText(o.source, result); !problem.empty())
    std::cerr << "quillane-cli: " << problem << "\n";
  if (!result.ok && messages.empty()) return failWith(folder + ": the split did not finish");
  return result.ok ? kExitOk : kExitFailure;
}

}  // namespace

void registerSplitCommand(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<SplitOptions>();
  CLI::App* command = app.add_subcommand("split", "Save the pieces between cuts and cues as separate files");
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")
      ->required()
      ->check(kFileName);
  command->add_option("--dir", o->dir, "Folder for the pieces (made when missing)")->required()->check(kFileName);
  addEditOptions(*command, o->edits);
  command->add_option("--pattern", o->pattern,
                      "File names: %N track number, %T title, %A artist, %C sheet title, %D sheet artist")
      ->capture_default_str();
  command->add_option("--first", o->first, "Number of the first piece (%N)")
      ->capture_default_str()
      ->check(CLI::Range(int64_t{0}, kLastFirstNumber));
  command->add_flag("--id3v11", o->id3v11, "Give every piece an ID3v1.1 tag");
  command->add_flag("--force", o->force, "Overwrite pieces that exist already");
  command->add_flag("--sample-accurate", o->sampleAccurate,
                    "Pieces that a gapless player joins without a gap or overlap (sources with a LAME tag)");
  command->callback([o, command, &result] { result.exitCode = runSplit(*o, *command); });
}

}  // namespace quillane::cli
