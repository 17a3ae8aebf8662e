#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "audio/output_device.h"
#include "audio/playback_host.h"
#include "support/scripted_host.h"

namespace quillane::test {

// An output device that plays nothing: it records what it is asked to do and
// hands buffers back only when the test says so, the way a real device's event
// loop delivers its notices. Queued buffers come back in the order written;
// reset() turns every queued buffer into a pending notice (delivered by
// returnNext like the others) and close() forgets queued buffers and pending
// notices alike.
class ScriptedOutputDevice : public OutputDevice {
 public:
  struct Open {
    PcmFormat format;
    int number = 0;
  };
  struct Write {
    int index = 0;
    uint32_t length = 0;
    std::vector<uint8_t> bytes;  // a copy taken when the buffer was written
  };

  std::vector<std::string> names{"Built-in Audio Analog Stereo"};
  bool failOpen = false;
  // Runs after every write is recorded (with the write's number in `writes`).
  std::function<void(int writeNumber)> onWrite;

  std::vector<Open> opens;
  std::vector<Write> writes;
  int resets = 0;
  int closes = 0;

  std::vector<std::string> outputNames() const override { return names; }
  bool open(const PcmFormat& format, int number, DoneHandler done) override;
  void write(int bufferIndex, const uint8_t* data, uint32_t length) override;
  void reset() override;
  void close() override;
  bool isOpen() const override { return open_; }

  // Delivers the oldest pending notice, or else returns the oldest queued buffer;
  // false when there is neither.
  bool returnNext();
  // Hands back everything queued and pending, including what the handlers queue
  // meanwhile, up to `limit` notices; returns how many were delivered.
  int returnAll(int limit = 100000);
  // Buffer indices written and not yet handed back, oldest first.
  const std::deque<int>& queued() const { return queued_; }
  const std::deque<int>& pending() const { return pending_; }

 private:
  bool open_ = false;
  DoneHandler done_;
  std::deque<int> queued_;
  std::deque<int> pending_;
};

// The window side of playback for tests: messages are answered as ScriptedHost
// does, timers, buttons and their texts are recorded.
class ScriptedPlaybackHost : public PlaybackHost {
 public:
  ScriptedHost scripted;
  std::map<int, int> timers;  // running timers: id -> milliseconds
  std::vector<int> timersStopped;
  std::map<int, bool> pressedButtons;
  std::map<int, std::string> buttonTexts;

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
  void startTimer(int timerId, int milliseconds) override { timers[timerId] = milliseconds; }
  void stopTimer(int timerId) override {
    timers.erase(timerId);
    timersStopped.push_back(timerId);
  }
  void setButtonPressed(int controlId, bool pressed) override { pressedButtons[controlId] = pressed; }
  void setButtonText(int controlId, const std::string& text) override { buttonTexts[controlId] = text; }
  // Kept as "caption: text"; the program is not ended.
  void fatalError(const std::string& text, const std::string& caption) override {
    fatalErrors.push_back(caption + ": " + text);
  }
  std::vector<std::string> fatalErrors;

  const std::vector<ScriptedHost::Message>& messages() const { return scripted.messages; }
  bool pressed(int controlId) const {
    const auto it = pressedButtons.find(controlId);
    return it != pressedButtons.end() && it->second;
  }
  std::string text(int controlId) const {
    const auto it = buttonTexts.find(controlId);
    return it == buttonTexts.end() ? std::string() : it->second;
  }
};

}  // namespace quillane::test
