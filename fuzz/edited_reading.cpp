#include "edited_reading.h"

#include <memory>

#include "fuzz_support.h"
#include "edit/frame_reader.h"

namespace quillane::fuzz {
namespace {

// The frames placed in the buffer: whole frames, back to back, exactly n bytes.
int countFrames(const uint8_t* bytes, int n) {
  int at = 0;
  int frames = 0;
  while (at < n) {
    require(at + 4 <= n, "a partial header in the buffer");
    const FrameHeader h = decodeFrameHeader(bytes + at);
    require(h.version != 0, "the buffer holds something that is not a frame");
    at += h.frameSize;
    ++frames;
  }
  require(at == n, "the buffer ends inside a frame");
  return frames;
}

}  // namespace

void readEditedToTheEnd(Session& session, int framesPerCall,
                        const std::function<void(const uint8_t* block, int bytes)>& eachBlock) {
  AudioStream& stream = session.stream;
  auto buffer = std::make_unique<FrameBuffer>();
  const int limit = framesPerCall == 0 ? kFillModeLimit : framesPerCall * kMaxFrameSize;
  int64_t readPos = stream.audioStart;
  int64_t counted = 0;
  int64_t placed = 0;
  while (readPos < stream.audioEnd) {
    const int64_t before = readPos;
    uint8_t lastRange = kNoRange;
    const int n = readEditedFrames(session.stream, EditedReading{session.edits}, *buffer, framesPerCall, readPos,
                                   &lastRange, &counted);
    require(n >= 0 && n <= limit, "readEditedFrames placed more than it may");
    require(readPos <= stream.audioEnd, "readPos past the audio");
    require(n > 0 || readPos > before,
            "readEditedFrames neither read nor moved: a caller would loop forever");
    require(lastRange == kNoRange || lastRange < session.edits.count, "lastRange names no range");
    placed += countFrames(buffer->bytes.data(), n);
    require(placed == counted, "framesCounter differs from the frames placed");
    if (n > 0 && eachBlock) eachBlock(buffer->bytes.data(), n);
  }
}

}  // namespace quillane::fuzz
