#include "audio/level_meter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace quillane {

namespace {

// Every third stereo sample frame (12 bytes), the high byte of its first sample.
constexpr int kFirstHighByte = 1;
constexpr int kSampleStride = 12;

constexpr int kRecordingFall = 8;
constexpr int kRecordingHold = 30;
constexpr int kPlaybackFallPerFrame = 5;
constexpr int kPlaybackHoldBase = 80;

}  // namespace

MeterTiming meterTiming(MeterDevice device, int bufferFrm) {
  if (device == MeterDevice::Output) {
    const int frames = bufferFrm > 0 ? bufferFrm : 1;  // the sizing rule never leaves 0
    return {kPlaybackFallPerFrame * frames, kPlaybackHoldBase / frames};
  }
  return {kRecordingFall, kRecordingHold};
}

int meterDisplayValue(int rawLevel) {
  return static_cast<int>(144.0 * (1.0 - std::exp(-rawLevel / 60.0)));
}

int meterRawLevel(const uint8_t* data, std::size_t length, int channel) {
  const int64_t span = static_cast<int64_t>(length) - kMeterTailBytes;
  int level = 0;
  for (int64_t j = kFirstHighByte; j < span; j += kSampleStride) {
    const int b = static_cast<int8_t>(data[j + 2 * channel]);
    const int magnitude = b < 0 ? -b : b;
    if (magnitude > level) level = magnitude;
  }
  return level;
}

void meterUpdate(LevelMeter& meter, const uint8_t* data, std::size_t length, bool mono, MeterDevice device,
                 const Settings& settings, Host& host) {
  const MeterTiming timing = meterTiming(device, settings.buffer_frm);
  bool beep = false;
  for (int c = mono ? 1 : 0; c < 2; ++c) {
    int raw = data != nullptr ? meterRawLevel(data, length, c) : 0;
    if (raw >= kMeterClipLevel) {
      const bool bothBelowClip = meter.meterPeakHold[0] < kMeterClipLevel && meter.meterPeakHold[1] < kMeterClipLevel;
      if (settings.peakbeep != 0 && (bothBelowClip || meter.meterHoldTimer[c] < timing.hold * 3 / 4)) beep = true;
      meter.meterPeakHold[c] = kMeterClipLevel;
      raw = kMeterClipLevel;
      meter.meterHoldTimer[c] = static_cast<uint8_t>(timing.hold);
    }
    if (raw > meter.meterMargin[c]) meter.meterMargin[c] = static_cast<uint8_t>(raw);

    int value = meterDisplayValue(raw);
    if (meter.meterPrevious[c] - value > timing.fall) value = meter.meterPrevious[c] - timing.fall;
    value &= 127;
    meter.meterLevel[c] = static_cast<uint8_t>(value);
    meter.meterPrevious[c] = static_cast<uint8_t>(value);

    if (value > meter.meterPeakHold[c] && meter.meterPeakHold[c] < kMeterClipLevel) {
      meter.meterPeakHold[c] = static_cast<uint8_t>(value);
      meter.meterHoldTimer[c] = static_cast<uint8_t>(timing.hold);
    }
    if (meter.meterHoldTimer[c] > 0) {
      --meter.meterHoldTimer[c];
    } else {
      meter.meterPeakHold[c] = 0;
      meter.meterHoldTimer[c] = static_cast<uint8_t>(timing.hold);
    }
  }
  if (beep && device == MeterDevice::Input) host.beep();
}

void meterResetPeaks(LevelMeter& meter) {
  meter.meterLevel = {0, 0};
  meter.meterPrevious = {0, 0};
  meter.meterPeakHold = {0, 0};
}

void meterResetMargin(LevelMeter& meter) { meter.meterMargin = {1, 1}; }

double meterMarginDb(uint8_t margin) {
  // + 0.0 turns the -0.0 of a full-scale margin into 0.0, which prints without a sign.
  return -20.0 * std::log10(margin / 127.0) + 0.0;
}

std::string meterMarginText(const LevelMeter& meter, bool mono) {
  char text[64];
  if (mono) {
    std::snprintf(text, sizeof text, "%2.1f", meterMarginDb(meter.meterMargin[1]));
  } else {
    std::snprintf(text, sizeof text, "%2.1f / %2.1f", meterMarginDb(meter.meterMargin[0]),
                  meterMarginDb(meter.meterMargin[1]));
  }
  return text;
}

bool meterMarginTextDiffers(const std::string& current, const std::string& text) {
  return std::strncmp(current.c_str(), text.c_str(), kMarginTextCompareChars) != 0;
}

}  // namespace quillane
