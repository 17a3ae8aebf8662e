#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/pause_detection.h"
#include "edit/edit_model.h"
#include "session/host.h"
#include "session/session.h"
#include "support/scripted_backend.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::dataPath;
using test::frameStarts;

// 2 s of a 1 kHz tone at -6 dBFS, 2 s of digital silence, 2 s of tone; 231 audio
// frames of 1152 samples after the Info frame.
constexpr const char* kToneFile = "tone_silence_tone.mp3";
// The first frame whose decoded sound holds the second tone: the tone starts at
// 4.000 s = sample 176400, which LAME's encoder delay (576) and the decoder's
// (529) move to sample 177505 of the decoded frames, in frame 177505 / 1152 = 154.
constexpr int kFirstLoudFrame = 154;

int frameIndex(const std::vector<int64_t>& starts, int64_t offset) {
  const auto it = std::find(starts.begin(), starts.end(), offset);
  return it == starts.end() ? -1 : static_cast<int>(it - starts.begin());
}

// The default threshold is 30 (quiet below 900): quiet frames are 899, loud ones 900.
constexpr int kQuiet = 899;
constexpr int kLoud = -900;

struct Quiet {
  int beg;
  int end;
};

struct Scripted {
  Session session;
  SilentHost host;
  std::vector<int64_t> starts;
  int calls = 0;

  explicit Scripted(std::vector<Quiet> quiet) {
    EXPECT_TRUE(test::openInSession(session, dataPath(kToneFile)));
    starts = frameStarts(session);
    EXPECT_EQ(starts.size(), 231u);
    level = [quiet](int f) {
      for (const Quiet& q : quiet)
        if (f >= q.beg && f < q.end) return kQuiet;
      return kLoud;
    };
  }
  DecoderBackendFactory factory() {
    // Pause detection reads one frame per block: the frame is the one that ends at the cursor.
    return test::scriptedBackends(test::FramesRead::LastOne, session, starts, level, &calls);
  }
  // Runs a whole scan over the selection (the whole file when there is none).
  int run(bool cutWholePause = false) {
    PauseDetection detection(session, host, factory());
    detection.cutWholePause = cutWholePause;
    detection.open();
    EXPECT_TRUE(detection.start());
    while (detection.step()) {
    }
    found = detection.foundCount();
    tableFull = detection.tableFull();
    return found;
  }
  // The ranges as (frame of beg, frame of end).
  std::vector<std::pair<int, int>> ranges() const {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < session.edits.count; ++i)
      out.emplace_back(frameIndex(starts, session.edits.ranges[i].beg), frameIndex(starts, session.edits.ranges[i].end));
    return out;
  }

  std::function<int(int)> level;
  int found = 0;
  bool tableFull = false;
};

using Ranges = std::vector<std::pair<int, int>>;

TEST(PauseDetectionTexts, SliderTexts) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
  EXPECT_EQ(pauseThresholdText(session.settings), "-31.2 dB");  // level 30
  EXPECT_EQ(pauseDurationText(session.settings, session.stream), "> 1.3 sec");  // 50 frames
  EXPECT_EQ(pauseOffsetText(session.settings), "-10 frames");
  session.settings.silence_level = 100;
  session.settings.silence_duration = 30;
  session.settings.silence_offset = 100;
  EXPECT_EQ(pauseThresholdText(session.settings), "-10.3 dB");
  EXPECT_EQ(pauseDurationText(session.settings, session.stream), "> 7.8 sec");
  EXPECT_EQ(pauseOffsetText(session.settings), "40 frames");
  session.settings.silence_level = 1;
  session.settings.silence_offset = 0;
  EXPECT_EQ(pauseThresholdText(session.settings), "-90.3 dB");
  EXPECT_EQ(pauseOffsetText(session.settings), "-60 frames");
}

