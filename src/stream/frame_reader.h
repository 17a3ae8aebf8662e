#pragma once

#include <array>
#include <cstdint>

#include "edit/edit_range.h"
#include "session/session.h"
#include "stream/frame_header.h"

namespace quillane {

constexpr int kFrameBufferSize = 64000;
constexpr int kFillModeLimit = 62000;  // a save gathers at most this much per call

// The buffer that frames are read into with the edits applied. Each reader
// (playback, saving, analysis) owns one, so that they never disturb each other:
// a save running while playback plays reads into its own buffer and leaves the
// bytes that playback has queued alone. What they do share is the source file
// handle and stream.currentHeader; every block is read after a seek of its own,
// so sharing the handle on the one thread is safe.
struct FrameBuffer {
  std::array<uint8_t, kFrameBufferSize> bytes{};
};

// Reads frames from readPos into the buffer with cuts skipped and gain applied;
// returns the number of bytes of whole frames placed at the start of the buffer.
// count > 0 reads up to count frames (count * 1792 <= 64000); count == 0 is fill
// mode: as many whole frames as fit into 62000 bytes. readPos is advanced past
// everything consumed and never exceeds audioEnd. A return of 0 with readPos moved
// means that only a cut was stepped over (or damaged data was skipped).
//
// lastRange receives the index of the edit range the position fell into last
// (kNoRange for none); framesCounter grows by one for every frame placed in the
// buffer. With session.prelistenMode == 1 the selection is skipped as if it were
// cut and the edit ranges are not consulted. While session.save.saveSelection is
// set, the frame starting at the selection's end is the last one taken.
// Every re-synchronisation over damaged data counts in stream.resyncCount.
int readEditedFrames(Session& session, FrameBuffer& buffer, int count, int64_t& readPos,
                     uint8_t* lastRange = nullptr, int64_t* framesCounter = nullptr);

// The gain in steps for a frame starting at pos inside range (flat or faded
// along the cosine-shaped curve from gainbeg to gainend), truncated toward zero.
// Any offsets and gains are safe: the gains are held within -255..255 (more can't
// change an 8-bit field), and so is the result.
int gainAt(const EditRange& range, int64_t pos);

// Adds steps (any number) to every global_gain field of the frame at `frame`, whose
// header is `header`; the sum is held within 0..255 and no neighbouring bit changes.
// `frame` must hold at least the frame's side information plus one byte.
void applyGain(uint8_t* frame, const FrameHeader& header, int steps);

}  // namespace quillane
