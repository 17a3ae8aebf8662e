#include "edit/edit_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/settings.h"
#include "settings/ui_text_ids.h"
#include "support/test_files.h"
#include "view/range_menu.h"

namespace quillane {
namespace {

// Adds [beg, end) of the given type with names, as the commands do.
bool add(Session& s, int64_t beg, int64_t end, uint8_t type = kRangeCut, const std::string& title = "",
         const std::string& artist = "", bool keepNames = true) {
  s.edits.selection.beg = beg;
  s.edits.selection.end = end;
  s.edits.selection.type = type;
  s.edits.selection.title = title;
  s.edits.selection.artist = artist;
  return addRangeFromSelection(s.edits, s.selectionUndo, keepNames);
}

// The ranges in use as (beg, end) pairs.
std::vector<std::pair<int64_t, int64_t>> spans(const EditRangeTable& t) {
  std::vector<std::pair<int64_t, int64_t>> out;
  for (int i = 0; i < t.count; ++i) out.emplace_back(t.ranges[i].beg, t.ranges[i].end);
  return out;
}

using Spans = std::vector<std::pair<int64_t, int64_t>>;

// Slots at count and above hold nothing, names least of all.
void expectFreeSlotsEmpty(const EditRangeTable& t) {
  for (int i = t.count; i < kMaxRanges; ++i) {
    EXPECT_TRUE(t.ranges[i].title.empty()) << i;
    EXPECT_TRUE(t.ranges[i].artist.empty()) << i;
  }
}

TEST(FirstCharactersTest, CountsCodePointsAndNeverSplitsOne) {
  EXPECT_EQ(firstCharacters("Intro", 30), "Intro");
  EXPECT_EQ(firstCharacters("abcdef", 3), "abc");
  EXPECT_EQ(firstCharacters("", 3), "");
  // "é" is two bytes, "€" three, "𝄞" four: each one character.
  EXPECT_EQ(firstCharacters("\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9Ex", 3), "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
  EXPECT_EQ(firstCharacters("\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9Ex", 2), "\xC3\xA9\xE2\x82\xAC");
  // Stray bytes count one each; a truncated sequence at the end is kept as bytes.
  EXPECT_EQ(firstCharacters("\xFF\x80z", 2), "\xFF\x80");
  EXPECT_EQ(firstCharacters("a\xE2\x82", 3), "a\xE2\x82");
  EXPECT_EQ(firstCharacters("a\xE2\x82", 2), "a\xE2");
}

TEST(SelectionTest, BeginAndEndFollowEachOther) {
  EditRangeTable t;
  setSelectionEnd(t, 500);  // no selection yet: both ends
  EXPECT_EQ(t.selection.beg, 500);
  EXPECT_EQ(t.selection.end, 500);
  setSelectionEnd(t, 900);
  EXPECT_EQ(t.selection.beg, 500);
  EXPECT_EQ(t.selection.end, 900);
  setSelectionBegin(t, 1200);  // past the end: the end follows
  EXPECT_EQ(t.selection.beg, 1200);
  EXPECT_EQ(t.selection.end, 1200);
  setSelectionBegin(t, 100);
  EXPECT_EQ(t.selection.beg, 100);
  EXPECT_EQ(t.selection.end, 1200);
  setSelectionEnd(t, 50);  // before the begin: the begin follows
  EXPECT_EQ(t.selection.beg, 50);
  EXPECT_EQ(t.selection.end, 50);

  t.selection.title = "pending";
  t.selection.artist = "someone";
  clearSelection(t);
  EXPECT_FALSE(t.hasSelection());
  EXPECT_EQ(t.selection.beg, -1);
  EXPECT_EQ(t.selection.end, -1);
  EXPECT_TRUE(t.selection.title.empty());
  EXPECT_TRUE(t.selection.artist.empty());
  setSelectionBegin(t, 700);
  EXPECT_EQ(t.selection.end, 700);

  AudioStream stream;
  stream.audioStart = 417;
  stream.audioEnd = 48900;
  selectAll(t, stream);
  EXPECT_EQ(t.selection.beg, 417);
  EXPECT_EQ(t.selection.end, 48900);
}

TEST(SelectionTest, OffsetsBeyondTwoGigabytes) {
  EditRangeTable t;
  const int64_t far = int64_t{5} << 30;
  setSelectionBegin(t, far);
  setSelectionEnd(t, far + 4096);
  EXPECT_EQ(t.selection.beg, far);
  EXPECT_EQ(t.selection.end, far + 4096);
  SelectionUndo u;
  ASSERT_TRUE(addRangeFromSelection(t, u, false));
  EXPECT_EQ(t.ranges[0].beg, far);
  EXPECT_EQ(rangeAtOrBefore(t, far + 1), 0);
  EXPECT_EQ(rangeAtOrBefore(t, far - 1), -1);
}

TEST(SelectionUndoTest, KeepsTheNineteenMostRecentStates) {
  EditRangeTable t;
  SelectionUndo u;
  EXPECT_FALSE(undoSelectionChange(u, t));  // empty: the caller beeps
  // 25 changes; before each the state is pushed.
  for (int i = 0; i < 25; ++i) {
    pushSelectionUndo(u, t);
    t.selection.beg = 1000 * i;
    t.selection.end = 1000 * i + 10;
  }
  // The states before changes 24, 23, ... 6 come back, newest first.
  for (int i = 24; i >= 6; --i) {
    ASSERT_TRUE(undoSelectionChange(u, t)) << i;
    EXPECT_EQ(t.selection.beg, 1000 * (i - 1));
    EXPECT_EQ(t.selection.end, 1000 * (i - 1) + 10);
  }
  EXPECT_FALSE(undoSelectionChange(u, t));
  EXPECT_EQ(t.selection.beg, 5000);  // unchanged by the refused undo
}

TEST(SelectionUndoTest, AddAndDeleteEmptyTheHistory) {
  Session s;
  pushSelectionUndo(s.selectionUndo, s.edits);
  pushSelectionUndo(s.selectionUndo, s.edits);
  ASSERT_TRUE(add(s, 100, 200));
  EXPECT_FALSE(undoSelectionChange(s.selectionUndo, s.edits));

  pushSelectionUndo(s.selectionUndo, s.edits);
  ASSERT_TRUE(deleteRange(s.edits, s.selectionUndo, 0, false));
  EXPECT_FALSE(undoSelectionChange(s.selectionUndo, s.edits));

  // A refused add leaves the history alone.
  pushSelectionUndo(s.selectionUndo, s.edits);
  s.edits.selection.beg = -1;
  EXPECT_FALSE(addRangeFromSelection(s.edits, s.selectionUndo, false));
  EXPECT_TRUE(undoSelectionChange(s.selectionUndo, s.edits));
  clearSelectionUndo(s.selectionUndo);
  EXPECT_FALSE(undoSelectionChange(s.selectionUndo, s.edits));
}

TEST(AddRangeTest, ZeroLengthSelectionBecomesACue) {
  Session s;
  ASSERT_TRUE(add(s, 5000, 5000));
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_TRUE(s.edits.ranges[0].isCue());
  EXPECT_EQ(rangeKindText(s, s.edits.ranges[0]), "Cue");
  // A zero-length gain range shows as a cue too.
  ASSERT_TRUE(add(s, 9000, 9000, kRangeGain));
  EXPECT_EQ(rangeKindText(s, s.edits.ranges[1]), "Cue");
  ASSERT_TRUE(add(s, 10000, 11000, kRangeGain));
  EXPECT_EQ(rangeKindText(s, s.edits.ranges[2]), "Gain");
  ASSERT_TRUE(add(s, 12000, 13000));
  EXPECT_EQ(rangeKindText(s, s.edits.ranges[3]), "Cut");
}

TEST(AddRangeTest, RefusesWithoutAValidSelection) {
  Session s;
  EXPECT_FALSE(add(s, -1, -1));
  EXPECT_FALSE(add(s, 100, -1));
  EXPECT_FALSE(add(s, -1, 100));
  EXPECT_FALSE(add(s, 200, 100));
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_FALSE(s.edits.modified);
  EXPECT_EQ(s.edits.currentRange, -1);
}

TEST(AddRangeTest, TheNewRangeIsCurrentAndTheSelectionIsGone) {
  Session s;
  s.edits.selection.gainbeg = 3;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "Intro", "Band"));
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_TRUE(s.edits.modified);
  EXPECT_EQ(s.edits.ranges[0].title, "Intro");
  EXPECT_EQ(s.edits.ranges[0].artist, "Band");
  // The names passed to the table; the pending record is empty and a cut again.
  EXPECT_EQ(s.edits.selection.beg, -1);
  EXPECT_EQ(s.edits.selection.end, -1);
  EXPECT_EQ(s.edits.selection.type, kRangeCut);
  EXPECT_TRUE(s.edits.selection.title.empty());
  EXPECT_TRUE(s.edits.selection.artist.empty());

