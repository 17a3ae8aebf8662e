#pragma once

#include <QDialog>

#include "edit/names_dialog_model.h"
#include "session/session.h"
#include "shell/shell_host.h"

class QLineEdit;
class QWidget;

namespace quillane {

// Dialog 403: the artist and title of the current range or of the cue sheet.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runNamesDialog(Session& session, ShellHost& host, QWidget* parent);

// The dialog itself: OK stores the two fields as the names; OK, Cancel, Escape and
// the close box all end the same way (the first range current after the sheet's
// names, the window refreshed).
class NamesDialogBox : public QDialog {
  Q_OBJECT
 public:
  NamesDialogBox(Session& session, ShellHost& host, QWidget* parent);

  void done(int result) override;

 private:
  Session& session_;
  ShellHost& host_;
  NamesDialog model_;
  QLineEdit* artist_ = nullptr;
  QLineEdit* title_ = nullptr;
};

}  // namespace quillane
