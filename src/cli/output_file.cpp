#include "cli/output_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "settings/safe_writer.h"

namespace quillane::cli {

std::string existsText(const std::string& out) { return out + ": exists (use --force to overwrite it)"; }

bool outputFolderExists(const std::string& out, std::string& error) {
  std::filesystem::path folder = std::filesystem::path(out).parent_path();
  if (folder.empty()) folder = std::filesystem::path(".");
  struct stat info {};
  const int problem = ::stat(folder.c_str(), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
  if (problem == 0) return true;
  error = out + ": " + std::strerror(problem);
  return false;
}

bool checkOutput(Session& session, const std::string& out, bool force, std::string& error) {
  session.save.replaceExisting = force;
  const std::optional<FileIdentity> target = identityOf(out);
  if (!target) return outputFolderExists(out, error);
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
