#include "cli/save_runner.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "save/save_job.h"
#include "save/save_preparation.h"
#include "settings/safe_writer.h"

namespace quillane::cli {

namespace {

bool isSource(const Session& session, const std::string& out) {
  const std::optional<FileIdentity> target = identityOf(out);
  const std::optional<FileIdentity> source = identityOf(session.stream.sourceFile.descriptor());
  return target && source && *target == *source;
}

}  // namespace

bool checkSaveOutput(const Session& session, const SaveRequest& request, std::string& error) {
  const std::string& out = request.out;
  const bool exists = identityOf(out).has_value();
  if (request.append && !exists) error = out + ": the file to append to does not exist";
  else if (request.append && isSource(session, out)) error = out + ": can't append a file to itself";
  else if (!request.append && exists && !request.force) error = existsText(out);
  else if (!exists && !outputFolderExists(out, error)) return false;
  return error.empty();
}

int runSaveRequest(Session& session, CliHost& host, const SaveRequest& request) {
  const std::string& out = request.out;
  std::string error;
  if (!checkSaveOutput(session, request, error)) return failWith(error);
  const bool overSource = isSource(session, out);
  session.save.replaceExisting = request.force;

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
  if (!job.open()) return kExitFailure;  // likewise
  ProgressBar bar("Saving");
  while (!job.step()) bar.update(job.progress());
  bar.done();
  endSaveCommand(session);
  if (job.result() != SaveJob::Result::Finished) {
    if (host.lastMessage.empty()) return failWith(out + ": the save did not finish");
    return kExitFailure;
  }
  std::cout << job.report() << "\n";
  return kExitOk;
}

}  // namespace quillane::cli
