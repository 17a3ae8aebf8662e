#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "edit/frame_reader.h"
#include "session/session.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;
using test::DemuxedFrame;

struct Frames {
  Bytes file;
  std::vector<DemuxedFrame> frames;  // as FFmpeg's demuxer sees them
};

Frames framesOf(const std::filesystem::path& path) {
  return {test::readBytes(path), test::demuxedFrames(path)};
}

Bytes bytesOf(const Frames& f, size_t first, size_t last) {  // frames first..last-1
  Bytes out;
  for (size_t i = first; i < last; ++i) {
    const auto& fr = f.frames[i];
    out.insert(out.end(), f.file.begin() + fr.pos, f.file.begin() + fr.pos + fr.size);
  }
  return out;
}

// The reading that playback and saving ask for, from the session's modes.
EditedReading readingOf(const Session& s) {
  EditedReading reading{s.edits, s.prelistenMode == 1};
  if (s.save.saveSelection && s.edits.hasSelection()) reading.stopAfter = s.edits.selection.end;
  return reading;
}

struct ReadAll {
  Bytes bytes;
  int64_t frames = 0;
  int calls = 0;
  std::vector<int> returned;
};

// Reads in fill mode from `from` to the end, as a save does.
ReadAll readAll(Session& session, int64_t from) {
  FrameBuffer buffer;
  ReadAll r;
  int64_t pos = from;
  while (pos < session.stream.audioEnd && r.calls < 100000) {
    const int64_t before = pos;
    const int n = readEditedFrames(session.stream, readingOf(session), buffer, 0, pos, nullptr, &r.frames);
    EXPECT_GE(n, 0);
    EXPECT_LE(n, kFillModeLimit);
    EXPECT_TRUE(n > 0 || pos > before) << "no progress at " << before;
    EXPECT_LE(pos, session.stream.audioEnd);
    r.bytes.insert(r.bytes.end(), buffer.bytes.begin(), buffer.bytes.begin() + n);
    r.returned.push_back(n);
    ++r.calls;
  }
  return r;
}

void addRange(Session& s, uint8_t type, int64_t beg, int64_t end, int gainbeg = 0, int gainend = 0) {
  EditRange& r = s.edits.ranges[s.edits.count++];
  r.type = type;
  r.beg = beg;
  r.end = end;
  r.gainbeg = gainbeg;
  r.gainend = gainend;
}

int bitAt(const uint8_t* frame, int i) { return (frame[i / 8] >> (7 - i % 8)) & 1; }
int fieldAt(const uint8_t* frame, int q) {
  int v = 0;
  for (int i = 0; i < 8; ++i) v = v * 2 + bitAt(frame, q + i);
  return v;
}

// Compares a rewritten frame with its source bit by bit: the 8-bit fields at
// `positions` must hold the source value plus `steps` (held within 0..255),
// every other bit must be the source's.
void expectGainOnly(const uint8_t* source, const uint8_t* out, size_t size, const std::vector<int>& positions,
                    int steps, const std::string& where) {
  for (int q : positions) {
    const int expected = std::clamp(fieldAt(source, q) + steps, 0, 255);
    ASSERT_EQ(fieldAt(out, q), expected) << where << " field at bit " << q;
  }
  std::vector<bool> inField(size * 8, false);
  for (int q : positions)
    for (int i = q; i < q + 8; ++i) inField[static_cast<size_t>(i)] = true;
  for (size_t i = 0; i < size * 8; ++i) {
    if (!inField[i] && bitAt(out, static_cast<int>(i)) != bitAt(source, static_cast<int>(i))) {
      FAIL() << where << " bit " << i << " changed";
    }
  }
}

TEST(FrameReader, FillModeReadsWholeFramesOfTheAudio) {
  for (const char* name : {"cbr128_notag.mp3", "cbr128_info.mp3", "vbr_xing.mp3", "id3v1v2.mp3", "mpeg25_8k.mp3",
                           "layer2_mpeg1.mp2", "mpeg2_22k.mp3"}) {
    SCOPED_TRACE(name);
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const Frames f = framesOf(test::dataPath(name));
    const ReadAll r = readAll(s, s.stream.audioStart);
    const Bytes audio(f.file.begin() + s.stream.audioStart, f.file.begin() + s.stream.audioEnd);
    EXPECT_EQ(r.bytes, audio);
    EXPECT_EQ(r.frames, static_cast<int64_t>(f.frames.size()));
    EXPECT_EQ(s.stream.resyncCount, 0);
    // Each call ends on a frame boundary.
    int64_t at = s.stream.audioStart;
    size_t next = 0;
    for (int n : r.returned) {
      at += n;
      while (next < f.frames.size() && f.frames[next].pos < at) ++next;
      if (next < f.frames.size()) {
        EXPECT_EQ(f.frames[next].pos, at);
      }
    }
  }
}

