#include "cli/save_runner.h"

#include <filesystem>
#include <iostream>

#include "cli/commands.h"
#include "cli/progress.h"
#include "save/save_job.h"
#include "save/save_preparation.h"

namespace quillane::cli {
namespace {

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

int runSaveRequest(Session& session, CliHost& host, const SaveRequest& request) {
  const std::string& out = request.out;
  std::error_code ec;
  const bool exists = std::filesystem::exists(out, ec);
  const bool overSource = exists && sameFile(out, session.stream.sourcePath);
  if (request.append && !exists) return failWith(out + ": the file to append to does not exist");
  if (request.append && overSource) return failWith(out + ": can't append a file to itself");
  if (!request.append && exists && !request.force) return failWith(out + ": exists (use --force to overwrite it)");

  // The save commands' own preparation, with the command line answering the dialog:
  // the destination is OUT, and naming the source means replacing it.
  host.savePath = overSource ? session.stream.sourcePath : out;
  host.answerYes = request.force;
  const SaveCommand which = request.append          ? SaveCommand::Append
                            : request.selectionOnly ? SaveCommand::Selection
                                                    : SaveCommand::All;
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

}  // namespace quillane::cli
