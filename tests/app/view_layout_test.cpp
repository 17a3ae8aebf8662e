// The big timer as the real font draws it into the back buffer: in a small view
// it keeps to the upper half of the level graph and left of the dB scale.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <string>

#include "app/image_canvas.h"
#include "support/test_files.h"
#include "view/view_painter.h"

namespace quillane {
namespace {

struct Box {
  int left = 1 << 30;
  int top = 1 << 30;
  int right = -1;  // last pixel column, included
  int bottom = -1;
  bool empty() const { return right < 0; }
};

// The pixels in which a and b differ: what one setting adds to the picture.
Box differingPixels(const QImage& a, const QImage& b) {
  Box box;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

struct PaintedView {
  Session session;
  GraphGeometry geometry;
  LevelGraph graph;

  PaintedView(int width, int height) {
    EXPECT_TRUE(test::openInSession(session, test::dataPath("cbr128_notag.mp3")));
    geometry = computeGraphGeometry(width, height, session.settings.zoomlevel);
    session.stream.cursor = offsetOfFrame(session.stream, 60);
    session.settings.show_milisec = 1;
  }
  QImage paint() {
    QImage image(geometry.width, geometry.height, QImage::Format_RGB32);
    ImageCanvas canvas(image);
    paintView(session, geometry, graph, canvas);
    return image;
  }
};

TEST(ViewLayout, BigTimerKeepsToTheUpperHalfOfTheGraphAndLeftOfTheDbScale) {
  for (const QSize size : {QSize(680, 70), QSize(680, 110), QSize(680, 160), QSize(660, 235), QSize(360, 400)}) {
    for (int relative : {0, 1}) {
      SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                   (relative ? " relative" : ""));
      PaintedView view(size.width(), size.height());
      view.session.settings.db_scale = 1;
      view.session.settings.big_relative = relative;
      const QImage without = view.paint();
      view.session.settings.big_timer = 1;
      const QImage with = view.paint();
      const Box timer = differingPixels(without, with);
      ASSERT_FALSE(timer.empty());
      EXPECT_LT(timer.bottom, view.geometry.levelBottom / 2);
      EXPECT_LT(timer.right, 3 * size.width() / 4);
    }
  }
}

}  // namespace
}  // namespace quillane
