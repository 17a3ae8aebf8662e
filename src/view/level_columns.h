#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "session/session.h"
#include "view/graph_geometry.h"

namespace quillane {

// Flag bits of one column.
constexpr uint8_t kColumnCut = 1;       // in a cut or cue range, or outside the audio
constexpr uint8_t kColumnGain = 2;      // in a gain range
constexpr uint8_t kColumnCurrent = 4;   // the range holding it is the current range
constexpr uint8_t kColumnSelected = 8;  // in the selection (both ends included)
constexpr uint8_t kColumnCursor = 16;   // the frame at currentPosition

// Bytes read from the source per block while the columns are filled.
constexpr int kLevelReadBlock = 62000;

// One frame of the level graph.
struct LevelColumn {
  uint8_t level = 0;  // bar height in 256ths of levelBottom; 0 draws no bar
  uint8_t flags = 0;
  uint8_t rate = 0;   // bit rate in kbit/s halved; 0 outside the audio
};

// The graph's own state: the column table and the block buffer it is read
// through. Transient: rebuilt from the file before every repaint of a file view.
struct LevelGraph {
  std::array<LevelColumn, kLevelColumnCount> columns{};
  std::vector<uint8_t> readBuffer = std::vector<uint8_t>(kLevelReadBlock);

  void clear() { columns.fill(LevelColumn{}); }
};

// Level of a Layer III frame from the average of its global_gain fields (frame:
// the frame's bytes, size: how many of them are there). Only granules and
// channels that carry data count: one whose part2_3_length is 0 or whose
// global_gain is 209 or more is left out. gainSteps is added to every field that
// counts. 0 when no field counts.
uint8_t layer3Level(const uint8_t* frame, int64_t size, const FrameHeader& header, int gainSteps,
                    int levelHeight);

// Rebuilds columns 0..geometry.graphColumns of graph for the frames round
// currentPosition(session), straight from the source file's bytes. Leaves
// stream.currentHeader describing the cursor's frame. Does nothing without an
// open file.
void buildLevelColumns(Session& session, const GraphGeometry& geometry, LevelGraph& graph);

}  // namespace quillane
