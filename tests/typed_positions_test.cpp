#include "view/typed_positions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "audio/decoder.h"
#include "edit/edit_model.h"
#include "support/test_files.h"
#include "view/time_format.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

using test::dataPath;
using test::openInSession;

Session opened(const std::string& name) {
  Session s;
  EXPECT_TRUE(openInSession(s, dataPath(name)));
  return s;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from << " in " << text;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(ParsePositionField, TypedTimeMovesTheCursor) {
  Session s = opened("cbr128_info.mp3");
  const std::string field = positionFieldText(s);
  ASSERT_EQ(field, " Total: 0'03.03   Now: 0'00.00   (0%)");
  const auto p = parsePositionField(s, replaced(field, "0'00.00", "0'02.00"));
  ASSERT_TRUE(p.has_value());
  const int64_t expected =
      s.stream.audioStart + static_cast<int64_t>(static_cast<double>(s.stream.avgBitrate) / 8.0 * 2.0);
  EXPECT_EQ(*p, expected);
  EXPECT_EQ(*p, 417 + 31999);
  // Typed loosely: minutes and seconds as plain numbers.
  EXPECT_EQ(parsePositionField(s, " Total: 0'03.03   Now: 0'2   (0%)"), expected);
}

TEST(ParsePositionField, UnchangedTimeReadsThePercentage) {
  Session s = opened("cbr128_info.mp3");
  const int64_t span = s.stream.audioEnd - s.stream.audioStart;
  const std::string field = positionFieldText(s);
  EXPECT_EQ(parsePositionField(s, replaced(field, "(0%)", "(50%)")), s.stream.audioStart + span / 2);
  // Enter on the untouched field goes to the shown percentage.
  s.stream.cursor = findCurrentFrame(s.stream, s.stream.audioStart + span / 3 + 100);
  const auto p = parsePositionField(s, positionFieldText(s));
  EXPECT_EQ(p, s.stream.audioStart + span * 33 / 100);
}

TEST(ParsePositionField, RoundedShownTimeCountsAsUnchanged) {
  // At 184 kbit/s a hundredth of a second is 230 bytes, so the shown time of
  // many frames lies more than 50 bytes from the frame itself.
  Session s = opened("vbr_xing.mp3");
  const int64_t a = s.stream.audioStart;
  const int64_t span = s.stream.audioEnd - a;
  int checked = 0;
  for (int64_t off = a + 1000; off < s.stream.audioEnd - 2000; off += 3001) {
    s.stream.cursor = findCurrentFrame(s.stream, off);
    ASSERT_GE(s.stream.cursor, 0);
    const std::string field = positionFieldText(s);
    const auto p = parsePositionField(s, replaced(field, "%)", "%) "));
    ASSERT_TRUE(p.has_value()) << field;
    const int64_t percent = 100 * (s.stream.cursor - a) / span;
    EXPECT_EQ(*p, a + span * percent / 100) << field;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST(ParsePositionField, UnreadableTextDoesNothing) {
  Session s = opened("cbr128_info.mp3");
  EXPECT_FALSE(parsePositionField(s, "Now").has_value());
  EXPECT_FALSE(parsePositionField(s, " Total: 0'03.03   Jetzt: 0'01.00   (0%)").has_value());
  EXPECT_FALSE(parsePositionField(s, " Total: 0'03.03   Now: 0:01.00   (0%)").has_value());  // no apostrophe
  EXPECT_FALSE(parsePositionField(s, " Total: 0'03.03   Now: 0'01.00").has_value());         // no blank
  // Unchanged time and no percentage.
  EXPECT_FALSE(parsePositionField(s, " Total: 0'03.03   Now: 0'00.00 ").has_value());
  // Only the first 59 characters are read.
  EXPECT_FALSE(parsePositionField(s, std::string(60, ' ') + "Now: 0'01.00   (0%)").has_value());
}

struct TypedSelection : ::testing::Test {
  Session s = opened("cbr128_info.mp3");
  int64_t beg = 0;
  int64_t end = 0;
  void SetUp() override {
    beg = findFrame(s.stream, s.stream.audioStart + 8000).offset;
    end = findFrame(s.stream, s.stream.audioStart + 24000).offset;
    setSelectionBegin(s.edits, beg);
    setSelectionEnd(s.edits, end);
  }
  int64_t at(double seconds) {
    return s.stream.audioStart + static_cast<int64_t>(static_cast<double>(s.stream.avgBitrate) / 8.0 * seconds);
  }
};

TEST_F(TypedSelection, UnchangedFieldChangesNothing) {
  const std::string field = selectionFieldText(s);
  EXPECT_EQ(field, " Selection: 0'00.52 - 0'01.52 (0'00.99)");
  EXPECT_FALSE(parseSelectionField(s, field).any());
  EXPECT_EQ(s.edits.selection.beg, beg);
  EXPECT_EQ(s.edits.selection.end, end);
}

TEST_F(TypedSelection, ChangedLengthMovesTheEnd) {
  const auto change = parseSelectionField(s, " Selection: 0'00.52 - 0'01.52 (0'02.00)");
  EXPECT_TRUE(change.lengthApplied);
  EXPECT_FALSE(change.begin);
  EXPECT_EQ(s.edits.selection.beg, beg);
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(0.52) + (at(2.0) - s.stream.audioStart)).offset);
}

TEST_F(TypedSelection, ChangedLengthWinsOverChangedEnd) {
  parseSelectionField(s, " Selection: 0'00.52 - 0'02.50 (0'02.00)");
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(0.52) + (at(2.0) - s.stream.audioStart)).offset);
}

