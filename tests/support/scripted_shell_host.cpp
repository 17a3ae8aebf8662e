#include "support/scripted_shell_host.h"

#include "save/save_job.h"
#include "session/command_ids.h"

namespace quillane::test {

int ScriptedShellHost::runDialog(int dialogId) {
  dialogsRun.push_back(dialogId);
  if (auto handler = dialogHandlers.find(dialogId); handler != dialogHandlers.end()) return handler->second();
  if (dialogId != dlg::kSaving) return 0;
  // The save dialog: the job's slices one after another, as the timer would run them.
  SaveJob job(session_, *this);
  if (!job.open()) return 1;
  while (!job.step()) {
  }
  return job.result() == SaveJob::Result::Finished ? 0 : 1;
}

}  // namespace quillane::test
