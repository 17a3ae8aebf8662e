#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace quillane {
namespace {

// One side of a rectangle as 64-bit numbers, so that no stored value can overflow.
struct Span {
  int64_t begin;
  int64_t length;
};

int64_t overlap(Span a, Span b) {
  const int64_t begin = std::max(a.begin, b.begin);
  const int64_t end = std::min(a.begin + a.length, b.begin + b.length);
  return std::max<int64_t>(end - begin, 0);
}

// The span of `length` (at least 1, at most the room there is) placed as near
// to `stored` as fits into `room`.
Span fitted(Span stored, Span room) {
  const int64_t length = std::clamp<int64_t>(stored.length, 1, std::max<int64_t>(room.length, 1));
  const int64_t begin = std::clamp<int64_t>(stored.begin, room.begin, room.begin + room.length - length);
  return {begin, length};
}

}  // namespace

QRect firstStartRectangle(const QRect& screen, const QSize& least) {
  const int width = std::max(screen.width() * 2 / 3, least.width());
  const int height = std::max(screen.height() * 2 / 3, least.height());
  return QRect(screen.x() + (screen.width() - width) / 2, screen.y() + (screen.height() - height) / 2, width,
               height);
}

QList<QRect> availableScreenAreas() {
  QList<QRect> areas;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) areas.append(primary->availableGeometry());
  for (QScreen* screen : QGuiApplication::screens())
    if (screen != primary) areas.append(screen->availableGeometry());
  return areas;
}

QRect placeOnScreens(int32_t x, int32_t y, int32_t width, int32_t height, const QList<QRect>& screens) {
  const Span across{x, width};
  const Span down{y, height};
  if (screens.isEmpty()) {
    const auto side = [](int32_t length) { return std::clamp<int32_t>(length, 1, kLargestWindowSide); };
    return QRect(std::clamp(x, -kLargestWindowSide, kLargestWindowSide),
                 std::clamp(y, -kLargestWindowSide, kLargestWindowSide), side(width), side(height));
  }
  QRect screen = screens.front();
  int64_t best = 0;
  for (const QRect& candidate : screens) {
    const int64_t area = overlap(across, {candidate.x(), candidate.width()}) *
                         overlap(down, {candidate.y(), candidate.height()});
    if (area > best) {
      best = area;
      screen = candidate;
    }
  }
  const Span h = fitted(across, {screen.x(), screen.width()});
  const Span v = fitted(down, {screen.y(), screen.height()});
  return QRect(static_cast<int>(h.begin), static_cast<int>(v.begin), static_cast<int>(h.length),
               static_cast<int>(v.length));
}

}  // namespace quillane
