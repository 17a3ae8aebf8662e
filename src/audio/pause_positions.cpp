#include "audio/pause_positions.h"

#include <cmath>

namespace quillane {
namespace {

// findFrame for a computed offset that may fall outside the audio data.
int64_t frameNear(AudioStream& stream, int64_t offset) {
  if (offset < stream.audioStart) offset = stream.audioStart;
  if (offset >= stream.audioEnd) return stream.audioEnd;
  const int64_t found = findCurrentFrame(stream, offset);
  return found < 0 ? stream.audioEnd : found;
}

// The frame that starts nearest to `frames` average frames from the frame at `from`.
// Counting from the frame's start and taking the nearest one keeps the result exact
// for constant bit rates, where a frame is a byte longer or shorter than the average.
int64_t frameNearest(AudioStream& stream, int64_t from, int frames) {
  const double target = static_cast<double>(from) + (frames - 0.5) * static_cast<double>(stream.avgFrameSize);
  return frameNear(stream, static_cast<int64_t>(std::ceil(target)));
}

}  // namespace

PauseMark placePauseMark(AudioStream& stream, const Settings& settings, bool cutWholePause, int64_t loudFrame,
                         int64_t pauseStart) {
  PauseMark mark;
  mark.cue = frameNearest(stream, loudFrame, settings.silence_offset - kSilenceOffsetZero);
  mark.beg = mark.cue;
  if (cutWholePause && pauseStart >= 0 && pauseStart < mark.cue) {
    int64_t beg = frameNearest(stream, pauseStart, kCutWholePauseKeptFrames);
    if (beg > mark.cue) beg = mark.cue;
    if (pauseStart < stream.audioStart + kPauseAtStartBytes) beg = stream.audioStart;
    mark.beg = beg;
  }
  return mark;
}

int64_t cursorAfterPause(AudioStream& stream, const Settings& settings, int64_t cursor) {
  return frameNear(stream, cursor + static_cast<int64_t>(settings.silence_skip * stream.avgBitrate / 8.0));
}

int64_t landingAfterLoudFrame(AudioStream& stream, int64_t cursor, int64_t scanEnd) {
  const int64_t next = findCurrentFrame(stream, cursor + static_cast<int64_t>(kLoudSampleSkipFrames * stream.avgFrameSize));
  return next <= 0 ? scanEnd : next;
}

}  // namespace quillane
