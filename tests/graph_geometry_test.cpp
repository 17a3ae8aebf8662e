#include <gtest/gtest.h>

#include <cmath>

#include "view/graph_geometry.h"

namespace quillane {
namespace {

TEST(GraphGeometry, LayoutOfATypicalWindow) {
  const GraphGeometry g = computeGraphGeometry(800, 400, 4);
  EXPECT_EQ(g.width, 800);
  EXPECT_EQ(g.height, 400);
  EXPECT_EQ(g.graphBottom, 360);
  EXPECT_EQ(g.levelBottom, 359);
  EXPECT_EQ(g.meterTop, 22);
  EXPECT_EQ(g.meterHeight, 316);
  EXPECT_EQ(g.meterBarWidth, 52);
  EXPECT_EQ(g.meterBarStep, 54);
  EXPECT_EQ(g.meterLeft, 800 - 10 - 104);
  EXPECT_EQ(g.graphColumns, 400);  // two pixels per frame at zoom 4
}

TEST(GraphGeometry, ColumnsFollowTheZoomAndStayInsideTheTable) {
  EXPECT_EQ(computeGraphGeometry(500, 300, 1).graphColumns, 1000);  // two frames per pixel
  EXPECT_EQ(computeGraphGeometry(500, 300, 2).graphColumns, 500);
  EXPECT_EQ(computeGraphGeometry(500, 300, 8).graphColumns, 125);
  EXPECT_EQ(computeGraphGeometry(2004, 300, 1).graphColumns, 4008);
  // Wider windows would need more entries than the table holds.
  EXPECT_EQ(computeGraphGeometry(2005, 300, 1).graphColumns, kLevelColumnCount - 1);
  EXPECT_EQ(computeGraphGeometry(5000, 300, 1).graphColumns, kLevelColumnCount - 1);
  // A zero zoom (a broken settings file) must not divide by zero.
  EXPECT_EQ(computeGraphGeometry(500, 300, 0).graphColumns, 1000);
}

TEST(GraphGeometry, EmptyWindowGivesZeroes) {
  const GraphGeometry g = computeGraphGeometry(0, 0, 4);
  EXPECT_EQ(g.graphBottom, 0);
  EXPECT_EQ(g.levelBottom, 0);
  EXPECT_EQ(g.graphColumns, 0);
}

TEST(GraphGeometry, MeterMarksAreTheMeterMappingOfTheRawLevels) {
  EXPECT_EQ(kMeterMark6, static_cast<int>(144 * (1 - std::exp(-63.0 / 60))));
  EXPECT_EQ(kMeterMark12, static_cast<int>(144 * (1 - std::exp(-31.0 / 60))));
}

}  // namespace
}  // namespace quillane
