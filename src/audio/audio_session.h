#pragma once

#include <cstdint>

#include "audio/level_meter.h"
#include "audio/playback_state.h"
#include "audio/recording_state.h"
#include "edit/edit_session.h"

namespace quillane {

// What the audio engines keep on top of the editing session: playback's and the
// recording's state and the level meter both feed.
struct AudioSession : EditSession {
  int prelistenMode = 0;    // 1: playback skips the selection as if it were cut
  int fastPlayLevel = 0;    // 0 off, 1..9 while playing fast
  PlaybackState playback;
  bool recordInitialised = false;  // a recording has been set up (device open)
  bool recordWriting = false;      // ... and is writing to its file
  RecordingState recording;
  LevelMeter meter;
};

// Neither playback nor a recording holds an audio device.
inline bool audioIdle(const AudioSession& session) { return !session.playing && !session.recordInitialised; }

}  // namespace quillane
