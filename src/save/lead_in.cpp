#include "save/lead_in.h"

#include <vector>

#include "stream/frame_header.h"
#include "stream/layer3_side_info.h"

namespace quillane {
namespace {

// Enough bytes before a frame for kMaxLeadInFrames frames of any size.
constexpr int64_t kLookBack = 4 * kMaxFrameSize + 4;

struct FrameFacts {
  int64_t at = 0;
  int mainDataBegin = 0;
  int dataSize = 0;
  int samplesPerFrame = 1152;
};

// The Layer III frames before `start` whose chain of lengths ends exactly there,
// oldest first, at most kMaxLeadInFrames; `last` gets the frame at start.
std::vector<FrameFacts> framesBefore(AudioStream& stream, int64_t start, FrameFacts& last) {
  const int64_t from = std::max(stream.audioStart, start - kLookBack);
  std::vector<uint8_t> block(static_cast<size_t>(start - from) + kMaxFrameSize);
  const size_t got = stream.sourceFile.readAt(from, block.data(), block.size());
  const int64_t end = start - from;
  if (got < static_cast<size_t>(end) + 4) return {};
  const auto factsAt = [&](int64_t p, FrameFacts& facts) {
    const FrameHeader h = decodeFrameHeader(block.data() + p);
    Layer3SideInfo info;
    if (!h.version || h.layer != 3 || !readLayer3SideInfo(block.data() + p, got - static_cast<size_t>(p), h, info))
      return 0;
    facts = {from + p, info.mainDataBegin, info.dataSize, h.version == 1 ? 1152 : 576};
    return static_cast<int>(h.frameSize);
  };
  if (factsAt(end, last) == 0) return {};
  for (int64_t p = 0; p + 4 <= end; ++p) {
    if (block[static_cast<size_t>(p)] != 0xFF) continue;
    std::vector<FrameFacts> chain;
    int64_t q = p;
    FrameFacts facts;
    for (int size = 0; q < end && (size = factsAt(q, facts)) > 0; q += size) chain.push_back(facts);
    if (q != end || chain.empty()) continue;
    if (chain.size() > kMaxLeadInFrames) chain.erase(chain.begin(), chain.end() - kMaxLeadInFrames);
    return chain;
  }
  return {};
}

}  // namespace

LeadIn leadInBefore(AudioStream& stream, int64_t start) {
  FrameFacts first;
  const std::vector<FrameFacts> before = framesBefore(stream, start, first);
  if (before.empty()) return {start, 0, first.samplesPerFrame};
  // Carrying k frames: the frame right before `start` finds its main data in the
  // k - 1 frames before it, and the frame at `start` in all k.
  const int n = static_cast<int>(before.size());
  for (int k = 1; k <= n; ++k) {
    int older = 0;  // data-area bytes of the carried frames before the last one
    for (int i = n - k; i < n - 1; ++i) older += before[static_cast<size_t>(i)].dataSize;
    const int all = older + before.back().dataSize;
    if ((older >= before.back().mainDataBegin && all >= first.mainDataBegin) || k == n)
      return {before[static_cast<size_t>(n - k)].at, k, first.samplesPerFrame};
  }
  return {start, 0, first.samplesPerFrame};
}

}  // namespace quillane
