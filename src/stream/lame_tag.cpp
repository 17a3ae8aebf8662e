#include "stream/lame_tag.h"

#include <algorithm>
#include <cstring>

#include "stream/frame_header.h"

namespace quillane {
namespace {

constexpr uint32_t kFlagFrames = 1;
constexpr uint32_t kFlagBytes = 2;
constexpr uint32_t kFlagSeekTable = 4;
constexpr uint32_t kFlagQuality = 8;
// Name, flags, frames, bytes, seek table and quality: where the extension starts
// behind the name when every field is present.
constexpr int kFullXingFieldsSize = 4 + 4 + 4 + 4 + kSeekTableSize + 4;

uint32_t readBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint16_t readBigEndian16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

void writeBigEndian32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

void writeBigEndian16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

// An encoder's name ("LAME3.100", "Lavf", "Lavc58"...) opens the extension; a
// bare Xing tag has zeros or audio there.
bool startsWithEncoderName(const uint8_t* p) {
  return std::all_of(p, p + 4, [](uint8_t c) { return c > 0x20 && c < 0x7F; });
}

}  // namespace

uint16_t lameCrc16(const uint8_t* data, size_t size, uint16_t crc) {
  // One table step per byte: the music CRC runs over every byte a save writes.
  static const std::array<uint16_t, 256> table = [] {
    std::array<uint16_t, 256> t{};
    for (unsigned byte = 0; byte < 256; ++byte) {
      unsigned c = byte;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
      t[byte] = static_cast<uint16_t>(c);
    }
    return t;
  }();
  for (size_t i = 0; i < size; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

std::optional<LameTag> parseLameTag(const uint8_t* frame, size_t size) {
  if (size < 4) return std::nullopt;
  const FrameHeader header = decodeFrameHeader(frame);
  if (!header.version || header.frameSize > size) return std::nullopt;
  LameTag tag;
  tag.nameAt = vbrTagOffset(header);
  const size_t nameAt = static_cast<size_t>(tag.nameAt);
  // The rebuilt frame holds every Xing field, so the frame must have room for them.
  if (nameAt + kFullXingFieldsSize + kLameExtensionSize > header.frameSize) return std::nullopt;
  if (std::memcmp(frame + nameAt, "Xing", 4) == 0)
    tag.vbr = true;
  else if (std::memcmp(frame + nameAt, "Info", 4) != 0)
    return std::nullopt;

  const uint32_t flags = readBigEndian32(frame + nameAt + 4);
  size_t at = nameAt + 8;
  if (flags & kFlagFrames) {
    tag.frames = readBigEndian32(frame + at);
    at += 4;
  }
  if (flags & kFlagBytes) {
    tag.bytes = readBigEndian32(frame + at);
    at += 4;
  }
  if (flags & kFlagSeekTable) at += kSeekTableSize;
  if (flags & kFlagQuality) {
    tag.quality = readBigEndian32(frame + at);
    at += 4;
  }
  if (at + kLameExtensionSize > header.frameSize || !startsWithEncoderName(frame + at)) return std::nullopt;

  const uint8_t* extension = frame + at;
  tag.extensionAt = static_cast<int>(at);
  tag.delay = (extension[kLameDelayAt] << 4) | (extension[kLameDelayAt + 1] >> 4);
  tag.padding = ((extension[kLameDelayAt + 1] & 0x0F) << 8) | extension[kLameDelayAt + 2];
  tag.musicLength = readBigEndian32(extension + kLameMusicLengthAt);
  tag.musicCrc = readBigEndian16(extension + kLameMusicCrcAt);
  tag.tagCrc = readBigEndian16(extension + kLameTagCrcAt);
  tag.tagCrcMatches = lameCrc16(frame, at + kLameTagCrcAt) == tag.tagCrc;
  tag.frame.assign(frame, frame + header.frameSize);
  return tag;
}

std::optional<LameTag> readLameTag(BinaryFile& file, int64_t offset) {
  std::vector<uint8_t> frame(kMaxFrameSize);
  const size_t n = file.readAt(offset, frame.data(), frame.size());
  return parseLameTag(frame.data(), n);
}

std::vector<uint8_t> buildLameTagFrame(const LameTag& source, const LameTagValues& values) {
  const size_t nameAt = static_cast<size_t>(source.nameAt);
  std::vector<uint8_t> frame(source.frame.size(), 0);
  // The header and the side information in front of the name stay as they were.
  std::copy_n(source.frame.begin(), nameAt, frame.begin());

  uint8_t* p = frame.data() + nameAt;
  std::memcpy(p, values.vbr ? "Xing" : "Info", 4);
  writeBigEndian32(p + 4, kLameXingFlags);
  writeBigEndian32(p + 8, values.frames);
  writeBigEndian32(p + 12, values.bytes);
  std::copy(values.seekTable.begin(), values.seekTable.end(), p + 16);
  writeBigEndian32(p + 16 + kSeekTableSize, source.quality);

  const size_t extensionAt = nameAt + kFullXingFieldsSize;
  uint8_t* extension = frame.data() + extensionAt;
  std::copy_n(source.frame.begin() + source.extensionAt, kLameExtensionSize, extension);
  const int delay = std::clamp(values.delay, 0, kLameMaxDelay);
  const int padding = std::clamp(values.padding, 0, kLameMaxDelay);
  extension[kLameDelayAt] = static_cast<uint8_t>(delay >> 4);
  extension[kLameDelayAt + 1] = static_cast<uint8_t>(((delay & 0x0F) << 4) | (padding >> 8));
  extension[kLameDelayAt + 2] = static_cast<uint8_t>(padding);
  writeBigEndian32(extension + kLameMusicLengthAt, values.bytes);
  writeBigEndian16(extension + kLameMusicCrcAt, values.musicCrc);
  writeBigEndian16(extension + kLameTagCrcAt, lameCrc16(frame.data(), extensionAt + kLameTagCrcAt));
  return frame;
}

}  // namespace quillane
