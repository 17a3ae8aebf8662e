#include "stream/audio_stream.h"

#include <cmath>
#include <cstring>

namespace quillane {

namespace {

// Where, counted in the window, a frame may end without a successor to confirm it:
// at audioEnd, or, when the window holds the end of the file, at the start of an
// ID3v1 tag there. The scan runs before audioEnd has moved to the tag, so the tag
// is looked for in the window itself. -1 where there is no such place.
struct WindowEnds {
  int64_t audioEnd = -1;
  int64_t tagStart = -1;

  bool contains(int64_t at) const { return at == audioEnd || at == tagStart; }
};

WindowEnds windowEnds(const AudioStream& stream, int64_t offset, const uint8_t* window, int n,
                      bool holdsFileEnd) {
  WindowEnds ends;
  if (stream.audioEnd - offset <= n) ends.audioEnd = stream.audioEnd - offset;
  constexpr int kTagSize = 128;
  if (holdsFileEnd && n >= kTagSize && std::memcmp(window + n - kTagSize, "TAG", 3) == 0)
    ends.tagStart = n - kTagSize;
  return ends;
}

}  // namespace

FoundFrame findFrame(AudioStream& stream, int64_t offset) {
  if (stream.sourcePath.empty() || !stream.sourceFile.isOpen()) return {};
  if (offset < stream.audioStart) offset = stream.audioStart;
  if (offset >= stream.audioEnd - stream.currentHeader.frameSize) return {stream.audioEnd, {}};

  const FrameHeader& reference = stream.currentHeader;
  uint8_t window[kSearchWindow];
  const int n = static_cast<int>(stream.sourceFile.readAt(offset, window, sizeof window));

  // A frame is confirmed by the sync of its successor, inside the window. Only the
  // last frames of a file have none: when the window holds the end of the file,
  // start positions are tried up to its end, and a frame that ends exactly where
  // the audio ends is confirmed by that.
  const bool holdsFileEnd = n < kSearchWindow || (stream.fileSize > 0 && offset + n >= stream.fileSize);
  const int starts = holdsFileEnd ? n - 3 : n - kSearchSpan;  // a header needs 4 bytes
  const WindowEnds ends = windowEnds(stream, offset, window, n, holdsFileEnd);

  for (int i = 0; i < starts; ++i) {
    if (!hasFrameSync(window + i)) continue;
    FrameHeader candidate;
    candidate.raw = {window[i], window[i + 1], window[i + 2], window[i + 3]};
    if (!decodeFrameHeader(candidate)) continue;
    // Only the next frame's sync is tested, not its header; a byte past what was
    // read counts as absent.
    const int next = i + candidate.frameSize;
    const bool confirmed = (next + 1 < n && hasFrameSync(window + next)) || ends.contains(next);
    if (!confirmed) continue;
    if (reference.version == 0 ||
        (candidate.version == reference.version && candidate.layer == reference.layer &&
         candidate.sampleRate == reference.sampleRate))
      return {offset + i, candidate};
  }
  return {};
}

int64_t findCurrentFrame(AudioStream& stream, int64_t offset) {
  const FoundFrame found = findFrame(stream, offset);
  if (found.isFrame()) stream.currentHeader = found.header;
  return found.offset;
}

FrameHeader headerAt(AudioStream& stream, int64_t offset) {
  FrameHeader header;
  if (stream.sourceFile.readAt(offset, header.raw.data(), header.raw.size()) != header.raw.size()) return {};
  decodeFrameHeader(header);
  return header;
}

void resetStreamState(AudioStream& stream) {
  stream.lastNumbered = {};
  stream.fileSize = 0;
  stream.audioStart = 0;
  stream.firstFrameStart = 0;
  stream.audioEnd = 0;
  stream.currentHeader = FrameHeader{};
  stream.avgFrameSize = 0.0f;
  stream.avgBitrate = 0.0f;
  stream.vbrMode = kVbrConstant;
  stream.xingFrames = 0;
  stream.hasId3v1 = false;
  stream.id3v1Tag = {};
  stream.hasId3v2 = false;
  stream.cursor = 0;
  stream.resyncCount = 0;
}

int64_t offsetOfFrame(AudioStream& stream, int64_t frameNumber) {
  const double at = static_cast<double>(stream.audioStart) +
                    static_cast<double>(frameNumber) * stream.avgFrameSize;
  return findCurrentFrame(stream, static_cast<int64_t>(at));
}

int64_t frameNumberAt(const AudioStream& stream, int64_t offset) {
  if (stream.avgFrameSize <= 0.0f) return 0;
  return static_cast<int64_t>(static_cast<double>(offset - stream.audioStart) / stream.avgFrameSize);
}

int64_t offsetOfTime(const AudioStream& stream, double seconds) {
  return stream.audioStart + static_cast<int64_t>(seconds * stream.avgBitrate / 8.0);
}

double secondsAt(const AudioStream& stream, int64_t offset) {
  if (stream.avgBitrate <= 0.0f) return 0.0;
  return static_cast<double>(offset - stream.audioStart) * 8.0 / stream.avgBitrate;
}

}  // namespace quillane
