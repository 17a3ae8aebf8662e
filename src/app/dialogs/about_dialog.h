#pragma once

#include <QDialog>
#include <cstddef>
#include <filesystem>

#include "session/session.h"
#include "shell/shell_host.h"

class QPlainTextEdit;

namespace quillane {

// Dialog 401, About: the name, version and licence of the program, the
// translation's line when a language file is loaded, and buttons that show the
// change history and the licence from the data folder and open the Manual
// (the program has no web page of its own).
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  AboutDialog(Session& session, ShellHost& host, const std::filesystem::path& dataFolder, QWidget* parent);

 private:
  // Shows the first `limit` bytes of a document of the data folder; a file that
  // can't be read leaves the text and says so below it.
  void showDocument(const char* fileName, size_t limit);

  Session& session_;
  ShellHost& host_;
  std::filesystem::path dataFolder_;
  QPlainTextEdit* text_ = nullptr;
};

// Runs dialog 401 modally over parent: 0 (the box has only "OK").
int runAboutDialog(Session& session, ShellHost& host, QWidget* parent);

}  // namespace quillane
