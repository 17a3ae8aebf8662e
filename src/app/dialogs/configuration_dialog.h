#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "app/dialogs/config_encoder_page.h"
#include "app/dialogs/config_misc_page.h"
#include "session/session.h"
#include "shell/shell_host.h"

class QTabWidget;

namespace quillane {

class OperationPage;

// Dialog 300, Configuration: the tabs "Devices", "Encoder [F12]", "Operation"
// and "Misc" in that order, opened on session.configTab. The pages change the
// settings at once; closing remembers the open tab in session.configTab.
class ConfigurationDialog : public QDialog {
  Q_OBJECT
 public:
  ConfigurationDialog(Session& session, ShellHost& host, const std::vector<std::filesystem::path>& languageFolders,
                      ColourChooser chooser, QWidget* parent, EncoderServices encoders = {});

  void done(int result) override;

  QTabWidget* tabs() const { return tabs_; }
  // A language was chosen and the restart accepted: the caller restarts the
  // program once the dialog has closed.
  bool restartRequested() const { return restartRequested_; }

 private:
  Session& session_;
  QTabWidget* tabs_ = nullptr;
  OperationPage* operation_ = nullptr;
  int previousTab_ = -1;
  bool restartRequested_ = false;
};

// Tab indices, in the order the tabs are shown.
constexpr int kDevicesTab = 0;
constexpr int kEncoderTab = 1;
constexpr int kOperationTab = 2;
constexpr int kMiscTab = 3;

// Runs dialog 300 modally over parent and returns 0. When the user asked for a
// restart in another language and parent is the main window, the window then
// restarts the program.
int runConfigurationDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
