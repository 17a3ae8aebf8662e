#pragma once

#include <functional>

#include "session/session.h"

namespace quillane::fuzz {

// Reads the open file from audioStart to audioEnd through readEditedFrames, as a
// save or playback does, `framesPerCall` frames a call (0: fill mode), checking what
// the reader promises: whole frames back to back, the frame counter, readPos within
// the audio, and progress at every call (a caller loops until audioEnd). Each
// non-empty block goes to `eachBlock`.
void readEditedToTheEnd(Session& session, int framesPerCall,
                        const std::function<void(const uint8_t* block, int bytes)>& eachBlock = {});

}  // namespace quillane::fuzz
