#include "edit/auto_cue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "support/test_files.h"

namespace quillane {
namespace {

TEST(AutoCueIntervalTest, ShownAsMinutesAndSeconds) {
  EXPECT_EQ(autoCueIntervalText(120), "2:00");
  EXPECT_EQ(autoCueIntervalText(65), "1:05");
  EXPECT_EQ(autoCueIntervalText(0), "0:00");
  EXPECT_EQ(autoCueIntervalText(65535), "1092:15");
}

TEST(AutoCueIntervalTest, ReadAsMinutesColonSeconds) {
  EXPECT_EQ(parseAutoCueInterval("2:00"), 120);
  EXPECT_EQ(parseAutoCueInterval("0:30"), 30);
  EXPECT_EQ(parseAutoCueInterval("1:90"), 150);
  EXPECT_EQ(parseAutoCueInterval(" 1: 5"), 65);
  EXPECT_EQ(parseAutoCueInterval(":45"), 45);
  EXPECT_EQ(parseAutoCueInterval("3:"), 180);
  EXPECT_EQ(parseAutoCueInterval("2:30:15"), 150);  // only the first ':' counts
  EXPECT_EQ(parseAutoCueInterval("1:xx"), 60);
  EXPECT_EQ(parseAutoCueInterval("abc:def"), 0);
  EXPECT_EQ(parseAutoCueInterval("+2:+3"), 123);
  // Kept in 16 bits.
  EXPECT_EQ(parseAutoCueInterval("1000:0"), 60000);
  EXPECT_EQ(parseAutoCueInterval("2000:0"), 120000 % 65536);
  EXPECT_EQ(parseAutoCueInterval("-1:30"), static_cast<uint16_t>(-30));
  // No ':' in the first 19 characters: nothing.
  EXPECT_FALSE(parseAutoCueInterval("90").has_value());
  EXPECT_FALSE(parseAutoCueInterval("").has_value());
  EXPECT_FALSE(parseAutoCueInterval("1234567890123456789:30").has_value());
  // Cut after 19 characters: "123456789012345678:" leaves no seconds.
  EXPECT_EQ(parseAutoCueInterval("123456789012345678:30"), static_cast<uint16_t>(123456789012345678ull * 60 % 65536));
  // Numbers far beyond 16 bits wrap instead of overflowing.
  EXPECT_EQ(parseAutoCueInterval("4294967297:1"), 61);
}

// The frames of a file as FFmpeg sees them; the first at or after each target.
class AutoCueFileTest : public ::testing::Test {
 protected:
  void open(const std::string& name) {
    path_ = test::dataPath(name);
    ASSERT_TRUE(test::openInSession(s_, path_));
    frames_ = test::demuxedFrames(path_);
    ASSERT_FALSE(frames_.empty());
  }
  int64_t frameAtOrAfter(int64_t offset) const {
    for (const auto& f : frames_)
      if (f.pos >= offset) return f.pos;
    return s_.stream.audioEnd;
  }
  // The frames at or after the first `count` targets: audioStart plus n intervals,
  // accumulated in whole bytes.
  std::vector<int64_t> expectedCues(uint16_t seconds, int count) const {
    std::vector<int64_t> cues;
    const double step = static_cast<double>(static_cast<float>(seconds) * s_.stream.avgBitrate) / 8.0;
    int64_t p = s_.stream.audioStart;
    for (int n = 0; n < count; ++n) {
      p = static_cast<int64_t>(std::trunc(static_cast<double>(p) + step));
      cues.push_back(frameAtOrAfter(p));
    }
    return cues;
  }
  std::vector<int64_t> cueOffsets() const {
    std::vector<int64_t> out;
    for (int i = 0; i < s_.edits.count; ++i)
      if (s_.edits.ranges[i].isCue()) out.push_back(s_.edits.ranges[i].beg);
    return out;
  }
  double secondsOf(int64_t offset) const {
    return static_cast<double>(offset - s_.stream.audioStart) * 8.0 / s_.stream.avgBitrate;
  }

