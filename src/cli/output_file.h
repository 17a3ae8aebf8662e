#pragma once

#include <string>

#include "cli/problem.h"
#include "session/session.h"

namespace quillane::cli {

// One rule for every file a command writes: never the source (by device and inode,
// so links and other spellings count), never over an existing file unless the
// user gave --force, and never into a folder that is not there. Checked before any
// work is done; the writers check again when they put the file in place. Sets
// session.save.replaceExisting from `force`.
Problem checkOutput(Session& session, const std::string& out, bool force);

// The message for an existing output that may not be replaced.
std::string existsText(const std::string& out);

// The folder that `out` goes into is there (outputs are made, folders are not);
// else the problem.
Problem outputFolderExists(const std::string& out);

}  // namespace quillane::cli
