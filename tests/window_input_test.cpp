#include "shell/window_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "stream/open_stream.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::dataPath;
using test::ScriptedShellHost;

int undoEntries(const Session& s) {
  int n = 0;
  for (const auto& entry : s.selectionUndo.entries) n += entry.valid ? 1 : 0;
  return n;
}

// tone_silence_tone.mp3 (231 frames) with the cursor in the middle, in a graph
// window of 450 x 100 at zoom 4: 225 columns, the split line at 90.
class WindowInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::openInSession(s, dataPath("tone_silence_tone.mp3")));
    s.stream.cursor = findCurrentFrame(s.stream, (s.stream.audioStart + s.stream.audioEnd) / 2);
    ASSERT_EQ(g.graphColumns, 225);
    ASSERT_EQ(g.graphBottom, 90);
  }
  // The frame that column x of the level graph shows.
  int64_t frameAt(int x) {
    const int d = x * g.graphColumns / g.width - g.graphColumns / 2;
    return findFrame(s.stream, static_cast<int64_t>(static_cast<double>(s.stream.cursor) + d * s.stream.avgFrameSize)).offset;
  }
  void select(int64_t beg, int64_t end) {
    s.edits.selection.beg = beg;
    s.edits.selection.end = end;
  }
  void mouse(MouseKeys keys, int x, bool pressed = true, int y = 40) { graphMouse(s, host, g, keys, x, y, pressed); }

  Session s;
  ScriptedShellHost host{s};
  GraphGeometry g = computeGraphGeometry(450, 100, 4);
  const MouseKeys left{.left = true};
  const MouseKeys shiftLeft{.left = true, .shift = true};
  const MouseKeys right{.right = true};
};

TEST_F(WindowInput, LeftPressStartsANewSelection) {
  const int64_t cursor = s.stream.cursor;
  select(frameAt(100), frameAt(200));
  mouse(left, 300);
  EXPECT_EQ(s.edits.selection.beg, frameAt(300));
  EXPECT_EQ(s.edits.selection.end, frameAt(300));
  EXPECT_GT(frameAt(300), cursor);
  EXPECT_EQ(s.stream.cursor, cursor);
  EXPECT_EQ(undoEntries(s), 1);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});
}

TEST_F(WindowInput, ShiftLeftAndRightMoveTheNearerBound) {
  select(frameAt(100), frameAt(400));
  mouse(shiftLeft, 350);
  EXPECT_EQ(s.edits.selection.beg, frameAt(100));
  EXPECT_EQ(s.edits.selection.end, frameAt(350));
  mouse(right, 150);
  EXPECT_EQ(s.edits.selection.beg, frameAt(150));
  EXPECT_EQ(s.edits.selection.end, frameAt(350));
  EXPECT_EQ(undoEntries(s), 2);

  // A tie moves the end; before a one-point selection the begin moves.
  const int64_t t = frameAt(250);
  select(t - 1000, t + 1000);
  mouse(shiftLeft, 250);
  EXPECT_EQ(s.edits.selection.beg, t - 1000);
  EXPECT_EQ(s.edits.selection.end, t);
  select(frameAt(300), frameAt(300));
  mouse(right, 100);
  EXPECT_EQ(s.edits.selection.beg, frameAt(100));
  EXPECT_EQ(s.edits.selection.end, frameAt(300));
}

TEST_F(WindowInput, MethodZeroSetsTheBoundsDirectly) {
  s.settings.mouse_method = 0;
  select(frameAt(200), frameAt(300));
  mouse(left, 100);
  EXPECT_EQ(s.edits.selection.beg, frameAt(100));
  EXPECT_EQ(s.edits.selection.end, frameAt(300));
  mouse(right, 250);
  EXPECT_EQ(s.edits.selection.beg, frameAt(100));
  EXPECT_EQ(s.edits.selection.end, frameAt(250));
  EXPECT_EQ(undoEntries(s), 2);
}

TEST_F(WindowInput, CtrlMovesOnlyTheCursor) {
  select(frameAt(100), frameAt(200));
  const EditRange before = s.edits.selection;
  const int64_t target = frameAt(300);
  mouse({.left = true, .ctrl = true}, 300);
  EXPECT_EQ(s.stream.cursor, target);
  EXPECT_EQ(s.edits.selection.beg, before.beg);
  EXPECT_EQ(s.edits.selection.end, before.end);
  EXPECT_EQ(undoEntries(s), 0);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});
}

