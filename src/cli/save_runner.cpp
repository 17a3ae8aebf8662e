#include "cli/save_runner.h"

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "save/save_job.h"
#include "save/save_preparation.h"
#include "settings/safe_writer.h"

namespace quillane::cli {

namespace {

// A save that failed: what was said, the last line naming OUT first unless it
// names it already.
int failNaming(const std::vector<std::string>& said, const std::string& out) {
  if (said.empty()) return failWith(out + ": the save did not finish");
  for (std::size_t i = 0; i + 1 < said.size(); ++i) std::cerr << "quillane-cli: " << said[i] << "\n";
  const std::string& last = said.back();
  return failWith(last.find(out) == std::string::npos ? out + ": " + last : last);
}

bool isSource(const Session& session, const std::string& out) {
  const std::optional<FileIdentity> target = identityOf(out);
  const std::optional<FileIdentity> source = identityOf(session.stream.sourceFile.descriptor());
  return target && source && *target == *source;
}

}  // namespace

Problem checkSaveOutput(const Session& session, const SaveRequest& request) {
  const std::string& out = request.out;
  const bool exists = identityOf(out).has_value();
  if (request.append && !exists) return out + ": the file to append to does not exist";
  if (request.append && isSource(session, out)) return out + ": can't append a file to itself";
  if (!request.append && exists && !request.force) return existsText(out);
  if (!exists) return outputFolderExists(out);
  return {};
}

int runSaveRequest(Session& session, CliHost& host, const SaveRequest& request) {
  const std::string& out = request.out;
  if (const Problem problem = checkSaveOutput(session, request)) return failWith(*problem);
  const bool overSource = isSource(session, out);
  session.save.replaceExisting = request.force;

  // The save commands' own preparation, with the command line answering the dialog:
  // the destination is OUT, and naming the source means replacing it.
  host.savePath = overSource ? session.stream.sourcePath : out;
  host.answerYes = request.force;
  const SaveCommand which = request.append          ? SaveCommand::Append
                            : request.selectionOnly ? SaveCommand::Selection
                                                    : SaveCommand::All;
  // What the save says is kept, so that a failure can name OUT.
  std::vector<std::string> said;
  host.capture = &said;
  const bool prepared = prepareSave(session, host, which);
  if (!prepared) endSaveCommand(session);
  SaveJob job(session, host);
  if (prepared && job.open()) {
    ProgressBar bar("Saving");
    while (!job.step()) bar.update(job.progress());
    bar.done();
    endSaveCommand(session);
  }
  host.capture = nullptr;
  if (job.result() != SaveJob::Result::Finished) return failNaming(said, out);
  for (const std::string& message : said) std::cerr << "quillane-cli: " << message << "\n";
  std::cout << job.report() << "\n";
  return kExitOk;
}

}  // namespace quillane::cli
