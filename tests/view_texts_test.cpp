#include "view/view_texts.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::dataPath;
using test::openInSession;

Session opened(const std::string& name) {
  Session s;
  EXPECT_TRUE(openInSession(s, dataPath(name)));
  return s;
}

void addRange(Session& s, int64_t beg, int64_t end) {
  setSelectionBegin(s.edits, beg);
  setSelectionEnd(s.edits, end);
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
}

TEST(RefreshTexts, NoFileClearsEverything) {
  Session s;
  for (int level : {3, 2, 1, 0}) {
    const ViewTexts v = refreshTexts(s, level);
    EXPECT_EQ(v.level, 0);
    EXPECT_EQ(v.title, "Quillane");
    EXPECT_EQ(v.statusText, " ");
    EXPECT_EQ(v.positionField, " ");
    EXPECT_EQ(v.selectionField, " ");
    EXPECT_EQ(v.positionBar, 0);
  }
}

TEST(RefreshTexts, OpenedFileAtLevel3) {
  Session s = opened("cbr128_info.mp3");
  s.settings.margin = 1;
  s.settings.show_milisec = 0;
  s.settings.big_relative = 1;
  const ViewTexts v = refreshTexts(s, 3);
  EXPECT_EQ(v.level, 3);
  EXPECT_EQ(v.title, "cbr128_info.mp3 - Quillane");
  EXPECT_EQ(v.statusText, " MPEG1.0 Layer 3, 128 kbps, 44 kHz, Joint Stereo");
  EXPECT_EQ(v.positionField, " Total: 0'03.03   Now: 0'00.00   (0%)");
  EXPECT_EQ(v.selectionField, " ");
  EXPECT_EQ(v.positionBar, 0);
  EXPECT_EQ(v.marginButtonEnabled, true);
  ASSERT_TRUE(v.settingsChecks.has_value());
  // 1051 big timer ... 1057 big relative.
  EXPECT_FALSE((*v.settingsChecks)[0]);
  EXPECT_TRUE((*v.settingsChecks)[4]);
  EXPECT_TRUE((*v.settingsChecks)[6]);

  s.settings.show_milisec = 1;
  EXPECT_EQ(refreshTexts(s, 1).positionField, " Total: 0'03.030   Now: 0'00.000   (0%)");
}

TEST(RefreshTexts, LowerLevelsTouchLess) {
  Session s = opened("cbr128_info.mp3");
  const ViewTexts two = refreshTexts(s, 2);
  EXPECT_FALSE(two.title.has_value());
  EXPECT_FALSE(two.settingsChecks.has_value());
  EXPECT_TRUE(two.statusText.has_value());
  EXPECT_TRUE(two.selectionField.has_value());
  EXPECT_TRUE(two.positionField.has_value());

  const ViewTexts one = refreshTexts(s, 1);
  EXPECT_FALSE(one.statusText.has_value());
  EXPECT_FALSE(one.selectionField.has_value());
  EXPECT_TRUE(one.positionField.has_value());
  EXPECT_TRUE(one.positionBar.has_value());
}

TEST(RefreshTexts, StatusBarForEachKindOfFile) {
  Session crc = opened("crc.mp3");
  EXPECT_EQ(refreshTexts(crc, 2).statusText,
            " MPEG1.0 Layer 3, 128 kbps, 44 kHz, Joint Stereo, CRC");
  Session m = opened("mono.mp3");
  EXPECT_EQ(refreshTexts(m, 2).statusText, " MPEG1.0 Layer 3, 64 kbps, 44 kHz, Mono");
  Session m2 = opened("mpeg2_22k.mp3");
  EXPECT_EQ(refreshTexts(m2, 2).statusText, " MPEG2.0 Layer 3, 64 kbps, 22 kHz, Joint Stereo");
  Session m25 = opened("mpeg25_8k.mp3");
  EXPECT_EQ(refreshTexts(m25, 2).statusText, " MPEG2.5 Layer 3, 16 kbps, 8 kHz, Mono");
  Session l2 = opened("layer2_mpeg1.mp2");
  EXPECT_EQ(refreshTexts(l2, 2).statusText, " MPEG1.0 Layer 2, 192 kbps, 44 kHz, Stereo");

  Session vbr = opened("vbr_xing.mp3");
  const std::string kbps = std::to_string(vbr.stream.currentHeader.bitrate);
  EXPECT_EQ(refreshTexts(vbr, 2).statusText,
            " MPEG1.0 Layer 3, " + kbps + " kbps VBR (184 kbps), 44 kHz, Joint Stereo");

  // 11025 Hz drops its remainder; the copyright bit adds the sign.
  l2.stream.currentHeader.sampleRate = 11025;
  l2.stream.currentHeader.rightsFlag = true;
  EXPECT_EQ(refreshTexts(l2, 2).statusText, " MPEG1.0 Layer 2, 192 kbps, 11 kHz, Stereo, \u00A9");

  l2.stream.currentHeader = FrameHeader{};
  const ViewTexts lost = refreshTexts(l2, 2);
  EXPECT_EQ(lost.statusText, " No sync");
  EXPECT_EQ(lost.positionField, " (0%) ");
}

