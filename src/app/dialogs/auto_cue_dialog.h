#pragma once

#include <QDialog>

#include "session/session.h"
#include "shell/shell_host.h"

class QLineEdit;
class QWidget;

namespace quillane {

// Dialog 404, Auto Cue: a cue every M:SS over the whole audio.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runAutoCueDialog(Session& session, ShellHost& host, QWidget* parent);

// The dialog itself. OK with a text that holds no ':' leaves it open, with the text
// selected for retyping; Cancel, Escape and the close box change nothing.
class AutoCueDialog : public QDialog {
  Q_OBJECT
 public:
  AutoCueDialog(Session& session, ShellHost& host, QWidget* parent);

  void accept() override;

 private:
  Session& session_;
  ShellHost& host_;
  QLineEdit* interval_ = nullptr;
};

}  // namespace quillane
