#include <gtest/gtest.h>

#include <vector>

#include "edit/edit_model.h"
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

  Window() { EXPECT_TRUE(test::openInSession(session, test::dataPath("ffmpeg_cbr.mp3"))); }
  void run(int id) { dispatchCommand(session, host, id); }
  int64_t cursor() const { return session.stream.cursor; }
  void placeCursor(int64_t frame) { seekPlayback(session, frame * kFrame); }
};

TEST(NavigationCommand, SkipsTakeTwoBytesOffTheirTarget) {
  Window w;
  w.session.settings.frameskiplo = 2;
  w.session.settings.frameskiphi = 5;
  // An average a little off the real frame length, as in VBR files: without the
  // 2 bytes the back step would land 1 byte past frame 8 and find frame 9.
  w.session.stream.avgFrameSize = 575.5f;
  w.placeCursor(10);
  w.run(cmd::kSkipBackSmall);  // 5760 - 1151 - 2 = 4607
  EXPECT_EQ(w.cursor(), 8 * kFrame);
  EXPECT_EQ(w.host.lastRefresh(), 2);

  w.session.stream.avgFrameSize = 576.5f;  // forward: 5760 + 1153 - 2 = 6911
  w.placeCursor(10);
  w.run(cmd::kSkipForwardSmall);
  EXPECT_EQ(w.cursor(), 12 * kFrame);

  w.session.stream.avgFrameSize = 576.0f;
  w.placeCursor(10);
  w.run(cmd::kSkipForwardLarge);
  EXPECT_EQ(w.cursor(), 15 * kFrame);
  w.run(cmd::kSkipBackLarge);
  EXPECT_EQ(w.cursor(), 10 * kFrame);
  w.run(cmd::kSkipBackLarge);
  EXPECT_EQ(w.cursor(), 5 * kFrame);
  w.run(cmd::kSkipBackLarge);  // 2880 - 2880 - 2: before the audio, so its start
  EXPECT_EQ(w.cursor(), 0);
}

TEST(NavigationCommand, RightAtTheEndAndEndAndHome) {
  Window w;
  const int64_t audioEnd = w.session.stream.audioEnd;
  ASSERT_EQ(audioEnd, 126 * kFrame);
  w.session.settings.frameskiplo = 2;
  w.session.stream.cursor = 124 * kFrame;  // exactly two frames before the end
  w.run(cmd::kSkipForwardSmall);
  EXPECT_EQ(w.cursor(), audioEnd);
  w.run(cmd::kRewind);
  EXPECT_EQ(w.cursor(), 0);
  w.run(cmd::kGoToAudioEnd);
  EXPECT_EQ(w.cursor(), audioEnd);

  Session tagged;
  test::ScriptedShellHost host(tagged);
  ASSERT_TRUE(test::openInSession(tagged, test::dataPath("cbr128_info.mp3")));
  tagged.stream.cursor = 20000;
  dispatchCommand(tagged, host, cmd::kRewind);  // the audio starts after the Info frame
  EXPECT_EQ(tagged.stream.cursor, 417);
}

TEST(NavigationCommand, ShiftArrowsStepOneFrame) {
  Window w;
  w.placeCursor(10);
  w.run(cmd::kFrameBack);  // 1.5 frames back, then forward to the frame start
  EXPECT_EQ(w.cursor(), 9 * kFrame);
  w.run(cmd::kFrameForward);  // the current frame's length less 2 bytes
  w.run(cmd::kFrameForward);
  EXPECT_EQ(w.cursor(), 11 * kFrame);
  EXPECT_EQ(w.host.refreshes.size(), 3u);

  w.run(cmd::kRewind);
  w.run(cmd::kFrameBack);
  EXPECT_EQ(w.cursor(), 0);

  // While playing the frame steps do nothing at all.
  w.placeCursor(10);
  w.session.playing = true;
  w.session.playPosition = 10 * kFrame;
  const size_t refreshes = w.host.refreshes.size();
  w.run(cmd::kFrameBack);
  w.run(cmd::kFrameForward);
  EXPECT_EQ(w.cursor(), 10 * kFrame);
  EXPECT_EQ(w.host.refreshes.size(), refreshes);
}

