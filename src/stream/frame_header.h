#pragma once

#include <array>
#include <cstdint>

namespace quillane {

// The channel mode field of a header plus one, as the header's bits 6-7 of the
// fourth byte give it (0 stereo ... 3 mono).
enum class ChannelMode : uint8_t { Stereo = 1, JointStereo, Dual, Mono };

// The decoded fields of one 4-byte MPEG audio frame header. A record whose
// `version` is 0 stands for "no valid header": a rejected header leaves every
// field zero, `raw` included.
struct FrameHeader {
  uint16_t frameSize = 0;   // whole frame in bytes, header and padding slot included
  uint16_t bitrate = 0;     // kbit/s
  uint16_t sampleRate = 0;  // Hz
  std::array<uint8_t, 4> raw{};  // the header bytes as read (raw[0] == 0xFF)
  ChannelMode channelMode{};  // zero (no mode) for no valid header
  uint8_t padding = 0;      // 0 or 1
  uint8_t version = 0;      // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5; 0 no valid header
  uint8_t layer = 0;        // 2 or 3
  bool hasCrc = false;      // a 16-bit CRC follows the header
  bool rightsFlag = false;  // the header's copyright bit
  std::array<uint16_t, 4> gainBitPos{};  // bit positions of the Layer III global_gain fields; 0 = none
};

// No accepted frame is shorter or longer than these.
constexpr int kMinFrameSize = 50;
constexpr int kMaxFrameSize = 1792;

// The 11-bit frame sync at p[0..1], the start of every MPEG audio frame header.
inline bool hasFrameSync(const uint8_t* p) { return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0; }

// Decodes header.raw into the other fields. True for an accepted header;
// otherwise clears the whole record and returns false.
bool decodeFrameHeader(FrameHeader& header);

// Convenience: decodes four bytes into a fresh record.
FrameHeader decodeFrameHeader(const uint8_t* bytes);

// Fills gainBitPos from version, channelMode and hasCrc.
void gainBitPositions(FrameHeader& header);

// Offset from the first byte of the frame at which a Xing or Info tag begins.
int vbrTagOffset(const FrameHeader& header);

// "Stereo", "Joint Stereo", "Dual Channel" or "Mono"; "" for an invalid mode.
const char* channelModeName(ChannelMode channelMode);

// The version as users see it: 1.0, 2.0 or 2.5 (0 for no valid header).
double versionNumber(uint8_t version);

// True for MPEG-2 and MPEG-2.5 Layer III, whose frames hold half as many samples.
inline bool isLowSamplingLayer3(const FrameHeader& h) { return h.layer == 3 && h.version >= 2; }

// The samples per channel one frame decodes to: 384 for Layer I, 1152 for Layer II
// and MPEG-1 Layer III, 576 for Layer III of MPEG-2 and 2.5; 0 for no valid header.
int samplesPerFrame(const FrameHeader& header);

}  // namespace quillane