TEST(PauseDetectionFile, FindsThePauseAndSetsTheCueByTheOffset) {
  for (int32_t useMpglib : {0, 1}) {
    SCOPED_TRACE(useMpglib ? "libmpg123" : "FFmpeg");
    Session session;
    SilentHost host;
    session.settings.use_mpglib = useMpglib;
    ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
    const std::vector<int64_t> starts = frameStarts(session);
    session.stream.cursor = starts[20];

    PauseDetection detection(session, host);
    detection.open();
    EXPECT_EQ(detection.scanBegin(), session.stream.audioStart);  // no selection: everything
    EXPECT_EQ(detection.scanEnd(), session.stream.audioEnd);
    ASSERT_TRUE(detection.start());
    int ticks = 1;
    while (detection.step()) ++ticks;
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(detection.foundText(), "Found: 1");
    EXPECT_EQ(detection.progress(), 100);
    EXPECT_FALSE(detection.tableFull());
    // After a scan the cursor is at the scan's begin.
    EXPECT_EQ(session.stream.cursor, session.stream.audioStart);

    // One cue, 10 frames (offset 50) before the first loud frame after the pause.
    ASSERT_EQ(session.edits.count, 1);
    const EditRange cue = session.edits.ranges[0];
    EXPECT_TRUE(cue.isCue());
    const int cueFrame = frameIndex(starts, cue.beg);
    EXPECT_NEAR(cueFrame, kFirstLoudFrame - 10, 1);
    const double frameSeconds = 1152.0 / 44100.0;
    EXPECT_NEAR(secondsAt(session.stream, cue.beg), (kFirstLoudFrame - 10) * frameSeconds, 1.01 * frameSeconds);
    EXPECT_GT(secondsAt(session.stream, cue.beg), 2.0);
    EXPECT_LT(secondsAt(session.stream, cue.beg), 4.0);

    // Offset 60 puts the cue on the loud frame, 0 sixty frames before it, 100 forty after.
    for (int offset : {60, 0, 100}) {
      SCOPED_TRACE(offset);
      session.settings.silence_offset = static_cast<uint8_t>(offset);
      ASSERT_TRUE(detection.start());
      while (detection.step()) {
      }
      ASSERT_EQ(session.edits.count, 1);  // the cue before was deleted at the start
      EXPECT_EQ(frameIndex(starts, session.edits.ranges[0].beg), cueFrame + 10 + offset - 60);
    }

    // Cut whole pause: a cut from 50 frames into the pause up to where the cue was.
    session.settings.silence_offset = 50;
    detection.cutWholePause = true;
    ASSERT_TRUE(detection.start());
    while (detection.step()) {
    }
    EXPECT_EQ(detection.foundCount(), 1);
    ASSERT_EQ(session.edits.count, 1);
    const EditRange cut = session.edits.ranges[0];
    EXPECT_TRUE(cut.isCut());
    EXPECT_EQ(cut.end, cue.beg);
    // The tone ends at 2.0 s (decoded frame 77); the pause starts within a few frames.
    const int cutBegin = frameIndex(starts, cut.beg);
    EXPECT_GE(cutBegin, 77 + 50);
    EXPECT_LE(cutBegin, 77 + 50 + 8);

    // Closing ends with no current range.
    detection.close();
    EXPECT_EQ(session.edits.currentRange, -1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.beeps, 0);
  }
}

TEST(PauseDetectionFile, ClosingWithoutStartingLeavesEverything) {
  Session session;
  SilentHost host;
  ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
  const int64_t cursor = findCurrentFrame(session.stream, 50000);
  session.stream.cursor = cursor;
  setSelectionBegin(session.edits, findFrame(session.stream, 10000).offset);
  setSelectionEnd(session.edits, findFrame(session.stream, 20000).offset);
  ASSERT_TRUE(addRangeFromSelection(session.edits, session.selectionUndo, false));
  {
    PauseDetection detection(session, host);
    detection.open();
    detection.close();
  }
  EXPECT_EQ(session.stream.cursor, cursor);
  EXPECT_EQ(session.edits.count, 1);
}

TEST(PauseDetectionScripted, NeedsTenTimesDurationQuietFramesInARow) {
  // silence_duration 3: 30 quiet frames make a pause, 29 do not. Loud passages are
  // sampled every sixth frame from the scan begin (0, 6, ... 96), so the quiet runs
  // start on a sampled frame.
  {
    Scripted s({{96, 126}});
    s.session.settings.silence_duration = 3;
    EXPECT_EQ(s.run(), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{116, 116}}));  // offset 50: 10 frames before frame 126
  }
  {
    Scripted s({{96, 125}});
    s.session.settings.silence_duration = 3;
    EXPECT_EQ(s.run(), 0);
    EXPECT_EQ(s.session.edits.count, 0);
  }
  {
    // A run that starts between two sampled frames is seen from the next sample on:
    // frames 97..101 go unseen and 25 quiet frames remain.
    Scripted s({{97, 127}});
    s.session.settings.silence_duration = 3;
    EXPECT_EQ(s.run(), 0);
  }
  {
    // Quiet means below silence_level squared: 899 is quiet, 900 (either sign) loud.
    Scripted s({{96, 150}});
    EXPECT_EQ(s.run(), 1);
    s.session.settings.silence_level = 29;  // 841: nothing is quiet
    EXPECT_EQ(s.run(), 0);
  }
}