TEST_F(TypedSelection, ChangedBeginAndEnd) {
  const auto change = parseSelectionField(s, " Selection: 0'01.00 - 0'02.50 (0'00.99)");
  EXPECT_TRUE(change.begin);
  EXPECT_TRUE(change.end);
  EXPECT_FALSE(change.lengthApplied);
  EXPECT_EQ(s.edits.selection.beg, findFrame(s.stream, at(1.0)).offset);
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(2.5)).offset);
}

TEST_F(TypedSelection, SmallChangesAreIgnored) {
  // 0.003 s is 48 bytes: below the precision of the shown times.
  const auto change = parseSelectionField(s, " Selection: 0'00.523 - 0'01.52 (0'00.99)");
  EXPECT_FALSE(change.any());
  EXPECT_EQ(s.edits.selection.beg, beg);
}

TEST_F(TypedSelection, RangesAndBrokenTextsAreNotEdited) {
  const std::string range = " Range (1/1): 0'01.00 - 0'02.00 (0'01.00)";
  EXPECT_FALSE(parseSelectionField(s, range).any());
  EXPECT_FALSE(parseSelectionField(s, " Selection: 0'01.00 - 0'02.00 0'01.00)").any());  // no "("
  EXPECT_FALSE(parseSelectionField(s, " Selection: 0'01.00 - 0'02.00 (0'01.00").any());  // no ")"
  EXPECT_FALSE(parseSelectionField(s, " Selection: 0'01.00 0'02.00 (0'01.00)").any());   // no "-"
  EXPECT_FALSE(parseSelectionField(s, " Selection 0'01.00 - 0'02.00 (0'01.00)").any());  // no colon
  EXPECT_EQ(s.edits.selection.beg, beg);
  EXPECT_EQ(s.edits.selection.end, end);
}

TEST_F(TypedSelection, BeginPastTheAudioEndsAtAudioEnd) {
  const auto change = parseSelectionField(s, " Selection: 9'00.00 - 0'01.52 (0'00.99)");
  EXPECT_TRUE(change.begin);
  EXPECT_FALSE(change.end);
  EXPECT_EQ(s.edits.selection.beg, s.stream.audioEnd);
  EXPECT_EQ(s.edits.selection.end, s.stream.audioEnd);
}

// --- Times typed alone -------------------------------------------------------------

