#include "cli/output_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "settings/safe_writer.h"

namespace quillane::cli {

std::string existsText(const std::string& out) { return out + ": exists (use --force to overwrite it)"; }

Problem outputFolderExists(const std::string& out) {
  std::filesystem::path folder = std::filesystem::path(out).parent_path();
  if (folder.empty()) folder = std::filesystem::path(".");
  struct stat info {};
  const int problem = ::stat(folder.c_str(), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
  if (problem == 0) return {};
  return out + ": " + std::strerror(problem);
}

Problem checkOutput(Session& session, const std::string& out, bool force) {
  session.save.replaceExisting = force;
  const std::optional<FileIdentity> target = identityOf(out);
  if (!target) return outputFolderExists(out);
  const std::optional<FileIdentity> source = identityOf(session.stream.sourceFile.descriptor());
  if (source && *target == *source) return out + ": is the source itself";
  struct stat info {};
  if (::stat(out.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return out + ": is not a regular file";
  if (!force) return existsText(out);
  return {};
}

}  // namespace quillane::cli
