#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "session/host.h"

namespace quillane::test {

// A host whose answers are queued by the test and which records every call.
// An empty message queue answers with the box's default; an empty dialog queue
// cancels. Queue std::nullopt to cancel one particular dialog.
class ScriptedHost : public Host {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
    MessageAnswer defaultAnswer;
  };
  enum class DialogKind { Open, Save };
  struct Dialog {
    DialogKind kind;
    FileDialogRequest request;
    std::string initialPath;  // what path held when the dialog was shown
  };

  std::deque<MessageAnswer> messageAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;

  std::vector<Message> messages;
  std::vector<Dialog> dialogs;
  int beeps = 0;

  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons, MessageAnswer defaultAnswer) override {
    messages.push_back({text, caption, icon, buttons, defaultAnswer});
    if (messageAnswers.empty()) return defaultAnswer;
    const MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }
  bool openFileDialog(const FileDialogRequest& request, std::string& path) override {
    return answer(DialogKind::Open, openAnswers, request, path);
  }
  bool saveFileDialog(const FileDialogRequest& request, std::string& path) override {
    return answer(DialogKind::Save, saveAnswers, request, path);
  }
  void beep() override { ++beeps; }

 private:
  bool answer(DialogKind kind, std::deque<std::optional<std::string>>& queue, const FileDialogRequest& request,
              std::string& path) {
    dialogs.push_back({kind, request, path});
    if (queue.empty()) return false;
    const std::optional<std::string> chosen = queue.front();
    queue.pop_front();
    if (!chosen) return false;
    path = *chosen;
    return true;
  }
};

}  // namespace quillane::test
