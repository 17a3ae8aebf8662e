#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "save/gapless_tag.h"
#include "stream/lame_tag.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

TEST(LameTag, CrcIsCrc16Arc) {
  const std::string check = "123456789";
  EXPECT_EQ(lameCrc16(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xBB3D);
  // Fed in two parts, the same.
  const uint16_t first = lameCrc16(reinterpret_cast<const uint8_t*>(check.data()), 4);
  EXPECT_EQ(lameCrc16(reinterpret_cast<const uint8_t*>(check.data()) + 4, 5, first), 0xBB3D);
}

struct TaggedFile {
  const char* name;
  int64_t tagAt;  // the tag frame's offset (behind any ID3v2 tag)
  bool vbr;
  int nameAt;
  uint32_t frames;
  uint32_t bytes;
  int delay;
  int padding;
  uint16_t musicCrc;
};

// Values measured with tests/data/measure.py and by hand from the bytes.
const TaggedFile kTaggedFiles[] = {
    {"cbr128_info.mp3", 0, false, 36, 116, 48900, 576, 756, 0x6d06},
    {"vbr_xing.mp3", 0, true, 36, 155, 93202, 576, 1584, 0x3939},
    {"mono.mp3", 0, false, 21, 116, 24449, 576, 756, 0x3de8},
    {"mpeg2_22k.mp3", 0, false, 21, 117, 24658, 576, 666, 0xb202},
    {"id3v2.mp3", 463, false, 36, 116, 48900, 576, 756, 0x6d06},
    {"ffmpeg_info.mp3", 0, false, 36, 155, 65200, 576, 1584, 0x81d5},
    {"ffmpeg_vbr.mp3", 0, true, 36, 155, 92993, 576, 1584, 0x3939},
};

TEST(LameTag, ReadsTheTagsOfLameAndFfmpeg) {
  for (const TaggedFile& f : kTaggedFiles) {
    SCOPED_TRACE(f.name);
    const Bytes file = test::readBytes(test::dataPath(f.name));
    const auto tag = parseLameTag(file.data() + f.tagAt, file.size() - static_cast<size_t>(f.tagAt));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->vbr, f.vbr);
    EXPECT_EQ(tag->nameAt, f.nameAt);
    EXPECT_EQ(tag->frames, f.frames);
    EXPECT_EQ(tag->bytes, f.bytes);
    EXPECT_EQ(tag->delay, f.delay);
    EXPECT_EQ(tag->padding, f.padding);
    EXPECT_EQ(tag->musicLength, f.bytes);
    EXPECT_EQ(tag->musicCrc, f.musicCrc);
    EXPECT_TRUE(tag->tagCrcMatches);
    // The music CRC covers the audio frames behind the tag frame.
    const size_t audioAt = static_cast<size_t>(f.tagAt) + tag->frame.size();
    const size_t audioEnd = static_cast<size_t>(f.tagAt) + f.bytes;
    EXPECT_EQ(lameCrc16(file.data() + audioAt, audioEnd - audioAt), f.musicCrc);
  }
}

TEST(LameTag, FramesWithoutTheExtensionAreNotTags) {
  for (const char* name : {"cbr128_notag.mp3", "vbr_notag.mp3", "mpeg25_8k.mp3", "layer2_mpeg1.mp2"}) {
    SCOPED_TRACE(name);
    const Bytes file = test::readBytes(test::dataPath(name));
    EXPECT_FALSE(parseLameTag(file.data(), file.size()));
  }
  // A bare Xing tag, as the save writes it for sources without one.
  Bytes bare = test::readBytes(test::dataPath("vbr_xing.mp3"));
  std::fill(bare.begin() + 156, bare.begin() + 417, 0);
  EXPECT_FALSE(parseLameTag(bare.data(), bare.size()));
  // Cut short inside the extension.
  const Bytes full = test::readBytes(test::dataPath("cbr128_info.mp3"));
  EXPECT_FALSE(parseLameTag(full.data(), 180));
}

TEST(LameTag, RebuildingWithTheSourcesValuesGivesTheSourcesFrame) {
  for (const TaggedFile& f : kTaggedFiles) {
    SCOPED_TRACE(f.name);
    const Bytes file = test::readBytes(test::dataPath(f.name));
    const auto tag = parseLameTag(file.data() + f.tagAt, file.size() - static_cast<size_t>(f.tagAt));
    ASSERT_TRUE(tag);
    LameTagValues values;
    values.vbr = tag->vbr;
    values.frames = tag->frames;
    values.bytes = tag->bytes;
    std::copy_n(tag->frame.begin() + tag->nameAt + 16, kSeekTableSize, values.seekTable.begin());
    values.delay = tag->delay;
    values.padding = tag->padding;
    values.musicCrc = tag->musicCrc;
    EXPECT_EQ(buildLameTagFrame(*tag, values), tag->frame);
  }
}