TEST(ParseTypedTime, FormsAUserTypes) {
  struct Case {
    const char* text;
    std::optional<double> seconds;
  };
  const Case cases[] = {
      {"90", 90.0},
      {"0", 0.0},
      {"90.5", 90.5},
      {"90,5", 90.5},
      {"1:30", 90.0},
      {"1'30", 90.0},
      {"1:30.5", 90.5},
      {"1'30,25", 90.25},
      {"1'30.00", 90.0},  // as the fields show it
      {"0'02.50", 2.5},
      {"01:05", 65.0},
      {"90:00", 5400.0},  // minutes alone may pass 59
      {"1:02:03", 3723.0},
      {"1:02:03.5", 3723.5},
      {"0:00:00", 0.0},
      {"  1:30 ", 90.0},
      {"\t7\t", 7.0},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"1:", std::nullopt},
      {":30", std::nullopt},
      {"1::30", std::nullopt},
      {"1:30:", std::nullopt},
      {"1:75", std::nullopt},     // seconds after minutes stay below 60
      {"1:60", std::nullopt},
      {"1:60:00", std::nullopt},  // minutes after hours likewise
      {"1'02'03", std::nullopt},  // the apostrophe only before the seconds
      {"1'02:03", std::nullopt},
      {"1:2:3:4", std::nullopt},
      {"-5", std::nullopt},
      {"+5", std::nullopt},
      {"1.", std::nullopt},
      {".5", std::nullopt},
      {"1.5.2", std::nullopt},
      {"1.5:30", std::nullopt},   // only the seconds have a fraction
      {"1e3", std::nullopt},
      {"0x10", std::nullopt},
      {"1 30", std::nullopt},
      {"1 : 30", std::nullopt},
      {"abc", std::nullopt},
      {"1:30abc", std::nullopt},
      {"1234567890", std::nullopt},  // more digits than any audio needs
      {"1:30-2:45", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto seconds = parseTypedTime(c.text);
    ASSERT_EQ(seconds.has_value(), c.seconds.has_value()) << '"' << c.text << '"';
    if (seconds) {
      EXPECT_DOUBLE_EQ(*seconds, *c.seconds) << '"' << c.text << '"';
    }
  }
}

// The start time of the frame at `offset` by the file's own frames: their count
// from the first audio frame times the samples of one frame.
double frameStartSeconds(Session& s, int64_t offset) {
  int64_t frames = 0;
  for (int64_t at = s.stream.audioStart; at < offset; ++frames) {
    uint8_t raw[4] = {};
    EXPECT_EQ(s.stream.sourceFile.readAt(at, raw, 4), 4);
    const FrameHeader h = decodeFrameHeader(raw);
    EXPECT_NE(h.version, 0) << "no frame at " << at;
    if (!h.version) return -1.0;
    at += h.frameSize;
    EXPECT_LE(at, offset) << "offset " << offset << " is not at a frame";
  }
  return static_cast<double>(frames) * samplesPerFrame(s.stream.currentHeader) / s.stream.currentHeader.sampleRate;
}

double frameSeconds(const Session& s) {
  return static_cast<double>(samplesPerFrame(s.stream.currentHeader)) / s.stream.currentHeader.sampleRate;
}

// The number of seconds a shown time stands for (minutes, apostrophe, seconds).
double shownTime(const std::string& text) { return parseTypedTime(text).value_or(-1.0); }

// The offset of a time at the average bit rate, as every shown time is made.
int64_t offsetAt(const Session& s, double seconds) {
  return s.stream.audioStart + static_cast<int64_t>(static_cast<double>(s.stream.avgBitrate) / 8.0 * seconds);
}

struct TypedPositionCase {
  const char* file;
  const char* typed;
  double seconds;
};

// Each typed time lands on the frame that starts there, by the frames of real
// files at several sample rates and layers: at most one frame after the time,
// and never a frame before the frame that holds it.
TEST(ParsePositionField, TypedTimesLandOnTheFrameAtThatTime) {
  const TypedPositionCase cases[] = {
      {"cbr128_info.mp3", "2", 2.0},           {"cbr128_info.mp3", "0:01.5", 1.5},
      {"cbr128_info.mp3", "0'02,25", 2.25},     {"cbr128_info.mp3", "0:00:01", 1.0},
      {"id3v1v2.mp3", "0'01.2", 1.2},          {"id3v1v2.mp3", "1.75", 1.75},
      {"mono.mp3", "0:02", 2.0},                {"mpeg2_22k.mp3", "2.5", 2.5},
      {"mpeg2_22k.mp3", "0'01", 1.0},           {"mpeg25_8k.mp3", "1,5", 1.5},
      {"mpeg25_8k.mp3", "0:03", 3.0},           {"sox_32k.mp3", "0:02.2", 2.2},
      {"ffmpeg_cbr.mp3", "1", 1.0},             {"layer2_mpeg1.mp2", "0'02", 2.0},
      {"layer2_mpeg2.mp2", "0:01.25", 1.25},    {"tone_silence_tone.mp3", "0:05.5", 5.5},
      {"tone_steps.mp3", "0:07", 7.0},          {"speech.mp3", "4.9", 4.9},
  };
  for (const TypedPositionCase& c : cases) {
    Session s = opened(c.file);
    const auto p = parsePositionField(s, c.typed);
    ASSERT_TRUE(p.has_value()) << c.file << " " << c.typed;
    const int64_t frame = findFrame(s.stream, *p).offset;
    ASSERT_GE(frame, s.stream.audioStart) << c.file << " " << c.typed;
    ASSERT_LT(frame, s.stream.audioEnd) << c.file << " " << c.typed;
    const double start = frameStartSeconds(s, frame);
    const double length = frameSeconds(s);
    EXPECT_GT(start, c.seconds - length) << c.file << " " << c.typed;
    EXPECT_LE(start, c.seconds + length) << c.file << " " << c.typed;
    // The field then shows the time typed, to within that frame.
    s.stream.cursor = frame;
    const std::string field = positionFieldText(s);
    const std::size_t now = field.find("Now: ");
    ASSERT_NE(now, std::string::npos) << field;
    const double shown = shownTime(field.substr(now + 5, field.find(' ', now + 5) - now - 5));
    EXPECT_NEAR(shown, c.seconds, length + 0.01) << c.file << " " << c.typed << ": " << field;
  }
}

