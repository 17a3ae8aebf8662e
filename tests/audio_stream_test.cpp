#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "stream/open_stream.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

struct Expected {
  const char* name;
  int64_t audioStart;
  int vbrMode;
  int version;
  int layer;
  int sampleRate;
  double bitrate;  // bit/s, expected average
  bool id3v1;
  bool id3v2;
};

// Facts measured from the files' bytes with independent tools (see tests/data/README.md).
const Expected kFiles[] = {
    {"cbr128_info.mp3", 417, 0, 1, 3, 44100, 128000, false, false},
    {"cbr128_notag.mp3", 0, 0, 1, 3, 44100, 128000, false, false},
    {"crc.mp3", 417, 0, 1, 3, 44100, 128000, false, false},
    {"ffmpeg_cbr.mp3", 0, 0, 1, 3, 48000, 192000, false, false},
    {"id3v1.mp3", 417, 0, 1, 3, 44100, 128000, true, false},
    {"id3v1v2.mp3", 774, 0, 1, 3, 44100, 128000, true, true},
    {"id3v2.mp3", 880, 0, 1, 3, 44100, 128000, false, true},
    {"layer2_mpeg1.mp2", 0, 0, 1, 2, 44100, 192000, false, false},
    {"layer2_mpeg2.mp2", 0, 0, 2, 2, 24000, 64000, false, false},
    {"mono.mp3", 208, 0, 1, 3, 44100, 64000, false, false},
    {"mpeg25_8k.mp3", 0, 0, 3, 3, 8000, 16000, false, false},
    {"mpeg2_22k.mp3", 208, 0, 2, 3, 22050, 64000, false, false},
    {"sox_32k.mp3", 432, 0, 1, 3, 32000, 96000, false, false},
    {"speech.mp3", 417, 0, 1, 3, 44100, 128000, false, false},
    {"tone_silence_tone.mp3", 417, 0, 1, 3, 44100, 128000, false, false},
    {"vbr_notag.mp3", 0, 1, 1, 3, 44100, 0, false, false},
    {"vbr_xing.mp3", 417, 2, 1, 3, 44100, 0, false, false},
};

class StreamFiles : public ::testing::TestWithParam<Expected> {};

TEST_P(StreamFiles, OpensWithTheMeasuredFacts) {
  const Expected& e = GetParam();
  Session session;
  const auto path = test::dataPath(e.name);
  ASSERT_TRUE(test::openInSession(session, path)) << e.name;
  const AudioStream& s = session.stream;
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(path));
  EXPECT_EQ(s.fileSize, size);
  EXPECT_EQ(s.audioStart, e.audioStart);
  EXPECT_EQ(s.audioEnd, e.id3v1 ? size - 128 : size);
  EXPECT_EQ(s.cursor, s.audioStart);
  EXPECT_EQ(s.vbrMode, e.vbrMode);
  EXPECT_EQ(s.hasId3v1, e.id3v1 ? 1 : 0);
  EXPECT_EQ(s.hasId3v2, e.id3v2 ? 1 : 0);
  if (e.id3v1) {
    EXPECT_EQ(std::memcmp(s.id3v1Tag.data(), "TAG", 3), 0);
  }
  if (e.bitrate > 0) {
    EXPECT_NEAR(s.avgBitrate, e.bitrate, e.bitrate * 0.002) << e.name;
  }

  // The first audio frame is where FFmpeg's demuxer starts too (for some streams it
  // drops the very first frame).
  const auto frames = test::demuxedFrames(path);
  ASSERT_FALSE(frames.empty());
  uint8_t raw[4];
  session.stream.sourceFile.readAt(s.audioStart, raw, 4);
  const int64_t firstSize = decodeFrameHeader(raw).frameSize;
  EXPECT_TRUE(frames.front().pos == s.audioStart || frames.front().pos == s.audioStart + firstSize) << e.name;

  // The averages give the file's length in time within a frame or two.
  const double seconds = static_cast<double>(s.audioEnd - s.audioStart) * 8.0 / s.avgBitrate;
  const double demuxedBytes = static_cast<double>(frames.back().pos + frames.back().size - frames.front().pos);
  EXPECT_NEAR(seconds * s.avgBitrate / 8.0, demuxedBytes, 2.0 * s.avgFrameSize);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, StreamFiles, ::testing::ValuesIn(kFiles),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

