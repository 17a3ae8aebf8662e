#pragma once

#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "session/host.h"
#include "session/session.h"
#include "shell/shell_host.h"
#include "stream/open_stream.h"

namespace quillane {

// What showOpenError says.
enum class OpenErrorKind { Failed = 0, UnsupportedExtension = 1 };

// Opens session.stream.sourcePath by its extension, compared without regard to
// letter case (the path itself is kept as it is): ".mp3", ".mp2", ".mus", ".mpa"
// as audio, ".qlp" as a project file, ".cue" as a cue sheet. Shows the failure
// (showOpenError) and returns false when it can't.
bool openByExtension(Session& session, Host& host);

// "File open failed": the audio path and the project path, and why: for an
// unsupported extension "Unsupported file extension", else the file that failed
// and its problem ("/a/x.mp3: is not an MPEG audio file", "...: Permission
// denied") when one is found.
void showOpenError(const Session& session, Host& host, OpenErrorKind kind);

// The problem of a file as a message line: "path: reason".
std::string openProblemText(const UiText& text, const std::string& path, OpenProblem problem);

// What keeps `path` from being opened, found before the open file is given up:
// an unsupported extension, a file that can't be read, an audio file without
// MPEG audio. Empty when it may be tried (a project file or cue sheet is then
// read whole by the open itself).
std::string openRefusal(const Session& session, const std::string& path);

// Opens `path` in place of the open file, as "Open", a recent file and a drop
// do once the unsaved changes are settled: a file refused by openRefusal is
// reported ("File open failed" with the reason) and the open file stays as it
// was; otherwise the open file is closed, the model reset at `resetLevel` and
// the new one opened by openAndShow. `discardChanges` clears the modified mark
// once the open goes ahead.
bool openInstead(Session& session, ShellHost& host, const std::string& path, ResetLevel resetLevel,
                 bool discardChanges);

// The open path of the commands: openByExtension, then on success
// rebuildRangeMenu and refreshView(kRefreshAll); on failure closeStream and
// refreshView(kRefreshClear). rebuildRecentMenu whenever the opening changed the
// recent list.
bool openAndShow(Session& session, ShellHost& host);

// The "Open file" dialog: its title, the six type filters, and where it starts
// (the folder of the newest recent file when no file is open).
FileDialogRequest openFileDialogRequest(const Session& session);

// One recent-file entry of the "&File" menu.
struct RecentMenuItem {
  int commandId;  // 1100 + n - 1
  std::string text;  // "&1 /folder/part.../name.mp3"
};
// The entries for the non-empty recent files, in order; empty when the first is
// empty, and none for a path without a "/". Folders are cut to 20 characters
// followed by ".../" when they were 20 or longer; a name of 30 or more
// characters is shown alone. A '&' of the path is doubled so the menu shows it.
std::vector<RecentMenuItem> recentMenuItems(const Settings& settings);

}  // namespace quillane