  // Without keepNames the pending names are dropped.
  ASSERT_TRUE(add(s, 3000, 4000, kRangeCut, "dropped", "dropped", false));
  EXPECT_TRUE(s.edits.ranges[1].title.empty());
  EXPECT_TRUE(s.edits.ranges[1].artist.empty());
}

TEST(AddRangeTest, RangesStayInOrderWhateverTheOrderOfAdding) {
  Session s;
  ASSERT_TRUE(add(s, 50000, 60000));
  ASSERT_TRUE(add(s, 10000, 20000));
  EXPECT_EQ(s.edits.currentRange, 0);
  ASSERT_TRUE(add(s, 30000, 30000));
  EXPECT_EQ(s.edits.currentRange, 1);
  ASSERT_TRUE(add(s, 70000, 80000, kRangeGain));
  EXPECT_EQ(s.edits.currentRange, 3);
  ASSERT_TRUE(add(s, 0, 5000));
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_EQ(spans(s.edits), (Spans{{0, 5000}, {10000, 20000}, {30000, 30000}, {50000, 60000}, {70000, 80000}}));
  // Touching ranges are allowed.
  ASSERT_TRUE(add(s, 20000, 25000));
  ASSERT_TRUE(add(s, 5000, 10000, kRangeGain));
  EXPECT_EQ(s.edits.currentRange, 1);
  EXPECT_EQ(spans(s.edits), (Spans{{0, 5000},
                                   {5000, 10000},
                                   {10000, 20000},
                                   {20000, 25000},
                                   {30000, 30000},
                                   {50000, 60000},
                                   {70000, 80000}}));
}

TEST(AddRangeTest, InsideOrEqualToARangeIsRefusedAndMakesItCurrent) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000));
  ASSERT_TRUE(add(s, 5000, 6000, kRangeGain));
  ASSERT_TRUE(add(s, 8000, 8000));
  EXPECT_EQ(s.edits.currentRange, 2);
  s.edits.modified = false;

  EXPECT_FALSE(add(s, 1200, 1800));  // inside the cut
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_FALSE(add(s, 5000, 6000, kRangeGain));  // equal to the gain range
  EXPECT_EQ(s.edits.currentRange, 1);
  EXPECT_FALSE(add(s, 8000, 8000));  // on the cue
  EXPECT_EQ(s.edits.currentRange, 2);
  EXPECT_FALSE(add(s, 1000, 1999));  // inside, sharing the begin
  EXPECT_EQ(s.edits.currentRange, 0);

  // A cue on the first or the last offset of a range, or inside it, is refused.
  EXPECT_FALSE(add(s, 1000, 1000));
  EXPECT_FALSE(add(s, 2000, 2000));
  EXPECT_FALSE(add(s, 1500, 1500));
  EXPECT_FALSE(add(s, 5000, 5000));
  EXPECT_FALSE(add(s, 6000, 6000));
  EXPECT_EQ(s.edits.currentRange, 1);

  EXPECT_EQ(s.edits.count, 3);
  EXPECT_FALSE(s.edits.modified);
  // The refused selection stays for another try.
  EXPECT_EQ(s.edits.selection.beg, 6000);
  // Next to the range a cue is fine.
  EXPECT_TRUE(add(s, 2001, 2001));
  EXPECT_TRUE(add(s, 999, 999));
}

