#pragma once

#include <cstdint>

#include "settings/settings.h"
#include "stream/audio_stream.h"

namespace quillane {

constexpr int kSilenceOffsetZero = 60;      // offset position of "0 frames"
constexpr int kFramesPerDurationUnit = 10;  // silence_duration counts tens of frames
// Frames a cut pause keeps at its start, and how close to audioStart a pause
// may begin and still be cut from there.
constexpr int kCutWholePauseKeptFrames = 50;
constexpr int64_t kPauseAtStartBytes = 1000;
// While loud only every sixth frame is decoded.
constexpr int kLoudSampleSkipFrames = 5;

// The positions the pause scan moves to. Each may move stream.currentHeader (they
// find frames), so the one-thread scan and its threads call them in the same order.

// Where a pause that the loud frame at loudFrame ends is marked: the cue lies
// silence_offset - 60 frames from the loud frame's start; with cutWholePause the
// cut begins 50 frames into the pause (at audioStart for a pause at the start),
// else beg is the cue. pauseStart is -1 when unknown.
struct PauseMark {
  int64_t beg = 0;
  int64_t cue = 0;
};
PauseMark placePauseMark(AudioStream& stream, const Settings& settings, bool cutWholePause, int64_t loudFrame,
                         int64_t pauseStart);

// The cursor after a marked pause: silence_skip seconds past `cursor`.
int64_t cursorAfterPause(AudioStream& stream, const Settings& settings, int64_t cursor);

// The frame the scan goes on at after a loud frame (the cursor one past it): about
// kLoudSampleSkipFrames frames further; scanEnd when there is none.
int64_t landingAfterLoudFrame(AudioStream& stream, int64_t cursor, int64_t scanEnd);

}  // namespace quillane