// findFrame lands on every frame start, and from any offset inside a frame on the next one.
TEST(FindFrame, FromEveryFrameStartAndEveryOffsetBetween) {
  for (const char* name : {"cbr128_notag.mp3", "vbr_xing.mp3", "crc.mp3", "mpeg25_8k.mp3", "layer2_mpeg2.mp2",
                           "id3v1v2.mp3", "mono.mp3"}) {
    Session session;
    const auto path = test::dataPath(name);
    ASSERT_TRUE(test::openInSession(session, path));
    AudioStream& s = session.stream;
    const auto frames = test::demuxedFrames(path);
    for (size_t i = 0; i < frames.size(); ++i) {
      const int64_t start = frames[i].pos;
      if (start + kSearchSpan + frames[i].size >= s.fileSize) break;  // the window's reserve at the end
      ASSERT_EQ(findFrame(s, start).offset, start) << name << " frame " << i;
      // Every byte inside the previous frame leads here (sampled for speed).
      const int64_t from = i == 0 ? start : frames[i - 1].pos + 1;
      for (int64_t x = from; x < start; x += 7) ASSERT_EQ(findFrame(s, x).offset, start) << name << " offset " << x;
    }
  }
}

TEST(FindFrame, BoundsOfTheAudio) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_info.mp3")));
  AudioStream& s = session.stream;
  EXPECT_EQ(findFrame(s, 0).offset, s.audioStart);  // before the audio: from audioStart
  EXPECT_EQ(findFrame(s, -5000).offset, s.audioStart);
  EXPECT_EQ(findFrame(s, s.audioEnd).offset, s.audioEnd);
  EXPECT_EQ(findFrame(s, s.audioEnd - 1).offset, s.audioEnd);
  EXPECT_EQ(findFrame(s, s.audioEnd - s.currentHeader.frameSize).offset, s.audioEnd);
  // Within the last 1792 bytes but more than a frame away: the next frame, confirmed
  // by its successor's sync or, for the last frame, by ending where the audio ends.
  const auto frames = test::demuxedFrames(test::dataPath("cbr128_info.mp3"));
  const auto next = std::find_if(frames.begin(), frames.end(), [&](const auto& f) { return f.pos >= s.audioEnd - 1000; });
  ASSERT_NE(next, frames.end());
  EXPECT_EQ(findFrame(s, s.audioEnd - 1000).offset, next->pos);
  closeStream(session.stream);
  EXPECT_EQ(findFrame(s, s.audioStart).offset, -1);
  EXPECT_EQ(s.audioEnd, 0);
  EXPECT_FALSE(s.sourcePath.empty());
}

// The last frames are found as well as any other: every frame from inside the one
// before it, the last one included, and every frame but the last from its own
// start (from there the last one is within a frame length of the end, which gives
// audioEnd).
TEST(FindFrame, ReachesEveryFrameUpToTheEnd) {
  for (const char* name : {"cbr128_notag.mp3", "id3v1.mp3", "id3v1v2.mp3", "vbr_xing.mp3", "vbr_notag.mp3",
                           "mpeg25_8k.mp3", "layer2_mpeg1.mp2", "layer2_mpeg2.mp2", "ffmpeg_cbr.mp3",
                           "click_30ms.mp3"}) {
    SCOPED_TRACE(name);
    Session session;
    const auto path = test::dataPath(name);
    ASSERT_TRUE(test::openInSession(session, path));
    AudioStream& s = session.stream;
    const auto frames = test::demuxedFrames(path);
    ASSERT_EQ(frames.back().pos + frames.back().size, s.audioEnd);
    for (size_t i = 1; i < frames.size(); ++i) {
      const int64_t start = frames[i].pos;
      if (start < s.audioStart) continue;
      if (i + 1 < frames.size()) {
        ASSERT_EQ(findFrame(s, start).offset, start) << "frame " << i;
      }
      ASSERT_EQ(findFrame(s, std::max(frames[i - 1].pos + 1, s.audioStart)).offset, start) << "frame " << i;
    }
    EXPECT_EQ(findFrame(s, frames.back().pos + 1).offset, s.audioEnd);
  }
}