TEST(AddRangeTest, ACutAbsorbsTheRangesItOverlaps) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "first", "A"));
  ASSERT_TRUE(add(s, 3000, 4000, kRangeGain, "(+1.5...+1.5 dB)"));
  ASSERT_TRUE(add(s, 9000, 9500, kRangeCut, "far"));
  // Over the second half of the first range and the first half of the second.
  ASSERT_TRUE(add(s, 1500, 3500, kRangeCut, "new"));
  EXPECT_EQ(spans(s.edits), (Spans{{1000, 4000}, {9000, 9500}}));
  EXPECT_EQ(s.edits.ranges[0].title, "new");
  EXPECT_TRUE(s.edits.ranges[0].artist.empty());
  EXPECT_EQ(s.edits.ranges[0].type, kRangeCut);
  EXPECT_EQ(s.edits.ranges[1].title, "far");
  EXPECT_EQ(s.edits.currentRange, 0);
  expectFreeSlotsEmpty(s.edits);

  // Over the first half of a range only: the cut reaches to that range's end.
  ASSERT_TRUE(add(s, 8000, 9200));
  EXPECT_EQ(spans(s.edits), (Spans{{1000, 4000}, {8000, 9500}}));
  EXPECT_TRUE(s.edits.ranges[1].title.empty());
}

TEST(AddRangeTest, AGainRangeIsClippedToTheGap) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "first"));
  ASSERT_TRUE(add(s, 3000, 4000, kRangeCut, "second"));
  s.edits.selection.gainbeg = -4;
  s.edits.selection.gainend = 2;
  ASSERT_TRUE(add(s, 1500, 3500, kRangeGain, "label"));
  EXPECT_EQ(spans(s.edits), (Spans{{1000, 2000}, {2000, 3000}, {3000, 4000}}));
  EXPECT_EQ(s.edits.ranges[0].title, "first");
  EXPECT_EQ(s.edits.ranges[1].type, kRangeGain);
  EXPECT_EQ(s.edits.ranges[1].gainbeg, -4);
  EXPECT_EQ(s.edits.ranges[1].gainend, 2);
  EXPECT_EQ(s.edits.ranges[1].title, "label");
  EXPECT_EQ(s.edits.ranges[2].title, "second");
  EXPECT_EQ(s.edits.currentRange, 1);

  // Over part of a cut only: the end is clipped to the cut's begin.
  ASSERT_TRUE(add(s, 500, 1200, kRangeGain));
  EXPECT_EQ(spans(s.edits).front(), (std::pair<int64_t, int64_t>{500, 1000}));
  // And the begin to a cut's end.
  ASSERT_TRUE(add(s, 3800, 5000, kRangeGain));
  EXPECT_EQ(spans(s.edits).back(), (std::pair<int64_t, int64_t>{4000, 5000}));
}

