#include "view/time_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quillane {
namespace {

constexpr float k128k = 128000.0f;  // 16000 bytes a second
constexpr int64_t kSecond128k = 16000;

TEST(FormatTime, SecondsAndMinutes) {
  EXPECT_EQ(formatTime(kSecond128k, k128k, false), "0'01.00");
  EXPECT_EQ(formatTime(65 * kSecond128k, k128k, false), "1'05.00");
  EXPECT_EQ(formatTime(65 * kSecond128k, k128k, true), "1'05.000");
  EXPECT_EQ(formatTime(605 * kSecond128k, k128k, false), "10'05.00");
  EXPECT_EQ(formatTime(605 * kSecond128k, k128k, true), "10'05.000");
  EXPECT_EQ(formatTime(kSecond128k / 2, k128k, true), "0'00.500");
  EXPECT_EQ(formatTime(59 * kSecond128k + 4000, k128k, false), "0'59.25");
  EXPECT_EQ(formatTime(60 * kSecond128k, k128k, false), "1'00.00");
  EXPECT_EQ(formatTime(10 * kSecond128k, k128k, false), "0'10.00");
  // 1 byte at 128 kbit/s is 62.5 microseconds.
  EXPECT_EQ(formatTime(16, k128k, true), "0'00.001");
}

TEST(FormatTime, ZeroBytesAtAnyRate) {
  for (float rate : {8000.0f, 32000.0f, 128000.0f, 320000.0f, 1411200.0f}) {
    EXPECT_EQ(formatTime(0, rate, false), "0'00.00");
    EXPECT_EQ(formatTime(0, rate, true), "0'00.000");
  }
}

TEST(FormatTime, NegativeCountsGiveNegativeMinuteAndRest) {
  EXPECT_EQ(formatTime(-(62 * kSecond128k + kSecond128k / 2), k128k, false), "-1'-2.50");
  EXPECT_EQ(formatTime(-(62 * kSecond128k + kSecond128k / 2), k128k, true), "-1'-2.500");
  EXPECT_EQ(formatTime(-5 * kSecond128k, k128k, false), "0'-5.00");
  EXPECT_EQ(formatTime(-12 * kSecond128k, k128k, false), "0'-12.00");
  EXPECT_EQ(formatTime(-120 * kSecond128k, k128k, false), "-2'00.00");
}

TEST(FormatTime, OtherRates) {
  // 44.1 kHz stereo 16-bit PCM as recorded: 176400 bytes a second.
  EXPECT_EQ(formatTime(176400 * 90, 1411200.0f, false), "1'30.00");
  EXPECT_EQ(formatTime(40000 * 3, 320000.0f, false), "0'03.00");
  EXPECT_EQ(formatTime(1000, 8000.0f, true), "0'01.000");
}

TEST(FormatTime, LongDurationsAndLargeFiles) {
  // Three hours at 128 kbit/s.
  EXPECT_EQ(formatTime(int64_t{10800} * kSecond128k, k128k, false), "180'00.00");
  // 3 GB at 320 kbit/s: beyond 32-bit offsets, 75000 seconds.
  EXPECT_EQ(formatTime(int64_t{3000000000}, 320000.0f, false), "1250'00.00");
  // 4 GiB at 128 kbit/s: 268435.456 s = 4473 minutes and about 55.46 s.
  const std::string fourGiB = formatTime(int64_t{1} << 32, k128k, false);
  EXPECT_EQ(fourGiB.substr(0, 7), "4473'55");
  // A whole day.
  EXPECT_EQ(formatTime(int64_t{86400} * kSecond128k, k128k, true), "1440'00.000");
}

TEST(FormatTime, RateWithoutValueShowsZero) {
  for (float rate : {0.0f, -0.0f, -128000.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity(),
                     -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(formatTime(123456, rate, false), "0'00.00");
    EXPECT_EQ(formatTime(-123456, rate, true), "0'00.000");
  }
}

TEST(FormatTime, ExtremeInputsStayText) {
  // A tiny positive rate makes an enormous time; the text must stay numeric.
  for (float rate : {std::numeric_limits<float>::denorm_min(), 1e-30f, 1.0f}) {
    for (int64_t n : {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}) {
      const std::string text = formatTime(n, rate, false);
      EXPECT_EQ(text.find("inf"), std::string::npos) << text;
      EXPECT_EQ(text.find("nan"), std::string::npos) << text;
      EXPECT_NE(text.find('\''), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace quillane
