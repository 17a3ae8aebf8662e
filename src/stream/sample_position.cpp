#include "stream/sample_position.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "stream/lame_tag.h"

namespace quillane {
namespace {

// Walks the audio frame by frame through blocks read ahead, so that a walk over a
// whole file costs a few hundred reads rather than one per frame.
class FrameWalk {
 public:
  FrameWalk(AudioStream& stream, int64_t from) : stream_(stream), at_(from) {}

  int64_t at() const { return at_; }
  // The header of the frame at at(); version 0 when none starts there.
  FrameHeader header() {
    if (at_ < 0 || at_ + 4 > stream_.audioEnd) return {};
    if (at_ < blockFrom_ || at_ + 4 > blockFrom_ + static_cast<int64_t>(block_.size())) {
      block_.resize(kBlockSize);
      const size_t got = stream_.sourceFile.readAt(at_, block_.data(), block_.size());
      block_.resize(got);
      blockFrom_ = at_;
      if (got < 4) return {};
    }
    return decodeFrameHeader(block_.data() + (at_ - blockFrom_));
  }
  // Steps over the frame at at(); false when no frame starts there.
  bool step() {
    const FrameHeader h = header();
    if (!h.version || h.frameSize == 0) return false;
    at_ += h.frameSize;
    return true;
  }

 private:
  static constexpr size_t kBlockSize = 65536;
  AudioStream& stream_;
  int64_t at_;
  std::vector<uint8_t> block_;
  int64_t blockFrom_ = -1;
};

int streamSamplesPerFrame(AudioStream& stream) {
  return samplesPerFrame(headerAt(stream, stream.audioStart));
}

// The frame `count` frames on from the one at `frame`; nothing past the audio.
std::optional<int64_t> frameAfter(AudioStream& stream, int64_t frame, int64_t count) {
  FrameWalk walk(stream, frame);
  for (int64_t i = 0; i < count; ++i)
    if (!walk.step()) return std::nullopt;
  if (walk.at() >= stream.audioEnd) return std::nullopt;
  return walk.at();
}

}  // namespace

int64_t decodedSampleAt(AudioStream& stream, double seconds) {
  const FrameHeader first = headerAt(stream, stream.audioStart);
  double sample = std::round(seconds * first.sampleRate);
  if (stream.firstFrameStart < stream.audioStart) {
    const auto tag = readLameTag(stream.sourceFile, stream.firstFrameStart);
    if (tag) sample += tag->delay + kLayer3DecoderDelay;
  }
  if (!(sample < 9.0e18)) return std::numeric_limits<int64_t>::max();
  if (!(sample > -9.0e18)) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(sample);
}

std::optional<int64_t> frameNumberAt(AudioStream& stream, int64_t frame) {
  // Positions come in order (the cues of a command line or a sheet): walking on
  // from the last one numbered keeps a whole list one walk over the file.
  AudioStream::NumberedFrame from{stream.audioStart, 0};
  if (stream.lastNumbered.offset >= stream.audioStart && stream.lastNumbered.offset <= frame)
    from = stream.lastNumbered;
  FrameWalk walk(stream, from.offset);
  int64_t number = from.number;
  while (walk.at() < frame) {
    if (!walk.step()) return std::nullopt;
    ++number;
  }
  if (walk.at() != frame) return std::nullopt;
  stream.lastNumbered = {frame, number};
  return number;
}

int32_t sampleOffsetFrom(AudioStream& stream, int64_t frame, int64_t sample) {
  const int spf = streamSamplesPerFrame(stream);
  const std::optional<int64_t> number = frameNumberAt(stream, frame);
  if (!number || spf == 0) return 0;
  const int64_t offset = sample - *number * spf;
  return static_cast<int32_t>(std::clamp<int64_t>(offset, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

std::optional<SampleBoundary> boundaryFrom(AudioStream& stream, int64_t frame, int32_t sampleOffset) {
  const int spf = streamSamplesPerFrame(stream);
  if (spf == 0) return std::nullopt;
  // Whole frames to move (rounded down, also for negative offsets) and what is left.
  const int64_t frames = (static_cast<int64_t>(sampleOffset) - ((sampleOffset % spf + spf) % spf)) / spf;
  SampleBoundary boundary{frame, static_cast<int>((sampleOffset % spf + spf) % spf), spf};
  if (frames > 0) {
    const auto later = frameAfter(stream, frame, frames);
    if (!later) return std::nullopt;
    boundary.frame = *later;
  } else if (frames < 0) {
    // Frames have no back links: number the frame, then walk from the start.
    const std::optional<int64_t> number = frameNumberAt(stream, frame);
    if (!number || *number + frames < 0) return std::nullopt;
    const auto earlier = frameAfter(stream, stream.audioStart, *number + frames);
    if (!earlier) return std::nullopt;
    boundary.frame = *earlier;
  }
  return boundary;
}

}  // namespace quillane
