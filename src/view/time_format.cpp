#include "view/time_format.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace quillane {

std::string formatTime(int64_t bytes, float bitrate, bool showMilisec) {
  // No rate, no time: show the start rather than dividing by zero.
  if (!(bitrate > 0.0f) || !std::isfinite(bitrate)) {
    bytes = 0;
    bitrate = 8.0f;
  }

  // Seconds as a 32-bit float, as every time of the program is computed.
  float seconds = static_cast<float>(bytes) / (bitrate / 8.0f);
  if (!std::isfinite(seconds)) seconds = 0.0f;
  // Far beyond any real file; keeps the minutes within 64 bits.
  constexpr float kLongest = 1e17f;
  if (seconds > kLongest) seconds = kLongest;
  if (seconds < -kLongest) seconds = -kLongest;

  const int64_t minutes = static_cast<int64_t>(std::trunc(seconds)) / 60;
  // The difference is exact in double, so large counts keep their seconds.
  const double rest = static_cast<double>(seconds) - 60.0 * static_cast<double>(minutes);

  char text[64];
  std::snprintf(text, sizeof text, showMilisec ? "%" PRId64 "'%6.3f" : "%" PRId64 "'%5.2f",
                minutes, rest);
  // Seconds below 10 get a leading zero instead of the field's blank.
  for (std::size_t i = 2; text[i - 1] != '\0' && text[i] != '\0'; ++i) {
    if (text[i] == ' ') text[i] = '0';
  }
  return text;
}

}  // namespace quillane
