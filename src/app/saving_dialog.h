#pragma once

#include <QDialog>

#include "session/host.h"
#include "session/session.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillane {

class SaveJob;

// Dialog 400, "Saving data...": runs one SaveJob in slices between user-interface
// events, with its progress bar (control 617), the report (661) and the button
// (612) that reads "&Cancel" while saving and "&Close" when the save ended with
// a warning worth reading and holdOnWarnings is on.
class SavingDialog : public QDialog {
  Q_OBJECT
 public:
  SavingDialog(Session& session, Host& host, QWidget* parent);
  ~SavingDialog() override;

  // Runs the save modally. 0 when the save ran to its end, 1 when the
  // destination could not be opened or the user cancelled.
  int run();

 private:
  void step();
  void buttonPressed();
  void reject() override;  // closing the window is the button

  Session& session_;
  Host& host_;
  SaveJob* job_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* button_ = nullptr;
  QLabel* report_ = nullptr;
  QTimer* timer_ = nullptr;
  int result_ = 1;
};

}  // namespace quillane
