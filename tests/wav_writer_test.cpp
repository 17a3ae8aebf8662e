#include "audio/wav_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/test_files.h"

namespace quillane {
namespace {

uint32_t le32(const test::Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const test::Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
std::string tag(const test::Bytes& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

TEST(WavWriter, HeaderFieldsAndSamplesOfAStereoFile) {
  test::TempDir dir;
  const auto path = dir / "out.wav";
  std::vector<uint8_t> pcm;
  for (int i = 0; i < 1000; ++i) {
    const int16_t left = static_cast<int16_t>(i * 7 - 3000), right = static_cast<int16_t>(-i);
    for (int16_t s : {left, right}) {
      pcm.push_back(static_cast<uint8_t>(s & 0xFF));
      pcm.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
  }
  WavWriter wav;
  ASSERT_TRUE(wav.open(path.string(), 2, 44100)) << wav.error();
  // Written in pieces of odd sizes: the file is the bytes in order.
  ASSERT_TRUE(wav.write(pcm.data(), 1001));
  ASSERT_TRUE(wav.write(pcm.data() + 1001, 0));
  ASSERT_TRUE(wav.write(pcm.data() + 1001, pcm.size() - 1001));
  EXPECT_EQ(wav.dataBytes(), 4000u);
  ASSERT_TRUE(wav.close()) << wav.error();
  EXPECT_FALSE(wav.isOpen());
  EXPECT_FALSE(wav.close());  // nothing open any more

  const test::Bytes file = test::readBytes(path);
  ASSERT_EQ(file.size(), 44u + 4000u);
  EXPECT_EQ(tag(file, 0), "RIFF");
  EXPECT_EQ(le32(file, 4), file.size() - 8);
  EXPECT_EQ(tag(file, 8), "WAVE");
  EXPECT_EQ(tag(file, 12), "fmt ");
  EXPECT_EQ(le32(file, 16), 16u);
  EXPECT_EQ(le16(file, 20), 1);  // PCM
  EXPECT_EQ(le16(file, 22), 2);
  EXPECT_EQ(le32(file, 24), 44100u);
  EXPECT_EQ(le32(file, 28), 44100u * 4);
  EXPECT_EQ(le16(file, 32), 4);
  EXPECT_EQ(le16(file, 34), 16);
  EXPECT_EQ(tag(file, 36), "data");
  EXPECT_EQ(le32(file, 40), 4000u);
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), file.begin() + 44));

  // sox reads it as the same audio: 1000 samples, 2 channels, 44.1 kHz.
  const auto info = test::runCommand("soxi -s " + test::shellQuote(path.string()));
  if (info.status == 0) {
    EXPECT_EQ(info.out, "1000\n");
  }
}

TEST(WavWriter, MonoAndAnEmptyFile) {
  test::TempDir dir;
  WavWriter wav;
  ASSERT_TRUE(wav.open((dir / "mono.wav").string(), 1, 8000));
  ASSERT_TRUE(wav.close());
  const test::Bytes file = test::readBytes(dir / "mono.wav");
  ASSERT_EQ(file.size(), 44u);
  EXPECT_EQ(le32(file, 4), 36u);
  EXPECT_EQ(le16(file, 22), 1);
  EXPECT_EQ(le32(file, 24), 8000u);
  EXPECT_EQ(le32(file, 28), 16000u);
  EXPECT_EQ(le16(file, 32), 2);
  EXPECT_EQ(le32(file, 40), 0u);
}

TEST(WavWriter, OddDataIsPaddedAndAnUnclosedFileLeavesNothing) {
  test::TempDir dir;
  const uint8_t three[3] = {1, 2, 3};
  {
    WavWriter wav;
    ASSERT_TRUE(wav.open((dir / "odd.wav").string(), 1, 22050));
    ASSERT_TRUE(wav.write(three, 3));
    ASSERT_TRUE(wav.close());
  }
  {
    WavWriter unfinished;
    ASSERT_TRUE(unfinished.open((dir / "unfinished.wav").string(), 1, 22050));
    ASSERT_TRUE(unfinished.write(three, 3));
  }  // never closed: no file, no temporary file
  EXPECT_FALSE(std::filesystem::exists(dir / "unfinished.wav"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  const test::Bytes file = test::readBytes(dir / "odd.wav");
  ASSERT_EQ(file.size(), 44u + 4u);
  EXPECT_EQ(le32(file, 40), 3u);             // the data chunk's own length
  EXPECT_EQ(le32(file, 4), 36u + 4u);        // the RIFF size counts the pad byte
  EXPECT_EQ(file[47], 0);
}

TEST(WavWriter, HeaderAtTheRiffLimit) {
  const auto h = wavHeader(2, 48000, kWavMaxDataBytes);
  const test::Bytes b(h.begin(), h.end());
  EXPECT_EQ(le32(b, 4), 0xFFFFFFFEu);
  EXPECT_EQ(le32(b, 40), 0xFFFFFFFEu - 36);
  EXPECT_EQ(le32(b, 28), 48000u * 4);
  // One byte less is padded to the same RIFF size; nothing wraps around.
  const auto odd = wavHeader(2, 48000, kWavMaxDataBytes - 1);
  const test::Bytes o(odd.begin(), odd.end());
  EXPECT_EQ(le32(o, 4), 0xFFFFFFFEu);
  EXPECT_EQ(le32(o, 40), 0xFFFFFFFEu - 37);
}

TEST(WavWriter, FailuresAreReported) {
  test::TempDir dir;
  WavWriter wav;
  EXPECT_FALSE(wav.open((dir / "no such folder" / "x.wav").string(), 2, 44100));
  EXPECT_FALSE(wav.isOpen());
  EXPECT_NE(wav.error().find("x.wav: "), std::string::npos) << wav.error();
  const uint8_t zero[4] = {};
  EXPECT_FALSE(wav.write(zero, 4));  // not open
  EXPECT_FALSE(wav.open((dir / "bad.wav").string(), 0, 44100));

  // More data than a RIFF size can count is refused before anything is written (the
  // size is checked before the buffer is touched).
  ASSERT_TRUE(wav.open((dir / "big.wav").string(), 2, 44100));
  ASSERT_TRUE(wav.write(zero, 4));
  EXPECT_FALSE(wav.write(zero, static_cast<size_t>(kWavMaxDataBytes - 3)));
  EXPECT_NE(wav.error().find("4 GiB"), std::string::npos) << wav.error();
  EXPECT_EQ(wav.dataBytes(), 4u);
  EXPECT_TRUE(wav.write(zero, 4));  // the file stays usable
  ASSERT_TRUE(wav.close());
  EXPECT_EQ(test::readBytes(dir / "big.wav").size(), 52u);

  // A full disk shows at the write or at close.
  if (std::filesystem::exists("/dev/full")) {
    WavWriter full;
    std::vector<uint8_t> block(1 << 16, 0);
    bool ok = full.open("/dev/full", 2, 44100);
    for (int i = 0; ok && i < 4; ++i) ok = full.write(block.data(), block.size());
    if (ok) ok = full.close();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(full.error().empty());
  }
}

}  // namespace
}  // namespace quillane
