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

// The bits at..at+count of the frame that starts at `frame` in the file.
int bitsAt(const Bytes& file, int64_t frame, int at, int count) {
  int v = 0;
  for (int b = at; b < at + count; ++b) v = (v << 1) | ((file[frame + b / 8] >> (7 - b % 8)) & 1);
  return v;
}

// One granule and channel of a Layer III frame's side information.
struct SideField {
  int length;  // part2_3_length: bits of scale factors and Huffman data
  int gain;    // global_gain
};

// Every granule and channel of the Layer III frame at `frame`, read from the file
// bytes by the layout of the side information. After the 32 header bits (and the
// 16-bit CRC): MPEG-1 has main_data_begin (9), private bits (5 mono, 3 otherwise)
// and scfsi (4 per channel), then 59 bits per granule and channel for two
// granules; MPEG-2 and 2.5 have main_data_begin (8) and private bits (1 mono, 2
// otherwise), then 63 bits per channel of their one granule. Each granule and
// channel starts with part2_3_length (12) and big_values (9), then global_gain (8).
std::vector<SideField> sideFields(const Bytes& file, int64_t frame) {
  const bool mpeg1 = (file[frame + 1] & 0x18) == 0x18;
  const bool crc = (file[frame + 1] & 1) == 0;
  const int channels = (file[frame + 3] >> 6) == 3 ? 1 : 2;
  int bit = 32 + (crc ? 16 : 0);
  bit += mpeg1 ? 9 + (channels == 1 ? 5 : 3) + 4 * channels : 8 + channels;
  const int fields = (mpeg1 ? 2 : 1) * channels;
  const int stride = mpeg1 ? 59 : 63;
  std::vector<SideField> out;
  for (int f = 0; f < fields; ++f) {
    const int at = bit + stride * f;
    out.push_back({bitsAt(file, frame, at, 12), bitsAt(file, frame, at + 21, 8)});
  }
  return out;
}

// The level from the average global_gain of the fields that carry data (a
// part2_3_length above 0 and a gain below 209), each raised by `steps`.
int expectedLevel(const std::vector<SideField>& fields, int steps, int levelHeight) {
  int g = 0;
  int m = 0;
  for (const SideField& f : fields) {
    if (f.length == 0 || f.gain >= 209) continue;
    g += f.gain + steps;
    ++m;
  }
  if (m == 0) return 0;
  const double a = g / (23.0 * m);
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

// An MPEG-1 stereo frame without CRC whose four granules and channels carry the
// given part2_3_length and global_gain, everything else zero.
struct MadeFrame {
  FrameHeader header = decodeFrameHeader(std::array<uint8_t, 4>{0xFF, 0xFB, 0x90, 0x44}.data());
  Bytes bytes = Bytes(header.frameSize, 0);

  explicit MadeFrame(const std::array<SideField, 4>& fields) {
    for (size_t f = 0; f < fields.size(); ++f) {
      const int gainAt = header.gainBitPos[f];
      put(gainAt - 21, 12, fields[f].length);
      put(gainAt, 8, fields[f].gain);
    }
  }
  void put(int at, int count, int value) {
    for (int b = 0; b < count; ++b)
      if (value & (1 << (count - 1 - b))) bytes[(at + b) / 8] |= static_cast<uint8_t>(0x80 >> ((at + b) % 8));
  }
  int level(int steps, int height) const {
    return layer3Level(bytes.data(), static_cast<int64_t>(bytes.size()), header, steps, height);
  }
};

TEST(LevelScale, Layer3AverageGainToBarHeight) {
  ASSERT_EQ(MadeFrame({}).header.layer, 3);
  const auto all = [](int gain) { return MadeFrame({{{900, gain}, {900, gain}, {900, gain}, {900, gain}}}); };
  EXPECT_EQ(all(160).level(0, 40), 36);
  EXPECT_EQ(all(170).level(0, 40), 103);
  EXPECT_EQ(all(180).level(0, 40), 179);
  EXPECT_EQ(all(185).level(0, 40), 220);
  EXPECT_EQ(all(190).level(0, 40), 255);
  EXPECT_EQ(all(153).level(0, 40), 0);
  EXPECT_EQ(all(209).level(0, 40), 0);    // silent gains only: no bar
  EXPECT_EQ(all(170).level(10, 40), 179);  // +10 steps: as if every field were 180
  EXPECT_EQ(all(160).level(0, 60), 56);    // one step of the graph level commands
}

// A granule or channel without data (part2_3_length 0, or a silent global_gain of
// 209 or more) is left out of the average instead of counting as 0; gain steps
// raise only the fields that count.
TEST(LevelScale, Layer3FieldsWithoutDataAreLeftOut) {
  struct Case {
    const char* what;
    std::array<SideField, 4> fields;
    int steps;
    int level;
  };
  const Case cases[] = {
      {"mid channel only, side channel empty (LAME writes 210)", {{{900, 170}, {0, 210}, {700, 170}, {0, 210}}}, 0,
       103},
      {"side channel with a silent gain but some bits", {{{900, 180}, {4, 212}, {900, 180}, {4, 209}}}, 0, 179},
      {"no part2_3_length: its gain is not read", {{{900, 185}, {0, 120}, {900, 185}, {0, 0}}}, 0, 220},
      {"one field counts", {{{0, 210}, {0, 210}, {0, 210}, {35, 160}}}, 0, 36},
      {"steps raise the counted fields only", {{{900, 170}, {0, 210}, {900, 170}, {0, 210}}}, 10, 179},
      {"steps do not wake an empty frame", {{{0, 210}, {0, 210}, {0, 210}, {0, 210}}}, 40, 0},
      {"a frame without data", {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}, 0, 0},
      {"every field with data, the plain average", {{{900, 160}, {900, 180}, {900, 160}, {900, 180}}}, 0, 103},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MadeFrame(c.fields).level(c.steps, 40), c.level);
  }
}