TEST(RefreshTexts, SelectionFieldShowsSelectionThenRange) {
  Session s = opened("cbr128_info.mp3");
  s.settings.autoselect = 0;
  const int64_t a = s.stream.audioStart;
  // 16000 bytes are 1.0001 s at the measured rate.
  addRange(s, findFrame(s.stream, a + 8000).offset, findFrame(s.stream, a + 16000).offset);
  addRange(s, findFrame(s.stream, a + 24000).offset, findFrame(s.stream, a + 32000).offset);
  setSelectionBegin(s.edits, findFrame(s.stream, a + 40000).offset);
  setSelectionEnd(s.edits, findFrame(s.stream, a + 44000).offset);
  EXPECT_EQ(refreshTexts(s, 2).selectionField, " Selection: 0'02.51 - 0'02.77 (0'00.26)");

  // Without the selection: the current range, numbered out of the count.
  clearSelection(s.edits);
  s.edits.currentRange = 1;
  EXPECT_EQ(refreshTexts(s, 2).selectionField, " Range (2/2): 0'01.52 - 0'02.01 (0'00.50)");
}

TEST(RefreshTexts, AutoselectFollowsThePosition) {
  Session s = opened("cbr128_info.mp3");
  const int64_t a = s.stream.audioStart;
  addRange(s, findFrame(s.stream, a + 8000).offset, findFrame(s.stream, a + 16000).offset);
  addRange(s, findFrame(s.stream, a + 24000).offset, findFrame(s.stream, a + 32000).offset);
  s.edits.currentRange = 1;
  s.stream.cursor = a;  // before the first range: range 1 becomes current
  EXPECT_EQ(refreshTexts(s, 2).selectionField, " Range (1/2): 0'00.52 - 0'01.02 (0'00.50)");
  EXPECT_EQ(s.edits.currentRange, 0);
  s.stream.cursor = findCurrentFrame(s.stream, a + 30000);
  refreshTexts(s, 1);
  EXPECT_EQ(s.edits.currentRange, 1);

  // Off: the current range stays where it is.
  s.settings.autoselect = 0;
  s.stream.cursor = a;
  refreshTexts(s, 2);
  EXPECT_EQ(s.edits.currentRange, 1);
}

TEST(RefreshTexts, PositionBarAndPercentage) {
  Session s = opened("cbr128_info.mp3");
  const int64_t a = s.stream.audioStart;
  const int64_t e = s.stream.audioEnd;
  s.stream.cursor = findCurrentFrame(s.stream, a + (e - a) / 2);
  ViewTexts v = refreshTexts(s, 1);
  EXPECT_EQ(v.positionBar, 1000 * (s.stream.cursor - a) / (e - a));
  // The frame at the middle of an odd byte count lies just below 50%.
  EXPECT_EQ(s.stream.cursor - a, (e - a) / 2);
  EXPECT_EQ(v.positionField, " Total: 0'03.03   Now: 0'01.52   (49%)");
  s.stream.cursor = e - 1;
  EXPECT_EQ(refreshTexts(s, 1).positionBar, 999);
  s.stream.cursor = e;
  v = refreshTexts(s, 1);
  EXPECT_EQ(v.positionBar, 1000);
  EXPECT_EQ(v.positionField, " Total: 0'03.03   Now: 0'03.03   (100%)");

  // While playing the bar follows the play position, the field the cursor.
  s.playing = true;
  s.playPosition = a;
  v = refreshTexts(s, 1);
  EXPECT_EQ(v.positionBar, 0);
  EXPECT_EQ(v.positionField, " Total: 0'03.03   Now: 0'03.03   (100%)");
}

TEST(RefreshTexts, PositionsFromAnywhereStillGiveTexts) {
  // A project file may hold any 64-bit position; the fields show it without overflow.
  Session s = opened("id3v1v2.mp3");
  ASSERT_GT(s.stream.audioStart, 0);
  s.settings.autoselect = 0;
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  s.edits.ranges[0].beg = kMin;
  s.edits.ranges[0].end = kMax;
  s.edits.count = 1;
  s.edits.currentRange = 0;
  s.stream.cursor = kMin;
  ViewTexts v = refreshTexts(s, 2);
  EXPECT_EQ(v.selectionField->rfind(" Range (1/1): -", 0), 0u) << *v.selectionField;
  EXPECT_EQ(v.positionBar, -2000000000);
  s.edits.selection.beg = kMax;
  s.edits.selection.end = kMin;
  s.stream.cursor = kMax;
  v = refreshTexts(s, 2);
  EXPECT_EQ(v.selectionField->rfind(" Selection: ", 0), 0u) << *v.selectionField;
  EXPECT_EQ(v.positionBar, 2000000000);
}

TEST(RefreshTexts, MarginLabel) {
  LevelMeter meter;
  meter.meterMargin = {127, 1};
  Session stereo = opened("cbr128_info.mp3");
  EXPECT_FALSE(refreshTexts(stereo, 1, &meter).marginLabel.has_value());  // margin off
  stereo.settings.margin = 1;
  EXPECT_EQ(refreshTexts(stereo, 1, &meter).marginLabel, "0.0 / 42.1");
  EXPECT_EQ(refreshTexts(stereo, 3, &meter).marginLabel, "0.0 / 42.1");

  Session mono = opened("mono.mp3");
  mono.settings.margin = 1;
  const ViewTexts v = refreshTexts(mono, -1, &meter);
  EXPECT_EQ(v.marginLabel, "42.1");
  EXPECT_FALSE(v.positionField.has_value());
  EXPECT_FALSE(v.statusText.has_value());
}

TEST(RefreshTexts, WindowTitleTakesTheFileName) {
  EXPECT_EQ(windowTitle("/music/a b.mp3"), "a b.mp3 - Quillane");
  EXPECT_EQ(windowTitle("C:\\music\\x.mp3"), "x.mp3 - Quillane");
  EXPECT_EQ(windowTitle("plain.mp3"), "plain.mp3 - Quillane");
}

}  // namespace
}  // namespace quillane