// The scan reaches the last frames: loud passages are sampled up to the end of the
// file, and a pause that ends in its last 1792 bytes gets its cue there.
TEST(PauseDetectionScripted, ScanReachesTheLastFrames) {
  {
    Scripted s({});
    int last = -1;
    const std::function<int(int)> loud = s.level;
    s.level = [&last, loud](int f) {
      last = std::max(last, f);
      return loud(f);
    };
    EXPECT_EQ(s.run(), 0);
    EXPECT_GE(last, 225);  // every sixth frame is sampled: one of the last six
  }
  {
    // Frames 216..227 quiet, 228 (in the last 1792 bytes) loud; the cue offset 60
    // puts the cue on the loud frame itself.
    Scripted s({{216, 228}});
    s.session.settings.silence_duration = 1;
    s.session.settings.silence_offset = 60;
    ASSERT_GT(s.starts[228], s.session.stream.audioEnd - kSearchSpan);
    EXPECT_EQ(s.run(), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{228, 228}}));
  }
}

TEST(PauseDetectionScripted, CueOffsetCountsFromTheLoudFrame) {
  for (int offset : {60, 0, 50, 100, 59, 61}) {
    SCOPED_TRACE(offset);
    Scripted s({{96, 150}});
    s.session.settings.silence_offset = static_cast<uint8_t>(offset);
    EXPECT_EQ(s.run(), 1);
    const int cue = 150 + offset - 60;
    EXPECT_EQ(s.ranges(), (Ranges{{cue, cue}}));
  }
}

TEST(PauseDetectionScripted, CutWholePauseKeepsItsFirstFiftyFrames) {
  {
    // pauseStart is the frame after the first quiet one (97); the cut begins 50 frames
    // later and ends at the cue.
    Scripted s({{96, 180}});
    EXPECT_EQ(s.run(true), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{147, 170}}));
    EXPECT_TRUE(s.session.edits.ranges[0].isCut());
  }
  {
    // A pause shorter than 50 frames plus the offset: the begin is held at the cue.
    Scripted s({{96, 150}});
    EXPECT_EQ(s.run(true), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{140, 140}}));
  }
  {
    // A pause at the very start is cut from audioStart.
    Scripted s({{0, 80}});
    EXPECT_EQ(s.run(true), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{0, 70}}));
    EXPECT_EQ(s.session.edits.ranges[0].beg, s.session.stream.audioStart);
  }
}

TEST(PauseDetectionScripted, SkipAfterAPause) {
  {
    Scripted s({{96, 150}, {156, 210}});
    EXPECT_EQ(s.run(), 2);
    EXPECT_EQ(s.ranges(), (Ranges{{140, 140}, {200, 200}}));
  }
  {
    // One second (16000 bytes, about 38 frames) after the first pause lands inside the
    // second, too late to see 50 quiet frames of it.
    Scripted s({{96, 150}, {156, 210}});
    s.session.settings.silence_skip = 1;
    EXPECT_EQ(s.run(), 1);
    EXPECT_EQ(s.ranges(), (Ranges{{140, 140}}));
  }
}

