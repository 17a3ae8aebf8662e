#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/level_meter.h"
#include "session/host.h"
#include "settings/settings.h"

namespace quillane {
namespace {

using Pcm = std::vector<uint8_t>;

void putSample(Pcm& pcm, std::size_t index, int value) {
  const auto v = static_cast<uint16_t>(static_cast<int16_t>(value));
  pcm[2 * index] = static_cast<uint8_t>(v & 0xFF);
  pcm[2 * index + 1] = static_cast<uint8_t>(v >> 8);
}

// 16-bit interleaved PCM of a 1 kHz sine at 44.1 kHz with the given peak amplitude
// per channel (0 = silence in that channel).
Pcm sine(std::size_t frames, int channels, double leftAmplitude, double rightAmplitude = -1.0) {
  if (rightAmplitude < 0) rightAmplitude = leftAmplitude;
  Pcm pcm(frames * channels * 2, 0);
  for (std::size_t n = 0; n < frames; ++n) {
    const double s = std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(n) / 44100.0);
    for (int c = 0; c < channels; ++c) {
      const double amplitude = (channels == 1 || c == 1) ? rightAmplitude : leftAmplitude;
      putSample(pcm, n * channels + c, static_cast<int>(std::lround(std::min(amplitude * s, 32767.0))));
    }
  }
  return pcm;
}

Pcm silence(std::size_t frames, int channels) { return Pcm(frames * channels * 2, 0); }

constexpr std::size_t kBufferFrames = 4096;  // 16384 bytes of stereo PCM
constexpr double kFullScale = 32767.0;
constexpr double kMinus6dB = 16384.0;  // high byte 64

struct MeterRig {
  LevelMeter meter;
  Settings settings;
  SilentHost host;
  void feed(const Pcm& pcm, bool mono, MeterDevice device) {
    meterUpdate(meter, pcm.data(), pcm.size(), mono, device, settings, host);
  }
};

TEST(LevelMeterCurve, DisplayValuesAndTimingByDevice) {
  EXPECT_EQ(meterDisplayValue(0), 0);
  EXPECT_EQ(meterDisplayValue(10), 22);
  EXPECT_EQ(meterDisplayValue(40), 70);
  EXPECT_EQ(meterDisplayValue(64), 94);
  EXPECT_EQ(meterDisplayValue(127), 126);

  EXPECT_EQ(meterTiming(MeterDevice::Output, 4).fall, 20);
  EXPECT_EQ(meterTiming(MeterDevice::Output, 4).hold, 20);
  EXPECT_EQ(meterTiming(MeterDevice::Output, 3).fall, 15);
  EXPECT_EQ(meterTiming(MeterDevice::Output, 3).hold, 26);
  EXPECT_EQ(meterTiming(MeterDevice::Output, 8).hold, 10);
  EXPECT_EQ(meterTiming(MeterDevice::Input, 4).fall, 8);
  EXPECT_EQ(meterTiming(MeterDevice::Input, 4).hold, 30);
  EXPECT_EQ(meterTiming(MeterDevice::None, 1).hold, 30);
}

TEST(LevelMeterRaw, ExaminesHighBytesOfEveryThirdFrameBeforeTheTail) {
  // Full-scale and -6 dBFS sines: the high byte reaches 128 and 64.
  const Pcm loud = sine(kBufferFrames, 2, kFullScale);
  EXPECT_EQ(meterRawLevel(loud.data(), loud.size(), 0), 128);
  EXPECT_EQ(meterRawLevel(loud.data(), loud.size(), 1), 128);
  const Pcm half = sine(kBufferFrames, 2, kMinus6dB);
  EXPECT_EQ(meterRawLevel(half.data(), half.size(), 0), 64);
  // Only the left channel carries sound.
  const Pcm left = sine(kBufferFrames, 2, kMinus6dB, 0.0);
  EXPECT_EQ(meterRawLevel(left.data(), left.size(), 0), 64);
  EXPECT_EQ(meterRawLevel(left.data(), left.size(), 1), 0);

  // A click in a stereo frame that is not looked at (frame 1) goes unseen; in
  // frame 3 it is seen.
  Pcm click = silence(kBufferFrames, 2);
  putSample(click, 2 * 1, -32768);
  EXPECT_EQ(meterRawLevel(click.data(), click.size(), 0), 0);
  putSample(click, 2 * 3 + 1, 20000);  // right sample of frame 3: high byte 78
  EXPECT_EQ(meterRawLevel(click.data(), click.size(), 1), 78);

  // The last 1012 bytes are never examined; a buffer of 1012 bytes or less gives 0.
  Pcm tail = silence(1000, 2);  // 4000 bytes, span 2988
  putSample(tail, 2 * 747, 30000);  // byte 2988..2989: j = 2989 is not below the span
  EXPECT_EQ(meterRawLevel(tail.data(), tail.size(), 0), 0);
  putSample(tail, 2 * 744, 30000);  // j = 2977 is below the span
  EXPECT_EQ(meterRawLevel(tail.data(), tail.size(), 0), 117);
  const Pcm small = sine(253, 2, kFullScale);  // 1012 bytes
  EXPECT_EQ(meterRawLevel(small.data(), small.size(), 0), 0);
}

TEST(LevelMeterUpdate, KnownLevelsFallAndPeakHoldDuringPlayback) {
  MeterRig rig;
  rig.settings.buffer_frm = 4;  // fall 20, hold 20
  rig.feed(sine(kBufferFrames, 2, kMinus6dB), false, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterLevel[0], 94);
  EXPECT_EQ(rig.meter.meterLevel[1], 94);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 94);
  EXPECT_EQ(rig.meter.meterHoldTimer[0], 19);
  EXPECT_EQ(rig.meter.meterMargin[0], 64);

