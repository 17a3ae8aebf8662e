#pragma once

#include <QDialog>
#include <array>

#include "save/file_facts.h"
#include "save/source_id3v2.h"
#include "session/session.h"
#include "shell/shell_host.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quillane {

// Dialog 402, File info: what the scan found about the open file, the bytes
// before its first frame, the ID3v1 tag that a save appends and the main fields
// of the ID3v2 tag a save writes ahead of the audio. "Write Xing header..."
// changes write_xing at once; "OK" stores keep_id3v2, hasId3v1, the ID3v1 tag
// and the ID3v2 fields; "Cancel" and the close box leave the tags as they were.
class FileInfoDialog : public QDialog {
  Q_OBJECT
 public:
  FileInfoDialog(Session& session, ShellHost& host, QWidget* parent);

  void accept() override;
  void done(int result) override;

  // The dialog's fields as "OK" would store them.
  Id3v1Fields fields() const;
  Id3v2MainFields id3v2Fields() const;

 private:
  // The fields of a tag in a grid: title, artist and album a row each, then year,
  // track and genre in one row, then the comment; the labels numbered `labelIds`
  // in that order.
  QGridLayout* tagFieldGrid(QWidget* box, const std::array<QLineEdit*, 7>& edits, const std::array<int, 7>& labelIds);
  QWidget* buildTagBox();
  QWidget* buildId3v2Box();
  void showId3v2(const Id3v2Reading& reading);
  void enableId3v2Fields();
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
  QLabel* id3v2Problem_ = nullptr;
  std::array<QLineEdit*, 7> id3v2Edits_{};  // title, artist, album, year, track, genre, comment
  bool id3v2Editable_ = true;
  QCheckBox* keepId3v2_ = nullptr;
  QCheckBox* writeXing_ = nullptr;
  QPlainTextEdit* leadingData_ = nullptr;
  QLabel* facts_ = nullptr;
  QTimer* factsTimer_ = nullptr;
};

// Runs dialog 402 modally over parent: 0 for OK, 1 for Cancel.
int runFileInfoDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
