#include "stream/vbr_tag.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quillane {
namespace {

uint32_t readBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void writeBigEndian32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// Reads 4-byte headers at increasing offsets through a large buffer, so that a
// walk over every frame of a long file reads it once, sequentially.
class HeaderWalker {
 public:
  HeaderWalker(BinaryFile& file, int64_t start) : file_(file), position_(start) {}

  // Decodes the header at the current position; false when it is missing or rejected.
  bool next(FrameHeader& header) {
    if (position_ < bufferStart_ || position_ + 4 > bufferStart_ + bufferLength_) {
      bufferStart_ = position_;
      bufferLength_ = static_cast<int64_t>(file_.readAt(position_, buffer_.data(), buffer_.size()));
    }
    if (position_ + 4 > bufferStart_ + bufferLength_) return false;
    std::memcpy(header.raw.data(), buffer_.data() + (position_ - bufferStart_), 4);
    if (!decodeFrameHeader(header)) return false;
    position_ += header.frameSize;
    return true;
  }
  int64_t position() const { return position_; }

 private:
  BinaryFile& file_;
  int64_t position_;
  int64_t bufferStart_ = 0;
  int64_t bufferLength_ = 0;
  std::array<uint8_t, 1 << 16> buffer_{};
};

uint8_t bitrateIndexOf64k(const FrameHeader& header) {
  if (header.version == 1) return header.layer == 2 ? 0x40 : 0x50;
  return 0x80;
}

}  // namespace

int readVbrTag(BinaryFile& file, int64_t offset, uint32_t& frames, uint32_t& bytes) {
  frames = 0;
  bytes = 0;
  uint8_t block[200];
  const size_t n = file.readAt(offset, block, sizeof block);
  if (n < 4) return 0;
  FrameHeader header = decodeFrameHeader(block);
  if (!header.version) return 0;
  const size_t t = static_cast<size_t>(vbrTagOffset(header));
  if (t + 4 > n) return 0;
  if (std::memcmp(block + t, "Info", 4) == 0) return header.frameSize;
  if (std::memcmp(block + t, "Xing", 4) != 0) return 0;
  if (t + 16 <= n) {
    frames = readBigEndian32(block + t + 8);
    bytes = readBigEndian32(block + t + 12);
  }
  return header.frameSize;
}

std::vector<uint8_t> vbrPlaceholderFrame(const FrameHeader& header) {
  if (!header.version || !header.sampleRate) return {};
  size_t length = 144000u * 64u / header.sampleRate;
  if (isLowSamplingLayer3(header)) length /= 2;
  std::vector<uint8_t> frame(length, 0);
  frame[0] = header.raw[0];
  frame[1] = header.raw[1] | 0x01;  // protection bit set: no CRC
  frame[2] = static_cast<uint8_t>((header.raw[2] & 0x0D) | bitrateIndexOf64k(header));
  frame[3] = header.raw[3];
  std::memcpy(frame.data() + vbrTagOffset(header), "Xing", 4);
  return frame;
}

bool writeVbrPlaceholder(BinaryFile& file, const FrameHeader& header) {
  const std::vector<uint8_t> frame = vbrPlaceholderFrame(header);
  return frame.empty() || file.write(frame.data(), frame.size());
}

bool completeVbrTag(BinaryFile& file, int64_t tagFrameOffset, uint32_t frames) {
  if (!file.seekEnd()) return false;
  const int64_t fileLength = file.tell();
  const int64_t byteCount = fileLength - tagFrameOffset;
  if (tagFrameOffset < 0 || byteCount <= 0) return false;

  std::array<uint8_t, 112> block{};
  writeBigEndian32(&block[0], kXingFlags);
  writeBigEndian32(&block[4], frames);
  writeBigEndian32(&block[8], static_cast<uint32_t>(byteCount));
  uint8_t* table = &block[12];

  // Frame number 0 is the tag frame itself; the tag's own header tells where its
  // name lies, so the counts go right behind it.
  HeaderWalker walker(file, tagFrameOffset);
  FrameHeader tagHeader;
  FrameHeader last;
  int64_t count = 0;
  table[0] = 0;
  for (int k = 1; k < kXingTableSize; ++k) {
    // Entry k points at frame number k * frames / 99, computed exactly: summing
    // frames / 99 in single precision lands a frame short at exact multiples and
    // drifts past the last frame on long files.
    const int64_t wanted = int64_t{k} * frames / 99;
    while (count <= wanted) {
      if (!walker.next(last)) return false;
      if (count == 0) tagHeader = last;
      ++count;
    }
    const int64_t frameStart = walker.position() - tagFrameOffset - last.frameSize;
    table[k] = static_cast<uint8_t>(std::min<int64_t>(255, 255 * frameStart / byteCount));
  }

  const int64_t at = tagFrameOffset + vbrTagOffset(tagHeader) + 4;
  if (!file.seek(at) || !file.write(block.data(), block.size())) return false;
  if (!file.flush() || !file.seekEnd()) return false;
  return true;
}

}  // namespace quillane