TEST(ParsePositionField, VariableRateTimesFollowTheShownTime) {
  // Over a VBR file times are those of the average bit rate, as the fields show them.
  for (const char* file : {"vbr_xing.mp3", "vbr_notag.mp3"}) {
    Session s = opened(file);
    for (const char* typed : {"0:01", "2.5", "0'03.2"}) {
      const double seconds = *parseTypedTime(typed);
      const auto p = parsePositionField(s, typed);
      ASSERT_TRUE(p.has_value()) << file << " " << typed;
      EXPECT_EQ(*p, offsetAt(s, seconds)) << file << " " << typed;
      s.stream.cursor = findCurrentFrame(s.stream, *p);
      const double shown = shownTime(formatTime(s.stream.cursor - s.stream.audioStart, s.stream.avgBitrate, false));
      EXPECT_GE(shown, seconds - 0.01) << file << " " << typed;
      EXPECT_LE(shown, seconds + static_cast<double>(kMaxFrameSize) * 8.0 / s.stream.avgBitrate) << file << " " << typed;
    }
  }
}

TEST(ParsePositionField, SharesOfTheAudio) {
  Session s = opened("tone_silence_tone.mp3");
  const int64_t a = s.stream.audioStart;
  const int64_t span = s.stream.audioEnd - a;
  EXPECT_EQ(parsePositionField(s, "50%"), a + span / 2);
  EXPECT_EQ(parsePositionField(s, " 25 % "), a + span / 4);
  EXPECT_EQ(parsePositionField(s, "12.5%"), a + static_cast<int64_t>(std::trunc(span * 0.125)));
  EXPECT_EQ(parsePositionField(s, "0%"), a);
  EXPECT_FALSE(parsePositionField(s, "%").has_value());
  EXPECT_FALSE(parsePositionField(s, "-5%").has_value());
  EXPECT_FALSE(parsePositionField(s, "50%%").has_value());
}

TEST(ParsePositionField, PastTheEndIsTheEndOfTheAudio) {
  // Seeking there leaves the cursor at the end of the audio, as "Go to end" does.
  for (const char* file : {"cbr128_info.mp3", "id3v1v2.mp3", "mpeg25_8k.mp3"}) {
    for (const char* typed : {"1'30", "1:30", "90", "1:02:03", "3.5", "150%"}) {
      Session s = opened(file);
      const auto p = parsePositionField(s, typed);
      ASSERT_TRUE(p.has_value()) << file << " " << typed;
      EXPECT_GE(*p, s.stream.audioEnd - s.stream.currentHeader.frameSize) << file << " " << typed;
      EXPECT_EQ(findFrame(s.stream, *p).offset, s.stream.audioEnd) << file << " " << typed;
    }
  }
}

TEST(ParsePositionField, TextThatIsNeitherTimeNorFieldIsNotRead) {
  Session s = opened("cbr128_info.mp3");
  for (const char* typed : {"", " ", "1:7x", "abc", "1:75", "-1", "1 30", "Now", "1:30-2:45", "1'02'03", "%"})
    EXPECT_FALSE(parsePositionField(s, typed).has_value()) << '"' << typed << '"';
}

