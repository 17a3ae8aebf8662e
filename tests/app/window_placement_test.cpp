// Where a stored window rectangle goes on the screens there are.
#include <gtest/gtest.h>

#include <climits>

#include "app/window_placement.h"

namespace quillane {
namespace {

TEST(WindowPlacement, StoredRectanglesComeOntoTheScreens) {
  // A primary screen of 1920 x 1040 available pixels and a second one to its right.
  const QList<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
  const struct {
    const char* what;
    int32_t x, y, w, h;
    QRect placed;
  } rows[] = {
      {"on the primary screen: unchanged", 40, 40, 660, 430, QRect(40, 40, 660, 430)},
      {"on the second screen: unchanged", 2000, 100, 800, 600, QRect(2000, 100, 800, 600)},
      {"mostly on the second screen: moved wholly onto it", 1800, 100, 800, 600, QRect(1920, 100, 800, 600)},
      {"mostly on the primary: moved left", 1500, 100, 800, 600, QRect(1120, 100, 800, 600)},
      {"above the screens: moved down", 40, -300, 660, 430, QRect(40, 0, 660, 430)},
      {"off every screen: onto the primary", 9000, 9000, 660, 430, QRect(1260, 610, 660, 430)},
      {"far off to the left and above", INT_MIN, INT_MIN, 660, 430, QRect(0, 0, 660, 430)},
      {"taller than the screen: reduced to it", 40, 40, 660, 1 << 24, QRect(40, 0, 660, 1040)},
      {"wider than the second screen", 2000, 0, 5000, 500, QRect(1920, 0, 1280, 500)},
      {"no size at all: one pixel", 40, 40, 0, INT_MIN, QRect(40, 40, 1, 1)},
      {"everything at its limit", INT_MAX, INT_MAX, INT_MAX, INT_MAX, QRect(0, 0, 1920, 1040)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const QRect placed = placeOnScreens(row.x, row.y, row.w, row.h, screens);
    EXPECT_EQ(placed, row.placed) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                  << placed.height();
  }
}

TEST(WindowPlacement, WithoutScreensOnlyTheSizeIsHeld) {
  EXPECT_EQ(placeOnScreens(40, 40, 660, 430, {}), QRect(40, 40, 660, 430));
  EXPECT_EQ(placeOnScreens(INT_MIN, INT_MAX, INT_MAX, -5, {}),
            QRect(-kLargestWindowSide, kLargestWindowSide, kLargestWindowSide, 1));
}

}  // namespace
}  // namespace quillane
