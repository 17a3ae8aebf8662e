#include "shell/dispatch_command.h"

#include <filesystem>

#include "edit/project_save.h"
#include "session/command_ids.h"
#include "settings/settings_location.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "shell/command_stages.h"

namespace quillane {
namespace {

// The dialog that a command opens, 0 for a command without one.
int dialogOfCommand(int id) {
  switch (id) {
    case cmd::kGain: return dlg::kGain;
    case cmd::kSaveSplit: return dlg::kSplit;
    case cmd::kNormalize: return dlg::kNormalize;
    case cmd::kPauseDetection: return dlg::kPauseDetection;
    case cmd::kFileInfo: return dlg::kFileInfo;
    case cmd::kNamesForCue:
    case cmd::kNamesForCueSheet: return dlg::kNames;
    case cmd::kAutoCue: return dlg::kAutoCue;
    case cmd::kConfigure:
    case cmd::kConfigureEncoder: return dlg::kConfiguration;
    case cmd::kAbout: return dlg::kAbout;
    default: return 0;
  }
}

// Commands whose files this build does not have: the help files while they are
// not in the data folder.
bool awaitsItsEngine(int id) {
  std::error_code ec;
  switch (id) {
    case 130: return true;  // no button carries it, but it lies in the prelisten block
    case cmd::kManual: return !std::filesystem::is_regular_file(programDataFolder() / kManualFileName, ec);
    case cmd::kFaq: return !std::filesystem::is_regular_file(programDataFolder() / kFaqFileName, ec);
    default: return false;
  }
}

}  // namespace

bool commandAvailable(const Session&, const ShellHost& host, int id) {
  if (awaitsItsEngine(id)) return false;
  const int dialog = dialogOfCommand(id);
  return dialog == 0 || host.dialogAvailable(dialog);
}

void dispatchCommand(Session& session, ShellHost& host, int id, int notification) {
  if (!commandAvailable(session, host, id)) return;

  // Stage A: these work with or without a file.
  runTransportCommand(session, host, id);
  runOpeningCommand(session, host, id);
  runSettingsCommand(session, host, id);

  // Stage B: only with a file. A command of stage A may have closed or opened it,
  // so the test comes after stage A. Id 154 reaches both stages: while a recording
  // writes it sets a cue mark (no file is open then), otherwise "Set &begin".
  if (session.stream.isOpen()) {
    runNavigationCommand(session, host, id);
    runSelectionCommand(session, host, id, notification);
    runFileCommand(session, host, id);
    if (id >= cmd::kRangeMenuBase && id < cmd::kRangeMenuBase + kRangeMenuItems)
      runRangeMenuCommand(session, host, id);
  }

}

bool requireIdle(Session& session, Host& host) {
  if (audioIdle(session)) return true;
  host.messageBox(uiText(session.text, ui::kMsgStopPlayRecFirst), uiText(session.text, ui::kMsgNotPossible),
                  MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  return false;
}

UnsavedChoice askAboutUnsaved(Session& session, Host& host) {
  if (session.settings.warn == 0 || !session.edits.modified) return UnsavedChoice::Proceed;
  const MessageAnswer answer = host.messageBox(uiText(session.text, ui::kMsgSaveModifiedProject), "Quillane",
                                               MessageIcon::Question, MessageButtons::YesNoCancel,
                                               MessageAnswer::Cancel);
  switch (answer) {
    case MessageAnswer::Yes:
      return saveProjectOrCueSheet(session, host, false, false) ? UnsavedChoice::Proceed : UnsavedChoice::Stop;
    case MessageAnswer::No: return UnsavedChoice::Discard;
    default: return UnsavedChoice::Stop;
  }
}

bool confirmUnsaved(Session& session, Host& host) {
  const UnsavedChoice choice = askAboutUnsaved(session, host);
  if (choice == UnsavedChoice::Discard) session.edits.modified = false;
  return choice != UnsavedChoice::Stop;
}

}  // namespace quillane
