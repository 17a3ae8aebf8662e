#include "shell/file_opening.h"

#include <array>
#include <cstring>
#include <string_view>

#include "audio/level_meter.h"
#include "audio/session_reset.h"
#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "session/command_ids.h"
#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

enum class FileKind { Audio, Project, CueSheet, Unsupported };

// The extension of the file name in lower case: from its last '.' on, "" without one.
// A '.' in a folder name is no extension. Only the copy is lowered; the path keeps
// its letters, as a case-sensitive file system needs it.
std::string lowerExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

FileKind kindOf(const std::string& path) {
  const std::string extension = lowerExtension(path);
  if (extension == ".mp3" || extension == ".mp2" || extension == ".mus" || extension == ".mpa")
    return FileKind::Audio;
  if (extension == ".qlp") return FileKind::Project;
  if (extension == ".cue") return FileKind::CueSheet;
  return FileKind::Unsupported;
}

// The folder part of a path, up to and including its last '/'; "" without one.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A menu text shows "&x" as an underlined x; a '&' of a file name must stay one.
std::string menuEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '&') escaped += '&';
    escaped += c;
  }
  return escaped;
}

constexpr std::size_t kRecentFolderChars = 20;  // a longer folder is cut to this and ".../"
constexpr std::size_t kRecentNameChars = 30;    // a name this long is shown without its folder

// True when text holds at least `count` characters (UTF-8, as firstCharacters counts).
bool hasAtLeast(std::string_view text, std::size_t count) {
  return count == 0 || firstCharacters(text, count - 1).size() < text.size();
}

}  // namespace

bool openByExtension(Session& session, Host& host) {
  const std::string& path = session.stream.sourcePath;
  bool opened = false;
  switch (kindOf(path)) {
    case FileKind::Audio:
      resetSession(session, ResetLevel::FileState);
      session.projectPath.clear();
      opened = openStream(session.stream);
      if (opened) addRecent(session.settings, path);
      break;
    case FileKind::Project:
      session.projectPath = path;
      closeStream(session.stream);
      meterResetMargin(session.meter);  // reading the document clears the rest
      opened = readProjectFile(session, host);
      break;
    case FileKind::CueSheet:
      session.projectPath = path;
      closeStream(session.stream);
      meterResetMargin(session.meter);  // reading the document clears the rest
      opened = readCueSheet(session, host);
      break;
    case FileKind::Unsupported:
      session.projectPath.clear();
      showOpenError(session, host, OpenErrorKind::UnsupportedExtension);
      return false;
  }
  // A new source has nothing saved from it yet.
  if (session.stream.isOpen()) session.save.savePath.clear();
  if (!opened) showOpenError(session, host, OpenErrorKind::Failed);
  return opened;
}

namespace {

// "File open failed" for the two paths, with the reason below them.
void showOpenFailure(const Session& session, Host& host, const std::string& audioPath,
                     const std::string& projectPath, const std::string& reason) {
  const UiText& t = session.text;
  // "%s:\n   %s\n\n%s:\n   %s": the audio path and the project path under their names.
  // The audio path may come from a damaged project file: only its start is shown.
  std::string text = uiText(t, ui::kFileTypeAudio) + ":\n   " + quotedForMessage(audioPath) + "\n\n" +
                     uiText(t, ui::kFileTypeProject) + ":\n   " + projectPath;
  if (!reason.empty()) text += "\n\n" + reason;
  host.messageBox(text, uiText(t, ui::kMsgFileOpenFailed), MessageIcon::Warning, MessageButtons::Ok,
                  MessageAnswer::Ok);
}

// Why the open that just failed failed: the project file or cue sheet when it
// can't be read, else its audio file; empty when both open (a reader that
// refused a document has said why itself).
std::string failureReason(const Session& session) {
  const std::string& project = session.projectPath;
  if (!project.empty()) {
    if (const OpenProblem problem = readProblem(project)) return openProblemText(session.text, project, problem);
  }
  const std::string& audio = session.stream.sourcePath;
  if (audio.empty() || (!project.empty() && audio == project)) return {};
  if (const OpenProblem problem = audioFileProblem(audio)) return openProblemText(session.text, audio, problem);
  return {};
}

}  // namespace

