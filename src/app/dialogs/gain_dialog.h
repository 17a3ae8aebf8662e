#pragma once

#include <QDialog>

#include "edit/edit_range.h"
#include "edit/gain_dialog_model.h"
#include "session/host.h"
#include "session/session.h"
#include "shell/shell_host.h"

class QCheckBox;
class QLabel;
class QSlider;
class QWidget;

namespace quillane {

// Dialog 405, "Change volume": the gain of the selection as a range, with its two sliders, fades and lock.
// Runs it modally over parent and returns its result (0 for OK, 1 for Cancel).
int runGainDialog(Session& session, ShellHost& host, QWidget* parent);

// The dialog itself. It works on a copy of the pending record's gains: OK turns the
// selection into a gain range with them, Cancel (Escape, the close box) changes
// nothing in the model.
class GainDialog : public QDialog {
  Q_OBJECT
 public:
  GainDialog(Session& session, Host& host, QWidget* parent);

  const EditRange& working() const { return working_; }

  void accept() override;

 private:
  QSlider* makeSlider(int controlId, GainSlider which);
  void sliderAction(QSlider* slider, GainSlider which, int action);
  void showGains();

  Session& session_;
  Host& host_;
  EditRange working_;
  QSlider* begin_ = nullptr;
  QSlider* end_ = nullptr;
  QLabel* beginText_ = nullptr;
  QLabel* endText_ = nullptr;
  QCheckBox* lock_ = nullptr;
};

}  // namespace quillane
