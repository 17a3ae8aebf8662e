#include "cli/source_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "stream/open_stream.h"

namespace quillane::cli {

bool openAudioFile(Session& session, const std::string& path, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = path + ": is a directory";
    return false;
  }
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  resetStreamState(session.stream);
  session.stream.sourcePath = path;
  if (!openStream(session)) {
    error = path + ": no MPEG audio frames found (Quillane reads MPEG-1, 2 and 2.5, Layers II and III)";
    return false;
  }
  return true;
}

}  // namespace quillane::cli
