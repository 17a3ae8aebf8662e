#pragma once

#include <cstdint>

#include "stream/audio_stream.h"

namespace quillane {

// The frames a sample-accurate piece that begins with the Layer III frame at
// `start` carries in front of it, so that its first frame decodes as in the source:
// the frames before it that the filterbank's overlap reaches (two granules) and
// the frames before those whose data areas hold their main data (the bit
// reservoir), no more than the encoder delay field (at most 4095 samples) can make
// a gapless decoder drop with its own 529 samples: 4 frames of MPEG-1, 8 of
// MPEG-2 and 2.5.
struct LeadIn {
  int64_t from = 0;  // where the first carried frame starts (start when none is)
  int frames = 0;
  int samplesPerFrame = 1152;  // 576 for Layer III of MPEG-2 and 2.5
  // The frame at start and the overlap frames find all their main data among the
  // frames carried; false when the delay field left no room for all they need,
  // and the first frame's samples then differ from the source's.
  bool complete = true;
};
// `alsoDropped` samples of the frame at start (a boundary inside it) go into the
// same delay field, and leave that much less room for frames carried.
LeadIn leadInBefore(AudioStream& stream, int64_t start, int alsoDropped = 0);

}  // namespace quillane
