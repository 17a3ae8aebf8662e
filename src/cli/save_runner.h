#pragma once

#include <string>

#include "cli/cli_host.h"
#include "cli/problem.h"
#include "session/session.h"

namespace quillane::cli {

// Where and how a command line saves the session's edited audio.
struct SaveRequest {
  std::string out;
  bool append = false;          // append to OUT instead of creating it
  bool force = false;           // overwrite an existing OUT
  bool selectionOnly = false;   // save only the selection
};

// The checks of OUT made before any work: the file to append to is there and is
// not the source, an existing OUT is replaced only with --force, and its folder is
// there.
Problem checkSaveOutput(const Session& session, const SaveRequest& request);

// Runs the program's save (its preparation with the command line answering the
// dialog, then the save job with a progress bar) and prints the job's report.
// Returns the command's exit status; the reasons for a failure went to stderr.
int runSaveRequest(Session& session, CliHost& host, const SaveRequest& request);

}  // namespace quillane::cli