TEST(FrameReader, CountModeReadsThatManyFrames) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  FrameBuffer buffer;
  int64_t pos = f.frames[3].pos;
  int64_t counted = 0;
  const int n = readEditedFrames(s.stream, readingOf(s), buffer, 4, pos, nullptr, &counted);
  EXPECT_EQ(Bytes(buffer.bytes.begin(), buffer.bytes.begin() + n), bytesOf(f, 3, 7));
  EXPECT_EQ(pos, f.frames[7].pos);
  EXPECT_EQ(counted, 4);
  // Near the end fewer frames come back and readPos stops at audioEnd.
  pos = f.frames[f.frames.size() - 2].pos;
  const int m = readEditedFrames(s.stream, readingOf(s), buffer, 35, pos);
  EXPECT_EQ(Bytes(buffer.bytes.begin(), buffer.bytes.begin() + m), bytesOf(f, f.frames.size() - 2, f.frames.size()));
  EXPECT_EQ(pos, s.stream.audioEnd);
}

TEST(FrameReader, CutsDropTheFramesStartingInside) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));

  // A read starting at a cut's begin steps over it and returns nothing.
  addRange(s, kRangeCut, 1000, 5000);
  FrameBuffer buffer;
  int64_t pos = 1000;
  uint8_t last = 0;
  EXPECT_EQ(readEditedFrames(s.stream, readingOf(s), buffer, 0, pos, &last), 0);
  EXPECT_EQ(pos, 5000);
  EXPECT_EQ(last, 0);

  // Frame-aligned cut [f10, f20) and a cut [f40, f50 + 7) whose end lies inside frame 50:
  // frames 10..19 and 40..50 go, the frame at the first cut's end stays.
  s.edits.count = 0;
  addRange(s, kRangeCut, f.frames[10].pos, f.frames[20].pos);
  addRange(s, kRangeCut, f.frames[40].pos, f.frames[50].pos + 7);
  addRange(s, kRangeCut, f.frames[60].pos, f.frames[60].pos);  // a cue covers nothing
  s.stream.resyncCount = 0;
  const ReadAll r = readAll(s, s.stream.audioStart);
  Bytes expected = bytesOf(f, 0, 10);
  const Bytes b = bytesOf(f, 20, 40), c = bytesOf(f, 51, f.frames.size());
  expected.insert(expected.end(), b.begin(), b.end());
  expected.insert(expected.end(), c.begin(), c.end());
  EXPECT_EQ(r.bytes, expected);
  EXPECT_EQ(r.frames, static_cast<int64_t>(f.frames.size()) - 21);
  EXPECT_EQ(s.stream.resyncCount, 1);  // the search from inside frame 50

  // A cut to the end of the audio ends the reading there.
  s.edits.count = 0;
  addRange(s, kRangeCut, f.frames[100].pos, s.stream.audioEnd);
  EXPECT_EQ(readAll(s, s.stream.audioStart).bytes, bytesOf(f, 0, 100));
}

TEST(FrameReader, TheEarlierRangeInTheListDecides) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  addRange(s, kRangeGain, f.frames[5].pos, f.frames[15].pos, 3, 3);
  addRange(s, kRangeCut, f.frames[10].pos, f.frames[20].pos);
  const ReadAll r = readAll(s, s.stream.audioStart);
  ASSERT_EQ(r.frames, static_cast<int64_t>(f.frames.size()) - 5);  // 15..19 cut
  // Frames 10..14 are kept, with the gain.
  size_t at = 0;
  for (size_t i = 0; i < 15; ++i) {
    const auto& fr = f.frames[i];
    expectGainOnly(f.file.data() + fr.pos, r.bytes.data() + at, fr.size, {73, 132, 191, 250},
                   i >= 5 ? 3 : 0, "frame " + std::to_string(i));
    at += fr.size;
  }

  FrameBuffer buffer;
  int64_t pos = f.frames[12].pos;
  uint8_t last = 77;
  readEditedFrames(s.stream, readingOf(s), buffer, 2, pos, &last);
  EXPECT_EQ(last, 0);
  pos = f.frames[30].pos;
  readEditedFrames(s.stream, readingOf(s), buffer, 2, pos, &last);
  EXPECT_EQ(last, kNoRange);
}

struct GainCase {
  const char* file;
  std::vector<int> positions;
};

