#include "shell/graph_wheel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "session/command_ids.h"
#include "shell/dispatch_command.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

// ffmpeg_cbr.mp3: 126 frames of exactly 576 bytes from offset 0, so frame n starts at 576 n.
constexpr int64_t kFrame = 576;

struct Window {
  Session session;
  test::ScriptedShellHost host{session};

  Window() {
    EXPECT_TRUE(test::openInSession(session, test::dataPath("ffmpeg_cbr.mp3")));
    session.settings.frameskiplo = 2;
    session.settings.frameskiphi = 5;
    seekPlayback(session, 60 * kFrame);
  }
  int64_t cursorFrame() const { return session.stream.cursor / kFrame; }
};

// Down (towards the user) goes later in the file, up earlier; Shift takes the
// large step; Ctrl zooms, in when turned up. Each notch is one key press: the
// same cursor, zoom, refreshes and geometry changes as the key's command run
// that many times.
TEST(GraphWheel, NotchesRunTheCommandsOfTheKeys) {
  struct Case {
    const char* what;
    int notches;
    bool shift;
    bool ctrl;
    int command;  // the key's command, run `presses` times
    int presses;
    int64_t frame;  // where the cursor ends
    int zoom;
  };
  const Case cases[] = {
      {"one notch down: the small step forward", -1, false, false, cmd::kSkipForwardSmall, 1, 62, 4},
      {"one notch up: the small step back", 1, false, false, cmd::kSkipBackSmall, 1, 58, 4},
      {"three notches down", -3, false, false, cmd::kSkipForwardSmall, 3, 66, 4},
      {"Shift, down: the large step forward", -1, true, false, cmd::kSkipForwardLarge, 1, 65, 4},
      {"Shift, two up: the large step back twice", 2, true, false, cmd::kSkipBackLarge, 2, 50, 4},
      {"Ctrl, up: zoom in", 1, false, true, cmd::kZoomIn, 1, 60, 8},
      {"Ctrl, down: zoom out", -1, false, true, cmd::kZoomOut, 1, 60, 2},
      {"Ctrl, three down: out as far as it goes", -3, false, true, cmd::kZoomOut, 3, 60, 1},
      {"Ctrl and Shift: Ctrl zooms", 1, true, true, cmd::kZoomIn, 1, 60, 8},
      {"no whole notch: nothing", 0, false, false, cmd::kSkipForwardSmall, 0, 60, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window wheel;
    graphWheel(wheel.session, wheel.host, c.notches, c.shift, c.ctrl);
    EXPECT_EQ(wheel.cursorFrame(), c.frame);
    EXPECT_EQ(wheel.session.stream.cursor % kFrame, 0);
    EXPECT_EQ(wheel.session.settings.zoomlevel, c.zoom);

    Window keys;
    for (int i = 0; i < c.presses; ++i) dispatchCommand(keys.session, keys.host, c.command);
    EXPECT_EQ(wheel.session.stream.cursor, keys.session.stream.cursor);
    EXPECT_EQ(wheel.session.settings.zoomlevel, keys.session.settings.zoomlevel);
    EXPECT_EQ(wheel.host.refreshes, keys.host.refreshes);
    EXPECT_EQ(wheel.host.geometryChanges, keys.host.geometryChanges);
  }
}

TEST(GraphWheel, AFastSpinIsHeldToTheMostNotchesOfOneEvent) {
  Window w;
  w.session.settings.frameskiplo = 1;
  w.session.stream.cursor = 0;
  graphWheel(w.session, w.host, -1000, false, false);
  EXPECT_EQ(w.cursorFrame(), kMostWheelNotches);
  EXPECT_EQ(w.host.refreshes.size(), static_cast<size_t>(kMostWheelNotches));
  graphWheel(w.session, w.host, INT_MIN, false, false);
  EXPECT_EQ(w.cursorFrame(), 2 * kMostWheelNotches);
  graphWheel(w.session, w.host, INT_MAX, false, false);
  EXPECT_EQ(w.cursorFrame(), kMostWheelNotches);
}

TEST(GraphWheel, WithoutAFileNothingHappens) {
  Session session;
  test::ScriptedShellHost host(session);
  graphWheel(session, host, -2, false, false);
  graphWheel(session, host, 1, false, true);
  EXPECT_TRUE(host.refreshes.empty());
  EXPECT_EQ(host.geometryChanges, 0);
  EXPECT_EQ(session.settings.zoomlevel, 4);
  EXPECT_TRUE(host.messages().empty());
}

// Turns in eighths of a degree: 120 is one notch of a common wheel; a
// high-resolution wheel sends parts of it, which add up.
TEST(WheelNotches, PartsOfANotchAddUpAndATurnBackDropsThem) {
  struct Case {
    const char* what;
    std::vector<int> turns;
    std::vector<int> notches;
  };
  const Case cases[] = {
      {"one notch away", {120}, {1}},
      {"one notch towards", {-120}, {-1}},
      {"two at once, and a rest kept", {250, 110}, {2, 1}},
      {"thirds of a notch", {40, 40, 40, 40}, {0, 0, 1, 0}},
      {"quarters towards", {-30, -30, -30, -30, -30}, {0, 0, 0, -1, 0}},
      {"a turn back drops the rest", {100, -100, -20}, {0, 0, -1}},
      {"and the other way", {-119, 119, 1}, {0, 0, 1}},
      {"nothing turned", {0, 0}, {0, 0}},
      {"the largest turns", {INT_MAX, INT_MIN}, {INT_MAX / 120, INT_MIN / 120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WheelNotches wheel;
    std::vector<int> got;
    for (int turn : c.turns) got.push_back(wheel.add(turn));
    EXPECT_EQ(got, c.notches);
  }
}

}  // namespace
}  // namespace quillane