  Session s_;
  std::filesystem::path path_;
  std::vector<test::DemuxedFrame> frames_;
};

TEST_F(AutoCueFileTest, CuesEveryIntervalAtFrameStarts) {
  open("tone_silence_tone.mp3");  // 6.03 s at 128 kbit/s, 16000 bytes a second
  ASSERT_NEAR(s_.stream.avgBitrate, 128000.0f, 10.0f);  // as measured by the scan
  s_.edits.selection.beg = 1000;
  s_.edits.selection.end = 5000;
  s_.edits.selection.title = "pending";
  ASSERT_TRUE(acceptAutoCueDialog(s_, "0:02"));
  EXPECT_EQ(s_.settings.autocue, 2);
  // About 2, 4 and 6 seconds, none at the start. The 6 s target lies in the file's
  // last 548 bytes: its cue is the last frame, which ends exactly at the end.
  EXPECT_EQ(cueOffsets(), expectedCues(2, 3));
  ASSERT_EQ(s_.edits.count, 3);
  EXPECT_EQ(s_.edits.ranges[2].beg, frames_.back().pos);
  for (int i = 0; i < 3; ++i) {
    const EditRange& r = s_.edits.ranges[i];
    EXPECT_TRUE(r.isCue());
    EXPECT_TRUE(r.title.empty());
    EXPECT_TRUE(r.artist.empty());
    EXPECT_NEAR(secondsOf(r.beg), 2.0 * (i + 1), 0.027);  // within one frame
  }
  EXPECT_EQ(s_.edits.currentRange, 2);
  EXPECT_TRUE(s_.edits.modified);
  EXPECT_TRUE(s_.edits.selection.title.empty());
}

TEST_F(AutoCueFileTest, EverySecondOnAVariableBitrateFile) {
  open("vbr_xing.mp3");  // 4.05 s
  EXPECT_EQ(placeAutoCues(s_, 1), 4);
  const std::vector<int64_t> cues = cueOffsets();
  ASSERT_EQ(cues.size(), 4u);
  EXPECT_EQ(std::vector<int64_t>(cues.begin(), cues.begin() + 3), expectedCues(1, 3));
  // The first three are frames FFmpeg sees, about n seconds in.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::any_of(frames_.begin(), frames_.end(), [&](const auto& f) { return f.pos == cues[i]; }))
        << cues[i];
    EXPECT_NEAR(secondsOf(cues[i]), i + 1.0, 0.03);
  }
  // The 4 s target lies on the last frame, within one frame length (of the frame
  // found before) of the end, where findFrame answers with audioEnd: the last cue
  // marks the end of the audio.
  EXPECT_EQ(cues[3], s_.stream.audioEnd);
}

TEST_F(AutoCueFileTest, EverySecondOnAnMpeg2File) {
  open("mpeg2_22k.mp3");  // MPEG-2, 3.06 s at 64 kbit/s
  ASSERT_TRUE(acceptAutoCueDialog(s_, "0:1"));
  EXPECT_EQ(s_.settings.autocue, 1);
  // The 3 s target lies in the last 450 bytes: its frame is found too.
  EXPECT_EQ(cueOffsets(), expectedCues(1, 3));
  EXPECT_EQ(s_.edits.count, 3);
}

TEST_F(AutoCueFileTest, NoColonChangesNothing) {
  open("tone_silence_tone.mp3");
  s_.edits.selection.beg = 1000;
  s_.edits.selection.end = 5000;
  EXPECT_FALSE(acceptAutoCueDialog(s_, "90"));
  EXPECT_EQ(s_.settings.autocue, 120);
  EXPECT_EQ(s_.edits.count, 0);
  EXPECT_EQ(s_.edits.selection.beg, 1000);
}

TEST_F(AutoCueFileTest, AnIntervalLongerThanTheFileIsStoredButSetsNoCue) {
  open("tone_silence_tone.mp3");
  s_.edits.selection.beg = 1000;
  s_.edits.selection.end = 5000;
  ASSERT_TRUE(acceptAutoCueDialog(s_, "2:00"));
  EXPECT_EQ(s_.settings.autocue, 120);
  EXPECT_EQ(s_.edits.count, 0);
  EXPECT_EQ(s_.edits.selection.beg, 1000);  // no cue tried, the selection stays
}

TEST_F(AutoCueFileTest, ZeroSetsOneCueAtTheStart) {
  open("tone_silence_tone.mp3");
  ASSERT_TRUE(acceptAutoCueDialog(s_, "0:00"));
  EXPECT_EQ(s_.settings.autocue, 0);
  ASSERT_EQ(s_.edits.count, 1);
  EXPECT_EQ(s_.edits.ranges[0].beg, 417);
  EXPECT_TRUE(s_.edits.ranges[0].isCue());
}

TEST_F(AutoCueFileTest, StopsAtTheFirstCueInsideARange) {
  open("tone_silence_tone.mp3");
  // A cut from 1.5 s to 2.5 s: the 1 s cue is set, the 2 s cue is refused.
  s_.edits.selection.beg = frameAtOrAfter(417 + 24000);
  s_.edits.selection.end = frameAtOrAfter(417 + 40000);
  ASSERT_TRUE(addRangeFromSelection(s_.edits, s_.selectionUndo, false));
  EXPECT_EQ(placeAutoCues(s_, 1), 1);
  ASSERT_EQ(s_.edits.count, 2);
  EXPECT_EQ(s_.edits.ranges[0].beg, frameAtOrAfter(417 + 16000));
  EXPECT_TRUE(s_.edits.ranges[0].isCue());
  EXPECT_TRUE(s_.edits.ranges[1].isCut());
  EXPECT_EQ(s_.edits.currentRange, 1);  // the refusing range
}

TEST_F(AutoCueFileTest, StopsAtTheFullTable) {
  open("tone_silence_tone.mp3");
  // 198 cues past the audio leave room for two more.
  for (int i = 0; i < 198; ++i) {
    s_.edits.selection.beg = s_.edits.selection.end = 1000000 + i;
    ASSERT_TRUE(addRangeFromSelection(s_.edits, s_.selectionUndo, false));
  }
  EXPECT_EQ(placeAutoCues(s_, 1), 2);
  EXPECT_EQ(s_.edits.count, 200);
  EXPECT_EQ(s_.edits.ranges[0].beg, frameAtOrAfter(417 + 16000));
  EXPECT_EQ(s_.edits.ranges[1].beg, frameAtOrAfter(417 + 32000));
}

TEST(AutoCueTest, NothingWithoutAnOpenFile) {
  Session s;
  EXPECT_EQ(placeAutoCues(s, 1), 0);
  EXPECT_TRUE(acceptAutoCueDialog(s, "0:10"));
  EXPECT_EQ(s.settings.autocue, 10);
  EXPECT_EQ(s.edits.count, 0);
}

}  // namespace
}  // namespace quillane