TEST(FrameReader, FlatGainRewritesOnlyTheGlobalGainBits) {
  const std::vector<GainCase> cases = {
      {"cbr128_notag.mp3", {73, 132, 191, 250}},  // MPEG-1 joint stereo
      {"crc.mp3", {89, 148, 207, 266}},           // the same with CRC
      {"mono.mp3", {71, 130}},                    // MPEG-1 mono
      {"mpeg2_22k.mp3", {63, 126}},               // MPEG-2 joint stereo
      {"mpeg25_8k.mp3", {62}},                    // MPEG-2.5 mono
  };
  for (const auto& c : cases) {
    for (int steps : {4, -4, 200, -200}) {
      SCOPED_TRACE(std::string(c.file) + " steps " + std::to_string(steps));
      Session s;
      ASSERT_TRUE(test::openInSession(s, test::dataPath(c.file)));
      const Frames f = framesOf(test::dataPath(c.file));
      const size_t first = 2, last = f.frames.size() - 3;
      addRange(s, kRangeGain, f.frames[first].pos, f.frames[last].pos, steps, steps);
      const ReadAll r = readAll(s, s.stream.audioStart);
      ASSERT_EQ(r.bytes.size(), static_cast<size_t>(s.stream.audioEnd - s.stream.audioStart));
      size_t at = 0;
      for (size_t i = 0; i < f.frames.size(); ++i) {
        const auto& fr = f.frames[i];
        expectGainOnly(f.file.data() + fr.pos, r.bytes.data() + at, fr.size, c.positions,
                       i >= first && i < last ? steps : 0, "frame " + std::to_string(i));
        at += fr.size;
      }
    }
  }
}

TEST(FrameReader, FadesFollowTheCurve) {
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  for (auto [gainbeg, gainend] : {std::pair{0, -12}, std::pair{-12, 0}, std::pair{6, 20}, std::pair{10, 2}}) {
    SCOPED_TRACE(std::to_string(gainbeg) + ".." + std::to_string(gainend));
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
    const int64_t beg = f.frames[10].pos, end = f.frames[90].pos;
    addRange(s, kRangeGain, beg, end, gainbeg, gainend);
    const ReadAll r = readAll(s, s.stream.audioStart);
    size_t at = 0;
    const double delta = gainend - gainbeg, length = static_cast<double>(end - beg);
    for (size_t i = 0; i < f.frames.size(); ++i) {
      const auto& fr = f.frames[i];
      int steps = 0;
      if (fr.pos >= beg && fr.pos < end) {
        const double x = static_cast<double>(fr.pos - beg);
        const double value = delta <= 0 ? gainbeg + (1 - std::cos(1.5 * x / length + 0.2)) * delta
                                         : gainend + (std::cos(1.5 * x / length - 1.6) - 1) * delta;
        steps = static_cast<int>(value);  // toward zero
        EXPECT_EQ(gainAt(s.edits.ranges[0], fr.pos), steps);
      }
      expectGainOnly(f.file.data() + fr.pos, r.bytes.data() + at, fr.size, {73, 132, 191, 250}, steps,
                     "frame " + std::to_string(i));
      at += fr.size;
    }
  }
  // The ends of the curves: a fade down starts near gainbeg and overshoots gainend
  // by about 13 %; a fade up starts about 3 % below gainbeg.
  EditRange down;
  down.beg = 0;
  down.end = 1000000;
  down.gainbeg = 0;
  down.gainend = -100;
  EXPECT_EQ(gainAt(down, 0), -1);  // -100 * (1 - cos 0.2) = -1.99
  EXPECT_EQ(gainAt(down, 999999), -112);
  EditRange up = down;
  up.gainbeg = 0;
  up.gainend = 100;
  EXPECT_EQ(gainAt(up, 0), -2);  // 100 + (cos(-1.6) - 1) * 100 = -2.9
  EXPECT_EQ(gainAt(up, 999999), 99);
  EditRange flat = down;
  flat.gainbeg = flat.gainend = 4;
  EXPECT_EQ(gainAt(flat, 0), 4);
  EXPECT_EQ(gainAt(flat, 500000), 4);
}

