#include <gtest/gtest.h>

#include "stream/frame_header.h"
#include "support/test_files.h"

namespace quillane {
namespace {

FrameHeader decode(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  const uint8_t raw[4] = {b0, b1, b2, b3};
  return decodeFrameHeader(raw);
}

bool allZero(const FrameHeader& h) {
  return h.frameSize == 0 && h.bitrate == 0 && h.sampleRate == 0 && h.raw == std::array<uint8_t, 4>{} &&
         h.channelMode == ChannelMode{} && h.padding == 0 && h.version == 0 && h.layer == 0 && !h.hasCrc &&
         !h.rightsFlag && h.gainBitPos == std::array<uint16_t, 4>{};
}

TEST(FrameHeader, Mpeg1Layer3JointStereo128k) {
  FrameHeader h = decode(0xFF, 0xFB, 0x90, 0x64);
  EXPECT_EQ(h.version, 1);
  EXPECT_EQ(h.layer, 3);
  EXPECT_EQ(h.bitrate, 128);
  EXPECT_EQ(h.sampleRate, 44100);
  EXPECT_EQ(h.frameSize, 417);
  EXPECT_EQ(h.channelMode, ChannelMode::JointStereo);
  EXPECT_FALSE(h.hasCrc);
  EXPECT_EQ(h.padding, 0);
  EXPECT_EQ(h.gainBitPos, (std::array<uint16_t, 4>{73, 132, 191, 250}));
  EXPECT_EQ(h.raw, (std::array<uint8_t, 4>{0xFF, 0xFB, 0x90, 0x64}));
  EXPECT_EQ(decode(0xFF, 0xFB, 0x92, 0x64).frameSize, 418);
  EXPECT_STREQ(channelModeName(h.channelMode), "Joint Stereo");
}

TEST(FrameHeader, CrcMovesGainPositionsButNotTheTag) {
  FrameHeader h = decode(0xFF, 0xFA, 0x90, 0x64);
  EXPECT_TRUE(h.hasCrc);
  EXPECT_EQ(h.gainBitPos, (std::array<uint16_t, 4>{89, 148, 207, 266}));
  EXPECT_EQ(vbrTagOffset(h), 36);
  EXPECT_EQ(vbrTagOffset(decode(0xFF, 0xFB, 0x90, 0x64)), 36);
}

TEST(FrameHeader, GainPositionsAndTagOffsetsByVersionAndMode) {
  const FrameHeader mono1 = decode(0xFF, 0xFB, 0x90, 0xC0);
  EXPECT_EQ(mono1.gainBitPos, (std::array<uint16_t, 4>{71, 130, 0, 0}));
  EXPECT_EQ(vbrTagOffset(mono1), 21);
  const FrameHeader stereo2 = decode(0xFF, 0xF3, 0x80, 0x00);  // MPEG-2 64k 22050 stereo
  EXPECT_EQ(stereo2.version, 2);
  EXPECT_EQ(stereo2.gainBitPos, (std::array<uint16_t, 4>{63, 126, 0, 0}));
  EXPECT_EQ(vbrTagOffset(stereo2), 21);
  const FrameHeader mono25 = decode(0xFF, 0xE2, 0x28, 0xC0);  // MPEG-2.5, CRC, 16k, 8000 Hz, mono
  EXPECT_EQ(mono25.version, 3);
  EXPECT_EQ(mono25.sampleRate, 8000);
  EXPECT_TRUE(mono25.hasCrc);
  EXPECT_EQ(mono25.gainBitPos, (std::array<uint16_t, 4>{78, 0, 0, 0}));
  EXPECT_EQ(vbrTagOffset(mono25), 13);
  EXPECT_DOUBLE_EQ(versionNumber(mono25.version), 2.5);
}

TEST(FrameHeader, OnlySixVersionLayerCodesAreAccepted) {
  int accepted = 0;
  for (int b1 = 0xE0; b1 <= 0xFF; ++b1) {
    const FrameHeader h = decode(0xFF, static_cast<uint8_t>(b1), 0x50, 0x00);
    if (h.version) ++accepted;
    const bool expected = (b1 >= 0xFA && b1 <= 0xFD) || (b1 >= 0xF2 && b1 <= 0xF5) || (b1 >= 0xE2 && b1 <= 0xE5);
    EXPECT_EQ(h.version != 0, expected) << std::hex << b1;
  }
  EXPECT_EQ(accepted, 12);
  EXPECT_EQ(decode(0xFF, 0xFF, 0x90, 0x00).version, 0);  // Layer I
  EXPECT_EQ(decode(0xFF, 0xF7, 0x90, 0x00).version, 0);  // MPEG-2 Layer I
  EXPECT_EQ(decode(0xFE, 0xFB, 0x90, 0x00).version, 0);  // no sync
}

TEST(FrameHeader, RejectedHeadersAreEntirelyZero) {
  const uint8_t cases[][4] = {{0xFF, 0xFB, 0x00, 0x64},   // free format
                              {0xFF, 0xFB, 0xF0, 0x64},   // bitrate index 15
                              {0xFF, 0xFB, 0x9C, 0x64},   // sampling index 3
                              {0xFF, 0xFF, 0x90, 0x64},   // Layer I
                              {0xFF, 0xF3, 0x14, 0x00}};  // MPEG-2 L3 8k 24000 Hz: 24 bytes
  for (const auto& c : cases) {
    FrameHeader h;
    h.raw = {c[0], c[1], c[2], c[3]};
    EXPECT_FALSE(decodeFrameHeader(h));
    EXPECT_TRUE(allZero(h));
  }
}

TEST(FrameHeader, LengthLimits) {
  // MPEG-2.5 Layer II at 160 kbit/s and 8000 Hz: 2880 bytes, too long.
  EXPECT_EQ(decode(0xFF, 0xE5, 0xE8, 0x00).version, 0);
  // MPEG-1 Layer II, 384 kbit/s, 32000 Hz, padded: 1729 bytes, accepted.
  const FrameHeader big = decode(0xFF, 0xFD, 0xEA, 0x00);
  EXPECT_EQ(big.frameSize, 1729);
  EXPECT_EQ(big.layer, 2);
  // MPEG-2 Layer III at 8 kbit/s and 16000 Hz: 36 bytes, too short; 22050 Hz: 26.
  EXPECT_EQ(decode(0xFF, 0xF3, 0x18, 0x00).version, 0);
  // MPEG-2.5 Layer III 8 kbit/s 8000 Hz: 72 bytes, accepted.
  EXPECT_EQ(decode(0xFF, 0xE3, 0x18, 0x00).frameSize, 72);
}

TEST(FrameHeader, EveryEmphasisPrivateAndRightsBitIsAccepted) {
  for (int b3 = 0; b3 < 256; ++b3) {
    const FrameHeader h = decode(0xFF, 0xFB, 0x91, static_cast<uint8_t>(b3));
    ASSERT_EQ(h.version, 1) << b3;
    EXPECT_EQ(static_cast<int>(h.channelMode), (b3 >> 6) + 1);
    EXPECT_STRNE(channelModeName(h.channelMode), "");
    EXPECT_EQ(h.rightsFlag, ((b3 >> 3) & 1) != 0);
  }
  EXPECT_STREQ(channelModeName(ChannelMode{}), "");
}

// The lengths we compute must be the frame lengths that FFmpeg's parser cuts
// from real files of every version and layer.
TEST(FrameHeader, LengthsMatchRealFiles) {
  for (const char* name : {"cbr128_info.mp3", "vbr_xing.mp3", "mono.mp3", "mpeg2_22k.mp3", "mpeg25_8k.mp3",
                           "crc.mp3", "layer2_mpeg1.mp2", "layer2_mpeg2.mp2", "ffmpeg_cbr.mp3", "sox_32k.mp3"}) {
    const test::Bytes bytes = test::readBytes(test::dataPath(name));
    const auto frames = test::demuxedFrames(test::dataPath(name));
    ASSERT_GT(frames.size(), 20u) << name;
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
      const FrameHeader h = decodeFrameHeader(&bytes[static_cast<size_t>(frames[i].pos)]);
      ASSERT_NE(h.version, 0) << name << " frame " << i;
      ASSERT_EQ(h.frameSize, frames[i].size) << name << " frame " << i;
    }
  }
}

}  // namespace
}  // namespace quillane
