#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "stream/frame_header.h"
#include "support/test_files.h"
#include "view/level_columns.h"

namespace quillane {
namespace {

using test::Bytes;
using test::DemuxedFrame;

// The global_gain fields of an MPEG-1 stereo Layer III frame without CRC, read
// from the file bytes: 32 header bits, main_data_begin (9), private bits (3) and
// scfsi (8), then per granule and channel 59 bits starting with part2_3_length
// (12) and big_values (9) before the 8-bit global_gain.
std::vector<int> stereoGains(const Bytes& file, int64_t frame) {
  std::vector<int> out;
  for (int gc = 0; gc < 4; ++gc) {
    const int bit = 32 + 9 + 3 + 8 + 12 + 9 + 59 * gc;
    int v = 0;
    for (int b = 0; b < 8; ++b) {
      const int at = bit + b;
      v = (v << 1) | ((file[frame + at / 8] >> (7 - at % 8)) & 1);
    }
    out.push_back(v);
  }
  return out;
}

int expectedLevel(const std::vector<int>& gains, int steps, int levelHeight) {
  int g = 0;
  for (int v : gains) g += (v >= 209 ? 0 : v) + steps;
  const double a = g / (23.0 * static_cast<double>(gains.size()));
  return static_cast<int>(std::clamp(std::trunc(a * a * a - 340 + levelHeight), 0.0, 255.0));
}

struct Opened {
  Session session;
  Bytes file;
  std::vector<DemuxedFrame> frames;
  explicit Opened(const std::string& name) {
    const auto path = test::dataPath(name);
    EXPECT_TRUE(test::openInSession(session, path));
    file = test::readBytes(path);
    frames = test::demuxedFrames(path);
  }
  int64_t at(size_t i) const { return frames[i].pos; }
};

int columnOf(const LevelGraph& graph, int columns, uint8_t flag) {
  for (int c = 0; c <= columns; ++c)
    if (graph.columns[c].flags & flag) return c;
  return -1;
}

void expectBlank(const LevelColumn& c) {
  EXPECT_EQ(c.level, 0);
  EXPECT_EQ(c.flags, kColumnCut);
  EXPECT_EQ(c.rate, 0);
}

TEST(LevelScale, Layer3AverageGainToBarHeight) {
  FrameHeader h = decodeFrameHeader(std::array<uint8_t, 4>{0xFF, 0xFB, 0x90, 0x44}.data());
  ASSERT_EQ(h.layer, 3);
  auto levelFor = [&](int gain, int steps, int height) {
    Bytes frame(h.frameSize, 0);
    for (uint16_t pos : h.gainBitPos) {
      if (pos == 0) continue;
      for (int b = 0; b < 8; ++b)
        if (gain & (0x80 >> b)) frame[(pos + b) / 8] |= static_cast<uint8_t>(0x80 >> ((pos + b) % 8));
    }
    return layer3Level(frame.data(), static_cast<int64_t>(frame.size()), h, steps, height);
  };
  EXPECT_EQ(levelFor(160, 0, 40), 36);
  EXPECT_EQ(levelFor(170, 0, 40), 103);
  EXPECT_EQ(levelFor(180, 0, 40), 179);
  EXPECT_EQ(levelFor(185, 0, 40), 220);
  EXPECT_EQ(levelFor(190, 0, 40), 255);
  EXPECT_EQ(levelFor(153, 0, 40), 0);
  EXPECT_EQ(levelFor(209, 0, 40), 0);   // implausible gains count as silence
  EXPECT_EQ(levelFor(170, 10, 40), 179);  // +10 steps: as if every field were 180
  EXPECT_EQ(levelFor(160, 0, 60), 56);    // one step of the graph level commands
}

// A CBR file, the cursor a little way in: blank columns before the first frame,
// one column per frame from there, blank ones after the last frame; levels from
// the global_gain fields at their bit positions.
TEST(LevelColumns, CbrFileColumnsFollowTheFramesRoundTheCursor) {
  Opened o("cbr128_notag.mp3");
  ASSERT_EQ(o.frames.size(), 116u);
  ASSERT_EQ(o.session.stream.audioStart, 0);
  const GraphGeometry geo = computeGraphGeometry(400, 300, 4);  // 200 columns
  o.session.stream.cursor = o.at(20);
  o.session.settings.level_height = 200;  // this quiet tone draws no bars at the default 40
  LevelGraph graph;
  buildLevelColumns(o.session, geo, graph);

  const int cursorColumn = columnOf(graph, geo.graphColumns, kColumnCursor);
  EXPECT_NEAR(cursorColumn, 100, 1);  // the middle of the graph
  const int first = cursorColumn - 20;
  for (int c = 0; c < first; ++c) expectBlank(graph.columns[c]);
  int levelsSeen = 0;
  for (size_t f = 0; f < o.frames.size(); ++f) {
    const LevelColumn& col = graph.columns[first + static_cast<int>(f)];
    SCOPED_TRACE(f);
    EXPECT_EQ(col.rate, 64);
    EXPECT_EQ(col.flags, f == 20 ? kColumnCursor : 0);
    EXPECT_EQ(col.level, expectedLevel(stereoGains(o.file, o.at(f)), 0, 200));
    levelsSeen += col.level > 0;
  }
  EXPECT_GT(levelsSeen, 50);  // the tone draws bars, so the levels are tested for real
  for (int c = first + 116; c <= geo.graphColumns; ++c) expectBlank(graph.columns[c]);
  // The scan leaves the header of the cursor's frame behind.
  EXPECT_TRUE(std::equal(o.session.stream.currentHeader.raw.begin(),
                         o.session.stream.currentHeader.raw.end(), o.file.begin() + o.at(20)));
}

// A graph spanning more than one 62000-byte block: the frame across the block end
// is read again whole and no frame is lost or shown twice.
TEST(LevelColumns, FramesAcrossReadBlocks) {
  Opened o("ffmpeg_cbr.mp3");  // 126 frames of 576 bytes: 72576 bytes
  ASSERT_EQ(o.frames.size(), 126u);
  const GraphGeometry geo = computeGraphGeometry(800, 300, 4);  // 400 columns
  o.session.stream.cursor = o.at(63);
  o.session.settings.level_height = 200;
  LevelGraph graph;
  buildLevelColumns(o.session, geo, graph);
  const int first = columnOf(graph, geo.graphColumns, kColumnCursor) - 63;
  EXPECT_NEAR(first + 63, 200, 1);
  for (int c = 0; c < first; ++c) expectBlank(graph.columns[c]);
  for (size_t f = 0; f < o.frames.size(); ++f) {
    SCOPED_TRACE(f);
    const LevelColumn& col = graph.columns[first + static_cast<int>(f)];
    EXPECT_EQ(col.rate, 96);
    EXPECT_EQ(col.level, expectedLevel(stereoGains(o.file, o.at(f)), 0, 200));
  }
  for (int c = first + 126; c <= geo.graphColumns; ++c) expectBlank(graph.columns[c]);
}

TEST(LevelColumns, CursorAtTheEdgesOfTheAudio) {
  Opened o("cbr128_info.mp3");  // Info frame first: the audio starts at 417
  ASSERT_EQ(o.session.stream.audioStart, 417);
  const GraphGeometry geo = computeGraphGeometry(400, 300, 4);
  LevelGraph graph;
  o.session.stream.cursor = o.session.stream.audioStart;
  buildLevelColumns(o.session, geo, graph);
  EXPECT_EQ(columnOf(graph, geo.graphColumns, kColumnCursor), 100);
  for (int c = 0; c < 100; ++c) expectBlank(graph.columns[c]);
  EXPECT_EQ(graph.columns[101].flags, 0);

  o.session.stream.cursor = o.frames.back().pos;  // the last frame
  buildLevelColumns(o.session, geo, graph);
  const int last = columnOf(graph, geo.graphColumns, kColumnCursor);
  EXPECT_NEAR(last, 100, 1);
  EXPECT_EQ(graph.columns[last].rate, 64);
  EXPECT_EQ(graph.columns[last - 1].flags, 0);
  for (int c = last + 1; c <= geo.graphColumns; ++c) expectBlank(graph.columns[c]);
}

// Cut, gain and cue ranges, the current range and the selection mark their frames;
// the gain range raises the bars under it by its steps.
TEST(LevelColumns, RangesSelectionAndGainMarkTheirFrames) {
  Opened o("cbr128_notag.mp3");
  const GraphGeometry geo = computeGraphGeometry(400, 300, 4);
  o.session.stream.cursor = o.at(20);
  o.session.settings.level_height = 200;
  LevelGraph plain;
  buildLevelColumns(o.session, geo, plain);

  EditRangeTable& e = o.session.edits;
  e.ranges[0].type = kRangeCut;
  e.ranges[0].beg = o.at(10);
  e.ranges[0].end = o.at(15);
  e.ranges[1].type = kRangeGain;
  e.ranges[1].beg = o.at(15);  // touches the cut
  e.ranges[1].end = o.at(40);
  e.ranges[1].gainbeg = e.ranges[1].gainend = 10;
  e.ranges[2].type = kRangeCut;
  e.ranges[2].beg = e.ranges[2].end = o.at(50);  // a cue
  e.count = 3;
  e.currentRange = 1;
  e.selection.beg = o.at(25);
  e.selection.end = o.at(28);
  LevelGraph graph;
  buildLevelColumns(o.session, geo, graph);

  const int first = columnOf(graph, geo.graphColumns, kColumnCursor) - 20;
  int raised = 0;
  for (size_t f = 0; f < o.frames.size(); ++f) {
    SCOPED_TRACE(f);
    const int c = first + static_cast<int>(f);
    uint8_t want = 0;
    // Both bounds count on the graph: the frame at the cut's end, which the gain
    // range touches, shows with the cut that comes first in the list.
    if (f >= 10 && f <= 15) want = kColumnCut;
    if (f > 15 && f <= 40) want = kColumnGain | kColumnCurrent;
    if (f == 50) want = kColumnCut;
    if (f >= 25 && f <= 28) want |= kColumnSelected;
    if (f == 20) want |= kColumnCursor;
    EXPECT_EQ(graph.columns[c].flags, want);
    const int steps = (f > 15 && f <= 40) ? 10 : 0;
    EXPECT_EQ(graph.columns[c].level, expectedLevel(stereoGains(o.file, o.at(f)), steps, 200));
    if (steps) {
      EXPECT_GE(graph.columns[c].level, plain.columns[c].level);
      raised += graph.columns[c].level > plain.columns[c].level;
    } else {
      EXPECT_EQ(graph.columns[c].level, plain.columns[c].level);
    }
  }
  EXPECT_GT(raised, 10);
}

// At zoom 1 two frames share a pixel: each pair shows the quieter frame and the
// left column carries both frames' marks.
TEST(LevelColumns, ZoomOnePairsColumns) {
  Opened o("cbr128_notag.mp3");
  o.session.stream.cursor = o.at(20);
  o.session.settings.level_height = 200;
  o.session.edits.selection.beg = o.at(23);
  o.session.edits.selection.end = o.at(23);
  const GraphGeometry paired = computeGraphGeometry(100, 300, 1);
  const GraphGeometry single = computeGraphGeometry(200, 300, 2);
  ASSERT_EQ(paired.graphColumns, single.graphColumns);
  LevelGraph a;
  LevelGraph b;
  buildLevelColumns(o.session, paired, a);
  buildLevelColumns(o.session, single, b);
  int differing = 0;
  for (int k = 1; k < paired.graphColumns; k += 2) {
    SCOPED_TRACE(k);
    const uint8_t low = std::min(b.columns[k - 1].level, b.columns[k].level);
    EXPECT_EQ(a.columns[k - 1].level, low);
    EXPECT_EQ(a.columns[k].level, low);
    EXPECT_EQ(a.columns[k - 1].flags, b.columns[k - 1].flags | b.columns[k].flags);
    EXPECT_EQ(a.columns[k].flags, b.columns[k].flags);
    differing += b.columns[k - 1].level != b.columns[k].level;
  }
  EXPECT_GT(differing, 0);
}

// Layer II: bars from the bytes 28 to 37 of each frame, smoothed with the column before.
TEST(LevelColumns, Layer2LevelsFromFrameBytesSmoothed) {
  Opened o("layer2_mpeg1.mp2");
  const GraphGeometry geo = computeGraphGeometry(400, 300, 4);
  o.session.stream.cursor = o.at(30);
  LevelGraph graph;
  buildLevelColumns(o.session, geo, graph);
  const int first = columnOf(graph, geo.graphColumns, kColumnCursor) - 30;
  int previous = 0;
  for (size_t f = 0; f < o.frames.size() && first + static_cast<int>(f) < geo.graphColumns; ++f) {
    SCOPED_TRACE(f);
    int sum = 0;
    for (int b = 28; b <= 37; ++b) sum += o.file[o.at(f) + b];
    const int a = sum / 10;
    const int v = std::min(2 * (a > 160 ? 0 : 160 - a) + 40, 255);
    const int level = (v + previous) / 2;
    EXPECT_EQ(graph.columns[first + static_cast<int>(f)].level, level);
    EXPECT_EQ(graph.columns[first + static_cast<int>(f)].rate, 96);
    previous = level;
  }
}

}  // namespace
}  // namespace quillane
