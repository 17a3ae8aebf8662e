#include "audio/session_reset.h"
#include "edit/edit_model.h"
#include "edit/project_save.h"
#include "save/save_preparation.h"
#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "shell/command_stages.h"
#include "shell/dispatch_command.h"
#include "shell/file_opening.h"
#include "stream/open_stream.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

void refuse(Session& session, Host& host, int textId) {
  host.messageBox(uiText(session.text, textId), uiText(session.text, ui::kMsgNotPossible), MessageIcon::Error,
                  MessageButtons::Ok, MessageAnswer::Ok);
}

// A finished save may have added its target to the recent list and cleared the
// modified mark; a save over the source closed the file.
void showSaved(Session& session, ShellHost& host) {
  host.rebuildRangeMenu();
  host.rebuildRecentMenu();
  host.refreshView(session.stream.isOpen() ? kRefreshAll : kRefreshClear);
}

// A save reads the source through the same stream record (current header,
// selection, prelisten mode) that playback reads: playback stops first, as the
// Stop command would stop it.
void stopForSave(Session& session, ShellHost& host) {
  if (!session.playing) return;
  dispatchCommand(session, host, cmd::kStop);
}

// "Save all", "Save selection" and "Append": the checks and the destination
// (prepareSave), then the "Saving data..." dialog runs the save job.
void saveAudio(Session& session, ShellHost& host, SaveCommand command) {
  EditRangeTable& edits = session.edits;
  if (command == SaveCommand::Append && edits.selection.beg == edits.selection.end) {
    // An append without a selection appends the whole audio; the window shows it.
    selectAll(edits, session.stream);
    host.refreshView(kRefreshSelection);
  }
  if (!prepareSave(session, host, command)) return;  // refused or cancelled, flags cleared
  stopForSave(session, host);
  const int result = host.runDialog(dlg::kSaving);
  endSaveCommand(session);
  if (result == 0) {
    showSaved(session, host);
  } else if (!session.stream.isOpen()) {
    host.rebuildRangeMenu();
    host.refreshView(kRefreshClear);
  } else {
    host.refreshView(kRefreshAll);
  }
}

void saveProject(Session& session, ShellHost& host, bool askName) {
  if (saveProjectOrCueSheet(session, host, askName, false)) showSaved(session, host);
}

// "Save Cue sheet and edit with text editor": the sheet is written, the editor
// started on it without waiting, and the user says when the edited sheet is to be
// read back.
void editCueSheet(Session& session, ShellHost& host) {
  if (!saveProjectOrCueSheet(session, host, false, true)) return;
  showSaved(session, host);
  const std::string sheet = session.projectPath;
  if (!host.startTextEditor(sheet)) {
    // Nothing will edit the sheet, so there is nothing to reload; the user is
    // told where it is, to edit it some other way.
    host.messageBox(uiText(session.text, ui::kMsgNoTextEditor) + "\n" + sheet, uiText(session.text, ui::kMsgWarning),
                    MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
    return;
  }
  const MessageAnswer answer = host.messageBox(uiText(session.text, ui::kMsgReloadCueSheet), "Quillane",
                                               MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes);
  if (answer != MessageAnswer::Yes) return;
  stopPlayback(session);
  closeStream(session.stream);
  releaseTransportButtons(host);
  resetSession(session, ResetLevel::FileState);
  session.stream.sourcePath = sheet;
  openAndShow(session, host);
}

// The guards of the commands that drop the open file. Saving the project on the
// way puts it on the recent list, which the menu then shows.
UnsavedChoice readyToDropFile(Session& session, ShellHost& host) {
  if (!requireIdle(session, host)) return UnsavedChoice::Stop;
  const auto recentBefore = session.settings.file_recent;
  const UnsavedChoice choice = askAboutUnsaved(session, host);
  if (session.settings.file_recent != recentBefore) host.rebuildRecentMenu();
  return choice;
}

// A cancelled dialog or a refused file keeps the open file with its changes,
// the modified mark included.
void openChosenFile(Session& session, ShellHost& host) {
  const UnsavedChoice choice = readyToDropFile(session, host);
  if (choice == UnsavedChoice::Stop) return;
  std::string chosen = session.stream.sourcePath;
  if (!host.openFileDialog(openFileDialogRequest(session), chosen) || chosen.empty()) return;
  openInstead(session, host, chosen, ResetLevel::None, choice == UnsavedChoice::Discard);
}

void openRecentFile(Session& session, ShellHost& host, int entry) {
  const std::string path = session.settings.file_recent[entry];
  if (path.empty()) return;
  const UnsavedChoice choice = readyToDropFile(session, host);
  if (choice == UnsavedChoice::Stop) return;
  openInstead(session, host, path, ResetLevel::FileState, choice == UnsavedChoice::Discard);
}

}  // namespace

void runOpeningCommand(Session& session, ShellHost& host, int id) {
  if (id >= cmd::kRecentFileBase && id < cmd::kRecentFileBase + cmd::kRecentFileCount) {
    openRecentFile(session, host, id - cmd::kRecentFileBase);
    return;
  }
  switch (id) {
    case cmd::kOpen: openChosenFile(session, host); break;
    // The window's close handling asks what closing needs.
    case cmd::kQuit: host.requestClose(); break;
    default: break;
  }
}

void runFileCommand(Session& session, ShellHost& host, int id) {
  switch (id) {
    case cmd::kClose: {
      const UnsavedChoice choice = readyToDropFile(session, host);
      if (choice == UnsavedChoice::Stop) return;
      if (choice == UnsavedChoice::Discard) session.edits.modified = false;
      closeStream(session.stream);
      host.rebuildRangeMenu();
      host.refreshView(kRefreshClear);
      break;
    }
    case cmd::kSaveAll: saveAudio(session, host, SaveCommand::All); break;
    case cmd::kSaveSelection: saveAudio(session, host, SaveCommand::Selection); break;
    case cmd::kAppendTo: saveAudio(session, host, SaveCommand::Append); break;
    case cmd::kSaveSplit:
      if (session.edits.count == 0) {
        refuse(session, host, ui::kMsgNoRanges);
      } else {
        stopForSave(session, host);
        host.runDialog(dlg::kSplit);
      }
      break;
    case cmd::kSaveProject: saveProject(session, host, false); break;
    case cmd::kSaveProjectAs: saveProject(session, host, true); break;
    case cmd::kEditCueSheet: editCueSheet(session, host); break;
    default: break;
  }
}

}  // namespace quillane
