#include "stream/layer3_side_info.h"

#include <algorithm>

namespace quillane {
namespace {

constexpr int kHeaderSize = 4;
constexpr int kCrcSize = 2;

// Big-endian bit fields of a byte buffer, as the side information packs them.
unsigned readBits(const uint8_t* bytes, int bitPos, int width) {
  unsigned value = 0;
  for (int i = 0; i < width; ++i) {
    const int bit = bitPos + i;
    value = (value << 1) | ((bytes[bit / 8] >> (7 - bit % 8)) & 1u);
  }
  return value;
}

void writeBits(uint8_t* bytes, int bitPos, int width, unsigned value) {
  for (int i = 0; i < width; ++i) {
    const int bit = bitPos + i;
    const uint8_t mask = static_cast<uint8_t>(1u << (7 - bit % 8));
    if ((value >> (width - 1 - i)) & 1u)
      bytes[bit / 8] |= mask;
    else
      bytes[bit / 8] &= static_cast<uint8_t>(~mask);
  }
}

// Where the fields of the side information lie, in bits from its first byte.
struct SideInfoLayout {
  bool mpeg1 = true;
  int channels = 2;
  int granules = 2;
  int mainDataBeginWidth = 9;
  int scfsiAt = 0;       // MPEG-1 only: 4 bits per channel
  int firstGranuleAt = 0;
  int scalefacCompressWidth = 4;
  int granuleChannelBits = 59;
  int bytes = 32;
};

SideInfoLayout layoutOf(const FrameHeader& header) {
  SideInfoLayout l;
  l.mpeg1 = header.version == 1;
  l.channels = header.channelMode == ChannelMode::Mono ? 1 : 2;
  if (l.mpeg1) {
    l.granules = 2;
    l.mainDataBeginWidth = 9;
    l.scfsiAt = 9 + (l.channels == 1 ? 5 : 3);
    l.firstGranuleAt = l.scfsiAt + 4 * l.channels;
    l.scalefacCompressWidth = 4;
    l.granuleChannelBits = 59;
    l.bytes = l.channels == 1 ? 17 : 32;
  } else {
    l.granules = 1;
    l.mainDataBeginWidth = 8;
    l.scfsiAt = 0;
    l.firstGranuleAt = 8 + (l.channels == 1 ? 1 : 2);
    l.scalefacCompressWidth = 9;
    l.granuleChannelBits = 63;
    l.bytes = l.channels == 1 ? 9 : 17;
  }
  return l;
}

int sideInfoStart(const FrameHeader& header) { return kHeaderSize + (header.hasCrc ? kCrcSize : 0); }

// The CRC-16 of MPEG audio (polynomial 0x8005, from 0xFFFF) over the header's last
// two bytes and the side information, stored behind the header.
uint16_t layer3Crc(const uint8_t* frame, int sideInfoBytes) {
  uint16_t crc = 0xFFFF;
  auto feed = [&crc](uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool top = ((crc >> 15) & 1u) != ((byte >> bit) & 1u);
      crc = static_cast<uint16_t>(crc << 1);
      if (top) crc ^= 0x8005;
    }
  };
  feed(frame[2]);
  feed(frame[3]);
  for (int i = 0; i < sideInfoBytes; ++i) feed(frame[kHeaderSize + kCrcSize + i]);
  return crc;
}

}  // namespace

int Layer3SideInfo::mainDataBytes() const {
  int bits = 0;
  for (int gr = 0; gr < granules; ++gr)
    for (int ch = 0; ch < channels; ++ch) bits += part23Length[static_cast<size_t>(gr)][static_cast<size_t>(ch)];
  return (bits + 7) / 8;
}

int maxMainDataBegin(const FrameHeader& header) { return header.version == 1 ? 511 : 255; }

bool readLayer3SideInfo(const uint8_t* frame, size_t size, const FrameHeader& header, Layer3SideInfo& info) {
  if (header.layer != 3 || !header.version) return false;
  const SideInfoLayout l = layoutOf(header);
  const int start = sideInfoStart(header);
  if (size < static_cast<size_t>(start + l.bytes) || header.frameSize < start + l.bytes) return false;
  const uint8_t* side = frame + start;
  info = Layer3SideInfo{};
  info.granules = l.granules;
  info.channels = l.channels;
  info.sideInfoSize = l.bytes;
  info.dataAt = start + l.bytes;
  info.dataSize = header.frameSize - info.dataAt;
  info.mainDataBegin = static_cast<int>(readBits(side, 0, l.mainDataBeginWidth));
  for (int gr = 0; gr < l.granules; ++gr) {
    for (int ch = 0; ch < l.channels; ++ch) {
      const int at = l.firstGranuleAt + (gr * l.channels + ch) * l.granuleChannelBits;
      info.part23Length[static_cast<size_t>(gr)][static_cast<size_t>(ch)] = static_cast<int>(readBits(side, at, 12));
    }
  }
  return true;
}

bool silenceLayer3Frame(uint8_t* frame, size_t size, const FrameHeader& header, int mainDataBegin) {
  Layer3SideInfo info;
  if (!readLayer3SideInfo(frame, size, header, info)) return false;
  const SideInfoLayout l = layoutOf(header);
  uint8_t* side = frame + sideInfoStart(header);
  const int begin = std::clamp(mainDataBegin, 0, maxMainDataBegin(header));
  writeBits(side, 0, l.mainDataBeginWidth, static_cast<unsigned>(begin));
  if (l.mpeg1) writeBits(side, l.scfsiAt, 4 * l.channels, 0);
  for (int gr = 0; gr < l.granules; ++gr) {
    for (int ch = 0; ch < l.channels; ++ch) {
      const int at = l.firstGranuleAt + (gr * l.channels + ch) * l.granuleChannelBits;
      writeBits(side, at, 12, 0);      // part2_3_length
      writeBits(side, at + 12, 9, 0);  // big_values
      writeBits(side, at + 29, l.scalefacCompressWidth, 0);
      // preflag (MPEG-1 only) sits behind window switching and its 22 bits.
      if (l.mpeg1) writeBits(side, at + 29 + l.scalefacCompressWidth + 1 + 22, 1, 0);
    }
  }
  if (header.hasCrc) {
    const uint16_t crc = layer3Crc(frame, l.bytes);
    frame[kHeaderSize] = static_cast<uint8_t>(crc >> 8);
    frame[kHeaderSize + 1] = static_cast<uint8_t>(crc);
  }
  return true;
}

}  // namespace quillane
