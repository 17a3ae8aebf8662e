#pragma once

#include <cstdint>
#include <vector>

#include "stream/binary_file.h"

namespace quillane {

// The bit reservoir as a Layer III frame at frameStart finds it: the last bytes (at
// most maxBytes) of the data areas of the frames right before it, oldest first.
// The frames before are found by their chain of lengths, which must end exactly at
// frameStart; nothing before audioStart is read. Empty when there are none (the
// first frame, Layer II, or no chain that leads there).
std::vector<uint8_t> reservoirBefore(BinaryFile& file, int64_t audioStart, int64_t frameStart, int maxBytes);

}  // namespace quillane