TEST(AddRangeTest, AGainRangeBetweenTouchingRangesBecomesACue) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000));
  ASSERT_TRUE(add(s, 2000, 3000));
  ASSERT_TRUE(add(s, 1500, 2500, kRangeGain, "label"));
  EXPECT_EQ(spans(s.edits), (Spans{{1000, 2000}, {2000, 2000}, {2000, 3000}}));
  EXPECT_EQ(s.edits.ranges[1].type, kRangeGain);
  EXPECT_EQ(rangeKindText(s, s.edits.ranges[1]), "Cue");
  EXPECT_EQ(s.edits.currentRange, 1);
}

TEST(AddRangeTest, AnEnclosingRangeReplacesAllItEncloses) {
  Session s;
  ASSERT_TRUE(add(s, 100, 200, kRangeCut, "before"));
  ASSERT_TRUE(add(s, 1000, 1000, kRangeCut, "cue at the begin"));
  ASSERT_TRUE(add(s, 1500, 1600, kRangeGain, "gain"));
  ASSERT_TRUE(add(s, 1700, 1700, kRangeCut, "cue"));
  ASSERT_TRUE(add(s, 1800, 1900, kRangeCut, "cut"));
  ASSERT_TRUE(add(s, 2000, 2000, kRangeCut, "cue at the end"));
  ASSERT_TRUE(add(s, 2500, 2600, kRangeCut, "after"));
  ASSERT_TRUE(add(s, 1000, 2000, kRangeGain, "gain over all"));
  EXPECT_EQ(spans(s.edits), (Spans{{100, 200}, {1000, 2000}, {2500, 2600}}));
  EXPECT_EQ(s.edits.ranges[1].title, "gain over all");
  EXPECT_EQ(s.edits.ranges[1].type, kRangeGain);
  EXPECT_EQ(s.edits.currentRange, 1);
  expectFreeSlotsEmpty(s.edits);

  // An enclosing cut that also overlaps the neighbours absorbs them as well.
  ASSERT_TRUE(add(s, 150, 2550));
  EXPECT_EQ(spans(s.edits), (Spans{{100, 2600}}));
  EXPECT_TRUE(s.edits.ranges[0].title.empty());
  expectFreeSlotsEmpty(s.edits);
}

TEST(AddRangeTest, TheTableHoldsTwoHundredRanges) {
  Session s;
  for (int i = 0; i < kMaxRanges; ++i) ASSERT_TRUE(add(s, 1000 * i, 1000 * i + 500, kRangeCut, "r")) << i;
  EXPECT_EQ(s.edits.count, 200);
  s.edits.currentRange = 7;
  EXPECT_FALSE(add(s, 1000 * 300, 1000 * 300));
  EXPECT_EQ(s.edits.count, 200);
  EXPECT_EQ(s.edits.currentRange, 7);
  // Even one that would replace others is refused by a full table.
  EXPECT_FALSE(add(s, 0, 5000));
  EXPECT_EQ(s.edits.count, 200);
  // After a delete there is room again.
  ASSERT_TRUE(deleteRange(s.edits, s.selectionUndo, 199, false));
  EXPECT_TRUE(add(s, 1000 * 300, 1000 * 300));
  EXPECT_EQ(s.edits.count, 200);
}

TEST(AddRangeTest, TheRepairPassDropsRangesThatOverlapALaterOne) {
  // A table that came in broken, as a hand-edited project file can make it.
  Session s;
  EditRangeTable& t = s.edits;
  t.ranges[0] = {kRangeCut, 0, 3000, 0, 0, "overlaps the next", ""};
  t.ranges[1] = {kRangeCut, 2000, 4000, 0, 0, "kept", ""};
  t.ranges[2] = {kRangeCut, 9000, 9500, 0, 0, "out of order", ""};
  t.ranges[3] = {kRangeCut, 6000, 7000, 0, 0, "kept too", ""};
  t.count = 4;
  ASSERT_TRUE(add(s, 20000, 20000, kRangeCut, "new cue"));
  EXPECT_EQ(spans(t), (Spans{{2000, 4000}, {6000, 7000}, {20000, 20000}}));
  EXPECT_EQ(t.ranges[0].title, "kept");
  EXPECT_EQ(t.ranges[1].title, "kept too");
  // The current range still names the new one.
  ASSERT_EQ(t.currentRange, 2);
  EXPECT_EQ(t.ranges[2].title, "new cue");
  expectFreeSlotsEmpty(t);
}

