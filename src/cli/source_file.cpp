#include "cli/source_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "settings/ui_text_ids.h"
#include "stream/binary_file.h"
#include "stream/open_stream.h"

namespace quillane::cli {
namespace {

// A regular file that can be read. Anything else is refused before it is opened:
// opening a pipe would wait for a writer, and a device never ends.
bool readable(const std::string& path, std::string& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    error = path + ": is a directory";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = path + ": is not a regular file";
    return false;
  }
  BinaryFile probe;
  if (probe.open(path, "rb")) return true;
  error = path + ": " + std::strerror(errno);
  return false;
}

// The extension in lower case; the path itself keeps its letters, since the file
// system tells case apart.
std::string lowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

bool openAudioFile(Session& session, const std::string& path, std::string& error) {
  if (!readable(path, error)) return false;
  resetEditModel(session, ResetLevel::FileState);
  session.stream.sourcePath = path;
  session.projectPath.clear();
  if (!openStream(session)) {
    error = path + ": no MPEG audio frames found (Quillane reads MPEG-1, 2 and 2.5, Layers II and III)";
    return false;
  }
  return true;
}

bool openSource(Session& session, Host& host, const std::string& path, std::string& error) {
  const std::string ext = lowerExtension(path);
  if (ext == ".mp3" || ext == ".mp2" || ext == ".mus" || ext == ".mpa") return openAudioFile(session, path, error);
  if (ext != ".qlp" && ext != ".cue") {
    error = path + ": " + uiText(session.text, ui::kMsgUnsupportedExtension);
    return false;
  }
  if (!readable(path, error)) return false;
  closeStream(session);
  session.projectPath = path;
  // What the readers say is kept: a refusal becomes the one line of the failure,
  // a warning about a file that was read is shown as usual.
  SilentHost reading;
  const bool ok = ext == ".qlp" ? readProjectFile(session, reading) : readCueSheet(session, reading);
  if (!ok) {
    if (!reading.messages.empty()) {
      error = path + ": " + reading.messages.back().text;
      std::replace(error.begin(), error.end(), '\n', ' ');
    } else {
      error = path + ": could not be read, or its audio file \"" + quotedForMessage(session.stream.sourcePath) +
              "\" could not be opened";
    }
    return false;
  }
  for (const SilentHost::Message& m : reading.messages)
    host.messageBox(m.text, m.caption, m.icon, MessageButtons::Ok, MessageAnswer::Ok);
  return true;
}

}  // namespace quillane::cli
