#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "stream/frame_header.h"

namespace quillane {

// The parts of a Layer III frame's side information that say where its main data
// lies. A frame's main data starts main_data_begin bytes before the end of its own
// side information, counted over the data areas (the bytes behind header, CRC and
// side information) of the frames before it: the bit reservoir. It is
// part2_3_length bits per granule and channel long.
struct Layer3SideInfo {
  int granules = 0;  // 2 for MPEG-1, 1 for MPEG-2 and MPEG-2.5
  int channels = 0;
  int mainDataBegin = 0;
  std::array<std::array<int, 2>, 2> part23Length{};  // [granule][channel], bits
  int sideInfoSize = 0;  // 17 or 32 bytes (MPEG-1), 9 or 17 (MPEG-2/2.5)
  int dataAt = 0;        // where the data area starts in the frame: header, CRC, side information
  int dataSize = 0;      // bytes of the frame behind that

  int mainDataBytes() const;  // the frame's own main data, rounded up to whole bytes
};

// The largest main_data_begin a stream of this version can hold: 511 (MPEG-1), 255.
int maxMainDataBegin(const FrameHeader& header);

// Reads the side information of the Layer III frame `frame` (header included);
// false for any other layer or a frame too short to hold it.
bool readLayer3SideInfo(const uint8_t* frame, size_t size, const FrameHeader& header, Layer3SideInfo& info);

// Rewrites the side information in place so that the frame decodes to silence by
// itself: scfsi, every part2_3_length, big_values, scalefac_compress and preflag
// become 0, so it reads no bits at all; block types and window switching stay, so
// that the filterbank's overlap with its neighbours goes on as before. The frame's
// length and its data area (which later frames may read through the reservoir)
// stay. main_data_begin becomes `mainDataBegin`: no bits are read there, but
// decoders keep the reservoir only from that point on, so it says how much of it
// the frames after may still use (at most what the decoder holds). A frame
// protected by a CRC gets its CRC computed anew. false when the frame is no
// Layer III frame that can be rewritten.
bool silenceLayer3Frame(uint8_t* frame, size_t size, const FrameHeader& header, int mainDataBegin = 0);

}  // namespace quillane
