#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "session/host.h"
#include "settings/settings.h"
#include "stream/frame_header.h"

namespace quillane {

// The numbers behind the level meter, per channel: index 0 is left, 1 is right.
// A mono stream uses channel 1 only and leaves channel 0 untouched.
struct LevelMeter {
  std::array<uint8_t, 2> meterLevel{};      // displayed level, 0..127
  std::array<uint8_t, 2> meterPrevious{};   // displayed level after the previous buffer
  std::array<uint8_t, 2> meterPeakHold{};   // held peak, 0..127; 127 shows a clip
  std::array<uint8_t, 2> meterHoldTimer{};  // buffers left before the held peak drops
  std::array<uint8_t, 2> meterMargin{1, 1}; // largest raw level since the margin reset, 1..127
};

// Which audio device is open while a buffer is measured: the output device
// (playback: fall and hold follow buffer_frm, never a beep) or the input device
// (recording: fixed fall and hold, beep on clipping when peakbeep is on). With
// neither open the recording constants apply and nothing beeps.
enum class MeterDevice { None, Output, Input };

// The meter measures one channel for a mono stream (channel mode 4), else two.
inline bool meterIsMono(const FrameHeader& reference) { return reference.channelMode == ChannelMode::Mono; }

// Bytes at the end of every buffer that the meter never looks at.
constexpr int kMeterTailBytes = 1012;
// Raw levels from this value up count as clipping.
constexpr int kMeterClipLevel = 127;

// Fall (largest drop of the bar per buffer) and hold (buffers the peak stays).
struct MeterTiming {
  int fall;
  int hold;
};
MeterTiming meterTiming(MeterDevice device, int bufferFrm);

// The display curve: trunc(144 * (1 - e^(-raw / 60))), 0 -> 0, 127 -> 126.
int meterDisplayValue(int rawLevel);

// The largest |high byte| of the channel's sample in every third stereo sample
// frame below length - 1012 bytes (0..128); 0 for shorter buffers.
int meterRawLevel(const uint8_t* data, std::size_t length, int channel);

// Measures one PCM buffer (signed 16-bit little endian, interleaved) that has just
// been played or captured and updates the bars, held peaks and margins. Beeps
// through the host once when recording clips and settings.peakbeep is on.
void meterUpdate(LevelMeter& meter, const uint8_t* data, std::size_t length, bool mono, MeterDevice device,
                 const Settings& settings, Host& host);

// Bars and held peaks of both channels to 0 (playback start and stop, end of recording).
void meterResetPeaks(LevelMeter& meter);
// Margins of both channels to 1 (the Margin command, a reset of the editing model).
void meterResetMargin(LevelMeter& meter);

// The distance of a margin value from full scale: -20 * log10(margin / 127) dB.
double meterMarginDb(uint8_t margin);
// The "&Margin" button text: "l / r" for stereo, "r" for mono, each "%2.1f".
std::string meterMarginText(const LevelMeter& meter, bool mono);
// The button text is replaced only when the new one differs from the current one
// within their first 14 characters.
constexpr std::size_t kMarginTextCompareChars = 14;
bool meterMarginTextDiffers(const std::string& current, const std::string& text);

}  // namespace quillane
