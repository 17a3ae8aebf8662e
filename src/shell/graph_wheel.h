#pragma once

#include "session/session.h"
#include "shell/shell_host.h"

namespace quillane {

// A wheel's turn is counted in eighths of a degree; one notch of a common wheel
// is 15 degrees.
constexpr int kWheelNotch = 120;

// Whole notches out of a wheel's turns. High-resolution wheels and touchpads
// report parts of a notch: they are kept until they add up to a whole one. A turn
// the other way drops what was kept of the last one.
class WheelNotches {
 public:
  // The whole notches that `turn` (eighths of a degree, positive away from the
  // user) completes, with the same sign.
  int add(int turn);

 private:
  int kept_ = 0;  // less than one notch
};

// Most notches one wheel event carries out; a larger turn counts as this many.
constexpr int kMostWheelNotches = 20;

// The wheel turned on the graph by `notches` (positive: away from the user, up).
// Each notch runs the command of a key, as that key would: down moves the cursor
// forward by the small step (the frameskiplo setting, Right), up back by it
// (Left); with Shift by the large step (frameskiphi, Page Down and Page Up); with
// Ctrl a notch up zooms in (I), a notch down out (O). Ctrl wins over Shift.
void graphWheel(Session& session, ShellHost& host, int notches, bool shift, bool ctrl);

}  // namespace quillane
