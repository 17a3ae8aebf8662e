#pragma once

#include <cstdint>

#include "audio/audio_session.h"

namespace quillane {

// Everything one run of the editor keeps: the editing session (settings, texts,
// the open file, its ranges, the save), the audio engines' state and the
// window's own. Passed by reference so that every test builds its own; each
// layer below takes only its part (EditSession, AudioSession).
struct Session : AudioSession {
  uint8_t configTab = 0;  // the configuration dialog's tab to show first; the open tab when it closed
};

}  // namespace quillane
