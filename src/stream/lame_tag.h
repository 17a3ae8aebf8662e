#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "stream/binary_file.h"

namespace quillane {

// The LAME extension of a Xing or Info tag frame, as LAME and FFmpeg's libmp3lame
// muxer write it: 36 bytes right behind the Xing fields, holding the encoder
// delay and padding that gapless players drop, the length of the music and two
// CRC-16 values. Behind the four-character name at T the fields are:
//
//   T+4 flags (big-endian; 1 frames, 2 bytes, 4 seek table, 8 quality)
//   frames, bytes (4 each), seek table (100), quality (4): each only when flagged
//   then the extension: encoder name (9), revision/method (1), lowpass (1),
//   peak (4), two replay gains (2 + 2), flags (1), bit rate (1),
//   delay and padding (12 bits each, 3 bytes), misc (1), gain (1), preset (2),
//   music length (4: from the tag frame's first byte to the end of the audio),
//   music CRC (2: over the audio frames after the tag frame) and the tag CRC
//   (2: over every byte of the frame before it).
constexpr int kLameExtensionSize = 36;
constexpr int kLameDelayAt = 21;
constexpr int kLameMusicLengthAt = 28;
constexpr int kLameMusicCrcAt = 32;
constexpr int kLameTagCrcAt = 34;
constexpr int kLameMaxDelay = 4095;  // delay and padding are 12-bit fields
constexpr int kSeekTableSize = 100;
// The Xing fields as LAME writes them: frames, bytes, seek table and quality.
constexpr uint32_t kLameXingFlags = 0x0F;

// The CRC-16 of LAME's tag and music CRCs (polynomial 0x8005, reflected, from crc).
uint16_t lameCrc16(const uint8_t* data, size_t size, uint16_t crc = 0);

struct LameTag {
  std::vector<uint8_t> frame;  // the whole tag frame as read
  bool vbr = false;            // named "Xing"; "Info" names a constant bit rate
  int nameAt = 0;              // offset of the name in the frame
  uint32_t frames = 0;         // audio frames after the tag frame (0 when not flagged)
  uint32_t bytes = 0;          // tag frame and audio (0 when not flagged)
  uint32_t quality = 0;
  int extensionAt = 0;         // offset of the LAME extension in the frame
  int delay = 0;               // samples the encoder put before the music
  int padding = 0;             // samples it put after it
  uint32_t musicLength = 0;
  uint16_t musicCrc = 0;
  uint16_t tagCrc = 0;
  bool tagCrcMatches = false;
};

// The tag of a frame whose Xing/Info fields are followed by a LAME extension, with
// room in the frame for the full layout that buildLameTagFrame writes; nothing for
// any other frame (no tag, a bare Xing tag, a frame cut short).
std::optional<LameTag> parseLameTag(const uint8_t* frame, size_t size);

// parseLameTag on the frame that starts at offset.
std::optional<LameTag> readLameTag(BinaryFile& file, int64_t offset);

// What a saved file's tag says about its own audio.
struct LameTagValues {
  bool vbr = false;
  uint32_t frames = 0;  // audio frames after the tag frame
  uint32_t bytes = 0;   // from the tag frame's first byte to the end of the audio
  std::array<uint8_t, kSeekTableSize> seekTable{};
  int delay = 0;
  int padding = 0;
  uint16_t musicCrc = 0;
};

// The source's tag frame rewritten for another stretch of its audio: the same
// header and length, "Xing" or "Info", all four Xing fields (the source's quality),
// the source's extension with the delay, padding, music length and music CRC of
// `values`, and the tag CRC computed anew. Delay and padding are held within 0..4095.
std::vector<uint8_t> buildLameTagFrame(const LameTag& source, const LameTagValues& values);

}  // namespace quillane