void showOpenError(const Session& session, Host& host, OpenErrorKind kind) {
  const std::string reason = kind == OpenErrorKind::UnsupportedExtension
                                 ? uiText(session.text, ui::kMsgUnsupportedExtension)
                                 : failureReason(session);
  showOpenFailure(session, host, session.stream.sourcePath, session.projectPath, reason);
}

std::string openProblemText(const UiText& text, const std::string& path, OpenProblem problem) {
  std::string reason;
  switch (problem.kind) {
    case OpenFailure::None: return {};
    case OpenFailure::System: reason = std::strerror(problem.systemError); break;
    case OpenFailure::Folder: reason = std::strerror(EISDIR); break;
    case OpenFailure::NotRegular: reason = "is not a regular file"; break;
    case OpenFailure::NotMpegAudio: reason = uiText(text, ui::kMsgNotMpegAudio); break;
  }
  return quotedForMessage(path) + ": " + reason;
}

std::string openRefusal(const Session& session, const std::string& path) {
  switch (kindOf(path)) {
    case FileKind::Unsupported: return uiText(session.text, ui::kMsgUnsupportedExtension);
    case FileKind::Audio: return openProblemText(session.text, path, audioFileProblem(path));
    case FileKind::Project:
    case FileKind::CueSheet: return openProblemText(session.text, path, readProblem(path));
  }
  return {};
}

bool openInstead(Session& session, ShellHost& host, const std::string& path, ResetLevel resetLevel,
                 bool discardChanges) {
  if (const std::string refusal = openRefusal(session, path); !refusal.empty()) {
    const bool document = kindOf(path) == FileKind::Project || kindOf(path) == FileKind::CueSheet;
    showOpenFailure(session, host, document ? std::string() : path, document ? path : std::string(), refusal);
    return false;
  }
  if (discardChanges) session.edits.modified = false;
  closeStream(session.stream);
  resetSession(session, resetLevel);
  session.stream.sourcePath = path;
  return openAndShow(session, host);
}

bool openAndShow(Session& session, ShellHost& host) {
  // Opening puts the audio file or the project on the recent list, and a project
  // that fails after its audio file was opened has put that one there already.
  const std::array<std::string, 6> recentBefore = session.settings.file_recent;
  const bool opened = openByExtension(session, host);
  if (session.settings.file_recent != recentBefore) host.rebuildRecentMenu();
  if (opened) {
    host.rebuildRangeMenu();
    host.refreshView(kRefreshAll);
  } else {
    closeStream(session.stream);
    host.refreshView(kRefreshClear);
  }
  return opened;
}

FileDialogRequest openFileDialogRequest(const Session& session) {
  FileDialogRequest request;
  request.title = uiText(session.text, ui::kTitleOpenFile);
  request.filters = {
      {"Known types (mp3, mp2, mpa, mus, qlp, cue)", "*.mp3;*.mp2;*.mpa;*.mus;*.qlp;*.cue"},
      {"MP3 files (*.mp3)", "*.mp3"},
      {"MP2 files (*.mp2, *.mpa, *.mus)", "*.mp2;*.mpa;*.mus"},
      {"Quillane Projects (*.qlp)", "*.qlp"},
      {"Cue Sheets (*.cue)", "*.cue"},
      {"All files (*.*)", "*.*"},
  };
  request.mustExist = true;
  request.initialPath =
      session.stream.isOpen() ? session.stream.sourcePath : folderOf(session.settings.file_recent.front());
  return request;
}

std::vector<RecentMenuItem> recentMenuItems(const Settings& settings) {
  std::vector<RecentMenuItem> items;
  if (settings.file_recent.front().empty()) return items;
  for (int n = 1; n <= cmd::kRecentFileCount; ++n) {
    const std::string& path = settings.file_recent[n - 1];
    const std::size_t slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos) continue;
    const std::string_view folder = std::string_view(path).substr(0, slash + 1);
    const std::string_view name = std::string_view(path).substr(slash + 1);

    std::string text = "&" + std::to_string(n) + " ";
    if (!hasAtLeast(name, kRecentNameChars)) {
      text += menuEscaped(firstCharacters(folder, kRecentFolderChars));
      if (hasAtLeast(folder, kRecentFolderChars)) text += ".../";
    }
    text += menuEscaped(name);
    items.push_back({cmd::kRecentFileBase + n - 1, std::move(text)});
  }
  return items;
}

}  // namespace quillane