  // Silence: the bar drops by at most 20 per buffer, the peak stays for 20 buffers.
  const Pcm quiet = silence(kBufferFrames, 2);
  const int expected[] = {74, 54, 34, 14, 0, 0};
  for (int level : expected) {
    rig.feed(quiet, false, MeterDevice::Output);
    EXPECT_EQ(rig.meter.meterLevel[0], level);
    EXPECT_EQ(rig.meter.meterPrevious[1], level);
  }
  for (int i = 6; i < 19; ++i) rig.feed(quiet, false, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 94);  // after 19 silent buffers
  rig.feed(quiet, false, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 0);   // the 20th drops it
  EXPECT_EQ(rig.meter.meterHoldTimer[0], 20);
  EXPECT_EQ(rig.meter.meterMargin[0], 64);    // the margin remembers
  EXPECT_EQ(rig.host.beeps, 0);

  // A quieter buffer right after a loud one is limited by the fall too.
  rig.feed(sine(kBufferFrames, 2, kFullScale), false, MeterDevice::Output);
  rig.feed(sine(kBufferFrames, 2, 2560.0), false, MeterDevice::Output);  // raw 10 -> 22
  EXPECT_EQ(rig.meter.meterLevel[0], 126 - 20);
  rig.feed(sine(kBufferFrames, 2, 2560.0), false, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterLevel[0], 126 - 40);

  // A slower buffer setting holds longer: buffer_frm 8 gives hold 10 and fall 40.
  MeterRig slow;
  slow.settings.buffer_frm = 8;
  slow.feed(sine(kBufferFrames, 2, kMinus6dB), false, MeterDevice::Output);
  slow.feed(quiet, false, MeterDevice::Output);
  EXPECT_EQ(slow.meter.meterLevel[0], 54);
  for (int i = 1; i < 9; ++i) slow.feed(quiet, false, MeterDevice::Output);
  EXPECT_EQ(slow.meter.meterPeakHold[0], 94);
  slow.feed(quiet, false, MeterDevice::Output);
  EXPECT_EQ(slow.meter.meterPeakHold[0], 0);
}

TEST(LevelMeterUpdate, ClipHoldsTheClipIndicationAndBeepsOnlyWhenRecording) {
  MeterRig rig;
  rig.settings.peakbeep = 1;
  const Pcm clip = sine(kBufferFrames, 2, kFullScale);
  const Pcm quiet = silence(kBufferFrames, 2);

  rig.feed(clip, false, MeterDevice::Input);  // hold 30
  EXPECT_EQ(rig.meter.meterLevel[0], 126);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 127);
  EXPECT_EQ(rig.meter.meterPeakHold[1], 127);
  EXPECT_EQ(rig.meter.meterHoldTimer[1], 29);
  EXPECT_EQ(rig.meter.meterMargin[0], 127);
  EXPECT_EQ(rig.host.beeps, 1);  // one beep for the buffer, not one per channel

  // Clipping again while both peaks still show the clip and the timers are high: no beep.
  rig.feed(clip, false, MeterDevice::Input);
  EXPECT_EQ(rig.host.beeps, 1);
  // The clip indication stays for the hold time: the timers count down from 29.
  for (int i = 0; i < 7; ++i) rig.feed(quiet, false, MeterDevice::Input);
  EXPECT_EQ(rig.meter.meterHoldTimer[0], 22);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 127);
  rig.feed(clip, false, MeterDevice::Input);  // timer 22 is not below 30 * 3 / 4
  EXPECT_EQ(rig.host.beeps, 1);
  for (int i = 0; i < 8; ++i) rig.feed(quiet, false, MeterDevice::Input);
  EXPECT_EQ(rig.meter.meterHoldTimer[0], 21);
  rig.feed(clip, false, MeterDevice::Input);  // 21 < 22: beeps
  EXPECT_EQ(rig.host.beeps, 2);
  for (int i = 0; i < 29; ++i) rig.feed(quiet, false, MeterDevice::Input);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 127);
  rig.feed(quiet, false, MeterDevice::Input);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 0);  // dropped after 30 buffers
  EXPECT_EQ(rig.meter.meterPeakHold[1], 0);

  // Once both clip indications are gone, the next clip beeps at once.
  rig.feed(clip, false, MeterDevice::Input);
  EXPECT_EQ(rig.host.beeps, 3);

  // A clip in one channel beeps even when the other channel's timer is high, as
  // long as neither shows a clip.
  MeterRig one;
  one.settings.peakbeep = 1;
  one.feed(sine(kBufferFrames, 2, kMinus6dB), false, MeterDevice::Input);
  one.feed(sine(kBufferFrames, 2, kFullScale, 0.0), false, MeterDevice::Input);
  EXPECT_EQ(one.host.beeps, 1);
  EXPECT_EQ(one.meter.meterPeakHold[0], 127);
  EXPECT_EQ(one.meter.meterPeakHold[1], 94);
  // The right channel clips while the left one shows its clip and its own timer
  // (set by its -6 dB peak two buffers ago) is still high: no beep.
  one.feed(sine(kBufferFrames, 2, 0.0, kFullScale), false, MeterDevice::Input);
  EXPECT_EQ(one.host.beeps, 1);

  // Playback never beeps; recording without peakbeep neither.
  MeterRig play;
  play.settings.peakbeep = 1;
  play.feed(clip, false, MeterDevice::Output);
  EXPECT_EQ(play.meter.meterPeakHold[0], 127);
  EXPECT_EQ(play.host.beeps, 0);
  MeterRig off;
  off.feed(clip, false, MeterDevice::Input);
  EXPECT_EQ(off.host.beeps, 0);
}

