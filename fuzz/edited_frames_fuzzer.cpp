// A few edit ranges and an audio file: every frame through readEditedFrames, and
// gainAt and applyGain on their own.
//
// Input: one byte of flags (bits 0-2 the number of ranges, 3 prelisten mode, 4 a
// selection save, 5-7 the frames per call, 0 for fill mode), then per range 7 bytes
// (beg and end as 16-bit offsets, type, gain at the beginning and at the end), the
// selection's beg and end (16 bits each), one byte of steps for applyGain; the rest
// is the audio file.
#include <algorithm>
#include <string>
#include <vector>

#include "edited_reading.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "session/session.h"
#include "edit/frame_reader.h"
#include "stream/open_stream.h"

namespace quillane::fuzz {
namespace {

constexpr int kMaxFuzzedRanges = 7;
// Gains beyond what the gain dialog makes are a reader's business to refuse; held
// here so that the frame code is exercised with the values it is meant to get.
constexpr int kGainLimit = 32;

struct Flags {
  int rangeCount;
  bool prelisten;
  bool saveSelection;
  int framesPerCall;  // 0: fill mode
};

Flags readFlags(ByteReader& in) {
  const uint8_t f = in.byte();
  return {f & 0x07, (f & 0x08) != 0, (f & 0x10) != 0, (f >> 5) == 0 ? 0 : (f >> 5) * 5 - 4};
}

int32_t heldGain(uint8_t byte) {
  return std::clamp<int32_t>(static_cast<int8_t>(byte), -kGainLimit, kGainLimit);
}

// The ranges as they come: unsorted, overlapping, reversed or past the audio.
void readRanges(ByteReader& in, int count, EditRangeTable& table) {
  for (int i = 0; i < count; ++i) {
    EditRange& r = table.ranges[static_cast<size_t>(i)];
    r.beg = static_cast<int64_t>(in.little(2));
    r.end = static_cast<int64_t>(in.little(2));
    r.type = in.byte() & 1 ? kRangeGain : kRangeCut;
    r.gainbeg = heldGain(in.byte());
    r.gainend = heldGain(in.byte());
  }
  table.count = static_cast<uint16_t>(count);
}

// applyGain may change the global_gain fields and nothing else.
void checkGainBits(const uint8_t* frame, int steps) {
  const FrameHeader h = decodeFrameHeader(frame);
  std::vector<uint8_t> changed(frame, frame + h.frameSize);
  applyGain(changed.data(), h, steps);
  std::vector<bool> field(static_cast<size_t>(h.frameSize) * 8, false);
  for (const uint16_t q : h.gainBitPos)
    if (q != 0)
      for (int bit = 0; bit < 8; ++bit) field[q + bit] = true;
  for (size_t bit = 0; bit < field.size(); ++bit) {
    if (field[bit]) continue;
    const int mask = 0x80 >> (bit % 8);
    require((frame[bit / 8] & mask) == (changed[bit / 8] & mask),
            "applyGain changed a bit outside global_gain");
  }
}

}  // namespace

void editedFramesInput(const uint8_t* data, size_t size) {
  ByteReader in(data, size);
  const Flags flags = readFlags(in);
  Session session;
  readRanges(in, std::min(flags.rangeCount, kMaxFuzzedRanges), session.edits);
  session.edits.selection.beg = static_cast<int64_t>(in.little(2));
  session.edits.selection.end = static_cast<int64_t>(in.little(2));
  session.prelistenMode = flags.prelisten ? 1 : 0;
  session.save.saveSelection = flags.saveSelection;
  const int gainSteps = heldGain(in.byte());

  session.stream.sourcePath = memoryFile(in.rest());
  if (!openStream(session.stream)) return;

  for (int i = 0; i < session.edits.count; ++i) {
    const EditRange& r = session.edits.ranges[static_cast<size_t>(i)];
    for (const int64_t pos : {r.beg, r.end, (r.beg + r.end) / 2, session.stream.audioStart})
      (void)gainAt(r, pos);
  }
  readEditedToTheEnd(session, flags.framesPerCall,
                     [gainSteps](const uint8_t* block, int) { checkGainBits(block, gainSteps); });
}

}  // namespace quillane::fuzz
