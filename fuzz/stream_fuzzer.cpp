// The bytes as an audio file: frame headers, opening and scanning, the VBR tag,
// and a walk over the frames with findFrame.
#include <string>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "session/session.h"
#include "stream/frame_header.h"
#include "stream/open_stream.h"
#include "stream/vbr_tag.h"
#include "view/time_format.h"
#include "view/view_texts.h"

namespace quillane::fuzz {
namespace {

// Headers whose VBR tag is looked for; enough for any tag frame near the start.
constexpr int kTagProbes = 32;

void checkHeader(const FrameHeader& h) {
  require(h.frameSize >= kMinFrameSize && h.frameSize <= kMaxFrameSize, "frame size out of range");
  require(h.version >= 1 && h.version <= 3 && (h.layer == 2 || h.layer == 3),
          "version or layer out of range");
  require(h.sampleRate >= 8000 && h.sampleRate <= 48000 && h.bitrate >= 8 && h.bitrate <= 384,
          "rate out of range");
  require(h.channelMode >= ChannelMode::Stereo && h.channelMode <= ChannelMode::Mono && h.padding <= 1,
          "channel mode or padding out of range");
  for (const uint16_t q : h.gainBitPos) require(q / 8 + 1 < h.frameSize, "global_gain field past the frame");
  require(vbrTagOffset(h) + 4 <= h.frameSize, "VBR tag name past the frame");
}

// Every offset where a header is accepted; the first few also for a VBR tag.
void decodeEveryHeader(const uint8_t* data, size_t size, const std::string& path) {
  BinaryFile file;
  require(file.open(path, "rb"), "the memory file does not open");
  int probes = 0;
  for (size_t i = 0; i + 4 <= size; ++i) {
    if (data[i] != 0xFF) continue;
    const FrameHeader h = decodeFrameHeader(data + i);
    if (h.version == 0) continue;
    checkHeader(h);
    if (probes++ >= kTagProbes) continue;
    uint32_t frames = 0;
    uint32_t bytes = 0;
    const int length = readVbrTag(file, static_cast<int64_t>(i), frames, bytes);
    require(length == 0 || length == h.frameSize, "readVbrTag's length is not the frame's");
  }
}

// From the first frame to the end, as the cursor steps: every offset found must
// hold a frame of its own header.
void walkFrames(AudioStream& stream, const uint8_t* data) {
  int64_t p = stream.audioStart;
  while (p < stream.audioEnd) {
    const FoundFrame found = findFrame(stream, p);
    const int64_t r = found.offset;
    if (r == stream.audioEnd) break;
    if (r < 0) {
      p += kSearchSpan;
      continue;
    }
    require(r >= p && r < stream.audioEnd, "findFrame went back or past the audio");
    const FrameHeader h = decodeFrameHeader(data + r);
    require(h.version != 0 && h.raw == found.header.raw, "findFrame's offset holds no frame of its header");
    p = r + h.frameSize;
  }
}

}  // namespace

void streamInput(const uint8_t* data, size_t size) {
  const std::string path = memoryFile({reinterpret_cast<const char*>(data), size});
  decodeEveryHeader(data, size, path);

  Session session;
  AudioStream& stream = session.stream;
  stream.sourcePath = path;
  if (!openStream(session.stream)) {
    require(!stream.isOpen(), "a failed opening left the file open");
    return;
  }
  const int64_t fileSize = static_cast<int64_t>(size);
  require(stream.fileSize == fileSize, "fileSize is not the file's length");
  require(0 <= stream.audioStart && stream.audioStart < stream.audioEnd && stream.audioEnd <= fileSize,
          "audio bounds out of the file");
  require(stream.hasId3v1 == 0 || stream.audioEnd == fileSize - 128, "audioEnd ignores the ID3v1 tag");
  require(stream.avgFrameSize >= kMinFrameSize && stream.avgFrameSize <= kMaxFrameSize,
          "average frame size out of range");
  require(stream.avgBitrate > 0.0f, "average bit rate not positive");
  require(stream.cursor == stream.audioStart, "the cursor does not start at the first frame");

  // What the window shows of an opened file.
  (void)statusBarText(stream);
  (void)formatTime(stream.audioEnd - stream.audioStart, stream.avgBitrate, true);
  (void)positionFieldText(session);
  const int64_t frames = frameNumberAt(stream, stream.audioEnd);
  require(frames >= 0, "negative frame count");
  (void)offsetOfFrame(stream, frames / 2);
  (void)secondsAt(stream, stream.audioEnd);

  walkFrames(stream, data);
}

}  // namespace quillane::fuzz
