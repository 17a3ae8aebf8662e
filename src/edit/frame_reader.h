#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "edit/edit_range.h"
#include "stream/audio_stream.h"
#include "stream/frame_header.h"

namespace quillane {

constexpr int kFrameBufferSize = 64000;
constexpr int kFillModeLimit = 62000;  // a save gathers at most this much per call

// The buffer that frames are read into with the edits applied. Each reader
// (playback, saving, analysis) owns one, so that they never disturb each other:
// a save running while playback plays reads into its own buffer and leaves the
// bytes that playback has queued alone. What they do share is the source file
// handle; every block is read after a seek of its own,
// so sharing the handle on the one thread is safe.
struct FrameBuffer {
  std::array<uint8_t, kFrameBufferSize> bytes{};
};

// What a read applies to the frames besides the stream: the edits, and how its
// caller reads them.
struct EditedReading {
  const EditRangeTable& edits;
  // Playing the selection as if it were cut: the selection is skipped and the edit
  // ranges are not consulted.
  bool skipSelection = false;
  // Fill mode takes no frame that starts after this offset (a selection save ends
  // with the frame at the selection's end).
  int64_t stopAfter = std::numeric_limits<int64_t>::max();
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
// buffer. Each frame placed becomes the stream's current one (currentHeader), and
// every re-synchronisation over damaged data counts in stream.resyncCount.
int readEditedFrames(AudioStream& stream, const EditedReading& reading, FrameBuffer& buffer, int count,
                     int64_t& readPos, uint8_t* lastRange = nullptr, int64_t* framesCounter = nullptr);

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
