#include <gtest/gtest.h>

#include <cstring>

#include "stream/open_stream.h"
#include "stream/vbr_tag.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

uint32_t bigEndian(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

FrameHeader headerOf(std::array<uint8_t, 4> raw) {
  FrameHeader h;
  h.raw = raw;
  decodeFrameHeader(h);
  return h;
}

TEST(VbrTag, ReadsXingAndInfoTagsOfRealFiles) {
  BinaryFile file;
  uint32_t frames = 1, bytes = 1;
  ASSERT_TRUE(file.open(test::dataPath("vbr_xing.mp3").string(), "rb"));
  EXPECT_EQ(readVbrTag(file, 0, frames, bytes), 417);
  EXPECT_EQ(frames, 155u);
  EXPECT_EQ(bytes, 93202u);

  ASSERT_TRUE(file.open(test::dataPath("cbr128_info.mp3").string(), "rb"));
  EXPECT_EQ(readVbrTag(file, 0, frames, bytes), 417);
  EXPECT_EQ(frames, 0u);
  EXPECT_EQ(bytes, 0u);

  ASSERT_TRUE(file.open(test::dataPath("mono.mp3").string(), "rb"));
  EXPECT_EQ(readVbrTag(file, 0, frames, bytes), 208);  // "Info" at 21

  ASSERT_TRUE(file.open(test::dataPath("cbr128_notag.mp3").string(), "rb"));
  EXPECT_EQ(readVbrTag(file, 0, frames, bytes), 0);
  EXPECT_EQ(readVbrTag(file, 1, frames, bytes), 0);
  EXPECT_EQ(readVbrTag(file, 1 << 30, frames, bytes), 0);  // past the end
}

TEST(VbrTag, PlaceholderFrames) {
  // MPEG-1 joint stereo 44100 Hz, padded 128k source with the private bit set.
  const Bytes a = vbrPlaceholderFrame(headerOf({0xFF, 0xFB, 0x93, 0x64}));
  ASSERT_EQ(a.size(), 208u);
  EXPECT_EQ(a[0], 0xFF);
  EXPECT_EQ(a[1], 0xFB);
  EXPECT_EQ(a[2], 0x51);  // 64 kbit/s, padding cleared, private bit kept
  EXPECT_EQ(a[3], 0x64);
  EXPECT_EQ(std::memcmp(&a[36], "Xing", 4), 0);
  for (size_t i = 4; i < a.size(); ++i) {
    if (i < 36 || i >= 40) {
      ASSERT_EQ(a[i], 0) << i;
    }
  }
  EXPECT_EQ(headerOf({a[0], a[1], a[2], a[3]}).frameSize, 208);

  // A CRC-protected source gives a tag frame without CRC.
  const Bytes crc = vbrPlaceholderFrame(headerOf({0xFF, 0xFA, 0x90, 0x64}));
  EXPECT_EQ(crc[1], 0xFB);
  EXPECT_EQ(std::memcmp(&crc[36], "Xing", 4), 0);

  // MPEG-2 Layer III 22050 Hz: 208 bytes, bitrate index 8.
  const Bytes m2 = vbrPlaceholderFrame(headerOf({0xFF, 0xF3, 0x50, 0x44}));
  ASSERT_EQ(m2.size(), 208u);
  EXPECT_EQ(m2[2] >> 4, 8);
  EXPECT_EQ(std::memcmp(&m2[21], "Xing", 4), 0);

  // Mono frames carry the name earlier; Layer II gets index 4.
  const Bytes mono = vbrPlaceholderFrame(headerOf({0xFF, 0xFB, 0x90, 0xC4}));
  EXPECT_EQ(std::memcmp(&mono[21], "Xing", 4), 0);
  const Bytes l2 = vbrPlaceholderFrame(headerOf({0xFF, 0xFD, 0xA0, 0x04}));
  EXPECT_EQ(l2[2] >> 4, 4);
  const Bytes m25 = vbrPlaceholderFrame(headerOf({0xFF, 0xE3, 0x28, 0xC4}));
  EXPECT_EQ(m25.size(), 576u);
  EXPECT_EQ(std::memcmp(&m25[13], "Xing", 4), 0);

  EXPECT_TRUE(vbrPlaceholderFrame(FrameHeader{}).empty());
  BinaryFile none;
  EXPECT_TRUE(writeVbrPlaceholder(none, FrameHeader{}));  // nothing to do
}

struct Written {
  Bytes bytes;
  std::vector<int64_t> frameOffsets;  // audio frames, from the start of the file
};

// A file of a tag placeholder followed by `count` audio frames of a real VBR file.
Written writeVbrFile(const std::filesystem::path& path, size_t count, int64_t leading = 0) {
  const Bytes source = test::readBytes(test::dataPath("vbr_xing.mp3"));
  const auto frames = test::demuxedFrames(test::dataPath("vbr_xing.mp3"));
  BinaryFile out;
  EXPECT_TRUE(out.open(path.string(), "w+b"));
  const Bytes lead(static_cast<size_t>(leading), 0x55);
  out.write(lead.data(), lead.size());
  const FrameHeader first = decodeFrameHeader(&source[static_cast<size_t>(frames[0].pos)]);
  EXPECT_TRUE(writeVbrPlaceholder(out, first));
  Written w;
  for (size_t i = 0; i < count; ++i) {
    w.frameOffsets.push_back(out.tell());
    out.write(&source[static_cast<size_t>(frames[i].pos)], static_cast<size_t>(frames[i].size));
  }
  EXPECT_TRUE(completeVbrTag(out, leading, static_cast<uint32_t>(count)));
  EXPECT_EQ(out.tell(), out.size());
  out.close();
  w.bytes = test::readBytes(path);
  return w;
}

void expectTable(const Written& w, int64_t tagOffset, size_t count) {
  const uint8_t* tag = &w.bytes[static_cast<size_t>(tagOffset) + 36];
  ASSERT_EQ(std::memcmp(tag, "Xing", 4), 0);
  EXPECT_EQ(bigEndian(tag + 4), 7u);
  EXPECT_EQ(bigEndian(tag + 8), count);
  const uint32_t byteCount = static_cast<uint32_t>(w.bytes.size() - static_cast<size_t>(tagOffset));
  EXPECT_EQ(bigEndian(tag + 12), byteCount);
  const uint8_t* table = tag + 16;
  EXPECT_EQ(table[0], 0);
  for (size_t k = 1; k < 100; ++k) {
    // Frame number n counts the tag frame as 0; entry k points at frame k * count / 99.
    const size_t n = k * count / 99;
    const int64_t at = n == 0 ? tagOffset : w.frameOffsets[n - 1];
    const int expected = std::min<int64_t>(255, 255 * (at - tagOffset) / byteCount);
    EXPECT_EQ(table[k], expected) << "entry " << k;
    EXPECT_GE(table[k], table[k - 1]);
  }
  for (size_t i = 36 + 116; i < 208; ++i) EXPECT_EQ(w.bytes[static_cast<size_t>(tagOffset) + i], 0) << i;
}

TEST(VbrTag, CompletedTagReadsBackAndDecodes) {
  test::TempDir dir;
  const auto path = dir / "vbr.mp3";
  const Written w = writeVbrFile(path, 150);
  expectTable(w, 0, 150);

  BinaryFile in;
  ASSERT_TRUE(in.open(path.string(), "rb"));
  uint32_t frames = 0, bytes = 0;
  EXPECT_EQ(readVbrTag(in, 0, frames, bytes), 208);
  EXPECT_EQ(frames, 150u);
  EXPECT_EQ(bytes, w.bytes.size());
  in.close();

  Session session;
  ASSERT_TRUE(test::openInSession(session, path));
  EXPECT_EQ(session.stream.audioStart, 208);
  EXPECT_EQ(session.stream.vbrMode, 2);
  EXPECT_FLOAT_EQ(session.stream.avgFrameSize, static_cast<float>(w.bytes.size()) / 150.0f);

  // An independent decoder takes the tag for what it is and decodes every frame.
  const auto probe = test::runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " +
                                      test::shellQuote(path.string()));
  ASSERT_EQ(probe.status, 0) << probe.err;
  EXPECT_NEAR(std::stod(probe.out), 150 * 1152 / 44100.0, 0.03);
  const auto decode = test::runCommand("mpg123 -q -t " + test::shellQuote(path.string()));
  EXPECT_EQ(decode.status, 0) << decode.err;
}

