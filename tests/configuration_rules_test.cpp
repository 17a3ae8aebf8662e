#include <gtest/gtest.h>

#include <set>

#include "settings/configuration_rules.h"

namespace quillane {
namespace {

TEST(ConfigurationRules, TheBufferSlidersKeepFiveKilobytesAFrame) {
  struct Case {
    int bufferMax, bufferFrames;  // before
    bool movesSize;               // which slider moves
    int to;
    int expectMax, expectFrames;
  };
  for (const Case c : {Case{32, 2, true, 9, 9, 1}, Case{20, 4, false, 8, 40, 8}, Case{32, 4, true, 20, 20, 4},
                       Case{32, 4, true, 19, 19, 3}, Case{64, 8, false, 1, 64, 1}, Case{8, 1, true, 64, 64, 1},
                       Case{32, 4, true, 200, 64, 4}, Case{32, 4, false, 0, 32, 1}}) {
    SCOPED_TRACE(testing::Message() << c.bufferMax << " KB, " << c.bufferFrames << " frames, to " << c.to);
    Settings s;
    s.buffer_max = static_cast<uint8_t>(c.bufferMax);
    s.buffer_frm = static_cast<uint8_t>(c.bufferFrames);
    if (c.movesSize) {
      setBufferMax(s, c.to);
    } else {
      setBufferFrames(s, c.to);
    }
    EXPECT_EQ(s.buffer_max, c.expectMax);
    EXPECT_EQ(s.buffer_frm, c.expectFrames);
  }
}

TEST(ConfigurationRules, StepsAreHeldWithinTheirLimits) {
  EXPECT_EQ(smallStepFrom(0), 1);
  EXPECT_EQ(smallStepFrom(1), 1);
  EXPECT_EQ(smallStepFrom(1000), 1000);
  EXPECT_EQ(smallStepFrom(1001), 1000);
  EXPECT_EQ(largeStepFrom(5), 10);
  EXPECT_EQ(largeStepFrom(10), 10);
  EXPECT_EQ(largeStepFrom(20000), 10000);
  EXPECT_EQ(largeStepFrom(99999999999ULL), 10000);

  EXPECT_EQ(typedStep(""), 0u);
  EXPECT_EQ(typedStep("383"), 383u);
  EXPECT_EQ(typedStep(" 42 frames"), 42u);
  EXPECT_EQ(typedStep("x9"), 0u);
  EXPECT_EQ(typedStep("99999999999999999999999"), 0xFFFFFFFFu);
}

TEST(ConfigurationRules, ColoursInListOrderAndTheirChannels) {
  Settings s;
  const int32_t* expected[kColourCount] = {&s.rgb_background, &s.rgb_mpeg, &s.rgb_cursor, &s.rgb_selection,
                                           &s.rgb_cuts,       &s.rgb_actual, &s.rgb_vumeter};
  for (int entry = 0; entry < kColourCount; ++entry) EXPECT_EQ(&colourSetting(s, entry), expected[entry]) << entry;

  // 0x00BBGGRR: red is the lowest byte.
  const ColourComponents rgb = rgbOfSetting(0x00D8B985);
  EXPECT_EQ(rgb.red, 0x85);
  EXPECT_EQ(rgb.green, 0xB9);
  EXPECT_EQ(rgb.blue, 0xD8);
  EXPECT_EQ(settingOfRgb(rgb), 0x00D8B985);
  EXPECT_EQ(settingOfRgb({255, 0, 0}), 0x0000FF);
  EXPECT_EQ(settingOfRgb({0, 0, 300}), 0xFF0000);
}

}  // namespace
}  // namespace quillane
