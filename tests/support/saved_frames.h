#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace quillane::test {

// The length of the LAME/Info/Xing tag frame a saved file starts with; 0 when it
// starts with audio.
size_t lameTagFrameSize(const Bytes& saved);

// Compares the audio frames a save wrote with the source frames it should hold, as
// the save may rewrite them where frames that were not neighbours meet (at a cut,
// and at the start of a piece): a frame behind such a junction may be rewritten
// to decode as silence (its side information only), and the last data-area bytes
// before a junction may hold the source's bit reservoir carried over the cut.
// `junctions` are the indices of the expected frames that follow one. Every
// header, every frame length and everything else is as expected. Returns what
// differs first; empty when nothing does.
std::string savedFramesDiffer(const Bytes& saved, const Bytes& expected, const std::vector<size_t>& junctions);

}  // namespace quillane::test
