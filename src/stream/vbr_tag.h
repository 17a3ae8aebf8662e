#pragma once

#include <cstdint>
#include <vector>

#include "stream/binary_file.h"
#include "stream/frame_header.h"

namespace quillane {

// Flags of the tag we write: frame count, byte count and seek table present.
constexpr uint32_t kXingFlags = 7;
constexpr int kXingTableSize = 100;

// Looks for a "Xing" or "Info" tag in the frame at offset. Returns the length of
// the tag frame, or 0 when the frame carries no tag. frames and bytes are set to 0
// first and filled from a "Xing" tag only ("Info" leaves them 0).
int readVbrTag(BinaryFile& file, int64_t offset, uint32_t& frames, uint32_t& bytes);

// The tag frame for the stream of `header` with only the name "Xing" in it:
// a 64 kbit/s frame without padding and CRC, otherwise zero. Empty when the
// header is not valid.
std::vector<uint8_t> vbrPlaceholderFrame(const FrameHeader& header);

// Writes that frame at the file's current position. Does nothing (and succeeds)
// for an invalid header; false when the write failed.
bool writeVbrPlaceholder(BinaryFile& file, const FrameHeader& header);

// Fills in the flags, counts and seek table of the tag frame at tagFrameOffset by
// walking the frames of the file. False when a frame on the way does not decode
// (then nothing is written) or the file can't be read or written. Leaves the file
// at its end.
bool completeVbrTag(BinaryFile& file, int64_t tagFrameOffset, uint32_t frames);

}  // namespace quillane
