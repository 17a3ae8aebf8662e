#pragma once

#include <string>

#include "session/host.h"

namespace quillane {

// What the playback engine needs of the window beyond messages: the transport
// buttons of the control panel and the one-shot start timer. The main window
// implements it (through ShellHost); the command line and tests script it.
class PlaybackHost : public Host {
 public:
  virtual void startTimer(int timerId, int milliseconds) = 0;
  virtual void stopTimer(int timerId) = 0;
  // Shows a control-panel toggle button (Play, Rec, the prelisten buttons) pressed or released.
  virtual void setButtonPressed(int controlId, bool pressed) = 0;
  virtual void setButtonText(int controlId, const std::string& text) = 0;
  // The engine's state is beyond repair: shows text under caption as an error and
  // ends the program. The engine does nothing more after the call.
  virtual void fatalError(const std::string& text, const std::string& caption) = 0;
};

}  // namespace quillane