// Shift+Right walks every frame up to the last and then to the end of the audio;
// End and then Shift+Left lands on the last frame. (In a variable bit rate file
// whose last frame is shorter than the one before it, that frame lies within the
// frame length of the current header from the end, where findFrame answers with
// audioEnd; such files are not among these.)
TEST(NavigationCommand, ShiftArrowsReachTheLastFrame) {
  for (const char* name : {"ffmpeg_cbr.mp3", "cbr128_info.mp3", "id3v1.mp3", "mpeg25_8k.mp3", "layer2_mpeg1.mp2",
                           "click_30ms.mp3"}) {
    SCOPED_TRACE(name);
    Session session;
    test::ScriptedShellHost host(session);
    ASSERT_TRUE(test::openInSession(session, test::dataPath(name)));
    const auto frames = test::demuxedFrames(test::dataPath(name));
    std::vector<int64_t> visited{session.stream.cursor};
    for (size_t step = 0; step < frames.size() + 5; ++step) {
      dispatchCommand(session, host, cmd::kFrameForward);
      if (session.stream.cursor == visited.back()) break;  // stuck
      visited.push_back(session.stream.cursor);
    }
    std::vector<int64_t> expected;
    for (const auto& f : frames)
      if (f.pos >= session.stream.audioStart) expected.push_back(f.pos);
    expected.push_back(session.stream.audioEnd);
    EXPECT_EQ(visited, expected);

    // Back steps go 1.5 average frames back: with frames of one length that is the frame before.
    if (session.stream.vbrMode != 0) continue;
    dispatchCommand(session, host, cmd::kGoToAudioEnd);
    dispatchCommand(session, host, cmd::kFrameBack);
    EXPECT_EQ(session.stream.cursor, frames.back().pos);
    dispatchCommand(session, host, cmd::kFrameBack);
    EXPECT_EQ(session.stream.cursor, frames[frames.size() - 2].pos);
  }
}

TEST(NavigationCommand, UpAndDownGoToTheSelectionElseTheCurrentRange) {
  Window w;
  EditRangeTable& edits = w.session.edits;
  w.placeCursor(50);
  w.run(cmd::kGoToBegin);  // nothing to go to
  w.run(cmd::kGoToEnd);
  EXPECT_EQ(w.cursor(), 50 * kFrame);
  EXPECT_EQ(w.host.lastRefresh(), 2);

  edits.selection.beg = 20 * kFrame;
  edits.selection.end = 30 * kFrame;
  ASSERT_TRUE(addRangeFromSelection(edits, w.session.selectionUndo, false));
  w.run(cmd::kGoToBegin);
  EXPECT_EQ(w.cursor(), 20 * kFrame);
  w.run(cmd::kGoToEnd);
  EXPECT_EQ(w.cursor(), 30 * kFrame);

  edits.selection.beg = 5 * kFrame;
  edits.selection.end = 7 * kFrame;
  w.run(cmd::kGoToEnd);
  EXPECT_EQ(w.cursor(), 7 * kFrame);
  w.run(cmd::kGoToBegin);
  EXPECT_EQ(w.cursor(), 5 * kFrame);
}

TEST(NavigationCommand, RangesAndListItems) {
  Window w;
  EditRangeTable& edits = w.session.edits;
  for (int64_t beg : {40, 10, 70}) {
    edits.selection.beg = edits.selection.end = beg * kFrame;
    ASSERT_TRUE(addRangeFromSelection(edits, w.session.selectionUndo, false));
  }
  ASSERT_EQ(edits.currentRange, 2);  // the one at frame 70
  w.run(cmd::kPreviousRange);
  EXPECT_EQ(w.cursor(), 40 * kFrame);
  w.run(cmd::kPreviousRange);
  w.run(cmd::kPreviousRange);  // not below the first
  EXPECT_EQ(edits.currentRange, 0);
  EXPECT_EQ(w.cursor(), 10 * kFrame);
  w.run(cmd::kNextRange);
  w.run(cmd::kNextRange);
  w.run(cmd::kNextRange);  // not past the last
  EXPECT_EQ(edits.currentRange, 2);
  EXPECT_EQ(w.cursor(), 70 * kFrame);

  w.run(cmd::kRangeMenuBase + 1);
  EXPECT_EQ(edits.currentRange, 1);
  EXPECT_EQ(w.cursor(), 40 * kFrame);
  const size_t refreshes = w.host.refreshes.size();
  w.run(cmd::kRangeMenuBase + 3);  // no such range
  EXPECT_EQ(edits.currentRange, 1);
  EXPECT_EQ(w.host.refreshes.size(), refreshes);
}

TEST(NavigationCommand, ZoomStaysWithinOneToEight) {
  Window w;
  ASSERT_EQ(w.session.settings.zoomlevel, 4);
  w.run(cmd::kZoomIn);
  w.run(cmd::kZoomIn);
  EXPECT_EQ(w.session.settings.zoomlevel, 8);
  for (int expected : {4, 2, 1, 1}) {
    w.run(cmd::kZoomOut);
    EXPECT_EQ(w.session.settings.zoomlevel, expected);
  }
  EXPECT_EQ(w.host.geometryChanges, 6);
  EXPECT_EQ(w.host.lastRefresh(), 2);
}

TEST(NavigationCommand, FocusCommandsOnlyMoveTheFocus) {
  Window w;
  w.run(cmd::kFocusPositionField);
  w.run(cmd::kFocusSelectionField);
  EXPECT_EQ(w.host.focusRequests, (std::vector<int>{ctl::kPositionField, ctl::kSelectionField}));
  EXPECT_TRUE(w.host.refreshes.empty());
}

}  // namespace
}  // namespace quillane
