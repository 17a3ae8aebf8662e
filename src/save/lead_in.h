#pragma once

#include <cstdint>

#include "stream/audio_stream.h"

namespace quillane {

// The most frames a piece carries in front of its first sample: the encoder delay
// field that tells gapless decoders to drop them holds at most 4095 samples, and
// 4 frames less the decoder's 529 samples of delay are 4079.
constexpr int kMaxLeadInFrames = 4;

// The frames a sample-accurate piece that begins with the Layer III frame at
// `start` carries in front of it, so that its first frame decodes as in the source:
// the frame before it (the filterbank's overlap) and the frames before that whose
// data areas hold the main data of those two (the bit reservoir), at most
// kMaxLeadInFrames. A gapless decoder drops what they decode to.
struct LeadIn {
  int64_t from = 0;  // where the first carried frame starts (start when none is)
  int frames = 0;
  int samplesPerFrame = 1152;  // 576 for Layer III of MPEG-2 and 2.5
};
LeadIn leadInBefore(AudioStream& stream, int64_t start);

}  // namespace quillane
