#include "shell/graph_wheel.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "session/command_ids.h"
#include "shell/dispatch_command.h"

namespace quillane {

int WheelNotches::add(int turn) {
  if ((turn > 0 && kept_ < 0) || (turn < 0 && kept_ > 0)) kept_ = 0;
  const int64_t total = static_cast<int64_t>(kept_) + turn;
  const int64_t notches = total / kWheelNotch;  // toward zero: the rest keeps the sign
  kept_ = static_cast<int>(total - notches * kWheelNotch);
  return static_cast<int>(notches);
}

void graphWheel(Session& session, ShellHost& host, int notches, bool shift, bool ctrl) {
  if (notches == 0) return;
  const bool up = notches > 0;
  int id;
  if (ctrl)
    id = up ? cmd::kZoomIn : cmd::kZoomOut;
  else if (shift)
    id = up ? cmd::kSkipBackLarge : cmd::kSkipForwardLarge;
  else
    id = up ? cmd::kSkipBackSmall : cmd::kSkipForwardSmall;
  const int count = std::abs(std::clamp(notches, -kMostWheelNotches, kMostWheelNotches));
  for (int i = 0; i < count; ++i) dispatchCommand(session, host, id);
}

}  // namespace quillane
