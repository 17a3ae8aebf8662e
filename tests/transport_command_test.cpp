// Play, Stop, Space and the prelisten commands through the dispatcher, with the
// window's handling of the start timer and of the device's notices, on a real
// file decoded by the real decoder; the output device is scripted.
#include <gtest/gtest.h>

#include <algorithm>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "shell/dispatch_command.h"
#include "shell/window_input.h"
#include "support/saved_frames.h"
#include "support/scripted_output_device.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

// tone_silence_tone.mp3 (417/418-byte frames, 2 s tone, 2 s silence, 2 s tone)
// opened from a copy, with the scripted device installed as the window installs
// the real one.
struct PlayingWindow {
  test::CopiedAudio copy{"tone_silence_tone.mp3", ""};
  Session& session = copy.session;
  test::ScriptedShellHost host{session};
  test::ScriptedOutputDevice device;

  PlayingWindow() {
    session.playback.output = &device;
    session.playback.noticeHandler = [this](int index) { playbackBufferReturned(session, host, index); };
  }
  void run(int id) { dispatchCommand(session, host, id); }
  // The window's timer 1809 runs out.
  void timerRunsOut() {
    ASSERT_EQ(host.timers.count(tmr::kStartPlayback), 1u);
    playbackTimerFired(session, host);
  }
  bool pressed(int id) const {
    auto it = host.pressedButtons.find(id);
    return it != host.pressedButtons.end() && it->second;
  }
};

TEST(TransportCommands, PlayStartsAfterTheTimerAndNoticesRefreshTheView) {
  PlayingWindow w;
  w.session.settings.buffer_frm = 4;
  w.run(cmd::kPlay);
  EXPECT_TRUE(w.pressed(cmd::kPlay));
  EXPECT_EQ(w.host.timers.at(tmr::kStartPlayback), 100);
  EXPECT_EQ(w.host.buttonTexts.at(cmd::kPrelistenToEnd), ">> -");
  EXPECT_EQ(w.host.buttonTexts.at(cmd::kPrelistenFromEnd), ">> +");
  EXPECT_FALSE(w.session.playing);  // nothing before the timer

  w.timerRunsOut();
  EXPECT_EQ(w.host.timers.count(tmr::kStartPlayback), 0u);
  ASSERT_TRUE(w.session.playing);
  ASSERT_EQ(w.device.opens.size(), 1u);
  EXPECT_EQ(w.device.opens[0].number, -1);  // device_out 0: the system default
  EXPECT_EQ(w.device.writes.size(), 4u);

  // Each notice: the play position follows, the view refreshes at level 1.
  w.host.refreshes.clear();
  const int64_t before = w.session.playPosition;
  ASSERT_TRUE(w.device.returnNext());
  EXPECT_GT(w.session.playPosition, before);
  EXPECT_EQ(currentPosition(w.session), w.session.playPosition);
  ASSERT_EQ(w.host.refreshes.size(), 1u);
  EXPECT_EQ(w.host.refreshes[0], 1);

  // Space while playing is Stop: the cursor stays at the frame last played.
  const int64_t played = w.session.playPosition;
  w.run(cmd::kPlayOrStop);
  EXPECT_FALSE(w.session.playing);
  EXPECT_EQ(w.session.stream.cursor, played);
  EXPECT_FALSE(w.pressed(cmd::kPlay));
  EXPECT_EQ(w.host.buttonTexts.at(cmd::kPrelistenToEnd), "..=>I");
  EXPECT_EQ(w.host.lastRefresh(), 2);
  EXPECT_EQ(w.device.closes, 1);
  EXPECT_FALSE(w.session.playback.playActive);

  // Space when stopped is Play again.
  w.run(cmd::kPlayOrStop);
  EXPECT_TRUE(w.pressed(cmd::kPlay));
}