TEST_F(WindowInput, DragMovesTheNearerBoundWithoutHistory) {
  mouse(left, 200);
  mouse(left, 260, false);
  EXPECT_EQ(s.edits.selection.beg, frameAt(200));
  EXPECT_EQ(s.edits.selection.end, frameAt(260));
  mouse(left, 150, false);
  EXPECT_EQ(s.edits.selection.beg, frameAt(150));
  EXPECT_EQ(s.edits.selection.end, frameAt(260));
  EXPECT_EQ(undoEntries(s), 1);
  EXPECT_EQ(host.refreshes.size(), 3u);
}

TEST_F(WindowInput, OutsideTheWindowOrWithoutAFileNothingHappens) {
  select(frameAt(100), frameAt(200));
  const EditRange before = s.edits.selection;
  mouse(left, 0);
  mouse(left, -5);
  mouse(left, 450);
  mouse(left, 100, true, 0);
  mouse(left, 100, true, 100);
  closeStream(s.stream);
  mouse(left, 100);
  EXPECT_EQ(s.edits.selection.beg, before.beg);
  EXPECT_EQ(s.edits.selection.end, before.end);
  EXPECT_TRUE(host.refreshes.empty());
}

TEST_F(WindowInput, OverviewStripSeeksInTheWholeFile) {
  const AudioStream& a = s.stream;
  const int64_t quarter = a.audioStart + (a.audioEnd - a.audioStart) * 112 / 450;
  mouse(left, 112, true, 95);
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, quarter).offset);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});
  mouse(right, 300, true, 95);  // the left button only
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, quarter).offset);

  // While playing, the completion notices refresh the display.
  s.playing = true;
  mouse(left, 300, true, 90);
  EXPECT_EQ(host.refreshes.size(), 1u);
}

// --- Position bar ---------------------------------------------------------------

TEST_F(WindowInput, PositionBarLinesAndPages) {
  const int64_t c = s.stream.cursor;
  const float avg = s.stream.avgFrameSize;
  positionBarScroll(s, host, ScrollCode::LineLeft, 0);
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, static_cast<int64_t>(c - 1.5 * avg)).offset);
  EXPECT_LT(s.stream.cursor, c);

  s.stream.cursor = c;
  findCurrentFrame(s.stream, c);
  const int size = s.stream.currentHeader.frameSize;
  positionBarScroll(s, host, ScrollCode::LineRight, 0);
  EXPECT_EQ(s.stream.cursor, c + size);  // the next frame

  // 192 frames reach past both ends of this 231-frame file from its middle.
  positionBarScroll(s, host, ScrollCode::PageRight, 0);
  EXPECT_EQ(s.stream.cursor, s.stream.audioEnd);
  positionBarScroll(s, host, ScrollCode::PageLeft, 0);
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, static_cast<int64_t>(s.stream.audioEnd - 192.0 * avg)).offset);
  s.stream.cursor = c;
  positionBarScroll(s, host, ScrollCode::PageLeft, 0);
  EXPECT_EQ(s.stream.cursor, s.stream.audioStart);
  EXPECT_EQ(host.refreshes, (std::vector<int>{2, 2, 2, 2, 2}));
}

TEST_F(WindowInput, PositionBarThumb) {
  const AudioStream& a = s.stream;
  const int64_t middle = a.audioStart + (a.audioEnd - a.audioStart) / 2;
  s.stream.cursor = a.audioStart;
  positionBarScroll(s, host, ScrollCode::ThumbTrack, 500);
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, middle).offset);
  EXPECT_GE(s.stream.cursor, middle);
  EXPECT_LT(s.stream.cursor, middle + 420);
  // Releasing the thumb (and every other code) does nothing more.
  positionBarScroll(s, host, ScrollCode::Other, 0);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});

  s.playing = true;
  positionBarScroll(s, host, ScrollCode::ThumbTrack, 1000);
  EXPECT_EQ(s.stream.cursor, a.audioEnd);
  EXPECT_EQ(host.refreshes.size(), 1u);
}

// --- Dropped files ----------------------------------------------------------------

TEST_F(WindowInput, DropRefusedWhileNotIdle) {
  const std::string open = s.stream.sourcePath;
  s.playing = true;
  dropFiles(s, host, {dataPath("cbr128_info.mp3").string()});
  EXPECT_EQ(s.stream.sourcePath, open);
  EXPECT_TRUE(s.stream.isOpen());
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].text, "Please stop play/rec first");
  EXPECT_TRUE(host.refreshes.empty());
}

