#include "stream/frame_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillane {
namespace {

// Steps that take a global_gain field from any value to any other; more change nothing.
constexpr double kGlobalGainRange = 255.0;

bool hasSync(const uint8_t* p) { return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0; }

// The first range in list order that covers pos; -1 for none. Cues cover nothing.
int rangeCovering(const EditRangeTable& edits, int64_t pos) {
  const int n = std::min<int>(edits.count, kMaxRanges);
  for (int i = 0; i < n; ++i) {
    const EditRange& range = edits.ranges[i];
    if (range.beg <= pos && pos < range.end) return i;
  }
  return -1;
}

}  // namespace

int readEditedFrames(Session& session, FrameBuffer& buffer, int count, int64_t& readPos, uint8_t* lastRange,
                     int64_t* framesCounter) {
  AudioStream& stream = session.stream;
  const EditRangeTable& edits = session.edits;
  const bool fill = count <= 0;
  if (!fill) count = std::min(count, kFrameBufferSize / kMaxFrameSize);
  // Fill mode keeps the last 2000 bytes of the buffer free; a playback read may use all of it.
  const int limit = fill ? kFillModeLimit : kFrameBufferSize;
  uint8_t* const bytes = buffer.bytes.data();
  const int64_t audioEnd = stream.audioEnd;

  int64_t p = readPos;
  int b = 0;
  if (lastRange) *lastRange = kNoRange;
  if (p >= audioEnd) {
    readPos = audioEnd;
    return 0;
  }

  // The block at p goes to offset b. It is read only once a frame is needed, so
  // that a call that only steps over a cut reads nothing; what lies past the end of
  // the file reads as zeros.
  bool loaded = false;
  auto load = [&] {
    const int end = fill ? kFillModeLimit : std::min(kFrameBufferSize, b + count * kMaxFrameSize);
    const size_t want = static_cast<size_t>(end - b);
    const size_t got = stream.sourceFile.readDirect(p, bytes + b, want);
    if (got < want) std::memset(bytes + b + got, 0, want - got);
    loaded = true;
  };

  while (fill || count > 0) {
    int gain = 0;
    if (session.prelistenMode == 1) {
      // Playing the selection as if it were cut: the edit ranges are left aside.
      const EditRange& selection = edits.selection;
      if (edits.hasSelection() && selection.beg <= p && p < selection.end) {
        p = std::min(selection.end, audioEnd);
        loaded = false;
      }
    } else {
      const int index = rangeCovering(edits, p);
      if (index >= 0) {
        if (lastRange) *lastRange = static_cast<uint8_t>(index);
        const EditRange& range = edits.ranges[static_cast<size_t>(index)];
        if (range.type == kRangeGain) {
          gain = gainAt(range, p);
        } else {
          readPos = std::min(range.end, audioEnd);
          return b;
        }
      }
    }

    if (p >= audioEnd - 1) {
      readPos = audioEnd;
      return b;
    }
    if (b + 4 > limit) return b;  // no room for even a header; the next call starts here
    if (!loaded) load();

    if (!hasSync(bytes + b) && p + kSearchSpan < audioEnd) {
      if (b + kSearchSpan > limit) return b;  // no room to re-synchronise; the next call starts here
      ++stream.resyncCount;
      const int64_t found = findFrame(stream, p);
      if (found <= p) {  // nothing in the window (or no progress): move on by one span
        readPos = std::min(p + kSearchSpan, audioEnd);
        return b;
      }
      p = found;
      load();
      continue;  // the frame found may lie in a range or at the end: test it like any other
    }

    FrameHeader& header = stream.currentHeader;
    std::memcpy(header.raw.data(), bytes + b, 4);
    if (!decodeFrameHeader(header)) {
      ++stream.resyncCount;
      readPos = std::min(p + kSearchSpan, audioEnd);
      return b;
    }
    const int frameSize = header.frameSize;

    if (fill) {
      if (b + frameSize > limit) return b;  // read again by the next call
      if (session.save.saveSelection && edits.hasSelection() && p > edits.selection.end) {
        // A selection save takes the frame at the selection's end and nothing after it.
        readPos = audioEnd;
        return b;
      }
    } else {
      --count;
    }

    if (p + frameSize <= audioEnd) {
      if (gain != 0) applyGain(bytes + b, header, gain);
      b += frameSize;
      p += frameSize;
      // Counted only when placed: a frame cut short by the end of the audio is dropped
      // and must not show up in the frame count of a VBR tag.
      if (framesCounter) ++*framesCounter;
    } else {
      p = audioEnd;
    }
    readPos = p;
  }
  return b;
}

int gainAt(const EditRange& range, int64_t pos) {
  // Computed in double throughout: offsets and gains may be anything a project
  // file held, and no difference of them may overflow. A gain beyond the 8-bit
  // field's whole range changes nothing more, so the gains are held within it.
  const double length = static_cast<double>(range.end) - static_cast<double>(range.beg);
  const double gainbeg = std::clamp<double>(range.gainbeg, -kGlobalGainRange, kGlobalGainRange);
  const double gainend = std::clamp<double>(range.gainend, -kGlobalGainRange, kGlobalGainRange);
  if (!(length > 0.0)) return static_cast<int>(gainbeg);
  const double x = static_cast<double>(pos) - static_cast<double>(range.beg);
  const double delta = gainend - gainbeg;
  double steps;
  if (delta <= 0.0)
    steps = gainbeg + (1.0 - std::cos(1.5 * x / length + 0.2)) * delta;  // flat or fading down
  else
    steps = gainend + (std::cos(1.5 * x / length - 1.6) - 1.0) * delta;  // fading up
  return static_cast<int>(std::clamp(std::trunc(steps), -kGlobalGainRange, kGlobalGainRange));
}

void applyGain(uint8_t* frame, const FrameHeader& header, int steps) {
  // No field can move further than from one end of 0..255 to the other.
  steps = std::clamp(steps, static_cast<int>(-kGlobalGainRange), static_cast<int>(kGlobalGainRange));
  if (steps == 0) return;
  for (const uint16_t q : header.gainBitPos) {
    if (q == 0) continue;
    const size_t k = q / 8;
    const int shift = 8 - q % 8;
    unsigned w = (unsigned{frame[k]} << 8) | frame[k + 1];
    const int old = static_cast<int>((w >> shift) & 0xFFu);
    // global_gain is an 8-bit field: a sum outside 0..255 is held at the limit, so
    // that no bit of the neighbouring fields ever changes.
    const int value = std::clamp(old + steps, 0, 255);
    w = (w & ~(0xFFu << shift)) | (static_cast<unsigned>(value) << shift);
    frame[k] = static_cast<uint8_t>(w >> 8);
    frame[k + 1] = static_cast<uint8_t>(w);
  }
}

}  // namespace quillane
