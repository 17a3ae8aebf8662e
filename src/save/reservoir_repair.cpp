#include "save/reservoir_repair.h"

#include <algorithm>
#include <utility>

#include "stream/frame_header.h"
#include "stream/layer3_side_info.h"

namespace quillane {

ReservoirRepair::ReservoirRepair(SourceReservoir sourceReservoir) : sourceReservoir_(std::move(sourceReservoir)) {}

void ReservoirRepair::remember(const WrittenFrame& frame) {
  recent_.push_back(frame);
  // Keep the frames whose data areas the last `reach_` data bytes lie in.
  while (recent_.size() > 1 && dataSpace_ - recent_[1].dataSpaceAt >= reach_) recent_.pop_front();
}

std::vector<WrittenPatch> ReservoirRepair::carryReservoir(int64_t sourceFrom) {
  std::vector<WrittenPatch> patches;
  const int64_t room = std::min<int64_t>(dataSpace_ - mainDataEnd_, reach_);
  if (room <= 0 || recent_.empty() || !sourceReservoir_) return patches;
  const std::vector<uint8_t> wanted = sourceReservoir_(sourceFrom, static_cast<int>(room));
  const int64_t count = std::min<int64_t>(room, static_cast<int64_t>(wanted.size()));
  if (count <= 0) return patches;

  // The last `count` data bytes written take the last `count` bytes of the source's reservoir.
  const int64_t first = dataSpace_ - count;
  for (const WrittenFrame& frame : recent_) {
    const int64_t from = std::max(first, frame.dataSpaceAt);
    const int64_t to = frame.dataSpaceAt + frame.dataSize;
    if (to <= from) continue;
    WrittenPatch patch;
    patch.at = frame.dataAt + (from - frame.dataSpaceAt);
    const auto source = wanted.end() - (dataSpace_ - from);
    patch.bytes.assign(source, source + (to - from));
    patches.push_back(std::move(patch));
  }
  behindJunction_ = static_cast<int>(count);
  ++carried_;
  return patches;
}

std::vector<WrittenPatch> ReservoirRepair::repairBlock(uint8_t* bytes, size_t size, int64_t sourceFrom) {
  std::vector<WrittenPatch> patches;
  if (size == 0) return patches;
  if (sourceFrom != expectedFrom_) {
    behindJunction_ = 0;
    patches = carryReservoir(sourceFrom);
  }
  expectedFrom_ = sourceFrom + static_cast<int64_t>(size);

  size_t at = 0;
  while (at + 4 <= size) {
    const FrameHeader header = decodeFrameHeader(bytes + at);
    if (!header.version || at + header.frameSize > size) break;  // blocks hold whole frames
    Layer3SideInfo info;
    if (!readLayer3SideInfo(bytes + at, size - at, header, info)) break;  // Layer II keeps no reservoir
    reach_ = maxMainDataBegin(header);
    if (behindJunction_ >= 0) {
      // Decoders keep only the reservoir behind the point where a frame's main data
      // began: the silenced frame begins it as far back as there are sound bytes,
      // so that the frames after it still find theirs.
      if (info.mainDataBegin > behindJunction_ &&
          silenceLayer3Frame(bytes + at, size - at, header, behindJunction_)) {
        ++silenced_;
        info.mainDataBegin = behindJunction_;
        info.part23Length = {};
      }
      behindJunction_ += info.dataSize;
      if (behindJunction_ >= reach_) behindJunction_ = -1;
    }
    const int64_t dataSpaceAt = dataSpace_;
    mainDataEnd_ = std::max(mainDataEnd_, dataSpaceAt - info.mainDataBegin + info.mainDataBytes());
    dataSpace_ += info.dataSize;
    remember({written_ + static_cast<int64_t>(at) + info.dataAt, dataSpaceAt, info.dataSize});
    at += header.frameSize;
  }
  written_ += static_cast<int64_t>(size);
  return patches;
}

}  // namespace quillane