TEST(DeleteRangeTest, RemovesAndKeepsTheCurrentRangeInTheTable) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "a"));
  ASSERT_TRUE(add(s, 3000, 4000, kRangeCut, "b"));
  ASSERT_TRUE(add(s, 5000, 6000, kRangeCut, "c"));
  EXPECT_FALSE(deleteRange(s.edits, s.selectionUndo, -1, false));
  EXPECT_FALSE(deleteRange(s.edits, s.selectionUndo, 3, false));
  EXPECT_EQ(s.edits.count, 3);

  ASSERT_EQ(s.edits.currentRange, 2);
  ASSERT_TRUE(deleteRange(s.edits, s.selectionUndo, 2, false));
  EXPECT_EQ(s.edits.currentRange, 1);
  ASSERT_TRUE(deleteRange(s.edits, s.selectionUndo, 0, false));
  EXPECT_EQ(s.edits.currentRange, 0);  // still within the table
  EXPECT_EQ(s.edits.ranges[0].title, "b");
  expectFreeSlotsEmpty(s.edits);
  ASSERT_TRUE(deleteRange(s.edits, s.selectionUndo, 0, false));
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.currentRange, -1);
  expectFreeSlotsEmpty(s.edits);
}

TEST(TakeBackTest, ACutComesBackAsTheSelectionWithItsNames) {
  Session s;
  EXPECT_FALSE(takeBackCurrentRange(s.edits, s.selectionUndo));  // nothing there
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "Intro", "Band"));
  ASSERT_TRUE(add(s, 3000, 3000, kRangeCut, "Track 2", "Other"));
  s.edits.currentRange = -1;
  EXPECT_FALSE(takeBackCurrentRange(s.edits, s.selectionUndo));

  s.edits.currentRange = 0;
  s.edits.modified = false;
  s.edits.selection.title = "old pending";
  pushSelectionUndo(s.selectionUndo, s.edits);
  ASSERT_TRUE(takeBackCurrentRange(s.edits, s.selectionUndo));
  EXPECT_TRUE(s.edits.modified);
  EXPECT_FALSE(undoSelectionChange(s.selectionUndo, s.edits));
  EXPECT_EQ(spans(s.edits), (Spans{{3000, 3000}}));
  EXPECT_EQ(s.edits.selection.beg, 1000);
  EXPECT_EQ(s.edits.selection.end, 2000);
  EXPECT_EQ(s.edits.selection.title, "Intro");
  EXPECT_EQ(s.edits.selection.artist, "Band");
  EXPECT_EQ(s.edits.currentRange, 0);
  expectFreeSlotsEmpty(s.edits);

  // "&Cut" again recreates it with its names.
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, true));
  EXPECT_EQ(spans(s.edits), (Spans{{1000, 2000}, {3000, 3000}}));
  EXPECT_EQ(s.edits.ranges[0].title, "Intro");
  EXPECT_EQ(s.edits.ranges[0].artist, "Band");

  // A cue carries its names the same way.
  s.edits.currentRange = 1;
  ASSERT_TRUE(takeBackCurrentRange(s.edits, s.selectionUndo));
  EXPECT_EQ(s.edits.selection.beg, 3000);
  EXPECT_EQ(s.edits.selection.end, 3000);
  EXPECT_EQ(s.edits.selection.title, "Track 2");
  EXPECT_EQ(s.edits.currentRange, 0);
}

TEST(TakeBackTest, AGainRangeKeepsItsAmountsButNotItsLabel) {
  Session s;
  s.edits.selection.gainbeg = -32;
  s.edits.selection.gainend = 0;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeGain, "(-48.0...+0.0 dB)", "x"));
  ASSERT_TRUE(takeBackCurrentRange(s.edits, s.selectionUndo));
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.currentRange, -1);
  EXPECT_EQ(s.edits.selection.type, kRangeGain);
  EXPECT_EQ(s.edits.selection.gainbeg, -32);
  EXPECT_EQ(s.edits.selection.gainend, 0);
  EXPECT_EQ(s.edits.selection.beg, 1000);
  EXPECT_EQ(s.edits.selection.end, 2000);
  EXPECT_TRUE(s.edits.selection.title.empty());
  EXPECT_TRUE(s.edits.selection.artist.empty());
  expectFreeSlotsEmpty(s.edits);
}