TEST_F(WindowInput, DropOpensTheFirstFileAfterTheUnsavedQuestion) {
  select(frameAt(100), frameAt(200));
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
  ASSERT_TRUE(s.edits.modified);
  const std::vector<std::string> dropped = {dataPath("cbr128_info.mp3").string(), dataPath("mono.mp3").string()};

  host.scripted.messageAnswers = {MessageAnswer::Cancel};
  dropFiles(s, host, dropped);
  EXPECT_EQ(s.stream.sourcePath, dataPath("tone_silence_tone.mp3").string());
  EXPECT_EQ(s.edits.count, 1);

  host.scripted.messageAnswers = {MessageAnswer::No};
  dropFiles(s, host, dropped);
  ASSERT_EQ(host.messages().size(), 2u);
  EXPECT_EQ(host.messages()[1].text, "Changes unsaved. Save modified Project?");
  EXPECT_EQ(s.stream.sourcePath, dropped[0]);
  EXPECT_TRUE(s.stream.isOpen());
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(host.refreshes, std::vector<int>{3});
  EXPECT_EQ(host.rangeMenuRebuilds, 1);

  dropFiles(s, host, {});
  EXPECT_EQ(host.refreshes.size(), 1u);
}

// --- Typed positions ----------------------------------------------------------------

int64_t bytesOf(const Session& s, double seconds) {
  return static_cast<int64_t>(static_cast<double>(s.stream.avgBitrate) / 8.0 * seconds);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from << " in " << text;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(WindowInput, TypedPositionTimeOrPercentage) {
  const AudioStream& a = s.stream;
  s.stream.cursor = a.audioStart;
  const std::string field = positionFieldText(s);
  enterPositionField(s, host, replaced(field, "Now: 0'00.00", "Now: 0'02.00"));
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, a.audioStart + bytesOf(s, 2.0)).offset);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});

  s.stream.cursor = a.audioStart;
  enterPositionField(s, host, replaced(field, "(0%)", "(50%)"));
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, a.audioStart + (a.audioEnd - a.audioStart) / 2).offset);

  // Text that can't be read leaves all as it is.
  enterPositionField(s, host, " Total: 0'06.03   Jetzt: 0'01.00   (0%)");
  EXPECT_EQ(host.refreshes.size(), 2u);
}

TEST_F(WindowInput, TypedSelectionLengthWinsOverEnd) {
  const AudioStream& a = s.stream;
  select(findFrame(s.stream, a.audioStart + bytesOf(s, 1.0)).offset, findFrame(s.stream, a.audioStart + bytesOf(s, 2.0)).offset);
  const int64_t beg = s.edits.selection.beg;
  const int64_t b = a.audioStart + bytesOf(s, 1.0);
  enterSelectionField(s, host, " Selection: 0'01.00 - 0'02.50 (0'03.00)");
  EXPECT_EQ(s.edits.selection.beg, beg);
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, b + bytesOf(s, 3.0)).offset);
  EXPECT_EQ(host.refreshes, std::vector<int>{2});

  // Without a file the fields are not read: a typed text beeps, a blank one does not.
  closeStream(s.stream);
  EXPECT_FALSE(enterSelectionField(s, host, " Selection: 0'00.00 - 0'02.50 (0'02.50)"));
  EXPECT_FALSE(enterPositionField(s, host, "1:30"));
  EXPECT_EQ(host.scripted.beeps, 2);
  EXPECT_TRUE(enterPositionField(s, host, " "));
  EXPECT_TRUE(enterSelectionField(s, host, ""));
  EXPECT_EQ(host.scripted.beeps, 2);
  EXPECT_EQ(host.refreshes.size(), 1u);
}

