#include "settings/configuration_rules.h"

#include <algorithm>
#include <cctype>

namespace quillane {
namespace {

// Kilobytes of wave buffer a frame of the buffer needs.
constexpr int kKilobytesPerFrame = 5;

uint8_t heldByte(int value, int lowest, int highest) { return static_cast<uint8_t>(std::clamp(value, lowest, highest)); }

}  // namespace

void setBufferMax(Settings& settings, int kilobytes) {
  settings.buffer_max = heldByte(kilobytes, kBufferMaxLowest, kBufferMaxHighest);
  if (settings.buffer_max < settings.buffer_frm * kKilobytesPerFrame)
    settings.buffer_frm = heldByte(settings.buffer_max / kKilobytesPerFrame, kBufferFramesLowest, kBufferFramesHighest);
}

void setBufferFrames(Settings& settings, int frames) {
  settings.buffer_frm = heldByte(frames, kBufferFramesLowest, kBufferFramesHighest);
  if (settings.buffer_max < settings.buffer_frm * kKilobytesPerFrame)
    settings.buffer_max = static_cast<uint8_t>(settings.buffer_frm * kKilobytesPerFrame);
}

uint16_t smallStepFrom(uint64_t frames) {
  return static_cast<uint16_t>(std::clamp(frames, kSmallStepLowest, kSmallStepHighest));
}

uint16_t largeStepFrom(uint64_t frames) {
  return static_cast<uint16_t>(std::clamp(frames, kLargeStepLowest, kLargeStepHighest));
}

uint64_t typedStep(const std::string& text) {
  constexpr uint64_t kUnsignedLimit = 0xFFFFFFFFu;
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  uint64_t number = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
    number = std::min(kUnsignedLimit, number * 10 + static_cast<uint64_t>(text[at] - '0'));
  return number;
}

int32_t& colourSetting(Settings& settings, int entry) {
  switch (entry) {
    case 0: return settings.rgb_background;
    case 1: return settings.rgb_mpeg;
    case 2: return settings.rgb_cursor;
    case 3: return settings.rgb_selection;
    case 4: return settings.rgb_cuts;
    case 5: return settings.rgb_actual;
    default: return settings.rgb_vumeter;
  }
}

ColourComponents rgbOfSetting(int32_t colour) {
  const auto bits = static_cast<uint32_t>(colour);
  return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF), static_cast<int>((bits >> 16) & 0xFF)};
}

int32_t settingOfRgb(ColourComponents rgb) {
  const auto byte = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return static_cast<int32_t>(byte(rgb.red) | (byte(rgb.green) << 8) | (byte(rgb.blue) << 16));
}

}  // namespace quillane