TEST(RangeAtOrBeforeTest, FindsTheLastRangeBeginningAtOrBefore) {
  Session s;
  EXPECT_EQ(rangeAtOrBefore(s.edits, 0), -1);
  ASSERT_TRUE(add(s, 1000, 2000));
  ASSERT_TRUE(add(s, 2000, 3000));  // touching
  ASSERT_TRUE(add(s, 5000, 6000));
  EXPECT_EQ(rangeAtOrBefore(s.edits, 999), -1);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 1000), 0);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 1999), 0);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 2000), 1);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 4999), 1);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 5000), 2);
  EXPECT_EQ(rangeAtOrBefore(s.edits, 1 << 30), 2);
}

TEST(NamesReleaseTest, ReleasesWhatEachOperationNames) {
  Session s;
  ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "a", "A"));
  ASSERT_TRUE(add(s, 3000, 4000, kRangeCut, "b", "B"));
  s.edits.sheetTitle = "Album";
  s.edits.sheetArtist = "Band";
  s.edits.selection.title = "pending";
  s.edits.selection.artist = "pending";
  releaseRangeNames(s.edits, 0);
  EXPECT_TRUE(s.edits.ranges[0].title.empty());
  EXPECT_TRUE(s.edits.ranges[0].artist.empty());
  EXPECT_EQ(s.edits.ranges[1].title, "b");
  releaseRangeNames(s.edits, -1);   // ignored
  releaseRangeNames(s.edits, 200);  // ignored
  releasePendingNames(s.edits);
  EXPECT_TRUE(s.edits.selection.title.empty());
  EXPECT_TRUE(s.edits.selection.artist.empty());
  releaseAllNames(s.edits);
  EXPECT_TRUE(s.edits.ranges[1].title.empty());
  EXPECT_TRUE(s.edits.ranges[1].artist.empty());
  EXPECT_TRUE(s.edits.sheetTitle.empty());
  EXPECT_TRUE(s.edits.sheetArtist.empty());
  EXPECT_EQ(s.edits.count, 2);  // the ranges themselves stay
}

TEST(NavigationTest, PreviousAndNextRangeMoveTheCursor) {
  Session s;
  goToPreviousRange(s);
  goToNextRange(s);
  EXPECT_EQ(s.stream.cursor, 0);  // no ranges: nothing moves
  EXPECT_EQ(s.edits.currentRange, -1);

  ASSERT_TRUE(add(s, 1000, 2000));
  ASSERT_TRUE(add(s, 3000, 3000));
  ASSERT_TRUE(add(s, 5000, 6000));
  s.edits.currentRange = 1;
  goToNextRange(s);
  EXPECT_EQ(s.edits.currentRange, 2);
  EXPECT_EQ(s.stream.cursor, 5000);
  s.stream.cursor = 9999;
  goToNextRange(s);  // at the last: stays, the cursor still jumps to its begin
  EXPECT_EQ(s.edits.currentRange, 2);
  EXPECT_EQ(s.stream.cursor, 5000);
  goToPreviousRange(s);
  EXPECT_EQ(s.edits.currentRange, 1);
  EXPECT_EQ(s.stream.cursor, 3000);
  goToPreviousRange(s);
  goToPreviousRange(s);
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_EQ(s.stream.cursor, 1000);

  // With no current range, "next" goes to the first one and "previous" does nothing.
  s.edits.currentRange = -1;
  s.stream.cursor = 4444;
  goToPreviousRange(s);
  EXPECT_EQ(s.stream.cursor, 4444);
  goToNextRange(s);
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_EQ(s.stream.cursor, 1000);
}

TEST(NavigationTest, BeginAndEndGoToTheSelectionElseTheCurrentRange) {
  Session s;
  goToSelectionBegin(s);
  goToSelectionEnd(s);
  EXPECT_EQ(s.stream.cursor, 0);
  ASSERT_TRUE(add(s, 1000, 2000));
  goToSelectionBegin(s);
  EXPECT_EQ(s.stream.cursor, 1000);
  goToSelectionEnd(s);
  EXPECT_EQ(s.stream.cursor, 2000);
  s.edits.selection.beg = 7000;
  s.edits.selection.end = 8000;
  goToSelectionBegin(s);
  EXPECT_EQ(s.stream.cursor, 7000);
  goToSelectionEnd(s);
  EXPECT_EQ(s.stream.cursor, 8000);
  // No selection and no current range: the cursor stays.
  clearSelection(s.edits);
  s.edits.currentRange = -1;
  goToSelectionBegin(s);
  EXPECT_EQ(s.stream.cursor, 8000);
}

