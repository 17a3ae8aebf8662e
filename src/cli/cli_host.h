#pragma once

#include <string>
#include <vector>

#include "session/host.h"

namespace quillane::cli {

// The command line's host: messages go to stderr as "caption: text"; questions take
// their default answer, or Yes when the command line already said so; the save
// dialog answers with the path given on the command line.
class CliHost : public Host {
 public:
  bool answerYes = false;   // questions are answered Yes (the user gave --force)
  std::string savePath;     // what the save-file dialog "chooses"
  std::vector<std::string>* capture = nullptr;  // when set, messages are kept here instead of printed

  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons, MessageAnswer defaultAnswer) override;
  bool openFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  bool saveFileDialog(const FileDialogRequest&, std::string& path) override {
    if (savePath.empty()) return false;
    path = savePath;
    return true;
  }
  void beep() override {}

  // The last message shown, for the command's one-line failure.
  std::string lastMessage;
};

}  // namespace quillane::cli
