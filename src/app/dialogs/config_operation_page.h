#pragma once

#include <QWidget>
#include <filesystem>
#include <vector>

#include "session/session.h"
#include "shell/shell_host.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace quillane {

// Page 313 "Operation": the two navigation steps, the mouse selection method and
// the language. The steps are stored when the page is left (storeSteps); a
// language chosen in the list is stored at once and the program offers to
// restart in it (restartRequested on "Yes").
class OperationPage : public QWidget {
  Q_OBJECT
 public:
  OperationPage(Session& session, ShellHost& host, const std::vector<std::filesystem::path>& languageFolders,
                QWidget* parent);

  // frameskiplo and frameskiphi from the two boxes, held within their limits.
  void storeSteps();
 signals:
  // The user chose a language and answered "Yes" to "Restart program?".
  void restartRequested();

 private:
  void chooseListedLanguage(int index);
  void showMouseMethod();

  Session& session_;
  ShellHost& host_;
  QLineEdit* smallStep_ = nullptr;
  QLineEdit* largeStep_ = nullptr;
  QRadioButton* beginEndMethod_ = nullptr;
  QRadioButton* dragMethod_ = nullptr;
  QComboBox* languages_ = nullptr;
};

}  // namespace quillane
