#pragma once

#include <string>
#include <vector>

namespace quillane {

enum class MessageIcon { None, Error, Warning, Question, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One entry of a file dialog's type list: "MP3 files (*.mp3)" with "*.mp3".
struct FileFilter {
  std::string description;
  std::string pattern;  // patterns separated by ';'
};

struct FileDialogRequest {
  std::string title;
  std::vector<FileFilter> filters;
  std::string initialPath;     // file or folder to start in
  bool overwritePrompt = false;
  // Save dialogs: a name typed without an extension gets the one of the chosen
  // type ("name" with "Cue Sheet (*.cue)" chosen becomes "name.cue"), before the
  // overwrite question sees it.
  bool extensionFromType = false;
  bool mustExist = false;      // open dialogs: the file must exist
};

// How the engines and the command dispatcher talk to the user. The Qt window
// implements it with real dialogs; tests and the command line script it.
class Host {
 public:
  virtual ~Host() = default;
  virtual MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                   MessageButtons buttons, MessageAnswer defaultAnswer) = 0;
  // Returns false when the user cancelled; otherwise path holds the chosen file.
  virtual bool openFileDialog(const FileDialogRequest& request, std::string& path) = 0;
  virtual bool saveFileDialog(const FileDialogRequest& request, std::string& path) = 0;
  virtual void beep() = 0;
};

// A host that answers every question with its default and shows nothing; what it
// was asked is kept for inspection.
class SilentHost : public Host {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
  };
  std::vector<Message> messages;
  int beeps = 0;

  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    messages.push_back({text, caption, icon});
    return defaultAnswer;
  }
  bool openFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  bool saveFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  void beep() override { ++beeps; }
};

}  // namespace quillane
