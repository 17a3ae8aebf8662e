#include "stream/frame_header.h"

namespace quillane {
namespace {

// Bit rates in kbit/s by bitrate index; index 0 (free format) and 15 are never used.
constexpr uint16_t kBitrateMpeg1Layer3[16] = {0,   32,  40,  48,  56,  64,  80, 96,
                                              112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint16_t kBitrateMpeg1Layer2[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                              128, 160, 192, 224, 256, 320, 384, 0};
constexpr uint16_t kBitrateLowSampling[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                              64, 80, 96, 112, 128, 144, 160, 0};

constexpr uint16_t kRatesMpeg1[3] = {44100, 48000, 32000};
constexpr uint16_t kRatesMpeg2[3] = {22050, 24000, 16000};
constexpr uint16_t kRatesMpeg25[3] = {11025, 12000, 8000};

struct VersionLayer {
  uint8_t version;
  uint8_t layer;
  const uint16_t* bitrates;
  const uint16_t* rates;
};

// The second header byte without its protection bit selects version and layer.
// Only these six codes are accepted; Layer I and the reserved codes are not.
bool lookupVersionLayer(uint8_t byte1, VersionLayer& out) {
  switch (byte1 >> 1) {
    case 0xFA >> 1: out = {1, 3, kBitrateMpeg1Layer3, kRatesMpeg1}; return true;
    case 0xFC >> 1: out = {1, 2, kBitrateMpeg1Layer2, kRatesMpeg1}; return true;
    case 0xF2 >> 1: out = {2, 3, kBitrateLowSampling, kRatesMpeg2}; return true;
    case 0xF4 >> 1: out = {2, 2, kBitrateLowSampling, kRatesMpeg2}; return true;
    case 0xE2 >> 1: out = {3, 3, kBitrateLowSampling, kRatesMpeg25}; return true;
    case 0xE4 >> 1: out = {3, 2, kBitrateLowSampling, kRatesMpeg25}; return true;
    default: return false;
  }
}

bool reject(FrameHeader& header) {
  header = FrameHeader{};
  return false;
}

}  // namespace

bool decodeFrameHeader(FrameHeader& header) {
  const std::array<uint8_t, 4> raw = header.raw;
  header = FrameHeader{};
  header.raw = raw;

  if (!hasFrameSync(raw.data())) return reject(header);

  VersionLayer vl{};
  if (!lookupVersionLayer(raw[1], vl)) return reject(header);
  header.version = vl.version;
  header.layer = vl.layer;

  const int bitrateIndex = raw[2] >> 4;
  const int rateIndex = (raw[2] >> 2) & 0x03;
  if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return reject(header);
  header.bitrate = vl.bitrates[bitrateIndex];
  header.sampleRate = vl.rates[rateIndex];

  header.hasCrc = (raw[1] & 0x01) == 0;
  header.rightsFlag = ((raw[3] >> 3) & 0x01) != 0;
  header.channelMode = static_cast<ChannelMode>((raw[3] >> 6) + 1);
  header.padding = (raw[2] >> 1) & 0x01;

  if (header.sampleRate < 8000 || header.sampleRate > 48000) return reject(header);
  if (header.bitrate < 8 || header.bitrate > 384) return reject(header);
  if (header.layer < 1 || header.layer > 3) return reject(header);
  if (header.version == 0 || header.version > 3) return reject(header);

  unsigned size = 144000u * header.bitrate / header.sampleRate;
  if (isLowSamplingLayer3(header)) size /= 2;
  size += header.padding;
  if (size < kMinFrameSize || size > kMaxFrameSize) return reject(header);
  header.frameSize = static_cast<uint16_t>(size);

  gainBitPositions(header);
  return true;
}

FrameHeader decodeFrameHeader(const uint8_t* bytes) {
  FrameHeader header;
  header.raw = {bytes[0], bytes[1], bytes[2], bytes[3]};
  decodeFrameHeader(header);
  return header;
}

void gainBitPositions(FrameHeader& header) {
  header.gainBitPos = {0, 0, 0, 0};
  const bool mono = header.channelMode == ChannelMode::Mono;
  if (header.version == 1) {
    if (mono)
      header.gainBitPos = {71, 130, 0, 0};
    else
      header.gainBitPos = {73, 132, 191, 250};
  } else if (header.version == 2 || header.version == 3) {
    if (mono)
      header.gainBitPos = {62, 0, 0, 0};
    else
      header.gainBitPos = {63, 126, 0, 0};
  }
  if (header.hasCrc) {
    for (auto& pos : header.gainBitPos)
      if (pos != 0) pos += 16;
  }
}

int vbrTagOffset(const FrameHeader& header) {
  const bool mono = header.channelMode == ChannelMode::Mono;
  if (header.version == 1) return mono ? 21 : 36;
  return mono ? 13 : 21;
}

const char* channelModeName(ChannelMode channelMode) {
  switch (channelMode) {
    case ChannelMode::Stereo: return "Stereo";
    case ChannelMode::JointStereo: return "Joint Stereo";
    case ChannelMode::Dual: return "Dual Channel";
    case ChannelMode::Mono: return "Mono";
  }
  return "";
}

double versionNumber(uint8_t version) {
  switch (version) {
    case 1: return 1.0;
    case 2: return 2.0;
    case 3: return 2.5;
    default: return 0.0;
  }
}

int samplesPerFrame(const FrameHeader& header) {
  if (header.version == 0) return 0;
  switch (header.layer) {
    case 1:
      return 384;
    case 2:
      return 1152;
    case 3:
      return isLowSamplingLayer3(header) ? 576 : 1152;
    default:
      return 0;
  }
}

}  // namespace quillane
