#include "edit/gain_dialog_model.h"

#include <gtest/gtest.h>

#include "edit/edit_model.h"
#include "session/host.h"
#include "settings/ui_text_ids.h"
#include "view/range_menu.h"

namespace quillane {
namespace {

TEST(GainLabelTest, AmountsInDecibels) {
  EXPECT_EQ(gainLabel(-32, 0), "(-48.0...+0.0 dB)");  // fade in
  EXPECT_EQ(gainLabel(0, -32), "(+0.0...-48.0 dB)");  // fade out
  EXPECT_EQ(gainLabel(0, 0), "(+0.0...+0.0 dB)");     // flat
  EXPECT_EQ(gainLabel(3, -5), "(+4.5...-7.5 dB)");
  EXPECT_EQ(gainLabel(32, 32), "(+48.0...+48.0 dB)");
  EXPECT_EQ(gainLabel(1, -1), "(+1.5...-1.5 dB)");
  EXPECT_DOUBLE_EQ(gainStepsToDb(-7), -10.5);
}

TEST(GainSliderTest, TextsAndPositions) {
  Session s;
  EXPECT_EQ(gainBeginText(s, 1), "from +1.5 dB");
  EXPECT_EQ(gainEndText(s, -32), "to -48.0 dB");
  EXPECT_EQ(gainBeginText(s, 0), "from +0.0 dB");
  EXPECT_EQ(gainSliderText("von", 32), "von +48.0 dB");
  s.text.text[ui::kGainFrom] = "de";
  EXPECT_EQ(gainBeginText(s, 2), "de +3.0 dB");
  EXPECT_EQ(gainSliderPosition(32), 0);
  EXPECT_EQ(gainSliderPosition(0), 32);
  EXPECT_EQ(gainSliderPosition(-32), 64);
}

TEST(GainSliderTest, StepsStopAtTheEnds) {
  EditRange p;
  startGainDialog(p);
  moveGainSlider(p, GainSlider::Begin, GainSliderMove::LineUp, 0, false);
  EXPECT_EQ(p.gainbeg, 1);
  EXPECT_EQ(p.gainend, 0);
  moveGainSlider(p, GainSlider::Begin, GainSliderMove::PageUp, 0, false);  // a page is one step
  EXPECT_EQ(p.gainbeg, 2);
  for (int i = 0; i < 40; ++i) moveGainSlider(p, GainSlider::Begin, GainSliderMove::LineUp, 0, false);
  EXPECT_EQ(p.gainbeg, 32);
  EXPECT_EQ(gainLabel(p.gainbeg, p.gainend), "(+48.0...+0.0 dB)");
  moveGainSlider(p, GainSlider::End, GainSliderMove::PageDown, 0, false);
  EXPECT_EQ(p.gainend, -1);
  for (int i = 0; i < 40; ++i) moveGainSlider(p, GainSlider::End, GainSliderMove::LineDown, 0, false);
  EXPECT_EQ(p.gainend, -32);
  EXPECT_EQ(p.gainbeg, 32);
}

TEST(GainSliderTest, DraggingFollowsTheThumb) {
  EditRange p;
  startGainDialog(p);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 30, false);
  EXPECT_EQ(p.gainend, 2);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 64, false);
  EXPECT_EQ(p.gainend, -32);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 0, false);
  EXPECT_EQ(p.gainend, 32);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 99, false);  // outside the slider
  EXPECT_EQ(p.gainend, -32);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 40, false);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Release, 0, false);  // no change on release
  EXPECT_EQ(p.gainend, -8);
  EXPECT_EQ(p.gainbeg, 0);
}

TEST(GainSliderTest, LockedSlidersMoveTogether) {
  EditRange p;
  startGainDialog(p);
  moveGainSlider(p, GainSlider::Begin, GainSliderMove::LineUp, 0, false);  // 1, 0
  moveGainSlider(p, GainSlider::End, GainSliderMove::LineDown, 0, true);   // the first follows the second
  EXPECT_EQ(p.gainend, -1);
  EXPECT_EQ(p.gainbeg, -1);
  moveGainSlider(p, GainSlider::Begin, GainSliderMove::Drag, 20, true);
  EXPECT_EQ(p.gainbeg, 12);
  EXPECT_EQ(p.gainend, 12);
  moveGainSlider(p, GainSlider::End, GainSliderMove::Drag, 40, false);
  EXPECT_EQ(p.gainbeg, 12);
  EXPECT_EQ(p.gainend, -8);
}

