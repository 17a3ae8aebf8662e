#include "edit/names_dialog_model.h"

#include <gtest/gtest.h>

#include <string>

#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"
#include "view/range_menu.h"

namespace quillane {
namespace {

class NamesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    addRange(1000, 2000, kRangeCut, "Intro", "Band");
    addRange(3000, 3000, kRangeCut, "", "");
    addRange(5000, 6000, kRangeGain, "(+1.5...+1.5 dB)", "");
    s_.edits.modified = false;
  }
  void addRange(int64_t beg, int64_t end, uint8_t type, const std::string& title, const std::string& artist) {
    s_.edits.selection.beg = beg;
    s_.edits.selection.end = end;
    s_.edits.selection.type = type;
    s_.edits.selection.title = title;
    s_.edits.selection.artist = artist;
    ASSERT_TRUE(addRangeFromSelection(s_.edits, s_.selectionUndo, true));
  }
  Session s_;
};

TEST_F(NamesDialogTest, OpensOnTheCurrentRange) {
  s_.edits.currentRange = 0;
  NamesDialog d = openNamesDialog(s_);
  EXPECT_FALSE(d.editsSheet);
  EXPECT_EQ(d.rangeIndex, 0);
  EXPECT_EQ(d.caption, "Names for Cue #1");
  EXPECT_EQ(d.artist, "Band");
  EXPECT_EQ(d.title, "Intro");

  // Whatever the kind; a gain range shows its label as the title.
  s_.edits.currentRange = 2;
  d = openNamesDialog(s_);
  EXPECT_EQ(d.caption, "Names for Cue #3");
  EXPECT_EQ(d.title, "(+1.5...+1.5 dB)");
  EXPECT_TRUE(d.artist.empty());

  s_.text.text[ui::kNamesFor] = "Namen f\xC3\xBCr";
  EXPECT_EQ(openNamesDialog(s_).caption, "Namen f\xC3\xBCr Cue #3");
}

TEST_F(NamesDialogTest, OkSetsTheRangesNamesAsTyped) {
  s_.stream.avgBitrate = 128000.0f;
  s_.edits.currentRange = 1;
  NamesDialog d = openNamesDialog(s_);
  d.artist = "  Someone  ";
  d.title = "Track \xE2\x80\x94 two";
  acceptNamesDialog(s_, d);
  closeNamesDialog(s_, d);
  EXPECT_TRUE(s_.edits.modified);
  EXPECT_EQ(s_.edits.ranges[1].artist, "  Someone  ");  // no trimming
  EXPECT_EQ(s_.edits.ranges[1].title, "Track \xE2\x80\x94 two");
  EXPECT_EQ(s_.edits.currentRange, 1);
  EXPECT_EQ(rangeMenuItems(s_)[1].text, "02 Cue\t0'00.19 Track \xE2\x80\x94 two");
  // The others are untouched.
  EXPECT_EQ(s_.edits.ranges[0].title, "Intro");
  EXPECT_TRUE(s_.edits.sheetTitle.empty());
}

TEST_F(NamesDialogTest, ClearingBothFieldsRemovesTheNames) {
  s_.edits.currentRange = 0;
  NamesDialog d = openNamesDialog(s_);
  d.artist.clear();
  d.title.clear();
  acceptNamesDialog(s_, d);
  EXPECT_TRUE(s_.edits.ranges[0].artist.empty());
  EXPECT_TRUE(s_.edits.ranges[0].title.empty());
  EXPECT_TRUE(s_.edits.modified);
}

TEST_F(NamesDialogTest, FieldsTakeAtMost199Characters) {
  s_.edits.currentRange = 0;
  NamesDialog d = openNamesDialog(s_);
  std::string longTitle;
  for (int i = 0; i < 250; ++i) longTitle += "\xC3\xA9";  // é, two bytes each
  d.title = longTitle;
  d.artist = std::string(300, 'a');
  acceptNamesDialog(s_, d);
  EXPECT_EQ(s_.edits.ranges[0].title, longTitle.substr(0, 2 * 199));
  EXPECT_EQ(s_.edits.ranges[0].artist, std::string(199, 'a'));
  // A name that is already longer shows cut as well.
  s_.edits.ranges[0].artist = std::string(250, 'b');
  EXPECT_EQ(openNamesDialog(s_).artist, std::string(199, 'b'));
  d.title = std::string(199, 'c');
  acceptNamesDialog(s_, d);
  EXPECT_EQ(s_.edits.ranges[0].title, std::string(199, 'c'));
}

TEST_F(NamesDialogTest, TheSheetsNames) {
  s_.edits.sheetArtist = "Old artist";
  s_.edits.currentRange = -1;  // "Names for &Cue sheet..."
  NamesDialog d = openNamesDialog(s_);
  EXPECT_TRUE(d.editsSheet);
  EXPECT_EQ(d.caption, "Names for Cue sheet");
  EXPECT_EQ(d.artist, "Old artist");
  EXPECT_TRUE(d.title.empty());
  d.artist.clear();
  d.title = "The Album";
  acceptNamesDialog(s_, d);
  closeNamesDialog(s_, d);
  EXPECT_TRUE(s_.edits.sheetArtist.empty());
  EXPECT_EQ(s_.edits.sheetTitle, "The Album");
  EXPECT_TRUE(s_.edits.modified);
  EXPECT_EQ(s_.edits.currentRange, 0);
  EXPECT_EQ(s_.edits.ranges[0].title, "Intro");  // the ranges keep theirs
}

TEST_F(NamesDialogTest, CancelOnTheSheetMakesRangeOneCurrent) {
  s_.edits.currentRange = -1;
  const NamesDialog d = openNamesDialog(s_);
  closeNamesDialog(s_, d);
  EXPECT_EQ(s_.edits.currentRange, 0);
  EXPECT_FALSE(s_.edits.modified);

  // Without ranges it stays without a current one.
  Session empty;
  const NamesDialog e = openNamesDialog(empty);
  EXPECT_TRUE(e.editsSheet);
  closeNamesDialog(empty, e);
  EXPECT_EQ(empty.edits.currentRange, -1);

  // Cancel on a range changes nothing.
  s_.edits.currentRange = 2;
  closeNamesDialog(s_, openNamesDialog(s_));
  EXPECT_EQ(s_.edits.currentRange, 2);
}

}  // namespace
}  // namespace quillane