// A file shorter than the search window: a click of 30 ms in three frames.
TEST(OpenStream, FilesShorterThanTheSearchWindowOpen) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("click_30ms.mp3")));
  const AudioStream& s = session.stream;
  EXPECT_EQ(s.audioStart, 0);
  EXPECT_EQ(s.audioEnd, 1253);
  EXPECT_EQ(s.vbrMode, 0);
  EXPECT_NEAR(s.avgBitrate, 128000.0, 128000.0 * 0.002);
  EXPECT_EQ(frameNumberAt(s, s.audioEnd), 3);  // three frames, as decoders play them

  // A single frame, alone or before an ID3v1 tag, is the whole audio.
  const Bytes clean = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const Bytes tagged = test::readBytes(test::dataPath("id3v1.mp3"));
  test::TempDir dir;
  test::writeBytes(dir / "one.mp3", Bytes(clean.begin(), clean.begin() + 417));
  ASSERT_TRUE(test::openInSession(session, dir / "one.mp3"));
  EXPECT_EQ(s.audioStart, 0);
  EXPECT_EQ(s.audioEnd, 417);
  EXPECT_EQ(frameNumberAt(s, s.audioEnd), 1);
  Bytes oneTagged(clean.begin(), clean.begin() + 417);
  oneTagged.insert(oneTagged.end(), tagged.end() - 128, tagged.end());
  test::writeBytes(dir / "one_tagged.mp3", oneTagged);
  ASSERT_TRUE(test::openInSession(session, dir / "one_tagged.mp3"));
  EXPECT_TRUE(s.hasId3v1);
  EXPECT_EQ(s.audioEnd, 417);
  // A tag frame with two frames after it, as LAME writes 20 ms of sound.
  const Bytes info = test::readBytes(test::dataPath("cbr128_info.mp3"));
  const auto infoFrames = test::demuxedFrames(test::dataPath("cbr128_info.mp3"));
  ASSERT_EQ(infoFrames.front().pos, 417);
  const int64_t twoEnd = infoFrames[1].pos + infoFrames[1].size;
  test::writeBytes(dir / "info_two.mp3", Bytes(info.begin(), info.begin() + twoEnd));
  ASSERT_TRUE(test::openInSession(session, dir / "info_two.mp3"));
  EXPECT_EQ(s.audioStart, 417);
  EXPECT_EQ(s.audioEnd, twoEnd);
  EXPECT_EQ(frameNumberAt(s, s.audioEnd), 2);
  // A tag frame alone holds no audio.
  test::writeBytes(dir / "info_only.mp3", Bytes(info.begin(), info.begin() + 417));
  EXPECT_FALSE(test::openInSession(session, dir / "info_only.mp3"));
}

TEST(FindFrame, NeverReturnsAFrameOfAnotherVersion) {
  // MPEG-1 frames with an MPEG-2 frame spliced in after the 20th.
  const Bytes mpeg1 = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const Bytes mpeg2 = test::readBytes(test::dataPath("mpeg2_22k.mp3"));
  const auto frames1 = test::demuxedFrames(test::dataPath("cbr128_notag.mp3"));
  const auto frames2 = test::demuxedFrames(test::dataPath("mpeg2_22k.mp3"));
  const size_t cut = static_cast<size_t>(frames1[20].pos);
  Bytes mixed(mpeg1.begin(), mpeg1.begin() + static_cast<long>(cut));
  const auto& f2 = frames2[5];
  mixed.insert(mixed.end(), mpeg2.begin() + f2.pos, mpeg2.begin() + f2.pos + f2.size);
  mixed.insert(mixed.end(), mpeg1.begin() + static_cast<long>(cut), mpeg1.end());
  test::TempDir dir;
  const auto path = dir / "mixed.mp3";
  test::writeBytes(path, mixed);

  Session session;
  ASSERT_TRUE(test::openInSession(session, path));
  AudioStream& s = session.stream;
  ASSERT_EQ(findFrame(s, frames1[19].pos).offset, frames1[19].pos);
  ASSERT_EQ(s.currentHeader.version, 1);
  const int64_t foreign = static_cast<int64_t>(cut);
  const int64_t next = findFrame(s, foreign).offset;
  EXPECT_EQ(next, foreign + f2.size);  // the MPEG-1 frame after the foreign one
  EXPECT_EQ(s.currentHeader.version, 1);
}