TEST(FrameReader, ApplyGainClampsAndKeepsNeighbouringBits) {
  FrameHeader header = decodeFrameHeader(std::array<uint8_t, 4>{0xFF, 0xFB, 0x90, 0x44}.data());
  ASSERT_EQ(header.version, 1);
  header.gainBitPos = {8, 73, 0, 0};  // a field on a byte boundary, one across bytes
  for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0xA5}}) {
    for (int steps : {1, -1, 300, -300, 37}) {
      std::array<uint8_t, 64> frame;
      frame.fill(fill);
      const std::array<uint8_t, 64> before = frame;
      applyGain(frame.data(), header, steps);
      expectGainOnly(before.data(), frame.data(), frame.size(), {8, 73}, steps,
                     "fill " + std::to_string(fill) + " steps " + std::to_string(steps));
      EXPECT_EQ(frame[2], before[2]);  // the byte after a whole-byte field is unchanged
    }
  }
}

// Ranges may come from a project file with any values: the gain is never more
// than the 8-bit field can take, and no arithmetic overflows.
TEST(FrameReader, GainOfAnyRangeIsHeldWithinTheField) {
  constexpr int64_t kMin64 = INT64_MIN, kMax64 = INT64_MAX;
  const struct {
    const char* what;
    int64_t beg, end;
    int32_t gainbeg, gainend;
    int64_t pos;
    int steps;
  } rows[] = {
      {"widest range, half way down a fade", kMin64, kMax64, 0, -32, 0, -13},  // -32 (1 - cos 0.95)
      {"widest range at its begin", kMin64, kMax64, 0, -32, kMin64, 0},
      {"flat at the largest gain", 0, 1000, INT32_MAX, INT32_MAX, 500, 255},
      {"flat at the smallest gain", 0, 1000, INT32_MIN, INT32_MIN, 500, -255},
      {"fade up across the whole range of 32 bits", 0, 1000, INT32_MIN, INT32_MAX, 0, -255},
      {"fade down across the whole range of 32 bits", 0, 1000, INT32_MAX, INT32_MIN, 999, -255},
      {"reversed range", 1000, 0, 7, 20, 500, 7},
      {"position far outside", 0, 1000, 0, -32, kMax64, -32},  // cos stays within -1..1
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EditRange r;
    r.type = kRangeGain;
    r.beg = row.beg;
    r.end = row.end;
    r.gainbeg = row.gainbeg;
    r.gainend = row.gainend;
    const int steps = gainAt(r, row.pos);
    EXPECT_GE(steps, -255);
    EXPECT_LE(steps, 255);
    if (row.pos != kMax64) {
      EXPECT_EQ(steps, row.steps);
    }
  }

  // The largest steps make every field as loud as it gets, the smallest as soft.
  FrameHeader header = decodeFrameHeader(std::array<uint8_t, 4>{0xFF, 0xFB, 0x90, 0x44}.data());
  header.gainBitPos = {8, 73, 0, 0};
  for (const int steps : {INT32_MAX, INT32_MIN, 256, -256}) {
    std::array<uint8_t, 64> frame;
    frame.fill(0x5A);
    applyGain(frame.data(), header, steps);
    EXPECT_EQ(fieldAt(frame.data(), 8), steps > 0 ? 255 : 0) << steps;
    EXPECT_EQ(fieldAt(frame.data(), 73), steps > 0 ? 255 : 0) << steps;
  }
}

// A gain of 2^31 - 1 read from a project file makes the range as loud as the
// field allows, not silent.
TEST(FrameReader, LargestGainOfAProjectFileIsTheLoudest) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  addRange(s, kRangeGain, f.frames[2].pos, f.frames[10].pos, INT32_MAX, INT32_MAX);
  const ReadAll r = readAll(s, s.stream.audioStart);
  size_t at = 0;
  for (size_t i = 0; i < f.frames.size(); ++i) {
    if (i >= 2 && i < 10) {
      for (const int q : {73, 132, 191, 250}) EXPECT_EQ(fieldAt(r.bytes.data() + at, q), 255) << "frame " << i;
    }
    at += f.frames[i].size;
  }
}

TEST(FrameReader, ResynchronisesOverDamagedData) {
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  test::TempDir dir;
  // 3000 bytes of garbage between frames 30 and 31; frame 60's header destroyed.
  Bytes damaged(f.file.begin(), f.file.begin() + f.frames[31].pos);
  damaged.insert(damaged.end(), 3000, 0x12);
  damaged.insert(damaged.end(), f.file.begin() + f.frames[31].pos, f.file.end());
  damaged[f.frames[60].pos + 3000] = 0x00;
  test::writeBytes(dir / "damaged.mp3", damaged);

  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "damaged.mp3"));
  const ReadAll r = readAll(s, s.stream.audioStart);
  Bytes expected = bytesOf(f, 0, 60);
  const Bytes rest = bytesOf(f, 61, f.frames.size());
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(r.bytes, expected);
  EXPECT_EQ(r.frames, static_cast<int64_t>(f.frames.size()) - 1);
  // The garbage is longer than one search span: the first search finds nothing and
  // moves on by 1792 bytes, the second finds frame 31; frame 60 costs one more.
  EXPECT_EQ(s.stream.resyncCount, 3);
}

