#include "edit/project_save.h"

#include <string>

#include "edit/cue_sheet.h"
#include "edit/edit_session.h"
#include "edit/path_text.h"
#include "edit/project_file.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

bool saveProjectOrCueSheet(EditSession& session, Host& host, bool askName, bool forceCue) {
  std::string& path = session.projectPath;
  bool derived = false;
  if (path.empty()) {
    const std::string& audio = session.stream.sourcePath;
    path = audio.substr(0, extensionStart(audio));
    derived = true;
    askName = true;
  }

  if (askName) {
    FileDialogRequest request;
    if (forceCue) {
      request.title = uiText(session.text, ui::kMenuEditCueSheet);
    } else {
      request.title = uiText(session.text, ui::kTitleSaveProject);
      request.filters.push_back({"Quillane Project (*.qlp)", "*.qlp"});
    }
    request.filters.push_back({"Cue Sheet (*.cue)", "*.cue"});
    request.initialPath = path;
    request.overwritePrompt = true;
    request.extensionFromType = true;
    std::string chosen = path;
    if (!host.saveFileDialog(request, chosen)) {
      if (derived) path.clear();
      return false;
    }
    path = chosen;
  }

  if (path.empty()) return false;
  // A name the dialog left without an extension is a project file (a cue sheet
  // for the sheet command): it is never written under a bare name.
  if (extensionStart(path) == std::string::npos) path += forceCue ? ".cue" : ".qlp";
  const std::size_t dot = extensionStart(path);
  if (forceCue && path.compare(dot, std::string::npos, ".cue") != 0) {
    path.resize(dot);
    path += ".cue";
  }

  const bool cue = path.compare(dot, std::string::npos, ".cue") == 0;
  const bool written = cue ? writeCueSheet(session) : writeProjectFile(session);
  if (!written) {
    host.messageBox(uiText(session.text, ui::kMsgCouldNotWrite) + "\n" + session.save.writeError,
                    uiText(session.text, ui::kMsgError),
                    MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  return true;
}

}  // namespace quillane
