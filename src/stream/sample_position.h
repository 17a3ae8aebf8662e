#pragma once

#include <cstdint>
#include <optional>

#include "stream/audio_stream.h"
#include "stream/frame_header.h"

namespace quillane {

// Samples a Layer III decoder puts before the first encoded sample (the
// filterbank's delay); a gapless decoder drops them with the encoder's delay.
constexpr int kLayer3DecoderDelay = 529;

// Positions inside the audio are counted in decoded samples: the frames' own
// timeline, in which the audio frame number k (0 for the one at audioStart)
// decodes to the samples k * samplesPerFrame up to the next frame's.
//
// The decoded sample a time names. With a LAME/Info tag the time counts from the
// first sample a gapless player plays, which lies the encoder's delay and the
// decoder's 529 samples into the frames; without one, from the first frame.
int64_t decodedSampleAt(AudioStream& stream, double seconds);

// The number of the audio frame starting at `frame`, counted from audioStart by
// walking the frames' lengths; nothing when the walk does not land on it.
std::optional<int64_t> frameNumberAt(AudioStream& stream, int64_t frame);

// Samples from the first sample of the frame at `frame` to the decoded sample
// `sample`: negative when that lies in a frame before, at least one frame's
// samples when it lies in a later one. 0 when `frame` can't be numbered.
int32_t sampleOffsetFrom(AudioStream& stream, int64_t frame, int64_t sample);

// A boundary inside the audio: the frame that holds its first sample and how many
// of that frame's samples lie before it (0 .. samplesPerFrame - 1).
struct SampleBoundary {
  int64_t frame = 0;
  int samplesBefore = 0;
  int samplesPerFrame = 0;
};

// The boundary `sampleOffset` samples from the first sample of the frame at
// `frame` (as sampleOffsetFrom gives it): found by walking whole frames forward or
// back. Nothing when the frames can't be walked there (damaged data, before the
// audio or past its end).
std::optional<SampleBoundary> boundaryFrom(AudioStream& stream, int64_t frame, int32_t sampleOffset);

}  // namespace quillane
