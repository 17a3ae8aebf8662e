// The Turbo Grabber: a record played at 45 rpm instead of 33 1/3 is filtered and
// stretched back by 1.35 before it is encoded.
#include <algorithm>

#include "audio/recording_engine.h"

namespace quillane {
namespace {

int16_t clip16(int64_t value) { return static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767)); }

}  // namespace

void turboFilter(int16_t* samples, std::size_t count, int channels, TurboFilterMemory& memory) {
  const int n = channels == 1 ? 1 : 2;
  for (std::size_t i = 0; i < count; ++i) {
    // Channel 0 is left (or the only one), 1 is right.
    const std::size_t c = i % static_cast<std::size_t>(n);
    const int32_t x = samples[i];
    const int32_t t = x - (30 * memory.y2[c]) / 200 - (30 * memory.y1[c]) / 400;
    memory.y2[c] = memory.y1[c];
    memory.y1[c] = t;
    samples[i] = static_cast<int16_t>(std::clamp<int32_t>(t, -32766, 32766));
  }
}

std::size_t turboStretch(const int16_t* in, std::size_t count, int channels, double factor, int16_t* out,
                         std::size_t capacity) {
  const std::size_t n = channels == 1 ? 1 : 2;
  if (factor > 2.0 || count < n) return 0;
  const std::size_t frames = count / n;
  std::size_t total = static_cast<std::size_t>(static_cast<double>(count) * factor);
  total -= total % n;
  if (total > capacity) return 0;

  const float step = static_cast<float>(n) / static_cast<float>(factor);
  float pos = 0.0F;
  std::size_t w = 0;
  while (w < total) {
    std::size_t base = static_cast<std::size_t>(pos);
    base -= base % n;
    // The frame after the last one is the last one again.
    const std::size_t frame = std::min(base / n, frames - 1);
    const std::size_t next = std::min(frame + 1, frames - 1);
    const float weight = (pos - static_cast<float>(base)) / step;
    for (std::size_t i = 0; i < n; ++i) {
      const int32_t s0 = in[frame * n + i];
      const int32_t s1 = in[next * n + i];
      out[w + i] = clip16(static_cast<int64_t>(static_cast<float>(s0) + static_cast<float>(s1 - s0) * weight));
    }
    w += n;
    if (w + 2 < total) pos += step;
  }
  return total;
}

}  // namespace quillane
