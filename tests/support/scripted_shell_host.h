#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "session/session.h"
#include "shell/shell_host.h"
#include "support/scripted_host.h"

namespace quillane::test {

// A main window for the dispatcher's tests: message boxes and file dialogs are
// scripted as in ScriptedHost, and everything else the dispatcher asks of the
// window is recorded. The "Saving data..." dialog runs the save job to its end
// (or as dialogHandlers says); other dialogs return their queued results.
class ScriptedShellHost : public ShellHost {
 public:
  explicit ScriptedShellHost(Session& session) : session_(session) {}

  ScriptedHost scripted;  // answers and records messages and file dialogs

  std::vector<int> refreshes;           // levels, in order
  int rangeMenuRebuilds = 0;
  int recentMenuRebuilds = 0;
  std::vector<int> dialogsRun;          // dialog ids, in order
  std::set<int> unavailableDialogs;     // dialogAvailable answers false for these
  // Per dialog id: what runDialog does (and returns) instead of the default.
  std::map<int, std::function<int()>> dialogHandlers;
  std::map<int, int> timers;            // running timers: id -> milliseconds
  std::map<int, bool> pressedButtons;
  std::map<int, std::string> buttonTexts;
  std::vector<int> focusRequests;
  int closeRequests = 0;
  int geometryChanges = 0;
  std::vector<std::string> editorsStarted;
  std::vector<std::string> fatalErrors;  // "caption: text"; the program is not ended
  std::vector<std::string> documentsOpened;
  bool editorStarts = true;
  // Stands in for the user's work in the text editor; runs when an editor starts.
  std::function<void(const std::string&)> editor;

  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons, MessageAnswer defaultAnswer) override {
    return scripted.messageBox(text, caption, icon, buttons, defaultAnswer);
  }
  bool openFileDialog(const FileDialogRequest& request, std::string& path) override {
    return scripted.openFileDialog(request, path);
  }
  bool saveFileDialog(const FileDialogRequest& request, std::string& path) override {
    return scripted.saveFileDialog(request, path);
  }
  void beep() override { scripted.beep(); }

  void refreshView(int level) override { refreshes.push_back(level); }
  void rebuildRangeMenu() override { ++rangeMenuRebuilds; }
  void rebuildRecentMenu() override { ++recentMenuRebuilds; }
  int runDialog(int dialogId) override;  // scripted_shell_host.cpp
  bool dialogAvailable(int dialogId) const override { return !unavailableDialogs.count(dialogId); }
  void startTimer(int timerId, int milliseconds) override { timers[timerId] = milliseconds; }
  void stopTimer(int timerId) override { timers.erase(timerId); }
  void setButtonPressed(int controlId, bool pressed) override { pressedButtons[controlId] = pressed; }
  void setButtonText(int controlId, const std::string& text) override { buttonTexts[controlId] = text; }
  void fatalError(const std::string& text, const std::string& caption) override {
    fatalErrors.push_back(caption + ": " + text);
  }
  void focusControl(int controlId) override { focusRequests.push_back(controlId); }
  void requestClose() override { ++closeRequests; }
  void graphGeometryChanged() override { ++geometryChanges; }
  bool startTextEditor(const std::string& path) override {
    editorsStarted.push_back(path);
    if (editorStarts && editor) editor(path);
    return editorStarts;
  }
  bool openDocument(const std::string& path) override {
    documentsOpened.push_back(path);
    return true;
  }

  // Shorthands for the recorded messages.
  const std::vector<ScriptedHost::Message>& messages() const { return scripted.messages; }
  int lastRefresh() const { return refreshes.empty() ? -100 : refreshes.back(); }

 private:
  Session& session_;
};

}  // namespace quillane::test
