#include "app/image_canvas.h"

#include <gtest/gtest.h>

#include <QImage>

namespace quillane {
namespace {

constexpr Rgb kPaper{10, 20, 30};
constexpr Rgb kInk{200, 100, 50};
constexpr Rgb kFill{0, 255, 0};

struct Painted {
  QImage image{40, 30, QImage::Format_RGB32};
  ImageCanvas canvas{image};
  Painted() { canvas.fill(kPaper); }
  Rgb at(int x, int y) const {
    const QRgb p = image.pixel(x, y);
    return {static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)), static_cast<uint8_t>(qBlue(p))};
  }
  // Every pixel of x0 <= x < x1, y0 <= y < y1 that differs from the paper.
  int inkedIn(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += at(x, y) == kPaper ? 0 : 1;
    return n;
  }
  int inked() const { return inkedIn(0, 0, image.width(), image.height()); }
};

TEST(ImageCanvasTest, VerticalLinesLeaveOutTheirEndPointInEitherDirection) {
  Painted p;
  p.canvas.verticalLine(5, 2, 6, kInk);
  for (int y = 2; y < 6; ++y) EXPECT_EQ(p.at(5, y), kInk) << y;
  p.canvas.verticalLine(8, 6, 2, kInk);
  for (int y = 3; y <= 6; ++y) EXPECT_EQ(p.at(8, y), kInk) << y;
  EXPECT_EQ(p.inked(), 8);
}

TEST(ImageCanvasTest, DottedLinesDrawEveryOtherPixelFromTheStart) {
  Painted p;
  p.canvas.verticalLine(3, 0, 30, kFill);
  p.canvas.dottedVerticalLine(3, 2, 9, kInk);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(p.at(3, y), (y >= 2 && y < 9 && y % 2 == 0) ? kInk : kFill) << y;
}

TEST(ImageCanvasTest, LinesLeaveOutTheirEndPoint) {
  Painted p;
  p.canvas.line(10, 4, 2, 4, kInk);
  for (int x = 3; x <= 10; ++x) EXPECT_EQ(p.at(x, 4), kInk) << x;
  EXPECT_EQ(p.inked(), 8);
  p.canvas.line(0, 10, 5, 15, kInk);  // a diagonal: (0,10) .. (4,14)
  EXPECT_EQ(p.at(4, 14), kInk);
  EXPECT_EQ(p.at(5, 15), kPaper);
}

TEST(ImageCanvasTest, RectanglesOutlineTheBorderAndFillInsideRightAndBottomExcluded) {
  Painted p;
  p.canvas.rectangle(2, 3, 7, 9, kInk, kFill);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 9;
      const bool border = inside && (x == 2 || x == 6 || y == 3 || y == 8);
      ASSERT_EQ(p.at(x, y), border ? kInk : inside ? kFill : kPaper) << x << "," << y;
    }
  }
  Painted outlineOnly;
  outlineOnly.canvas.rectangle(2, 3, 7, 9, kInk, std::nullopt);
  EXPECT_EQ(outlineOnly.at(4, 5), kPaper);
  EXPECT_EQ(outlineOnly.inked(), 18);
  Painted flat;  // two pixels high: all outline
  flat.canvas.rectangle(0, 0, 4, 2, kInk, kFill);
  EXPECT_EQ(flat.inked(), 8);
  EXPECT_EQ(flat.at(1, 1), kInk);
}

TEST(ImageCanvasTest, EverythingIsClippedToTheImage) {
  Painted p;
  p.canvas.verticalLine(-1, 0, 30, kInk);
  p.canvas.verticalLine(40, 0, 30, kInk);
  p.canvas.dottedVerticalLine(0, -7, 100, kInk);  // dots at -7, -5, ...: odd rows
  p.canvas.line(-10, 29, 100, 29, kInk);
  p.canvas.rectangle(35, -5, 60, 5, kInk, kFill);
  EXPECT_EQ(p.at(0, 1), kInk);
  EXPECT_EQ(p.at(0, 2), kPaper);
  EXPECT_EQ(p.inkedIn(0, 29, 40, 30), 40);
  EXPECT_EQ(p.at(35, 0), kInk);   // the left side
  EXPECT_EQ(p.at(36, 4), kInk);   // the bottom edge
  EXPECT_EQ(p.at(39, 0), kFill);  // the right side lies outside
  EXPECT_EQ(p.at(36, 5), kPaper);
}

TEST(ImageCanvasTest, TextLandsInsideItsCellInItsColour) {
  QImage image(200, 80, QImage::Format_RGB32);
  ImageCanvas canvas(image);
  canvas.fill(kPaper);
  const int size = 30;
  canvas.text(10, 20, "Quillane", size, kInk);
  int exact = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == qRgb(kPaper.r, kPaper.g, kPaper.b)) continue;
      ASSERT_GE(x, 10);
      ASSERT_GE(y, 20);
      ASSERT_LT(y, 20 + size);
      exact += image.pixel(x, y) == qRgb(kInk.r, kInk.g, kInk.b) ? 1 : 0;
    }
  }
  EXPECT_GT(exact, 20);
}

TEST(ImageCanvasTest, TextSizeIsTheCellHeightOfTheOpaqueBox) {
  for (int size : {12, 24, 48, 80}) {
    QImage image(400, 120, QImage::Format_RGB32);
    ImageCanvas canvas(image);
    canvas.fill(kPaper);
    canvas.text(0, 0, " ", size, kInk, kFill);
    int height = 0;
    while (height < image.height() && image.pixel(0, height) == qRgb(kFill.r, kFill.g, kFill.b)) ++height;
    EXPECT_NEAR(height, size, 1 + size / 20) << size;
  }
}

TEST(ImageCanvasTest, RightAlignedTextEndsAtTheBoxAndStaysInside) {
  QImage image(200, 60, QImage::Format_RGB32);
  ImageCanvas canvas(image);
  canvas.fill(kPaper);
  canvas.textRightAligned(20, 10, 120, 30, "-48", 20, kInk);
  int rightmost = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == qRgb(kPaper.r, kPaper.g, kPaper.b)) continue;
      ASSERT_TRUE(x >= 20 && x < 120 && y >= 10 && y < 30) << x << "," << y;
      rightmost = std::max(rightmost, x);
    }
  }
  EXPECT_GT(rightmost, 110);
}

}  // namespace
}  // namespace quillane