TEST(LevelMeterUpdate, MonoUsesChannelOneOnly) {
  MeterRig rig;
  rig.meter.meterLevel[0] = 33;
  rig.meter.meterPeakHold[0] = 44;
  rig.meter.meterHoldTimer[0] = 5;
  rig.meter.meterMargin[0] = 55;
  // Every sixth mono sample is looked at; a -6 dBFS sine reads 64 and shows 94.
  rig.feed(sine(2 * kBufferFrames, 1, kMinus6dB), true, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterLevel[1], 94);
  EXPECT_EQ(rig.meter.meterMargin[1], 64);
  EXPECT_EQ(rig.meter.meterLevel[0], 33);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 44);
  EXPECT_EQ(rig.meter.meterHoldTimer[0], 5);
  EXPECT_EQ(rig.meter.meterMargin[0], 55);

  // Mono decided by the channel mode of the reference header.
  FrameHeader header;
  header.channelMode = ChannelMode::Mono;
  EXPECT_TRUE(meterIsMono(header));
  header.channelMode = ChannelMode::JointStereo;
  EXPECT_FALSE(meterIsMono(header));
}

TEST(LevelMeterReset, PeaksAndMarginResetSeparately) {
  MeterRig rig;
  rig.feed(sine(kBufferFrames, 2, kFullScale), false, MeterDevice::Output);
  meterResetPeaks(rig.meter);
  EXPECT_EQ(rig.meter.meterLevel[0], 0);
  EXPECT_EQ(rig.meter.meterPrevious[1], 0);
  EXPECT_EQ(rig.meter.meterPeakHold[0], 0);
  EXPECT_EQ(rig.meter.meterPeakHold[1], 0);
  EXPECT_EQ(rig.meter.meterMargin[0], 127);
  // After the reset the bar jumps straight to a new, lower level.
  rig.feed(sine(kBufferFrames, 2, 2560.0), false, MeterDevice::Output);
  EXPECT_EQ(rig.meter.meterLevel[0], 22);
  meterResetMargin(rig.meter);
  EXPECT_EQ(rig.meter.meterMargin[0], 1);
  EXPECT_EQ(rig.meter.meterMargin[1], 1);
}

TEST(LevelMeterMargin, TextInDecibelsBelowFullScale) {
  MeterRig rig;
  EXPECT_EQ(meterMarginText(rig.meter, false), "42.1 / 42.1");
  EXPECT_EQ(meterMarginText(rig.meter, true), "42.1");
  rig.feed(sine(kBufferFrames, 2, kMinus6dB, 0.0), false, MeterDevice::Output);
  EXPECT_EQ(meterMarginText(rig.meter, false), "6.0 / 42.1");  // 64 of 127
  rig.feed(sine(kBufferFrames, 2, 0.0, kFullScale), false, MeterDevice::Output);
  EXPECT_EQ(meterMarginText(rig.meter, false), "6.0 / 0.0");   // never "-0.0"
  EXPECT_EQ(meterMarginText(rig.meter, true), "0.0");
  // Quieter sound later does not lower the margin.
  rig.feed(silence(kBufferFrames, 2), false, MeterDevice::Output);
  EXPECT_EQ(meterMarginText(rig.meter, false), "6.0 / 0.0");
  EXPECT_NEAR(meterMarginDb(10), 22.08, 0.01);

  EXPECT_FALSE(meterMarginTextDiffers("6.0 / 0.0", "6.0 / 0.0"));
  EXPECT_TRUE(meterMarginTextDiffers("6.0 / 0.0", "6.0 / 0.1"));
  EXPECT_FALSE(meterMarginTextDiffers("12345678901234A", "12345678901234B"));
  EXPECT_TRUE(meterMarginTextDiffers("", "42.1"));
}

}  // namespace
}  // namespace quillane