// Real frames of several encoders and layouts: the level of every frame follows
// the fields that carry data, with and without gain steps. speech_joint.mp3 is
// mono material sent as joint stereo: its side channel never carries data.
TEST(LevelScale, Layer3LevelsOfRealFrames) {
  const char* files[] = {"speech_joint.mp3", "cbr128_notag.mp3", "tone_silence_tone.mp3", "vbr_xing.mp3",
                         "mono.mp3",         "crc.mp3",          "mpeg2_22k.mp3",         "mpeg25_8k.mp3"};
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const auto path = test::dataPath(name);
    const Bytes file = test::readBytes(path);
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(path);
    ASSERT_GT(frames.size(), 40u);
    int emptyFields = 0;
    for (size_t f = 0; f < frames.size(); ++f) {
      SCOPED_TRACE(f);
      const uint8_t* frame = file.data() + frames[f].pos;
      const FrameHeader header = decodeFrameHeader(frame);
      ASSERT_EQ(header.layer, 3);
      const std::vector<SideField> fields = sideFields(file, frames[f].pos);
      for (const SideField& field : fields) emptyFields += field.length == 0 || field.gain >= 209;
      for (int steps : {0, 10}) {
        EXPECT_EQ(layer3Level(frame, frames[f].size, header, steps, 40), expectedLevel(fields, steps, 40));
      }
    }
    if (std::string(name) == "speech_joint.mp3") {
      EXPECT_GE(emptyFields, static_cast<int>(frames.size()) * 2);  // the side channel, at least
    }
  }
}

// Mono material sent as joint stereo draws its bars at the default graph level:
// where the same sentence encoded as mono draws a bar, so does the joint stereo
// copy, whose empty side channel no longer halves every average.
TEST(LevelColumns, MonoMaterialInJointStereoDrawsBars) {
  Opened joint("speech_joint.mp3");
  Opened mono("speech.mp3");
  ASSERT_EQ(joint.frames.size(), mono.frames.size());
  const GraphGeometry geo = computeGraphGeometry(400, 300, 2);  // 400 columns: the whole sentence
  ASSERT_EQ(joint.session.settings.level_height, 40);
  LevelGraph jointGraph;
  LevelGraph monoGraph;
  joint.session.stream.cursor = joint.at(joint.frames.size() / 2);
  mono.session.stream.cursor = mono.at(mono.frames.size() / 2);
  buildLevelColumns(joint.session, geo, jointGraph);
  buildLevelColumns(mono.session, geo, monoGraph);
  ASSERT_EQ(columnOf(jointGraph, geo.graphColumns, kColumnCursor),
            columnOf(monoGraph, geo.graphColumns, kColumnCursor));
  int monoBars = 0;
  int jointBars = 0;
  for (int c = 0; c <= geo.graphColumns; ++c) {
    monoBars += monoGraph.columns[c].level > 0;
    jointBars += jointGraph.columns[c].level > 0;
  }
  EXPECT_GT(monoBars, 20);
  EXPECT_GE(jointBars, monoBars);
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
    EXPECT_EQ(col.level, expectedLevel(sideFields(o.file, o.at(f)), 0, 200));
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
    EXPECT_EQ(col.level, expectedLevel(sideFields(o.file, o.at(f)), 0, 200));
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
    EXPECT_EQ(graph.columns[c].level, expectedLevel(sideFields(o.file, o.at(f)), steps, 200));
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
