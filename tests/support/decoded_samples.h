#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace quillane::test {

// Interleaved 16-bit samples as a decoder writes them.
using Samples = std::vector<int16_t>;

inline Samples samplesOf(const std::string& raw) {
  Samples s(raw.size() / 2);
  std::memcpy(s.data(), raw.data(), s.size() * 2);
  return s;
}

// mpg123 honours the LAME tag's delay and padding (gapless by default).
inline Samples mpg123Decode(const std::filesystem::path& path) {
  const auto out = runCommand("mpg123 -q -s " + shellQuote(path.string()));
  EXPECT_EQ(out.status, 0) << out.err;
  return samplesOf(out.out);
}

// FFmpeg honours them too.
inline Samples ffmpegDecode(const std::filesystem::path& path) {
  const auto out = runCommand("ffmpeg -nostdin -v error -i " + shellQuote(path.string()) + " -f s16le -");
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.err, "");
  return samplesOf(out.out);
}

// The largest difference between a's and b's samples, over the shorter length.
inline int maxDifference(const Samples& a, const Samples& b) {
  int most = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}

}  // namespace quillane::test
