#pragma once

#include <QDialog>

#include "save/file_facts.h"
#include "session/session.h"
#include "shell/shell_host.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quillane {

// Dialog 402, File info: what the scan found about the open file, the bytes
// before its first frame, and the ID3v1 tag that a save appends. "Write Xing
// header..." changes write_xing at once; "OK" stores keep_id3v2, hasId3v1 and
// the tag; "Cancel" and the close box leave the tag as it was.
class FileInfoDialog : public QDialog {
  Q_OBJECT
 public:
  FileInfoDialog(Session& session, ShellHost& host, QWidget* parent);

  void accept() override;
  void done(int result) override;

  // The dialog's fields as "OK" would store them.
  Id3v1Fields fields() const;

 private:
  QWidget* buildTagBox();
  QWidget* buildHeaderBox();
  QWidget* buildFactsBox();
  void showFields(const Id3v1Fields& fields);
  void enableTagFields();
  // One tick of the 200 ms timer: the facts again; the timer stops after a tick
  // without playback.
  void showFacts();

  Session& session_;
  QCheckBox* useTag_ = nullptr;
  QPushButton* namesFromCue_ = nullptr;
  QLineEdit* title_ = nullptr;
  QLineEdit* artist_ = nullptr;
  QLineEdit* album_ = nullptr;
  QLineEdit* year_ = nullptr;
  QLineEdit* track_ = nullptr;
  QLineEdit* genre_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QCheckBox* keepId3v2_ = nullptr;
  QCheckBox* writeXing_ = nullptr;
  QPlainTextEdit* leadingData_ = nullptr;
  QLabel* facts_ = nullptr;
  QTimer* factsTimer_ = nullptr;
};

// Runs dialog 402 modally over parent: 0 for OK, 1 for Cancel.
int runFileInfoDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
