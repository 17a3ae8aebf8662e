#include "edit/frame_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillane {
namespace {

// Steps that take a global_gain field from any value to any other; more change nothing.
constexpr double kGlobalGainRange = 255.0;

// The first range in list order that covers pos; -1 for none. Cues cover nothing.
int rangeCovering(const EditRangeTable& edits, int64_t pos) {
  const int n = std::min<int>(edits.count, kMaxRanges);
  for (int i = 0; i < n; ++i) {
    const EditRange& range = edits.ranges[i];
    if (range.beg <= pos && pos < range.end) return i;
  }
  return -1;
}

// One call of readEditedFrames: the source position p, the buffer position b and
// the caller's outputs. Each step either goes on or ends the call with what the
// buffer holds.
class EditedFrameRead {
 public:
  EditedFrameRead(AudioStream& stream, const EditedReading& reading, FrameBuffer& buffer, int count,
                  int64_t& readPos, uint8_t* lastRange, int64_t* framesCounter)
      : stream_(stream),
        reading_(reading),
        bytes_(buffer.bytes.data()),
        fill_(count <= 0),
        count_(fill_ ? 0 : std::min(count, kFrameBufferSize / kMaxFrameSize)),
        // Fill mode keeps the last 2000 bytes of the buffer free; a playback read may use all of it.
        limit_(fill_ ? kFillModeLimit : kFrameBufferSize),
        audioEnd_(stream.audioEnd),
        readPos_(readPos),
        lastRange_(lastRange),
        framesCounter_(framesCounter),
        p_(readPos) {}

  int run() {
    if (lastRange_) *lastRange_ = kNoRange;
    if (p_ >= audioEnd_) {
      readPos_ = audioEnd_;
      return 0;
    }
    while (fill_ || count_ > 0) {
      int gain = 0;
      if (!stepOverEdits(gain)) return b_;
      if (p_ >= audioEnd_ - 1) {
        readPos_ = audioEnd_;
        return b_;
      }
      if (b_ + 4 > limit_) return b_;  // no room for even a header; the next call starts here
      if (!loaded_) load();
      if (!hasFrameSync(bytes_ + b_) && p_ + kSearchSpan < audioEnd_) {
        if (!resynchronise()) return b_;
        continue;  // the frame found may lie in a range or at the end: test it like any other
      }
      if (!takeFrame(gain)) return b_;
    }
    return b_;
  }

 private:
  // Steps over the selection (when skipping it) or learns the gain of the range at
  // p; false when p lies in a cut, with readPos at the cut's end.
  bool stepOverEdits(int& gain) {
    const EditRangeTable& edits = reading_.edits;
    if (reading_.skipSelection) {
      const EditRange& selection = edits.selection;
      if (edits.hasSelection() && selection.beg <= p_ && p_ < selection.end) {
        p_ = std::min(selection.end, audioEnd_);
        loaded_ = false;
      }
      return true;
    }
    const int index = rangeCovering(edits, p_);
    if (index < 0) return true;
    if (lastRange_) *lastRange_ = static_cast<uint8_t>(index);
    const EditRange& range = edits.ranges[static_cast<size_t>(index)];
    if (range.type == kRangeGain) {
      gain = gainAt(range, p_);
      return true;
    }
    readPos_ = std::min(range.end, audioEnd_);
    return false;
  }

  // The block at p goes to offset b. It is read only once a frame is needed, so
  // that a call that only steps over a cut reads nothing; what lies past the end of
  // the file reads as zeros.
  void load() {
    const int end = fill_ ? kFillModeLimit : std::min(kFrameBufferSize, b_ + count_ * kMaxFrameSize);
    const size_t want = static_cast<size_t>(end - b_);
    const size_t got = stream_.sourceFile.readDirect(p_, bytes_ + b_, want);
    if (got < want) std::memset(bytes_ + b_ + got, 0, want - got);
    loaded_ = true;
  }

  // No sync at p: moves p to the next frame in the search window and reads there.
  // False when the call ends: no room left to search, or nothing found (then
  // readPos moves on by one span).
  bool resynchronise() {
    if (b_ + kSearchSpan > limit_) return false;  // no room to re-synchronise; the next call starts here
    ++stream_.resyncCount;
    const int64_t found = findFrame(stream_, p_).offset;
    if (found <= p_) {  // nothing in the window (or no progress): move on by one span
      readPos_ = std::min(p_ + kSearchSpan, audioEnd_);
      return false;
    }
    p_ = found;
    load();
    return true;
  }

  // Decodes the header at b and places the frame with its gain. False when the
  // call ends: a damaged header, no room for the frame, or past the stop offset.
  bool takeFrame(int gain) {
    FrameHeader& header = stream_.currentHeader;
    std::memcpy(header.raw.data(), bytes_ + b_, 4);
    if (!decodeFrameHeader(header)) {
      ++stream_.resyncCount;
      readPos_ = std::min(p_ + kSearchSpan, audioEnd_);
      return false;
    }
    const int frameSize = header.frameSize;
    if (fill_) {
      if (b_ + frameSize > limit_) return false;  // read again by the next call
      if (p_ > reading_.stopAfter) {
        readPos_ = audioEnd_;
        return false;
      }
    } else {
      --count_;
    }

    if (p_ + frameSize <= audioEnd_) {
      if (gain != 0) applyGain(bytes_ + b_, header, gain);
      b_ += frameSize;
      p_ += frameSize;
      // Counted only when placed: a frame cut short by the end of the audio is dropped
      // and must not show up in the frame count of a VBR tag.
      if (framesCounter_) ++*framesCounter_;
    } else {
      p_ = audioEnd_;
    }
    readPos_ = p_;
    return true;
  }

  AudioStream& stream_;
  const EditedReading& reading_;
  uint8_t* const bytes_;
  const bool fill_;
  int count_;
  const int limit_;
  const int64_t audioEnd_;
  int64_t& readPos_;
  uint8_t* const lastRange_;
  int64_t* const framesCounter_;
  int64_t p_;
  int b_ = 0;
  bool loaded_ = false;
};

}  // namespace

int readEditedFrames(AudioStream& stream, const EditedReading& reading, FrameBuffer& buffer, int count,
                     int64_t& readPos, uint8_t* lastRange, int64_t* framesCounter) {
  return EditedFrameRead(stream, reading, buffer, count, readPos, lastRange, framesCounter).run();
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
