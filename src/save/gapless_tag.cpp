#include "save/gapless_tag.h"

#include <algorithm>
#include <utility>

#include "stream/frame_header.h"

namespace quillane {

std::optional<LameTag> sourceLameTag(AudioStream& stream) {
  // The scan steps over a Xing/Info frame: it lies between firstFrameStart and audioStart.
  if (!stream.isOpen() || stream.firstFrameStart >= stream.audioStart) return std::nullopt;
  return readLameTag(stream.sourceFile, stream.firstFrameStart);
}

GaplessTagBuilder::GaplessTagBuilder(LameTag source, int64_t audioStart, int64_t audioEnd)
    : source_(std::move(source)), audioStart_(audioStart), audioEnd_(audioEnd) {}

std::vector<uint8_t> GaplessTagBuilder::placeholder() const {
  LameTagValues values;
  values.vbr = source_.vbr;
  return buildLameTagFrame(source_, values);
}

void GaplessTagBuilder::addBlock(const uint8_t* bytes, size_t size, int64_t sourceFrom) {
  if (size == 0) return;
  if (firstFrom_ < 0) firstFrom_ = sourceFrom;
  lastEnd_ = sourceFrom + static_cast<int64_t>(size);
  musicCrc_ = lameCrc16(bytes, size, musicCrc_);
  size_t at = 0;
  while (at + 4 <= size) {
    const FrameHeader header = decodeFrameHeader(bytes + at);
    if (!header.version) break;  // blocks hold whole frames: nothing else can follow
    if (frameStarts_.empty()) firstBitrate_ = header.bitrate;
    sameBitrate_ = sameBitrate_ && header.bitrate == firstBitrate_;
    frameStarts_.push_back(audioBytes_ + at);
    at += header.frameSize;
  }
  audioBytes_ += size;
}

bool musicCrcOfFile(BinaryFile& file, int64_t from, uint16_t& crc) {
  const int64_t end = file.size();
  if (end < from) return false;
  std::vector<uint8_t> block(1 << 16);
  crc = 0;
  for (int64_t at = from; at < end;) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(end - at, static_cast<int64_t>(block.size())));
    if (file.readAt(at, block.data(), want) != want) return false;
    crc = lameCrc16(block.data(), want, crc);
    at += static_cast<int64_t>(want);
  }
  return true;
}

std::vector<uint8_t> GaplessTagBuilder::finalFrame() const {
  LameTagValues values;
  values.vbr = !sameBitrate_;
  values.frames = frames();
  const uint64_t bytes = source_.frame.size() + audioBytes_;
  values.bytes = static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX));
  // Entry k: where the frame k percent into the audio starts, in 256ths of the audio.
  for (int k = 0; k < kSeekTableSize && !frameStarts_.empty() && audioBytes_ > 0; ++k) {
    const uint64_t start = frameStarts_[frameStarts_.size() * static_cast<size_t>(k) / kSeekTableSize];
    values.seekTable[static_cast<size_t>(k)] = static_cast<uint8_t>(std::min<uint64_t>(255, 256 * start / audioBytes_));
  }
  values.delay = delay_ >= 0 ? delay_ : firstFrameKept() ? source_.delay : 0;
  values.padding = padding_ >= 0 ? padding_ : lastFrameKept() ? source_.padding : 0;
  values.musicCrc = musicCrc_;
  return buildLameTagFrame(source_, values);
}

}  // namespace quillane