TEST(GainSliderTest, PresetButtons) {
  EditRange p;
  fadeIn(p);
  EXPECT_EQ(gainLabel(p.gainbeg, p.gainend), "(-48.0...+0.0 dB)");
  fadeOut(p);
  EXPECT_EQ(p.gainbeg, 0);
  EXPECT_EQ(p.gainend, -32);
  flatGain(p);
  EXPECT_EQ(gainLabel(p.gainbeg, p.gainend), "(+0.0...+0.0 dB)");
}

TEST(GainDialogTest, OpensAtZeroUnlessTheSelectionCameFromAGainRange) {
  EditRange p;
  p.type = kRangeCut;
  p.gainbeg = 5;
  p.gainend = 6;
  startGainDialog(p);
  EXPECT_EQ(p.gainbeg, 0);
  EXPECT_EQ(p.gainend, 0);
  p.type = kRangeGain;
  p.gainbeg = -40;  // e.g. from a hand-edited project file
  p.gainend = 6;
  startGainDialog(p);
  EXPECT_EQ(p.gainbeg, -32);
  EXPECT_EQ(p.gainend, 6);
}

TEST(GainDialogTest, OkAddsAGainRangeWithItsLabel) {
  Session s;
  SilentHost host;
  s.edits.selection.beg = 1000;
  s.edits.selection.end = 9000;
  s.edits.selection.title = "typed earlier";
  s.edits.selection.artist = "dropped";
  startGainDialog(s.edits.selection);
  fadeIn(s.edits.selection);
  ASSERT_TRUE(acceptGainDialog(s, host));
  EXPECT_TRUE(host.messages.empty());
  ASSERT_EQ(s.edits.count, 1);
  const EditRange& r = s.edits.ranges[0];
  EXPECT_EQ(r.type, kRangeGain);
  EXPECT_EQ(r.beg, 1000);
  EXPECT_EQ(r.end, 9000);
  EXPECT_EQ(r.gainbeg, -32);
  EXPECT_EQ(r.gainend, 0);
  EXPECT_EQ(r.title, "(-48.0...+0.0 dB)");
  EXPECT_TRUE(r.artist.empty());
  EXPECT_EQ(rangeMenuItems(s)[0].text, "01 Gain\t0'00.00 (-48.0...+0.0 dB)");

  // Taken back with "&Edit" and opened again: the old amounts.
  ASSERT_TRUE(takeBackCurrentRange(s.edits, s.selectionUndo));
  startGainDialog(s.edits.selection);
  EXPECT_EQ(s.edits.selection.gainbeg, -32);
  EXPECT_EQ(s.edits.selection.gainend, 0);
  moveGainSlider(s.edits.selection, GainSlider::End, GainSliderMove::LineUp, 0, false);
  ASSERT_TRUE(acceptGainDialog(s, host));
  EXPECT_EQ(s.edits.ranges[0].title, "(-48.0...+1.5 dB)");
}

TEST(GainDialogTest, ClippedByAnExistingCut) {
  Session s;
  SilentHost host;
  s.edits.selection.beg = 4000;
  s.edits.selection.end = 6000;
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
  s.edits.selection.beg = 1000;
  s.edits.selection.end = 5000;
  startGainDialog(s.edits.selection);
  moveGainSlider(s.edits.selection, GainSlider::Begin, GainSliderMove::Drag, 28, true);
  ASSERT_TRUE(acceptGainDialog(s, host));
  ASSERT_EQ(s.edits.count, 2);
  EXPECT_EQ(s.edits.ranges[0].beg, 1000);
  EXPECT_EQ(s.edits.ranges[0].end, 4000);
  EXPECT_EQ(s.edits.ranges[0].title, "(+6.0...+6.0 dB)");
  EXPECT_EQ(s.edits.ranges[1].type, kRangeCut);
}

TEST(GainDialogTest, ARefusedRangeIsReported) {
  Session s;
  SilentHost host;
  s.edits.selection.beg = 1000;
  s.edits.selection.end = 9000;
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
  s.edits.selection.beg = 2000;  // inside the cut
  s.edits.selection.end = 3000;
  startGainDialog(s.edits.selection);
  fadeOut(s.edits.selection);
  EXPECT_FALSE(acceptGainDialog(s, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Selection range seems to be invalid");
  EXPECT_EQ(host.messages[0].caption, "Not possible");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(s.edits.count, 1);
  // The pending record keeps what the dialog set.
  EXPECT_EQ(s.edits.selection.type, kRangeGain);
  EXPECT_EQ(s.edits.selection.gainend, -32);
}

}  // namespace
}  // namespace quillane