TEST(NavigationTest, ListMenuItemsSelectTheirRange) {
  Session s;
  EXPECT_FALSE(selectRangeFromMenu(s, 1200));
  for (int i = 0; i < 45; ++i) ASSERT_TRUE(add(s, 1000 * (i + 1), 1000 * (i + 1)));
  ASSERT_TRUE(selectRangeFromMenu(s, 1203));
  EXPECT_EQ(s.edits.currentRange, 3);
  EXPECT_EQ(s.stream.cursor, 4000);
  ASSERT_TRUE(selectRangeFromMenu(s, 1239));
  EXPECT_EQ(s.edits.currentRange, 39);
  // Only the 40 listed ranges have items.
  EXPECT_FALSE(selectRangeFromMenu(s, 1240));
  EXPECT_FALSE(selectRangeFromMenu(s, 1199));
  EXPECT_EQ(s.edits.currentRange, 39);
  EXPECT_EQ(s.stream.cursor, 40000);
}

TEST(AutoselectTest, TheCurrentRangeFollowsThePosition) {
  Session s;
  s.stream.cursor = 5000;
  autoselectRange(s);
  EXPECT_EQ(s.edits.currentRange, -1);  // no ranges
  ASSERT_TRUE(add(s, 1000, 2000));
  ASSERT_TRUE(add(s, 3000, 3000));
  ASSERT_TRUE(add(s, 6000, 7000));
  s.stream.cursor = 3500;
  autoselectRange(s);
  EXPECT_EQ(s.edits.currentRange, 1);
  s.stream.cursor = 500;  // before the first range: range 1 (index 0)
  autoselectRange(s);
  EXPECT_EQ(s.edits.currentRange, 0);
  // While playing the play position counts.
  s.playing = true;
  s.playPosition = 6500;
  autoselectRange(s);
  EXPECT_EQ(s.edits.currentRange, 2);
  s.playing = false;
  // Off: nothing changes.
  s.settings.autoselect = 0;
  s.stream.cursor = 3000;
  autoselectRange(s);
  EXPECT_EQ(s.edits.currentRange, 2);
}

TEST(RangeMenuTest, EmptyTableGivesOneGreyedItem) {
  Session s;
  const auto items = rangeMenuItems(s);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, "(No cut/gain/cue present)");
  EXPECT_FALSE(items[0].enabled);
}

TEST(RangeMenuTest, ItemTextsShowNumberKindTimeAndTitle) {
  Session s;
  s.stream.audioStart = 417;
  s.stream.avgBitrate = 128000.0f;  // 16000 bytes a second
  ASSERT_TRUE(add(s, 417 + 16000, 417 + 32000, kRangeCut, "Intro", "Band"));
  ASSERT_TRUE(add(s, 417 + 16000 * 65 + 8000, 417 + 16000 * 66, kRangeGain, "(-48.0...+0.0 dB)"));
  ASSERT_TRUE(add(s, 417, 417));
  ASSERT_TRUE(add(s, 417 + 40000, 417 + 40000, kRangeCut,
                  "A title that is much longer than thirty characters"));
  // é, ü and — are one character each; the cut comes after 30 characters.
  ASSERT_TRUE(add(s, 417 + 48000, 417 + 48000, kRangeCut,
                  "Caf\xC3\xA9 M\xC3\xBCller \xE2\x80\x94 a song name going on"));
  const auto items = rangeMenuItems(s);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "01 Cue\t0'00.00");
  EXPECT_EQ(items[1].text, "02 Cut\t0'01.00 Intro");
  EXPECT_EQ(items[2].text, "03 Cue\t0'02.50 A title that is much longer th");
  EXPECT_EQ(items[3].text, "04 Cue\t0'03.00 Caf\xC3\xA9 M\xC3\xBCller \xE2\x80\x94 a song name goin");
  EXPECT_EQ(items[4].text, "05 Gain\t1'05.50 (-48.0...+0.0 dB)");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(items[i].commandId, 1200 + i);
    EXPECT_TRUE(items[i].enabled);
  }

  s.settings.show_milisec = 1;
  EXPECT_EQ(rangeMenuItems(s)[1].text, "02 Cut\t0'01.000 Intro");
  // A language file may rename the kinds.
  s.text.text[ui::kListCut] = "Schnitt";
  EXPECT_EQ(rangeMenuItems(s)[1].text, "02 Schnitt\t0'01.000 Intro");
}

// Ranges may come from anywhere (a project file holds any 64-bit offset): their
// times stay within the audio and nothing overflows.
TEST(RangeMenuTest, RangesFromAnywhereShowTimesWithinTheAudio) {
  Session s;
  s.stream.audioStart = 417;
  s.stream.audioEnd = 48900;          // 48483 bytes of audio
  s.stream.avgBitrate = 128000.0f;    // 16000 bytes a second: 3.03 s
  const int64_t offsets[] = {INT64_MIN, -1, 417, 48900, 99999999999, INT64_MAX};
  const char* const times[] = {"0'00.00", "0'00.00", "0'00.00", "0'03.03", "0'03.03", "0'03.03"};
  for (const int64_t at : offsets) {
    EditRange& r = s.edits.ranges[s.edits.count++];
    r.beg = at;
    r.end = at;
  }
  const auto items = rangeMenuItems(s);
  ASSERT_EQ(items.size(), std::size(times));
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& text = items[i].text;
    EXPECT_EQ(text.substr(text.find('\t') + 1), times[i]) << offsets[i];
  }
}