TEST(VbrTag, ShortFilesRepeatEntriesAndLeadingDataIsSkipped) {
  test::TempDir dir;
  const Written w = writeVbrFile(dir / "short.mp3", 12, 300);
  expectTable(w, 300, 12);
  const uint8_t* table = &w.bytes[300 + 36 + 16];
  int repeats = 0;
  for (int k = 1; k < 100; ++k) repeats += table[k] == table[k - 1];
  EXPECT_GE(repeats, 99 - 12);

  const Written none = writeVbrFile(dir / "none.mp3", 0);
  const uint8_t* empty = &none.bytes[36 + 16];
  for (int k = 0; k < 100; ++k) EXPECT_EQ(empty[k], 0);
}

TEST(VbrTag, BrokenFrameLeavesThePlaceholderAlone) {
  test::TempDir dir;
  const auto path = dir / "broken.mp3";
  writeVbrFile(path, 40);
  Bytes bytes = test::readBytes(path);
  // Clear the written counts and break a frame header in the middle.
  std::fill(bytes.begin() + 40, bytes.begin() + 152, 0);
  const auto frames = test::demuxedFrames(test::dataPath("vbr_xing.mp3"));
  const size_t mid = static_cast<size_t>(208 + frames[20].pos - frames[0].pos);
  bytes[mid] = 0x00;
  test::writeBytes(path, bytes);
  BinaryFile file;
  ASSERT_TRUE(file.open(path.string(), "r+b"));
  EXPECT_FALSE(completeVbrTag(file, 0, 40));
  file.close();
  const Bytes after = test::readBytes(path);
  EXPECT_EQ(after, bytes);
  // No tag frame at the offset at all.
  ASSERT_TRUE(file.open(path.string(), "r+b"));
  EXPECT_FALSE(completeVbrTag(file, 1, 40));
}

}  // namespace
}  // namespace quillane
