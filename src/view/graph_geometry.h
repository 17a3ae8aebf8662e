#pragma once

#include <cstdint>

namespace quillane {

// The column table holds this many entries; one more than graphColumns is written.
constexpr int kLevelColumnCount = 4010;

// The layout of the graph window, derived from its client size and the zoom.
struct GraphGeometry {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t graphBottom = 0;    // split line: level graph above, overview strip below
  uint16_t levelBottom = 0;    // baseline of the level bars, lower end of vertical marks
  uint16_t meterTop = 0;
  uint16_t meterHeight = 0;
  uint16_t meterBarWidth = 0;
  uint16_t meterBarStep = 0;
  uint16_t meterLeft = 0;
  uint16_t graphColumns = 0;   // frames shown across the level graph (below kLevelColumnCount)
};

// Meter values at which the "-6" and "-12" marks are drawn: the meter's display
// mapping trunc(144 * (1 - exp(-x / 60))) of the raw levels 63 and 31.
constexpr int kMeterMark6 = 93;
constexpr int kMeterMark12 = 58;

// Computes the geometry for a client area of width x height pixels at zoomlevel
// (1, 2, 4 or 8; values below 1 count as 1). graphColumns is held at
// kLevelColumnCount - 1 at most, so that entries 0..graphColumns fit the table.
GraphGeometry computeGraphGeometry(int32_t width, int32_t height, int zoomlevel);

}  // namespace quillane