Bytes withPrefix(const Bytes& body, const Bytes& prefix) {
  Bytes out = prefix;
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TEST(OpenStream, DamagedFiles) {
  const Bytes clean = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const auto frames = test::demuxedFrames(test::dataPath("cbr128_notag.mp3"));
  test::TempDir dir;
  std::mt19937 random(1234);
  auto garbage = [&](size_t n) {
    Bytes g(n);
    for (auto& b : g) b = static_cast<uint8_t>(random());
    return g;
  };
  Session session;

  // 5000 zero bytes before the first frame.
  test::writeBytes(dir / "zeros.mp3", withPrefix(clean, Bytes(5000, 0)));
  ASSERT_TRUE(test::openInSession(session, dir / "zeros.mp3"));
  EXPECT_EQ(session.stream.audioStart, 5000);
  EXPECT_EQ(session.stream.vbrMode, 0);

  // Random garbage before the first frame (no false frame pair in it with this seed).
  test::writeBytes(dir / "noise.mp3", withPrefix(clean, garbage(3001)));
  ASSERT_TRUE(test::openInSession(session, dir / "noise.mp3"));
  EXPECT_EQ(session.stream.audioStart, 3001);

  // Garbage between frames 30 and 31: the search steps over it to frame 31. Frame 30
  // itself is not found either, since no sync follows it.
  Bytes gap = clean;
  const auto at = static_cast<long>(frames[31].pos);
  const Bytes junk = garbage(700);
  gap.insert(gap.begin() + at, junk.begin(), junk.end());
  test::writeBytes(dir / "gap.mp3", gap);
  ASSERT_TRUE(test::openInSession(session, dir / "gap.mp3"));
  EXPECT_EQ(findFrame(session.stream, frames[31].pos).offset, frames[31].pos + 700);
  EXPECT_EQ(findFrame(session.stream, frames[30].pos).offset, frames[31].pos + 700);
  EXPECT_EQ(findFrame(session.stream, frames[29].pos).offset, frames[29].pos);

  // A zeroed stretch over frames 40 to 45.
  Bytes zeroed = clean;
  std::fill(zeroed.begin() + frames[40].pos, zeroed.begin() + frames[46].pos, 0);
  test::writeBytes(dir / "zeroed.mp3", zeroed);
  ASSERT_TRUE(test::openInSession(session, dir / "zeroed.mp3"));
  EXPECT_EQ(findFrame(session.stream, frames[38].pos).offset, frames[38].pos);
  EXPECT_EQ(findFrame(session.stream, frames[39].pos).offset, -1);  // 2.5 KB of zeros: beyond one window
  EXPECT_EQ(findFrame(session.stream, frames[42].pos).offset, frames[46].pos);

  // A truncated last frame: the file still opens; the audio runs to the end of the file.
  Bytes cut(clean.begin(), clean.end() - 200);
  test::writeBytes(dir / "cut.mp3", cut);
  ASSERT_TRUE(test::openInSession(session, dir / "cut.mp3"));
  EXPECT_EQ(session.stream.audioEnd, static_cast<int64_t>(cut.size()));
}

TEST(OpenStream, RefusesWhatHoldsNoAcceptableFrame) {
  test::TempDir dir;
  Session session;
  EXPECT_FALSE(test::openInSession(session, test::dataPath("layer1.mp1")));
  EXPECT_FALSE(session.stream.isOpen());
  EXPECT_FALSE(test::openInSession(session, dir / "missing.mp3"));
  EXPECT_FALSE(test::openInSession(session, dir.path()));  // a folder
  test::writeBytes(dir / "empty.mp3", {});
  EXPECT_FALSE(test::openInSession(session, dir / "empty.mp3"));
  test::writeBytes(dir / "text.mp3", Bytes(20000, 'a'));
  EXPECT_FALSE(test::openInSession(session, dir / "text.mp3"));
  // A lone frame that is cut short, or followed by a stray byte, has neither a
  // successor nor the end of the audio to confirm it.
  const Bytes clean = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  test::writeBytes(dir / "short.mp3", Bytes(clean.begin(), clean.begin() + 416));
  EXPECT_FALSE(test::openInSession(session, dir / "short.mp3"));
  Bytes stray(clean.begin(), clean.begin() + 417);
  stray.push_back(0x00);
  test::writeBytes(dir / "stray.mp3", stray);
  EXPECT_FALSE(test::openInSession(session, dir / "stray.mp3"));
  // Nothing was added to the recent list.
  EXPECT_TRUE(session.settings.file_recent[0].empty());
  Session empty;
  EXPECT_FALSE(openStream(empty.stream));
}

TEST(OpenStream, VariableBitRateWithoutTagIsSampled) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("vbr_notag.mp3")));
  const AudioStream& s = session.stream;
  EXPECT_EQ(s.vbrMode, 1);
  EXPECT_EQ(s.xingFrames, 0);
  // The scan samples ten frames at a time; the average lies within the frame sizes found.
  EXPECT_GT(s.avgFrameSize, 104.0f);
  EXPECT_LT(s.avgFrameSize, 1045.0f);
  EXPECT_NEAR(s.avgBitrate, 44100.0 * s.avgFrameSize / 144.0, 1.0);
}

