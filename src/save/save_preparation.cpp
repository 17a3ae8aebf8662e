#include "save/save_preparation.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "edit/edit_session.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The chosen path names the open source: the same text without regard to letter
// case, or another name of the same file (a link, a relative path).
bool isSourcePath(const std::string& chosen, const std::string& source) {
  if (equalIgnoringCase(chosen, source)) return true;
  std::error_code ec;
  return std::filesystem::equivalent(chosen, source, ec) && !ec;
}

bool endsWithFolderSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// One type entry chosen by the layer of the current header.
FileFilter audioFilter(const FrameHeader& header) {
  if (header.layer == 2) return {"MP2 files (*.mp2)", "*.mp2"};
  if (header.layer == 3) return {"MP3 files (*.mp3)", "*.mp3"};
  return {"Unknown type (*.*)", "*.*"};
}

bool stop(EditSession& session) {
  endSaveCommand(session);
  return false;
}

}  // namespace

void endSaveCommand(EditSession& session) {
  session.save.saveSelection = false;
  session.save.appendMode = false;
}

bool prepareSave(EditSession& session, Host& host, SaveCommand command) {
  AudioStream& stream = session.stream;
  EditRangeTable& edits = session.edits;
  SaveState& save = session.save;
  if (!stream.isOpen()) return false;

  const bool append = command == SaveCommand::Append;
  const auto selectionEmpty = [&] { return !edits.hasSelection() || edits.selection.beg == edits.selection.end; };
  if (append) {
    save.appendMode = true;
    if (selectionEmpty()) {
      edits.selection.beg = stream.audioStart;
      edits.selection.end = stream.audioEnd;
    }
  }
  if (command != SaveCommand::All) {
    if (selectionEmpty()) {
      host.messageBox(uiText(session.text, ui::kMsgNoSelection), uiText(session.text, ui::kMsgNotPossible),
                      MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
      return stop(session);
    }
    save.saveSelection = true;
  }

  if (save.savePath.empty() || endsWithFolderSeparator(save.savePath)) save.savePath = stream.sourcePath;

  FileDialogRequest request;
  request.title = uiText(session.text, append ? ui::kTitleAppendTo : ui::kTitleCreateAudioFile);
  request.filters = {audioFilter(stream.currentHeader)};
  request.initialPath = save.savePath;
  request.overwritePrompt = !append;
  std::string chosen = save.savePath;
  if (!host.saveFileDialog(request, chosen) || chosen.empty()) return stop(session);
  save.savePath = chosen;

  if (isSourcePath(chosen, stream.sourcePath)) {
    const MessageAnswer answer =
        host.messageBox(uiText(session.text, ui::kMsgReplaceSource), "Quillane", MessageIcon::Question,
                        MessageButtons::YesNo, MessageAnswer::No);
    if (answer != MessageAnswer::Yes) return stop(session);
    save.savePath = stream.sourcePath + kReplaceSuffix;
  }
  if (save.savePath.empty()) return stop(session);
  return true;
}

}  // namespace quillane
