#include "app/dialogs/dialog_runner.h"

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/auto_cue_dialog.h"
#include "app/dialogs/configuration_dialog.h"
#include "app/dialogs/file_info_dialog.h"
#include "app/dialogs/gain_dialog.h"
#include "app/dialogs/names_dialog.h"
#include "app/dialogs/normalize_dialog.h"
#include "app/dialogs/pause_detection_dialog.h"
#include "app/dialogs/split_dialog.h"
#include "app/saving_dialog.h"
#include "session/command_ids.h"

namespace quillane {
namespace {

using DialogRun = int (*)(Session&, ShellHost&, QWidget*);

int runSavingDialog(Session& session, ShellHost& host, QWidget* parent) {
  return SavingDialog(session, host, parent).run();
}

struct WindowDialog {
  int id;
  DialogRun run;
};

constexpr WindowDialog kDialogs[] = {
    {dlg::kConfiguration, runConfigurationDialog},
    {dlg::kSaving, runSavingDialog},
    {dlg::kAbout, runAboutDialog},
    {dlg::kFileInfo, runFileInfoDialog},
    {dlg::kNames, runNamesDialog},
    {dlg::kAutoCue, runAutoCueDialog},
    {dlg::kGain, runGainDialog},
    {dlg::kNormalize, runNormalizeDialog},
    {dlg::kPauseDetection, runPauseDetectionDialog},
    {dlg::kSplit, runSplitDialog},
};

const WindowDialog* find(int dialogId) {
  for (const WindowDialog& dialog : kDialogs)
    if (dialog.id == dialogId) return &dialog;
  return nullptr;
}

}  // namespace

int runWindowDialog(int dialogId, Session& session, ShellHost& host, QWidget* parent) {
  const WindowDialog* dialog = find(dialogId);
  return dialog ? dialog->run(session, host, parent) : 1;
}

bool hasWindowDialog(int dialogId) { return find(dialogId) != nullptr; }

}  // namespace quillane
