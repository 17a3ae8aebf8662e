#include "stream/reservoir_bytes.h"

#include <algorithm>

#include "stream/frame_header.h"
#include "stream/layer3_side_info.h"

namespace quillane {
namespace {

// Enough frames before the one at frameStart to hold 511 bytes of data areas even
// at the lowest bit rates.
constexpr int64_t kLookBack = 8192;

bool sameStream(const FrameHeader& a, const FrameHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate &&
         a.channelMode == b.channelMode;
}

}  // namespace

std::vector<uint8_t> reservoirBefore(BinaryFile& file, int64_t audioStart, int64_t frameStart, int maxBytes) {
  const int64_t from = std::max(audioStart, frameStart - kLookBack);
  if (frameStart - from < 4 || maxBytes <= 0) return {};
  std::vector<uint8_t> block(static_cast<size_t>(frameStart - from) + 4);
  if (file.readAt(from, block.data(), block.size()) != block.size()) return {};
  const int64_t end = frameStart - from;
  const FrameHeader target = decodeFrameHeader(block.data() + end);
  if (!target.version || target.layer != 3) return {};

  // The earliest position whose chain of frames lands exactly on frameStart.
  for (int64_t p = 0; p + 4 <= end; ++p) {
    if (block[static_cast<size_t>(p)] != 0xFF) continue;
    std::vector<int64_t> chain;
    int64_t q = p;
    while (q + 4 <= end) {
      const FrameHeader h = decodeFrameHeader(block.data() + q);
      if (!h.version || !sameStream(h, target)) break;
      chain.push_back(q);
      q += h.frameSize;
    }
    if (q != end || chain.empty()) continue;

    // The data areas from the last frame backwards, until maxBytes are gathered.
    std::vector<uint8_t> bytes;
    for (auto it = chain.rbegin(); it != chain.rend() && static_cast<int>(bytes.size()) < maxBytes; ++it) {
      const uint8_t* frame = block.data() + *it;
      const FrameHeader h = decodeFrameHeader(frame);
      Layer3SideInfo info;
      if (!readLayer3SideInfo(frame, static_cast<size_t>(end - *it), h, info)) return {};
      const int take = std::min(info.dataSize, maxBytes - static_cast<int>(bytes.size()));
      const uint8_t* areaEnd = frame + h.frameSize;
      bytes.insert(bytes.begin(), areaEnd - take, areaEnd);
    }
    return bytes;
  }
  return {};
}

}  // namespace quillane
