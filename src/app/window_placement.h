#pragma once

#include <QList>
#include <QRect>
#include <cstdint>

namespace quillane {

// The window rectangle stored in the settings (x, y, width, height, any values),
// brought onto the screens as they are now: the screen it overlaps most (the
// first screen when it overlaps none) takes it, a size larger than that screen's
// available area is reduced to it, a size below one pixel is raised to one, and
// the rectangle is moved until it lies wholly on that screen. `screens` are the
// available areas of the screens, the primary one first. Without any screen the
// size is only kept within 1..kLargestWindowSide.
QRect placeOnScreens(int32_t x, int32_t y, int32_t width, int32_t height, const QList<QRect>& screens);

// Where the window opens when no rectangle was ever stored: two thirds of the
// screen's available area (at least `least`), in its middle.
QRect firstStartRectangle(const QRect& screen, const QSize& least);

// The available areas of the screens there are now, the primary one first.
QList<QRect> availableScreenAreas();

// Larger than any screen; Qt's own limit for a widget's side is 16777215.
constexpr int kLargestWindowSide = 32767;

}  // namespace quillane