TEST(PauseDetectionScripted, StartDeletesAllCutsAndCuesButNotGain) {
  Scripted s({{96, 150}});
  EditRangeTable& edits = s.session.edits;
  auto add = [&](int beg, int end, uint8_t type) {
    edits.selection.beg = s.starts[beg];
    edits.selection.end = s.starts[end];
    edits.selection.type = type;
    edits.selection.gainbeg = edits.selection.gainend = type == kRangeGain ? -2 : 0;
    ASSERT_TRUE(addRangeFromSelection(edits, s.session.selectionUndo, false));
  };
  add(10, 20, kRangeCut);
  add(30, 30, kRangeCut);   // a cue
  add(40, 60, kRangeGain);
  add(200, 210, kRangeCut);  // outside the scanned part
  // Scan frames 90..160 only; the cursor stands elsewhere.
  edits.selection.beg = s.starts[90];
  edits.selection.end = s.starts[160];
  s.session.stream.cursor = s.starts[5];

  PauseDetection detection(s.session, s.host, s.factory());
  detection.open();
  ASSERT_TRUE(detection.start());
  EXPECT_EQ(s.ranges(), (Ranges{{40, 60}}));  // deleted before anything is decoded
  EXPECT_EQ(s.calls, 0);
  while (detection.step()) {
  }
  EXPECT_EQ(detection.foundCount(), 1);
  EXPECT_EQ(s.ranges(), (Ranges{{40, 60}, {140, 140}}));
  EXPECT_TRUE(edits.ranges[0].isGain());
  EXPECT_EQ(s.session.stream.cursor, s.starts[90]);  // back at the scan begin
  // Frames outside the scanned part were not decoded: 90, 96..149 and the loud
  // frames sampled after it.
  EXPECT_LT(s.calls, 70);
}

TEST(PauseDetectionScripted, FullTableStopsTheScan) {
  Scripted s({{96, 150}, {156, 210}});
  EditRangeTable& edits = s.session.edits;
  // 199 gain ranges (they survive the start) at the end of the audio.
  for (int i = 0; i < 199; ++i) {
    edits.ranges[i].type = kRangeGain;
    edits.ranges[i].beg = s.starts[220] + 2 * i;
    edits.ranges[i].end = s.starts[220] + 2 * i + 1;
  }
  edits.count = 199;
  edits.selection.beg = s.starts[0];
  edits.selection.end = s.starts[215];
  EXPECT_EQ(s.run(), 1);
  EXPECT_TRUE(s.tableFull);
  EXPECT_EQ(edits.count, 200);
  EXPECT_EQ(frameIndex(s.starts, edits.ranges[0].beg), 140);
  EXPECT_EQ(s.session.stream.cursor, s.starts[0]);
}

TEST(PauseDetectionScripted, TicksOfFiftyFramesAndProgress) {
  // All quiet: every frame is decoded, 50 per tick.
  Scripted s({{0, 231}});
  PauseDetection detection(s.session, s.host, s.factory());
  detection.open();
  ASSERT_TRUE(detection.start());
  EXPECT_TRUE(detection.step());
  EXPECT_EQ(s.calls, 50);
  EXPECT_TRUE(detection.running());
  EXPECT_EQ(s.session.stream.cursor, s.starts[50]);
  const int64_t span = s.session.stream.audioEnd - s.session.stream.audioStart;
  EXPECT_EQ(detection.progress(), static_cast<int>((s.starts[50] - s.starts[0]) * 100 / span));
  int ticks = 1;
  while (detection.step()) ++ticks;
  EXPECT_EQ(ticks, 4);  // 231 frames: 50, 50, 50, 50, 31
  EXPECT_EQ(s.calls, 231);
  EXPECT_EQ(detection.progress(), 100);
  EXPECT_EQ(detection.foundText(), "Found: 0");  // a pause running to the end has no end

  // All loud: only every sixth frame is decoded.
  Scripted loud({});
  EXPECT_EQ(loud.run(), 0);
  // Frames 0, 6, ... 228; frame 228 starts within the last 1792 bytes and is found
  // there too. The next step lies past the end.
  EXPECT_EQ(loud.calls, 39);

  // Stop in the middle: the cursor returns to the scan begin.
  Scripted stopped({{0, 231}});
  PauseDetection again(stopped.session, stopped.host, stopped.factory());
  again.open();
  ASSERT_TRUE(again.start());
  ASSERT_TRUE(again.step());
  again.stop();
  EXPECT_FALSE(again.running());
  EXPECT_FALSE(again.step());
  EXPECT_EQ(stopped.session.stream.cursor, stopped.session.stream.audioStart);
}

TEST(PauseDetectionScripted, DecoderThatCannotStartBeeps) {
  Session session;
  SilentHost host;
  ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
  PauseDetection detection(session, host, [](int32_t) -> std::unique_ptr<DecoderBackend> { return nullptr; });
  detection.open();
  EXPECT_FALSE(detection.start());
  EXPECT_FALSE(detection.running());
  EXPECT_FALSE(detection.step());
  EXPECT_EQ(host.beeps, 1);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
}

}  // namespace
}  // namespace quillane