TEST(OpenStream, XingAverageAndItsPlausibility) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("vbr_xing.mp3")));
  EXPECT_EQ(session.stream.vbrMode, 2);
  EXPECT_EQ(session.stream.xingFrames, 155);
  EXPECT_FLOAT_EQ(session.stream.avgFrameSize, 93202.0f / 155.0f);

  // A byte count 5000 smaller than the audio present: the measured length is used.
  Bytes bytes = test::readBytes(test::dataPath("vbr_xing.mp3"));
  const uint32_t wrong = 93202 - 5000;
  bytes[36 + 12] = static_cast<uint8_t>(wrong >> 24);
  bytes[36 + 13] = static_cast<uint8_t>(wrong >> 16);
  bytes[36 + 14] = static_cast<uint8_t>(wrong >> 8);
  bytes[36 + 15] = static_cast<uint8_t>(wrong);
  test::TempDir dir;
  test::writeBytes(dir / "short.mp3", bytes);
  ASSERT_TRUE(test::openInSession(session, dir / "short.mp3"));
  EXPECT_EQ(session.stream.vbrMode, 2);
  EXPECT_FLOAT_EQ(session.stream.avgFrameSize, (93202.0f - 417.0f) / 155.0f);

  // A frame count that gives no possible frame length is not taken as an average.
  bytes[36 + 8] = 0x7F;
  test::writeBytes(dir / "count.mp3", bytes);
  ASSERT_TRUE(test::openInSession(session, dir / "count.mp3"));
  EXPECT_NE(session.stream.vbrMode, 2);
  EXPECT_EQ(session.stream.xingFrames, 0);
  EXPECT_GT(session.stream.avgFrameSize, 100.0f);

  // An Info frame is stepped over, but gives no average.
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_info.mp3")));
  EXPECT_EQ(session.stream.xingFrames, 0);
  EXPECT_NEAR(session.stream.avgFrameSize, 417.96f, 0.6f);
}

TEST(OpenStream, ReopeningResetsTheReferenceHeader) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_notag.mp3")));
  ASSERT_TRUE(test::openInSession(session, test::dataPath("mpeg25_8k.mp3")));
  EXPECT_EQ(session.stream.currentHeader.version, 3);
  ASSERT_TRUE(test::openInSession(session, test::dataPath("layer2_mpeg1.mp2")));
  EXPECT_EQ(session.stream.currentHeader.layer, 2);
}

TEST(OpenStream, ConversionsBetweenOffsetsFramesAndTimes) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_notag.mp3")));
  AudioStream& s = session.stream;
  const auto frames = test::demuxedFrames(test::dataPath("cbr128_notag.mp3"));
  for (int n : {0, 1, 10, 57, 100}) {
    EXPECT_EQ(offsetOfFrame(s, n), frames[static_cast<size_t>(n)].pos) << n;
    // Frame numbers come from the average and are truncated: within one of the count.
    EXPECT_NEAR(frameNumberAt(s, frames[static_cast<size_t>(n)].pos), n, 1) << n;
  }
  EXPECT_EQ(offsetOfTime(s, 1.0), s.audioStart + static_cast<int64_t>(s.avgBitrate / 8));
  EXPECT_NEAR(secondsAt(s, offsetOfTime(s, 2.5)), 2.5, 0.001);
}

// Offsets beyond 2 GiB: a sparse file with the frames again past the 2.5 GiB mark.
TEST(OpenStream, FilesOverTwoGigabytes) {
  const Bytes clean = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const Bytes tagged = test::readBytes(test::dataPath("id3v1.mp3"));
  test::TempDir dir;
  const auto path = dir / "huge.mp3";
  const int64_t far = int64_t{5} << 29;  // 2.5 GiB
  {
    BinaryFile out;
    ASSERT_TRUE(out.open(path.string(), "wb"));
    ASSERT_TRUE(out.write(clean.data(), clean.size()));
    ASSERT_TRUE(out.seek(far));
    ASSERT_TRUE(out.write(tagged.data() + 417, tagged.size() - 417));
    ASSERT_TRUE(out.close());
  }
  Session session;
  ASSERT_TRUE(test::openInSession(session, path));
  AudioStream& s = session.stream;
  EXPECT_EQ(s.fileSize, far + static_cast<int64_t>(tagged.size()) - 417);
  EXPECT_TRUE(s.hasId3v1);
  EXPECT_EQ(s.audioEnd, s.fileSize - 128);
  EXPECT_EQ(findFrame(s, far - 100000).offset, -1);  // the hole holds no frame
  const FoundFrame first = findFrame(s, far - 10);
  EXPECT_EQ(first.offset, far);
  EXPECT_EQ(findFrame(s, far + 1).offset, far + first.header.frameSize);
  EXPECT_GT(frameNumberAt(s, far), int64_t{5000000});
  EXPECT_EQ(findFrame(s, s.audioEnd - 10).offset, s.audioEnd);
}

}  // namespace
}  // namespace quillane