TEST(TransportCommands, ANoticeAfterTheCurrentRangeChangedRefreshesTheSelectionToo) {
  PlayingWindow w;
  w.session.settings.autoselect = 1;
  // A cue one second in: autoselect makes it current once the play position passes it.
  w.session.edits.selection.beg = w.session.edits.selection.end = findFrame(w.session.stream, 16000).offset;
  ASSERT_TRUE(addRangeFromSelection(w.session.edits, w.session.selectionUndo, false));
  w.session.edits.currentRange = -1;
  w.run(cmd::kPlay);
  w.timerRunsOut();
  w.host.refreshes.clear();
  // The scripted host does not run the autoselect of the refresh; stand in for it.
  w.device.onWrite = [&](int) {
    if (w.session.playPosition >= w.session.edits.ranges[0].beg) w.session.edits.currentRange = 0;
  };
  int levelTwo = 0;
  for (int i = 0; i < 200 && w.session.playing && w.device.returnNext(); ++i)
    if (w.host.lastRefresh() == 2) ++levelTwo;
  EXPECT_EQ(levelTwo, 1);  // only the notice after the range became current
}

TEST(TransportCommands, StopBeforeTheTimerCallsTheStartOff) {
  PlayingWindow w;
  w.run(cmd::kPlay);
  w.run(cmd::kStop);
  EXPECT_EQ(w.host.timers.count(tmr::kStartPlayback), 0u);
  EXPECT_FALSE(w.pressed(cmd::kPlay));
  EXPECT_TRUE(w.device.opens.empty());
}

TEST(TransportCommands, PlayingToTheEndStopsByItselfAndReleasesTheButtons) {
  PlayingWindow w;
  w.run(cmd::kPlay);
  w.timerRunsOut();
  w.device.returnAll();
  EXPECT_FALSE(w.session.playing);
  EXPECT_FALSE(w.pressed(cmd::kPlay));
  const AudioStream& s = w.session.stream;
  EXPECT_TRUE(s.cursor == s.audioEnd || (s.cursor > s.audioEnd - 2 * 418 && s.cursor < s.audioEnd)) << s.cursor;
  // Play at the end does nothing.
  w.host.timers.clear();
  w.session.stream.cursor = w.session.stream.audioEnd;
  w.run(cmd::kPlay);
  EXPECT_TRUE(w.host.timers.empty());
}

TEST(TransportCommands, NavigationWhilePlayingRestartsTheStreamThere) {
  PlayingWindow w;
  w.run(cmd::kPlay);
  w.timerRunsOut();
  w.device.returnNext();
  const size_t writes = w.device.writes.size();
  w.run(cmd::kRewind);
  EXPECT_EQ(w.device.resets, 1);
  EXPECT_EQ(w.session.stream.cursor, w.session.stream.audioStart);
  EXPECT_TRUE(w.session.playing);
  // The four buffers come back from the reset and are refilled from the start.
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(w.device.returnNext());
  ASSERT_EQ(w.device.writes.size(), writes + 4);
  const AudioStream& s = w.session.stream;
  EXPECT_LT(s.cursor, s.audioStart + 4 * 5 * 418);  // four blocks of buffer_frm frames from the start
}

TEST(TransportCommands, PrelistenButtonsNeedAFileAndASelection) {
  Session empty;
  test::ScriptedShellHost host(empty);
  dispatchCommand(empty, host, cmd::kPrelistenAsCut);
  EXPECT_TRUE(host.timers.empty());

  PlayingWindow w;
  w.run(cmd::kPrelistenFromBegin);  // no selection: nothing plays, the buttons come back
  EXPECT_TRUE(w.pressed(cmd::kPrelistenFromBegin));
  w.timerRunsOut();
  EXPECT_FALSE(w.session.playing);
  EXPECT_FALSE(w.pressed(cmd::kPrelistenFromBegin));
  EXPECT_EQ(w.session.prelistenMode, 0);
}

// Stereo 44.1 kHz: 1152 sample frames of 4 bytes per MPEG frame.
constexpr uint32_t kFramePcm = 1152 * 4;

uint32_t writtenBytes(const test::ScriptedOutputDevice& device) {
  uint32_t total = 0;
  for (const auto& write : device.writes) total += write.length;
  return total;
}