TEST(RangeMenuTest, ShowsAtMostFortyRanges) {
  Session s;
  s.stream.avgBitrate = 128000.0f;
  for (int i = 0; i < 55; ++i) ASSERT_TRUE(add(s, 16000 * i, 16000 * i + 8000));
  const auto items = rangeMenuItems(s);
  ASSERT_EQ(items.size(), 40u);
  EXPECT_EQ(items[9].text, "10 Cut\t0'09.00");
  EXPECT_EQ(items[39].text, "40 Cut\t0'39.00");
  EXPECT_EQ(items[39].commandId, 1239);
}

TEST(ResetEditModelTest, LevelsClearWhatTheyName) {
  test::TempDir dir;
  Session s;
  s.settingsFile = dir / "quillane.ini";
  Settings stored;
  stored.autocue = 77;
  stored.show_milisec = 1;
  ASSERT_TRUE(writeSettings(stored, s.settingsFile));

  auto fill = [&] {
    ASSERT_TRUE(add(s, 1000, 2000, kRangeCut, "a", "A"));
    s.edits.selection.beg = 5;
    s.edits.selection.end = 9;
    s.edits.selection.title = "pending";
    s.edits.sheetTitle = "Album";
    s.edits.sheetArtist = "Band";
    pushSelectionUndo(s.selectionUndo, s.edits);
    s.stream.sourcePath = "/music/a.mp3";
    s.stream.audioStart = 417;
    s.stream.audioEnd = 48900;
    s.stream.cursor = 3000;
    s.stream.vbrMode = kVbrXing;
    s.stream.hasId3v1 = true;
    s.stream.id3v1Tag[0] = 'T';
    s.save.saveSelection = true;
    s.save.appendMode = true;
    s.save.id3v2Edits = Id3v2MainFields{.title = "edited"};
    s.settings.autocue = 5;
  };

  fill();
  resetEditModel(s, ResetLevel::None);
  EXPECT_EQ(s.edits.count, 1);

  resetEditModel(s, ResetLevel::FileState);
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.currentRange, -1);
  EXPECT_FALSE(s.edits.hasSelection());
  EXPECT_EQ(s.edits.selection.beg, -1);
  EXPECT_TRUE(s.edits.selection.title.empty());
  EXPECT_FALSE(s.edits.modified);
  EXPECT_TRUE(s.edits.sheetTitle.empty());
  EXPECT_TRUE(s.edits.sheetArtist.empty());
  EXPECT_FALSE(undoSelectionChange(s.selectionUndo, s.edits));
  EXPECT_EQ(s.stream.audioStart, 0);
  EXPECT_EQ(s.stream.audioEnd, 0);
  EXPECT_EQ(s.stream.cursor, 0);
  EXPECT_EQ(s.stream.vbrMode, kVbrConstant);
  EXPECT_FALSE(s.stream.hasId3v1);
  EXPECT_EQ(s.stream.id3v1Tag[0], 0);
  EXPECT_FALSE(s.save.saveSelection);
  EXPECT_FALSE(s.save.appendMode);
  EXPECT_FALSE(s.save.id3v2Edits.has_value());
  expectFreeSlotsEmpty(s.edits);
  for (const EditRange& r : s.edits.ranges) EXPECT_EQ(r.beg, -1);
  EXPECT_EQ(s.stream.sourcePath, "/music/a.mp3");
  EXPECT_EQ(s.settings.autocue, 5);

  fill();
  resetEditModel(s, ResetLevel::FileStateAndSource);
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_TRUE(s.stream.sourcePath.empty());
  EXPECT_EQ(s.settings.autocue, 5);

  fill();
  s.settings.language = "xx";
  resetEditModel(s, ResetLevel::Everything);
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_TRUE(s.stream.sourcePath.empty());
  EXPECT_EQ(s.settings.autocue, 77);  // read from the file
  EXPECT_EQ(s.settings.show_milisec, 1);
  EXPECT_TRUE(s.settings.language.empty());  // the default, as the file holds it
}

TEST(ResetEditModelTest, FileStateOnAnOpenFileKeepsItOpen) {
  // Closing a file releases the names and resets the file state; the file itself is
  // the stream's business.
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_info.mp3")));
  ASSERT_EQ(s.stream.audioStart, 417);
  releaseAllNames(s.edits);
  resetEditModel(s, ResetLevel::FileState);
  EXPECT_EQ(s.stream.audioStart, 0);
  EXPECT_EQ(s.stream.avgBitrate, 0.0f);
  EXPECT_FALSE(s.stream.sourcePath.empty());
}

}  // namespace
}  // namespace quillane
