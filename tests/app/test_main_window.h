#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/test_files.h"

namespace quillane::test {

// The main window with its message boxes and file dialogs scripted: boxes are
// recorded and answered with `answer` (or their default), the open dialog
// returns `openPath` when it is set.
class TestMainWindow : public MainWindow {
 public:
  explicit TestMainWindow(Session& session) : MainWindow(session) {}

  std::vector<std::string> messages;
  std::optional<MessageAnswer> answer;
  std::string openPath;

  MessageAnswer messageBox(const std::string& text, const std::string&, MessageIcon, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    messages.push_back(text);
    return answer.value_or(defaultAnswer);
  }
  bool openFileDialog(const FileDialogRequest&, std::string& path) override {
    if (openPath.empty()) return false;
    path = openPath;
    return true;
  }
  bool saveFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  void beep() override {}
};

// A session whose settings file lives in its own temporary folder, and a started
// window on it with the keyboard focus in the window.
struct StartedWindow {
  TempDir dir;
  Session session;
  std::unique_ptr<TestMainWindow> window;

  explicit StartedWindow(const std::string& commandLineFile = {}) {
    session.settingsFile = dir / "quillane.ini";
    window = std::make_unique<TestMainWindow>(session);
    window->start(commandLineFile);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) ADD_FAILURE() << "the window did not become active";
  }

  // A copy of the test file `name` in the folder, to open.
  std::string copyOf(const std::string& name) {
    const std::filesystem::path copy = dir / name;
    std::filesystem::copy_file(dataPath(name), copy);
    return copy.string();
  }
};

}  // namespace quillane::test
