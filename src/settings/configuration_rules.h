#pragma once

#include <cstdint>
#include <string>

#include "settings/settings.h"

namespace quillane {

// The rules of the configuration pages that a control alone can't keep.

// "Maximum wave buffer size" in KB and "Max frames/buffer": the slider ranges.
constexpr int kBufferMaxLowest = 8;
constexpr int kBufferMaxHighest = 64;
constexpr int kBufferFramesLowest = 1;
constexpr int kBufferFramesHighest = 8;

// The wave buffer holds its frames at 5 KB a frame: moving one slider moves the
// other when they no longer fit. buffer_max = kilobytes; when buffer_max KB is
// less than buffer_frm × 5 KB, buffer_frm = buffer_max / 5.
void setBufferMax(Settings& settings, int kilobytes);
// buffer_frm = frames; when they no longer fit, buffer_max = buffer_frm × 5.
void setBufferFrames(Settings& settings, int frames);

// The navigation steps as the page stores them when it closes: the small step
// ("<<", ">>") 0 becomes 1 and above 1000 becomes 1000; the large step ("<<<",
// ">>>") below 10 becomes 10 and above 10000 becomes 10000.
constexpr uint64_t kSmallStepLowest = 1;
constexpr uint64_t kSmallStepHighest = 1000;
constexpr uint64_t kLargeStepLowest = 10;
constexpr uint64_t kLargeStepHighest = 10000;
uint16_t smallStepFrom(uint64_t frames);
uint16_t largeStepFrom(uint64_t frames);
// The number typed into a step box: its leading decimal digits (none: 0), held
// below 2^32 as an unsigned number would be.
uint64_t typedStep(const std::string& text);

// The seven colours of the "Colors" list in list order: background, level graph,
// cursor, selection, edit ranges, active range, VU meter.
constexpr int kColourCount = 7;
int32_t& colourSetting(Settings& settings, int entry);

// A colour setting (0x00BBGGRR) as red, green, blue and back. (Not the view's Rgb,
// whose channels are bytes: one name for two layouts would break the one-definition rule.)
struct ColourComponents {
  int red = 0;
  int green = 0;
  int blue = 0;
};
ColourComponents rgbOfSetting(int32_t colour);
int32_t settingOfRgb(ColourComponents rgb);

}  // namespace quillane