// --- Ranges typed alone ----------------------------------------------------------------

TEST(ParseSelectionField, TypedRangesSelectFromFrameToFrame) {
  struct Case {
    const char* file;
    const char* typed;
    double beg, end;
  };
  const Case cases[] = {
      {"cbr128_info.mp3", "1-2", 1.0, 2.0},
      {"cbr128_info.mp3", "0:00.5-0:02.75", 0.5, 2.75},
      {"cbr128_info.mp3", " 0'01 - 0'02,5 ", 1.0, 2.5},
      {"cbr128_info.mp3", "2-1", 1.0, 2.0},  // either order
      {"tone_silence_tone.mp3", "0:02-0:04", 2.0, 4.0},
      {"mpeg2_22k.mp3", "0:00:01-0:00:02", 1.0, 2.0},
      {"mpeg25_8k.mp3", "0,5-2,5", 0.5, 2.5},
      {"layer2_mpeg2.mp2", "1.1-1.1", 1.1, 1.1},
      {"ffmpeg_cbr.mp3", "0-0:03", 0.0, 3.0},
  };
  for (const Case& c : cases) {
    Session s = opened(c.file);
    const SelectionFieldChange change = parseSelectionField(s, c.typed);
    EXPECT_TRUE(change.read) << c.file << " " << c.typed;
    const EditRange& sel = s.edits.selection;
    ASSERT_GE(sel.beg, s.stream.audioStart) << c.file << " " << c.typed;
    ASSERT_LE(sel.beg, sel.end) << c.file << " " << c.typed;
    EXPECT_EQ(sel.beg, findFrame(s.stream, offsetAt(s, c.beg)).offset) << c.file << " " << c.typed;
    EXPECT_EQ(sel.end, findFrame(s.stream, offsetAt(s, c.end)).offset) << c.file << " " << c.typed;
    const double length = frameSeconds(s);
    for (const auto& [offset, seconds] : {std::pair{sel.beg, c.beg}, std::pair{sel.end, c.end}}) {
      if (offset == s.stream.audioEnd) continue;
      const double start = frameStartSeconds(s, offset);
      EXPECT_GT(start, seconds - length) << c.file << " " << c.typed;
      EXPECT_LE(start, seconds + length) << c.file << " " << c.typed;
    }
  }
}

TEST(ParseSelectionField, TypedRangeReplacesTheSelectionAndReachesTheEnd) {
  Session s = opened("cbr128_info.mp3");
  const int64_t one = findFrame(s.stream, offsetAt(s, 1.0)).offset;
  setSelectionBegin(s.edits, findFrame(s.stream, offsetAt(s, 2.0)).offset);
  setSelectionEnd(s.edits, findFrame(s.stream, offsetAt(s, 2.5)).offset);
  const SelectionFieldChange change = parseSelectionField(s, "1-1:30");
  EXPECT_TRUE(change.read && change.begin && change.end);
  EXPECT_EQ(s.edits.selection.beg, one);
  EXPECT_EQ(s.edits.selection.end, s.stream.audioEnd);
  // The same range again is read and changes nothing.
  const SelectionFieldChange again = parseSelectionField(s, "0:01-1:30");
  EXPECT_TRUE(again.read);
  EXPECT_FALSE(again.any());
}

TEST(ParseSelectionField, TextThatIsNeitherRangeNorFieldIsNotRead) {
  Session s = opened("cbr128_info.mp3");
  for (const char* typed : {"", "1:30", "1-", "-2", "1--2", "1-2-3", "a-b", "1:75-2", "1 - 2x", "1:30 2:45"}) {
    const SelectionFieldChange change = parseSelectionField(s, typed);
    EXPECT_FALSE(change.read) << '"' << typed << '"';
    EXPECT_FALSE(change.any()) << '"' << typed << '"';
    EXPECT_FALSE(s.edits.hasSelection()) << '"' << typed << '"';
  }
  // The full text is read as before, a range's text is not.
  setSelectionBegin(s.edits, findFrame(s.stream, s.stream.audioStart + 8000).offset);
  EXPECT_TRUE(parseSelectionField(s, selectionFieldText(s)).read);
  EXPECT_FALSE(parseSelectionField(s, " Range (1/1): 0'01.00 - 0'02.00 (0'01.00)").read);
}

}  // namespace
}  // namespace quillane