TEST(FrameReader, AFrameCutShortByTheEndIsNotDelivered) {
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  test::TempDir dir;
  Bytes shortened(f.file.begin(), f.file.end() - 100);
  test::writeBytes(dir / "short.mp3", shortened);
  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "short.mp3"));
  const ReadAll r = readAll(s, s.stream.audioStart);
  EXPECT_EQ(r.bytes, bytesOf(f, 0, f.frames.size() - 1));
  EXPECT_EQ(r.frames, static_cast<int64_t>(f.frames.size()) - 1);
}

TEST(FrameReader, SelectionSaveAndPrelistenMode) {
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  s.edits.selection.beg = f.frames[10].pos;
  s.edits.selection.end = f.frames[20].pos;
  addRange(s, kRangeCut, f.frames[12].pos, f.frames[14].pos);

  // A selection save: from beg through the frame at end, cuts applied.
  s.save.saveSelection = true;
  ReadAll r = readAll(s, s.edits.selection.beg);
  Bytes expected = bytesOf(f, 10, 12);
  Bytes rest = bytesOf(f, 14, 21);
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(r.bytes, expected);
  EXPECT_EQ(r.frames, 9);
  s.save.saveSelection = false;

  // Prelisten as cut: the selection is skipped, the ranges are not consulted.
  s.prelistenMode = 1;
  FrameBuffer buffer;
  int64_t pos = f.frames[8].pos;
  const int n = readEditedFrames(s.stream, readingOf(s), buffer, 4, pos);
  expected = bytesOf(f, 8, 10);
  rest = bytesOf(f, 20, 22);
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(Bytes(buffer.bytes.begin(), buffer.bytes.begin() + n), expected);
  EXPECT_EQ(pos, f.frames[22].pos);
}

TEST(FrameReader, SurvivesGarbageAndOddRanges) {
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  std::mt19937 rng(7);
  Bytes file = bytesOf(f, 0, 20);
  for (size_t k = 20; k + 3 < f.frames.size(); k += 4) {
    const int length = static_cast<int>(rng() % 6000);
    for (int i = 0; i < length; ++i) {
      if (rng() % 40 == 0) file.push_back(0xFF);  // sync-like pairs now and then
      file.push_back(static_cast<uint8_t>(rng()));
    }
    const Bytes run = bytesOf(f, k, k + 3);
    file.insert(file.end(), run.begin(), run.end());
  }
  test::TempDir dir;
  test::writeBytes(dir / "garbage.mp3", file);
  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "garbage.mp3"));
  addRange(s, kRangeCut, -5, 10);
  addRange(s, kRangeGain, 5000, 3000, 100, -100);                    // beg > end covers nothing
  addRange(s, kRangeGain, 20000, 90000, -1000, 1000);                // a fade far past the field's range
  addRange(s, kRangeCut, s.stream.audioEnd - 5, s.stream.audioEnd + 100000);
  for (bool selection : {false, true}) {
    s.save.saveSelection = selection;
    s.edits.selection.beg = selection ? 40000 : -1;
    s.edits.selection.end = selection ? 60000 : -1;
    const ReadAll r = readAll(s, s.stream.audioStart);
    // Whatever came out is a run of whole frames.
    size_t at = 0;
    int64_t frames = 0;
    while (at + 4 <= r.bytes.size()) {
      const FrameHeader h = decodeFrameHeader(&r.bytes[at]);
      ASSERT_GT(h.frameSize, 0) << "at " << at;
      at += h.frameSize;
      ++frames;
    }
    EXPECT_EQ(at, r.bytes.size());
    EXPECT_EQ(frames, r.frames);
    EXPECT_GT(s.stream.resyncCount, 0);
  }
  // Playback reads of every size make progress too.
  s.save.saveSelection = false;
  FrameBuffer buffer;
  for (int count : {1, 3, 35, 100}) {
    int64_t pos = s.stream.audioStart;
    for (int guard = 0; pos < s.stream.audioEnd && guard < 100000; ++guard) {
      const int64_t before = pos;
      const int n = readEditedFrames(s.stream, readingOf(s), buffer, count, pos);
      ASSERT_LE(n, kFrameBufferSize);
      ASSERT_TRUE(n > 0 || pos > before);
    }
    EXPECT_EQ(pos, s.stream.audioEnd);
  }
}

}  // namespace
}  // namespace quillane