TEST_F(WindowInput, TypedTimesAloneAreTaken) {
  const AudioStream& a = s.stream;
  EXPECT_TRUE(enterPositionField(s, host, "0:02"));
  EXPECT_EQ(s.stream.cursor, findFrame(s.stream, a.audioStart + bytesOf(s, 2.0)).offset);
  EXPECT_TRUE(enterPositionField(s, host, "1'30"));  // past the end of these 6 s
  EXPECT_EQ(s.stream.cursor, a.audioEnd);
  EXPECT_TRUE(enterSelectionField(s, host, "0:01-0:03.5"));
  EXPECT_EQ(s.edits.selection.beg, findFrame(s.stream, a.audioStart + bytesOf(s, 1.0)).offset);
  EXPECT_EQ(s.edits.selection.end, findFrame(s.stream, a.audioStart + bytesOf(s, 3.5)).offset);
  EXPECT_EQ(host.refreshes, (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(host.scripted.beeps, 0);
}

TEST_F(WindowInput, TextNotUnderstoodBeepsAndChangesNothing) {
  select(frameAt(100), frameAt(200));
  const EditRange selection = s.edits.selection;
  const int64_t cursor = s.stream.cursor;
  int beeps = 0;
  for (const char* typed : {"1:7x", "abc", "1:75", "-3", "1'02'03", "1:30-2:45x", " Total: 0'06.03   Jetzt: 0'01.00   (0%)"}) {
    EXPECT_FALSE(enterPositionField(s, host, typed)) << typed;
    EXPECT_EQ(host.scripted.beeps, ++beeps) << typed;
    EXPECT_FALSE(enterSelectionField(s, host, typed)) << typed;
    EXPECT_EQ(host.scripted.beeps, ++beeps) << typed;
  }
  // A single time is no range.
  EXPECT_FALSE(enterSelectionField(s, host, "1:30"));
  EXPECT_EQ(host.scripted.beeps, ++beeps);
  EXPECT_EQ(s.stream.cursor, cursor);
  EXPECT_EQ(s.edits.selection.beg, selection.beg);
  EXPECT_EQ(s.edits.selection.end, selection.end);
  EXPECT_EQ(undoEntries(s), 0);
  // Nothing is refreshed, so the field keeps what was typed for retyping.
  EXPECT_TRUE(host.refreshes.empty());
}

TEST_F(WindowInput, ShownTextsAreNeverRefused) {
  // Enter or Tab on an untouched field: the position field goes to its percentage,
  // the selection field changes nothing, a range's text is left as it is.
  EXPECT_TRUE(enterPositionField(s, host, positionFieldText(s)));
  select(frameAt(100), frameAt(200));
  EXPECT_TRUE(enterSelectionField(s, host, selectionFieldText(s)));
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
  const std::string range = selectionFieldText(s);
  ASSERT_EQ(range.rfind(" Range (1/1): ", 0), 0u) << range;
  EXPECT_TRUE(enterSelectionField(s, host, range));
  EXPECT_FALSE(s.edits.hasSelection());
  EXPECT_EQ(host.scripted.beeps, 0);
  EXPECT_EQ(host.refreshes, (std::vector<int>{2, 2, 2}));
  // A range's text once edited can't be taken.
  EXPECT_FALSE(enterSelectionField(s, host, range + "0"));
  EXPECT_EQ(host.scripted.beeps, 1);
}

// --- Command line -------------------------------------------------------------------

TEST(CommandLineFile, ArgumentRules) {
  EXPECT_EQ(commandLineFile({}), "");
  EXPECT_EQ(commandLineFile({"quillane"}), "");
  EXPECT_EQ(commandLineFile({"quillane", "/r"}), "/r");
  // The shell took the quotes off: the words of an unquoted path are one path again.
  EXPECT_EQ(commandLineFile({"quillane", "/music/My", "Song.mp3"}), "/music/My Song.mp3");
  // Quotes that reached the program: the leading one goes, the text ends at the last one.
  EXPECT_EQ(commandLineFile({"quillane", "\"/music/My Song.mp3\""}), "/music/My Song.mp3");
  EXPECT_EQ(commandLineFile({"quillane", "\"/music/My", "Song.mp3\"", "ignored"}), "/music/My Song.mp3");
  EXPECT_EQ(commandLineFile({"quillane", "", "x.mp3"}), "x.mp3");
}

TEST(CommandLineOpen, EmptyRecordAndFile) {
  {
    Session s;
    ScriptedShellHost host(s);
    openCommandLineFile(s, host, "");
    EXPECT_EQ(host.refreshes, std::vector<int>{3});
    EXPECT_EQ(host.recentMenuRebuilds, 1);
    EXPECT_EQ(host.rangeMenuRebuilds, 1);
  }
  {
    Session s;
    ScriptedShellHost host(s);
    s.stream.sourcePath = "/r";
    openCommandLineFile(s, host, "/r");
    EXPECT_EQ(s.stream.sourcePath, "");
    EXPECT_FALSE(s.stream.isOpen());
    EXPECT_EQ(host.refreshes, std::vector<int>{3});
  }
  {
    Session s;
    ScriptedShellHost host(s);
    const fs::path relative = fs::relative(dataPath("mono.mp3"));
    openCommandLineFile(s, host, relative.string());
    EXPECT_TRUE(s.stream.isOpen());
    EXPECT_EQ(s.stream.sourcePath, fs::absolute(relative).string());
    EXPECT_EQ(s.settings.file_recent[0], s.stream.sourcePath);
    EXPECT_EQ(host.refreshes, std::vector<int>{3});
  }
  {
    Session s;
    ScriptedShellHost host(s);
    openCommandLineFile(s, host, "/no/such/folder/x.mp3");
    EXPECT_FALSE(s.stream.isOpen());
    EXPECT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.refreshes, std::vector<int>{0});
  }
}

}  // namespace
}  // namespace quillane
