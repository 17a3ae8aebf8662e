#include "view/level_columns.h"

#include <algorithm>
#include <cmath>

#include "edit/frame_reader.h"

namespace quillane {

namespace {

constexpr LevelColumn kBlankColumn{0, kColumnCut, 0};

// `count` (at most 16) bits starting at bitPos of the frame, bit 0 being the most
// significant bit of its first byte; bits past `size` read as 0.
unsigned readBits(const uint8_t* frame, int64_t size, int bitPos, int count) {
  const int64_t byte = bitPos / 8;
  unsigned window = 0;
  for (int64_t b = byte; b < byte + 3; ++b) window = (window << 8) | (b < size ? frame[b] : 0u);
  return (window >> (24 - bitPos % 8 - count)) & ((1u << count) - 1u);
}

// Each granule and channel of the side information starts with part2_3_length
// (12 bits) and big_values (9 bits); global_gain (8 bits) follows.
constexpr int kPart23LengthBefore = 21;
constexpr int kPart23LengthBits = 12;
// A global_gain this high means no sound in that granule and channel: LAME writes
// 210 for granules without data (for instance the empty side channel of joint
// stereo whose channels are equal).
constexpr unsigned kSilentGain = 209;

// The first range whose bounds, both included, hold the frame at pos: the graph
// marks the frame at a range's end too, and a cue marks the frame at its offset.
int rangeAt(const EditRangeTable& edits, int64_t pos) {
  for (int j = 0; j < edits.count; ++j) {
    const EditRange& r = edits.ranges[j];
    if (r.beg <= pos && pos <= r.end) return j;
  }
  return -1;
}

uint8_t layer2Level(const uint8_t* frame, int64_t size, int levelHeight, int previous) {
  int sum = 0;
  for (int b = 28; b <= 37; ++b) sum += b < size ? frame[b] : 0;
  const int a = sum / 10;
  int v = a > 160 ? 0 : 160 - a;
  v = std::min(2 * v + levelHeight, 255);
  return static_cast<uint8_t>((v + previous) / 2);
}

}  // namespace

uint8_t layer3Level(const uint8_t* frame, int64_t size, const FrameHeader& header, int gainSteps,
                    int levelHeight) {
  // Only the fields that carry data count: an empty granule or channel (no
  // Huffman data, or a silent gain) says nothing about the frame's loudness, and
  // counted as 0 it would pull the average of every frame of mono material sent
  // as joint stereo below the lowest bar.
  int m = 0;
  int g = 0;
  for (uint16_t pos : header.gainBitPos) {
    if (pos < kPart23LengthBefore) continue;  // 0: no field
    const unsigned length = readBits(frame, size, pos - kPart23LengthBefore, kPart23LengthBits);
    const unsigned value = readBits(frame, size, pos, 8);
    if (length == 0 || value >= kSilentGain) continue;
    g += static_cast<int>(value) + gainSteps;
    ++m;
  }
  if (m == 0) return 0;
  const double average = static_cast<double>(g) / (23.0 * m);
  const double level = std::trunc(average * average * average - 340.0 + levelHeight);
  return static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
}

void buildLevelColumns(Session& session, const GraphGeometry& geometry, LevelGraph& graph) {
  AudioStream& stream = session.stream;
  if (!stream.isOpen()) return;
  const int columns = std::min<int>(geometry.graphColumns, kLevelColumnCount - 1);
  const bool pairing = geometry.graphColumns > geometry.width;
  const int levelHeight = session.settings.level_height;
  const EditRangeTable& edits = session.edits;
  const int64_t q = currentPosition(session);
  const double avg = stream.avgFrameSize;

  int k = 0;
  int previous = 0;
  int64_t half = static_cast<int64_t>(std::trunc(columns * avg / 2.0));
  if (half > q - stream.audioStart) {
    const double blanks = avg > 0 ? static_cast<double>(half - (q - stream.audioStart)) / avg : 0;
    while (k <= columns && static_cast<double>(k) <= blanks) graph.columns[k++] = kBlankColumn;
    half = q - stream.audioStart;
  }
  int64_t s = findFrame(stream, std::max(q - half, stream.audioStart)).offset;

  uint8_t* buffer = graph.readBuffer.data();
  while (k < columns && s >= 0 && s < stream.audioEnd) {
    const int64_t want = std::min<int64_t>(kLevelReadBlock, stream.audioEnd - s);
    const int64_t n = static_cast<int64_t>(stream.sourceFile.readAt(s, buffer, static_cast<size_t>(want)));
    const bool lastBlock = n < kLevelReadBlock;
    int64_t i = 0;
    int64_t next = -1;  // where the next block starts; -1: the scan is over
    while (k < columns) {
      FrameHeader header;
      while (i + 4 <= n) {
        if (hasFrameSync(buffer + i)) {
          std::copy(buffer + i, buffer + i + 4, header.raw.begin());
          if (decodeFrameHeader(header) && header.frameSize > 0) break;
        }
        ++i;
      }
      if (i + 4 > n) {  // no further header in this block
        if (!lastBlock) next = s + std::max<int64_t>(i, 1);  // the last 3 bytes again
        break;
      }
      if (i + header.frameSize > n) {  // the frame runs past the block
        if (!lastBlock) next = s + i;  // read it again whole at the start of the next block
        break;
      }
      const int64_t p = s + i;
      const uint8_t* frame = buffer + i;
      LevelColumn column;
      const int j = rangeAt(edits, p);
      if (j >= 0) {
        column.flags = edits.ranges[j].isGain() ? kColumnGain : kColumnCut;
        if (j == edits.currentRange) column.flags |= kColumnCurrent;
      }
      if (edits.hasSelection() && edits.selection.beg <= p && p <= edits.selection.end)
        column.flags |= kColumnSelected;
      if (p == q) column.flags |= kColumnCursor;
      column.rate = static_cast<uint8_t>(std::min(header.bitrate / 2, 255));
      if (header.layer == 3) {
        const int steps = (column.flags & kColumnGain) ? gainAt(edits.ranges[j], p) : 0;
        column.level = layer3Level(frame, header.frameSize, header, steps, levelHeight);
      } else {
        column.level = layer2Level(frame, header.frameSize, levelHeight, previous);
      }
      previous = column.level;
      if (pairing && (k % 2) == 1) {
        LevelColumn& left = graph.columns[k - 1];
        const uint8_t level = std::min(left.level, column.level);
        const uint8_t rate = std::min(left.rate, column.rate);
        left.flags |= column.flags;
        left.level = column.level = level;
        left.rate = column.rate = rate;
      }
      graph.columns[k++] = column;
      i += header.frameSize - 1;
    }
    if (next < 0) break;
    s = next;
  }
  for (; k <= columns; ++k) graph.columns[k] = kBlankColumn;
  findCurrentFrame(stream, q);  // the texts beside the graph describe the cursor's frame
}

}  // namespace quillane
