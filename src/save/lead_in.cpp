#include "save/lead_in.h"

#include <algorithm>
#include <vector>

#include "stream/frame_header.h"
#include "stream/lame_tag.h"
#include "stream/layer3_side_info.h"

namespace quillane {
namespace {

constexpr int kDecoderDelay = 529;

struct FrameFacts {
  int64_t at = 0;
  int mainDataBegin = 0;
  int dataSize = 0;
  int samplesPerFrame = 1152;
};

// The most frames whose decoded samples the 12-bit delay can drop, with the
// decoder's own delay: 4 of 1152 samples (MPEG-1), 8 of 576 (MPEG-2 and 2.5), fewer
// when the delay must also drop `alsoDropped` samples of the frame at the start.
int maxLeadIn(int samplesPerFrame, int alsoDropped) {
  return std::max(0, kLameMaxDelay + kDecoderDelay - alsoDropped) / samplesPerFrame;
}

// The Layer III frames before `start` whose chain of lengths ends exactly there,
// oldest first, at most maxLeadIn of them; `first` gets the frame at start.
std::vector<FrameFacts> framesBefore(AudioStream& stream, int64_t start, int alsoDropped, FrameFacts& first) {
  const int64_t from = std::max(stream.audioStart, start - 8 * kMaxFrameSize);
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
  if (factsAt(end, first) == 0) return {};
  const size_t most = static_cast<size_t>(maxLeadIn(first.samplesPerFrame, alsoDropped));
  for (int64_t p = 0; p + 4 <= end; ++p) {
    if (block[static_cast<size_t>(p)] != 0xFF) continue;
    std::vector<FrameFacts> chain;
    int64_t q = p;
    FrameFacts facts;
    for (int size = 0; q < end && (size = factsAt(q, facts)) > 0; q += size) chain.push_back(facts);
    if (q != end || chain.empty()) continue;
    if (chain.size() > most) chain.erase(chain.begin(), chain.end() - static_cast<std::ptrdiff_t>(most));
    return chain;
  }
  return {};
}

// True when, of the frames carried from index `from` on (`start` after the last),
// each of the last `overlap` and the one at start finds its main data among the
// frames carried before it.
bool mainDataCarried(const std::vector<FrameFacts>& before, const FrameFacts& start, size_t from, size_t overlap) {
  int carried = 0;  // data-area bytes of the carried frames before frame i
  for (size_t i = from; i <= before.size(); ++i) {
    const FrameFacts& frame = i < before.size() ? before[i] : start;
    if (i + overlap >= before.size() && frame.mainDataBegin > carried) return false;
    if (i < before.size()) carried += frame.dataSize;
  }
  return true;
}

}  // namespace

LeadIn leadInBefore(AudioStream& stream, int64_t start, int alsoDropped) {
  FrameFacts first;
  const std::vector<FrameFacts> before = framesBefore(stream, start, alsoDropped, first);
  const int samples = first.samplesPerFrame;
  if (before.empty()) return {start, 0, samples};
  // The filterbank carries two granules of overlap into the frame at start: the
  // frame before it (MPEG-1), the two before it (MPEG-2 and 2.5, one granule each).
  const size_t overlap = std::min(before.size(), static_cast<size_t>(samples == 1152 ? 1 : 2));
  for (size_t k = overlap; k <= before.size(); ++k) {
    const size_t from = before.size() - k;
    const bool carried = mainDataCarried(before, first, from, overlap);
    if (k == before.size() || carried) return {before[from].at, static_cast<int>(k), samples, carried};
  }
  return {start, 0, samples};
}

}  // namespace quillane
