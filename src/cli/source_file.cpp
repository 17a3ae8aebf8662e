#include "cli/source_file.h"

#include <algorithm>
#include <cctype>

#include "audio/session_reset.h"
#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "settings/ui_text_ids.h"
#include "shell/file_opening.h"
#include "stream/open_stream.h"

namespace quillane::cli {
namespace {

// A regular file that can be read. Anything else is refused before it is opened:
// opening a pipe would wait for a writer, and a device never ends. The reason is
// the one the window gives.
bool readable(const Session& session, const std::string& path, std::string& error) {
  const OpenProblem problem = readProblem(path);
  if (problem) error = openProblemText(session.text, path, problem);
  return !problem;
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
  if (!readable(session, path, error)) return false;
  resetSession(session, ResetLevel::FileState);
  session.stream.sourcePath = path;
  session.projectPath.clear();
  if (!openStream(session.stream)) {
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
  if (!readable(session, path, error)) return false;
  closeStream(session.stream);
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
