// The command line's file argument and its opening at start-up (declared in
// shell/window_input.h).

#include <filesystem>
#include <system_error>

#include "audio/recording_engine.h"
#include "session/command_ids.h"
#include "shell/file_opening.h"
#include "shell/window_input.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

// The argument that starts a new recording at once.
constexpr const char* kRecordArgument = "/r";

}  // namespace

std::string commandLineFile(const std::vector<std::string>& arguments) {
  // The shell has split the line at its blanks; joined again, an unquoted path
  // with blanks is one path, as it was typed.
  std::string text;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (i > 1) text += ' ';
    text += arguments[i];
  }
  const std::size_t first = text.find_first_not_of(' ');
  text.erase(0, first == std::string::npos ? text.size() : first);
  if (!text.empty() && text.front() == '"') text.erase(0, 1);
  if (const std::size_t quote = text.rfind('"'); quote != std::string::npos) text.resize(quote);
  return text;
}

void openCommandLineFile(Session& session, ShellHost& host, const std::string& file) {
  if (file == kRecordArgument) {
    // A new recording, writing at once.
    session.stream.sourcePath.clear();
    host.refreshView(kRefreshAll);
    if (recordInit(session, host)) {
      host.setButtonPressed(cmd::kRecord, true);
      host.refreshView(kRefreshRecording);
      if (startWriting(session, host)) host.setButtonPressed(cmd::kPlay, true);
      host.refreshView(kRefreshRecording);
    }
  } else if (file.empty()) {
    session.stream.sourcePath.clear();
    host.refreshView(kRefreshAll);
  } else {
    // The recent list and the project's own references must name the file from
    // anywhere, not only from the folder the program was started in.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    session.stream.sourcePath = error ? file : absolute.string();
    openAndShow(session, host);
  }
  host.rebuildRecentMenu();
  host.rebuildRangeMenu();
}

}  // namespace quillane
