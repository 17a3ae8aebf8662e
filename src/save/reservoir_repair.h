#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace quillane {

// Bytes of the output to be written over what was written before, `at` bytes
// after the first audio byte.
struct WrittenPatch {
  int64_t at = 0;
  std::vector<uint8_t> bytes;
};

// Keeps the bit reservoir sound where a save joins frames that were not neighbours
// (at a cut, and at the start of a file that does not begin with the source's first
// frame). A Layer III frame behind such a junction takes the start of its main data
// from the data areas of the frames before it (main_data_begin bytes back); in the
// source those were frames that are now cut away.
//
// Carried: the data areas before the junction end with bytes no kept frame reads
// (they held the main data of the frames cut away). The source's own reservoir in
// front of the first frame behind the junction is copied there, as far as it fits,
// so that the frames behind the junction find their main data where they look for
// it and decode exactly as in the source.
// Silenced: a frame that still reaches further back than that is rewritten to
// decode as silence (silenceLayer3Frame) instead of as noise.
// Frames further on are left alone once the data areas behind the junction hold as
// many bytes as main_data_begin can reach.
class ReservoirRepair {
 public:
  // The source's reservoir in front of the frame at frameStart: at most maxBytes,
  // the last bytes of the data areas before it (reservoirBefore).
  using SourceReservoir = std::function<std::vector<uint8_t>(int64_t frameStart, int maxBytes)>;

  explicit ReservoirRepair(SourceReservoir sourceReservoir = {});

  // Repairs, in place, a block of whole frames about to be written, read from the
  // source at sourceFrom onwards; a block that does not continue the one before
  // starts behind a junction. Returns what to write over the output already written
  // (the carried reservoir), counted from the first audio byte.
  std::vector<WrittenPatch> repairBlock(uint8_t* bytes, size_t size, int64_t sourceFrom);

  int silencedFrames() const { return silenced_; }
  int carriedJunctions() const { return carried_; }

 private:
  struct WrittenFrame {
    int64_t dataAt;      // its data area, in bytes from the first audio byte
    int64_t dataSpaceAt;  // the same, counted over the data areas alone
    int dataSize;
  };
  std::vector<WrittenPatch> carryReservoir(int64_t sourceFrom);
  void remember(const WrittenFrame& frame);

  SourceReservoir sourceReservoir_;
  int64_t expectedFrom_ = -1;  // the source offset just past the block before
  int behindJunction_ = -1;    // data-area bytes since the junction (carried ones too); -1: out of reach
  int64_t written_ = 0;        // audio bytes written
  int64_t dataSpace_ = 0;      // data-area bytes written
  int64_t mainDataEnd_ = 0;    // in data-area bytes: where the main data of the frames written ends
  int reach_ = 511;            // the stream's largest main_data_begin
  std::deque<WrittenFrame> recent_;  // the last frames written, back to at least `reach_` data bytes
  int silenced_ = 0;
  int carried_ = 0;
};

}  // namespace quillane
