#include "view/typed_positions.h"

#include <gtest/gtest.h>

#include <string>

#include "edit/edit_model.h"
#include "support/test_files.h"
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
  s.stream.cursor = findFrame(s.stream, s.stream.audioStart + span / 3 + 100);
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
    s.stream.cursor = findFrame(s.stream, off);
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
    beg = findFrame(s.stream, s.stream.audioStart + 8000);
    end = findFrame(s.stream, s.stream.audioStart + 24000);
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
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(0.52) + (at(2.0) - s.stream.audioStart)));
}

TEST_F(TypedSelection, ChangedLengthWinsOverChangedEnd) {
  parseSelectionField(s, " Selection: 0'00.52 - 0'02.50 (0'02.00)");
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(0.52) + (at(2.0) - s.stream.audioStart)));
}

TEST_F(TypedSelection, ChangedBeginAndEnd) {
  const auto change = parseSelectionField(s, " Selection: 0'01.00 - 0'02.50 (0'00.99)");
  EXPECT_TRUE(change.begin);
  EXPECT_TRUE(change.end);
  EXPECT_FALSE(change.lengthApplied);
  EXPECT_EQ(s.edits.selection.beg, findFrame(s.stream, at(1.0)));
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, at(2.5)));
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

}  // namespace
}  // namespace quillane