TEST(LameTag, ChangedFieldsReadBackWithAValidCrc) {
  const Bytes file = test::readBytes(test::dataPath("vbr_xing.mp3"));
  const auto source = parseLameTag(file.data(), file.size());
  ASSERT_TRUE(source);
  struct Case {
    bool vbr;
    int delay, padding;  // asked
    int wantDelay, wantPadding;
  };
  for (const Case& c : {Case{false, 0, 0, 0, 0}, Case{true, 4095, 1, 4095, 1}, Case{true, 5000, -3, 4095, 0},
                        Case{false, 1105, 2047, 1105, 2047}}) {
    LameTagValues values;
    values.vbr = c.vbr;
    values.frames = 12;
    values.bytes = 7000;
    values.delay = c.delay;
    values.padding = c.padding;
    values.musicCrc = 0xBEEF;
    const Bytes frame = buildLameTagFrame(*source, values);
    ASSERT_EQ(frame.size(), 417u);
    const auto back = parseLameTag(frame.data(), frame.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->vbr, c.vbr);
    EXPECT_EQ(back->frames, 12u);
    EXPECT_EQ(back->bytes, 7000u);
    EXPECT_EQ(back->musicLength, 7000u);
    EXPECT_EQ(back->musicCrc, 0xBEEF);
    EXPECT_EQ(back->delay, c.wantDelay);
    EXPECT_EQ(back->padding, c.wantPadding);
    EXPECT_EQ(back->quality, source->quality);
    EXPECT_TRUE(back->tagCrcMatches);
    EXPECT_EQ(std::memcmp(frame.data() + back->extensionAt, "LAME3.100", 9), 0);
  }
}

// The audio frames of a file behind its tag frame, as blocks the save would write.
struct SourceAudio {
  Bytes file;
  LameTag tag;
  int64_t audioStart = 0;
  int64_t audioEnd = 0;
};

SourceAudio sourceAudio(const char* name) {
  SourceAudio s;
  s.file = test::readBytes(test::dataPath(name));
  s.tag = *parseLameTag(s.file.data(), s.file.size());
  s.audioStart = static_cast<int64_t>(s.tag.frame.size());
  s.audioEnd = s.tag.bytes;
  return s;
}

// The offset of audio frame `index` (0 = the first behind the tag frame).
int64_t frameOffset(const Bytes& file, int64_t audioStart, int index) {
  int64_t at = audioStart;
  for (int i = 0; i < index; ++i) at += decodeFrameHeader(file.data() + at).frameSize;
  return at;
}

TEST(GaplessTag, TheWholeAudioKeepsTheSourcesTag) {
  for (const char* name : {"cbr128_info.mp3", "ffmpeg_info.mp3", "vbr_xing.mp3", "ffmpeg_vbr.mp3"}) {
    SCOPED_TRACE(name);
    const SourceAudio s = sourceAudio(name);
    GaplessTagBuilder builder(s.tag, s.audioStart, s.audioEnd);
    // Written in two blocks, as the reader hands them out.
    const int64_t middle = frameOffset(s.file, s.audioStart, 50);
    builder.addBlock(s.file.data() + s.audioStart, static_cast<size_t>(middle - s.audioStart), s.audioStart);
    builder.addBlock(s.file.data() + middle, static_cast<size_t>(s.audioEnd - middle), middle);
    const auto tag = parseLameTag(builder.finalFrame().data(), s.tag.frame.size());
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->vbr, s.tag.vbr);
    EXPECT_EQ(tag->frames, s.tag.frames);
    EXPECT_EQ(tag->bytes, s.tag.bytes);
    EXPECT_EQ(tag->delay, s.tag.delay);
    EXPECT_EQ(tag->padding, s.tag.padding);
    EXPECT_EQ(tag->musicCrc, s.tag.musicCrc);
    EXPECT_TRUE(tag->tagCrcMatches);
  }
}

TEST(GaplessTag, DelayAndPaddingGoWithTheFirstAndLastFrames) {
  const SourceAudio s = sourceAudio("vbr_xing.mp3");
  const int64_t f10 = frameOffset(s.file, s.audioStart, 10);
  const int64_t f20 = frameOffset(s.file, s.audioStart, 20);
  const int64_t last = frameOffset(s.file, s.audioStart, 154);
  struct Case {
    int64_t from, to;
    int delay, padding;
  };
  for (const Case& c : {Case{s.audioStart, f10, 576, 0}, Case{f10, f20, 0, 0}, Case{f20, s.audioEnd, 0, 1584},
                        Case{last, s.audioEnd, 0, 1584}}) {
    SCOPED_TRACE(c.from);
    GaplessTagBuilder builder(s.tag, s.audioStart, s.audioEnd);
    builder.addBlock(s.file.data() + c.from, static_cast<size_t>(c.to - c.from), c.from);
    const Bytes frame = builder.finalFrame();
    const auto tag = parseLameTag(frame.data(), frame.size());
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->delay, c.delay);
    EXPECT_EQ(tag->padding, c.padding);
    EXPECT_EQ(tag->bytes, frame.size() + static_cast<size_t>(c.to - c.from));
    EXPECT_EQ(tag->musicCrc, lameCrc16(s.file.data() + c.from, static_cast<size_t>(c.to - c.from)));
  }
}

TEST(GaplessTag, NameFollowsTheBitRatesWritten) {
  const SourceAudio s = sourceAudio("vbr_xing.mp3");
  // One frame alone has one bit rate: "Info".
  const int64_t f30 = frameOffset(s.file, s.audioStart, 30);
  const int64_t f31 = frameOffset(s.file, s.audioStart, 31);
  GaplessTagBuilder one(s.tag, s.audioStart, s.audioEnd);
  one.addBlock(s.file.data() + f30, static_cast<size_t>(f31 - f30), f30);
  EXPECT_EQ(one.frames(), 1u);
  EXPECT_EQ(std::memcmp(one.finalFrame().data() + 36, "Info", 4), 0);
  // The placeholder carries the source's name and no counts.
  const Bytes placeholder = one.placeholder();
  const auto tag = parseLameTag(placeholder.data(), placeholder.size());
  ASSERT_TRUE(tag);
  EXPECT_TRUE(tag->vbr);
  EXPECT_EQ(tag->frames, 0u);
}

}  // namespace
}  // namespace quillane