TEST(TransportCommands, AShortSelectionAndAStartNearTheEndStillPlay) {
  // F6 on ten frames inside the first tone: all ten play (the first blocks are
  // written before any of them has come back, so none of them ends playback).
  PlayingWindow w;
  AudioStream& s = w.session.stream;
  const int64_t cursor = findCurrentFrame(s, 60000);
  s.cursor = cursor;
  w.session.edits.selection.beg = findFrame(s, 8000).offset;
  w.session.edits.selection.end = findFrame(s, w.session.edits.selection.beg + 10 * 418 - 100).offset;
  w.run(cmd::kPrelistenFromBegin);
  w.timerRunsOut();
  ASSERT_TRUE(w.session.playing);
  w.device.returnAll();
  EXPECT_FALSE(w.session.playing);
  EXPECT_GE(writtenBytes(w.device), 10 * kFramePcm);
  EXPECT_EQ(s.cursor, cursor);  // it ran to its end: the cursor is back

  // Play from eleven frames before the end: those frames play, then it stops.
  PlayingWindow e;
  e.session.stream.cursor = findCurrentFrame(e.session.stream, e.session.stream.audioEnd - 11 * 418 - 200);
  e.run(cmd::kPlay);
  e.timerRunsOut();
  ASSERT_TRUE(e.session.playing);
  e.device.returnAll();
  EXPECT_FALSE(e.session.playing);
  EXPECT_GE(writtenBytes(e.device), 11 * kFramePcm);
}

TEST(TransportCommands, FastPlayKeysChangeTheSpeedOnlyWhilePlaying) {
  PlayingWindow w;
  w.session.settings.buffer_frm = 4;
  w.run(cmd::kPlay);
  w.timerRunsOut();
  w.run(cmd::kPrelistenFromEnd);
  w.run(cmd::kPrelistenFromEnd);
  EXPECT_EQ(w.session.fastPlayLevel, 2);
  w.run(cmd::kPrelistenToEnd);
  EXPECT_EQ(w.session.fastPlayLevel, 1);
  w.run(cmd::kStop);
  // Stopped, F8 is the prelisten from the end of the selection.
  w.run(cmd::kPrelistenFromEnd);
  EXPECT_EQ(w.session.prelistenMode, 5);
  EXPECT_TRUE(w.pressed(cmd::kPrelistenFromEnd));
}

TEST(TransportCommands, ASaveStopsPlaybackFirstAndWritesTheWholeFile) {
  PlayingWindow w;
  // F9 skips the selection while it plays; the save must not.
  w.session.edits.selection.beg = findFrame(w.session.stream, 40000).offset;
  w.session.edits.selection.end = findFrame(w.session.stream, 60000).offset;
  w.run(cmd::kPrelistenAsCut);
  w.timerRunsOut();
  ASSERT_TRUE(w.session.playing);
  EXPECT_EQ(w.session.prelistenMode, 1);
  w.session.edits.selection = EditRange{};  // Save all, not Save selection
  const fs::path out = w.copy.dir / "saved.mp3";
  w.host.scripted.saveAnswers.push_back(out.string());
  w.run(cmd::kSaveAll);
  EXPECT_FALSE(w.session.playing);
  EXPECT_FALSE(w.pressed(cmd::kPrelistenAsCut));
  EXPECT_EQ(w.host.dialogsRun, std::vector<int>{dlg::kSaving});
  // Every audio frame is there, the selection's too, behind the source's LAME Info
  // frame (rebuilt: the same length).
  const auto saved = test::readBytes(out);
  const auto source = test::readBytes(w.copy.audio);
  const auto audioStart = static_cast<size_t>(w.session.stream.audioStart);
  ASSERT_EQ(saved.size(), source.size());
  EXPECT_EQ(test::lameTagFrameSize(saved), audioStart);
  EXPECT_TRUE(std::equal(saved.begin() + static_cast<long>(audioStart), saved.end(),
                         source.begin() + static_cast<long>(audioStart)));
}

}  // namespace
}  // namespace quillane
