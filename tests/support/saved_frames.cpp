#include "support/saved_frames.h"

#include <algorithm>

#include "stream/frame_header.h"
#include "stream/lame_tag.h"
#include "stream/layer3_side_info.h"

namespace quillane::test {
namespace {

struct FrameSpan {
  size_t at = 0;
  FrameHeader header;
  Layer3SideInfo info;
  bool layer3 = false;
};

std::vector<FrameSpan> framesIn(const Bytes& bytes) {
  std::vector<FrameSpan> frames;
  for (size_t at = 0; at + 4 <= bytes.size();) {
    FrameSpan f;
    f.at = at;
    f.header = decodeFrameHeader(bytes.data() + at);
    if (!f.header.version || f.header.frameSize <= 0) break;
    f.layer3 = readLayer3SideInfo(bytes.data() + at, bytes.size() - at, f.header, f.info);
    frames.push_back(f);
    at += static_cast<size_t>(f.header.frameSize);
  }
  return frames;
}

bool silent(const Layer3SideInfo& info) {
  for (const auto& granule : info.part23Length)
    for (int bits : granule)
      if (bits != 0) return false;
  return true;
}

}  // namespace

size_t lameTagFrameSize(const Bytes& saved) {
  const auto tag = parseLameTag(saved.data(), saved.size());
  return tag ? tag->frame.size() : 0;
}

std::string savedFramesDiffer(const Bytes& saved, const Bytes& expected, const std::vector<size_t>& junctions) {
  if (saved.size() != expected.size())
    return "size " + std::to_string(saved.size()) + " instead of " + std::to_string(expected.size());
  const std::vector<FrameSpan> want = framesIn(expected);
  const std::vector<FrameSpan> got = framesIn(saved);
  if (got.size() != want.size()) return std::to_string(got.size()) + " frames instead of " + std::to_string(want.size());

  // Data-area bytes (counted over the data areas alone) that a carried reservoir may rewrite.
  std::vector<std::pair<int64_t, int64_t>> carried;
  int64_t dataSpace = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    if (std::find(junctions.begin(), junctions.end(), i) != junctions.end() && want[i].layer3)
      carried.push_back({dataSpace - maxMainDataBegin(want[i].header), dataSpace});
    if (want[i].layer3) dataSpace += want[i].info.dataSize;
  }
  const auto mayCarry = [&carried](int64_t space) {
    return std::any_of(carried.begin(), carried.end(), [space](auto r) { return r.first <= space && space < r.second; });
  };

  dataSpace = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    const FrameSpan& w = want[i];
    const FrameSpan& g = got[i];
    const std::string which = "frame " + std::to_string(i);
    const size_t dataAt = w.layer3 ? static_cast<size_t>(w.info.dataAt) : 4;
    if (!std::equal(expected.begin() + w.at, expected.begin() + w.at + 4, saved.begin() + g.at))
      return which + ": header";
    const bool sameSide = std::equal(expected.begin() + w.at, expected.begin() + w.at + dataAt, saved.begin() + g.at);
    if (!sameSide && !(w.layer3 && g.layer3 && silent(g.info))) return which + ": side information";
    for (size_t k = dataAt; k < static_cast<size_t>(w.header.frameSize); ++k) {
      if (expected[w.at + k] == saved[g.at + k]) continue;
      if (!w.layer3 || !mayCarry(dataSpace + static_cast<int64_t>(k - dataAt)))
        return which + ": data byte " + std::to_string(k);
    }
    if (w.layer3) dataSpace += w.info.dataSize;
  }
  const size_t end = want.empty() ? 0 : want.back().at + static_cast<size_t>(want.back().header.frameSize);
  if (!std::equal(expected.begin() + static_cast<std::ptrdiff_t>(end), expected.end(),
                  saved.begin() + static_cast<std::ptrdiff_t>(end)))
    return "the bytes after the last frame";
  return "";
}

}  // namespace quillane::test
