#include "cli/output_file.h"

#include <sys/stat.h>

#include "settings/safe_writer.h"

namespace quillane::cli {

std::string existsText(const std::string& out) { return out + ": exists (use --force to overwrite it)"; }

bool checkOutput(Session& session, const std::string& out, bool force, std::string& error) {
  session.save.replaceExisting = force;
  const std::optional<FileIdentity> target = identityOf(out);
  if (!target) return true;
  const std::optional<FileIdentity> source = identityOf(session.stream.sourceFile.descriptor());
  if (source && *target == *source) {
    error = out + ": is the source itself";
    return false;
  }
  struct stat info {};
  if (::stat(out.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = out + ": is not a regular file";
    return false;
  }
  if (!force) {
    error = existsText(out);
    return false;
  }
  return true;
}

}  // namespace quillane::cli
