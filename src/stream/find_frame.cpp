#include "stream/audio_stream.h"

#include <cmath>

namespace quillane {

int64_t findFrame(AudioStream& stream, int64_t offset) {
  if (stream.sourcePath.empty() || !stream.sourceFile.isOpen()) return -1;
  if (offset < stream.audioStart) offset = stream.audioStart;
  if (offset >= stream.audioEnd - stream.currentHeader.frameSize) return stream.audioEnd;

  const FrameHeader reference = stream.currentHeader;
  uint8_t window[kSearchWindow];
  const int n = static_cast<int>(stream.sourceFile.readAt(offset, window, sizeof window));

  FrameHeader& candidate = stream.currentHeader;
  for (int i = 0; i < n - kSearchSpan; ++i) {
    if (window[i] != 0xFF || (window[i + 1] & 0xE0) != 0xE0) continue;
    candidate.raw = {window[i], window[i + 1], window[i + 2], window[i + 3]};
    if (!decodeFrameHeader(candidate)) continue;
    // Only the next frame's sync is tested; a byte past what was read counts as absent.
    const int next = i + candidate.frameSize;
    if (next + 1 >= n) continue;
    if (window[next] != 0xFF || (window[next + 1] & 0xE0) != 0xE0) continue;
    if (reference.version == 0 ||
        (candidate.version == reference.version && candidate.layer == reference.layer &&
         candidate.sampleRate == reference.sampleRate))
      return offset + i;
  }
  return -1;
}

void resetStreamState(AudioStream& stream) {
  stream.fileSize = 0;
  stream.audioStart = 0;
  stream.audioEnd = 0;
  stream.currentHeader = FrameHeader{};
  stream.avgFrameSize = 0.0f;
  stream.avgBitrate = 0.0f;
  stream.vbrMode = kVbrConstant;
  stream.xingFrames = 0;
  stream.hasId3v1 = 0;
  stream.id3v1Tag = {};
  stream.hasId3v2 = 0;
  stream.cursor = 0;
  stream.resyncCount = 0;
}

int64_t offsetOfFrame(AudioStream& stream, int64_t frameNumber) {
  const double at = static_cast<double>(stream.audioStart) +
                    static_cast<double>(frameNumber) * stream.avgFrameSize;
  return findFrame(stream, static_cast<int64_t>(at));
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
