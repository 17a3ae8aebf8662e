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
Problem readable(const Session& session, const std::string& path) {
  if (const OpenProblem problem = readProblem(path)) return openProblemText(session.text, path, problem);
  return {};
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

Problem openAudioFile(Session& session, const std::string& path) {
  if (Problem problem = readable(session, path)) return problem;
  resetSession(session, ResetLevel::FileState);
  session.stream.sourcePath = path;
  session.projectPath.clear();
  if (!openStream(session.stream)) {
    return path + ": no MPEG audio frames found (Quillane reads MPEG-1, 2 and 2.5, Layers II and III)";
  }
  return {};
}

Problem openSource(Session& session, Host& host, const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".mp3" || ext == ".mp2" || ext == ".mus" || ext == ".mpa") return openAudioFile(session, path);
  if (ext != ".qlp" && ext != ".cue") return path + ": " + uiText(session.text, ui::kMsgUnsupportedExtension);
  if (Problem problem = readable(session, path)) return problem;
  closeStream(session.stream);
  session.projectPath = path;
  // What the readers say is kept: a refusal becomes the one line of the failure,
  // a warning about a file that was read is shown as usual.
  SilentHost reading;
  const bool ok = ext == ".qlp" ? readProjectFile(session, reading) : readCueSheet(session, reading);
  if (!ok) {
    if (reading.messages.empty()) {
      return path + ": could not be read, or its audio file \"" + quotedForMessage(session.stream.sourcePath) +
             "\" could not be opened";
    }
    std::string line = path + ": " + reading.messages.back().text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
  }
  for (const SilentHost::Message& m : reading.messages)
    host.messageBox(m.text, m.caption, m.icon, MessageButtons::Ok, MessageAnswer::Ok);
  return {};
}

}  // namespace quillane::cli
