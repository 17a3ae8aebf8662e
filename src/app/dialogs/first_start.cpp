#include "app/dialogs/first_start.h"

#include "app/dialogs/configuration_dialog.h"
#include "session/command_ids.h"
#include "settings/language_list.h"

namespace quillane {

void showFirstStartDialogs(Session& session, ShellHost& host,
                           const std::vector<std::filesystem::path>& languageFolders) {
  if (!aboutDueAtStart(session.settings)) return;
  host.runDialog(dlg::kAbout);
  if (!languageQuestionDueAtStart(session.settings, languageFolders)) return;
  host.messageBox("First start. Please choose a language...", "Quillane", MessageIcon::Information,
                  MessageButtons::Ok, MessageAnswer::Ok);
  session.configTab = kOperationTab;
  host.runDialog(dlg::kConfiguration);
}

}  // namespace quillane
