#include "app/image_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace quillane {

namespace {

QRgb pixelOf(Rgb colour) { return qRgb(colour.r, colour.g, colour.b); }
QColor colorOf(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

QFont fontWithPixelSize(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);  // the swiss family when Arial itself is missing
  font.setWeight(QFont::Normal);
  font.setPixelSize(std::max(pixels, 1));
  return font;
}

// A text size is the font's cell height (ascent plus descent, internal leading
// included), as a positive font height means on Windows. Qt sizes fonts by the em
// instead, so the pixel size whose metrics come closest to the cell height is
// searched once per size and remembered.
QFont fontForCellHeight(int size) {
  static std::unordered_map<int, int> pixelSizes;
  size = std::max(size, 1);
  const auto known = pixelSizes.find(size);
  if (known != pixelSizes.end()) return fontWithPixelSize(known->second);
  const auto cellHeight = [](int pixels) { return QFontMetrics(fontWithPixelSize(pixels)).height(); };
  const int first = cellHeight(size);
  int pixels = std::max(1, first > 0 ? (size * size + first / 2) / first : size);
  int error = std::abs(cellHeight(pixels) - size);
  for (int direction : {-1, 1}) {
    while (pixels + direction >= 1) {
      const int nextError = std::abs(cellHeight(pixels + direction) - size);
      if (nextError >= error) break;
      pixels += direction;
      error = nextError;
    }
  }
  pixelSizes.emplace(size, pixels);
  return fontWithPixelSize(pixels);
}

}  // namespace

ImageCanvas::ImageCanvas(QImage& image) : image_(image) {
  // The pixel writers below assume 32-bit pixels.
  if (image_.format() != QImage::Format_RGB32) image_ = image_.convertToFormat(QImage::Format_RGB32);
}

int ImageCanvas::width() const { return image_.width(); }
int ImageCanvas::height() const { return image_.height(); }

void ImageCanvas::fill(Rgb colour) { image_.fill(pixelOf(colour)); }

namespace {

// The pixels of a vertical run from y0 towards y1 (y1 excluded), every `stride`-th
// from y0 on, clipped to the image.
void writeVerticalRun(QImage& image, int x, int y0, int y1, int stride, QRgb pixel) {
  if (x < 0 || x >= image.width() || y0 == y1) return;
  // The pixels drawn lie in low..high, both included, whichever way the run goes.
  int low = y1 > y0 ? y0 : y1 + 1;
  int high = y1 > y0 ? y1 - 1 : y0;
  low = std::max(low, 0);
  high = std::min(high, image.height() - 1);
  low += ((y0 - low) % stride + stride) % stride;  // onto the pattern that starts at y0
  const qsizetype bytesPerLine = image.bytesPerLine();
  uchar* column = image.bits() + static_cast<qsizetype>(x) * 4;
  for (int y = low; y <= high; y += stride) *reinterpret_cast<QRgb*>(column + y * bytesPerLine) = pixel;
}

}  // namespace

void ImageCanvas::verticalLine(int x, int y0, int y1, Rgb colour) {
  writeVerticalRun(image_, x, y0, y1, 1, pixelOf(colour));
}

void ImageCanvas::dottedVerticalLine(int x, int y0, int y1, Rgb colour) {
  writeVerticalRun(image_, x, y0, y1, 2, pixelOf(colour));
}

void ImageCanvas::line(int x0, int y0, int x1, int y1, Rgb colour) {
  const QRgb pixel = pixelOf(colour);
  if (x0 == x1) {
    writeVerticalRun(image_, x0, y0, y1, 1, pixel);
    return;
  }
  // Bresenham from the start point, the end point itself not drawn.
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  int x = x0;
  int y = y0;
  const int w = image_.width();
  const int h = image_.height();
  while (x != x1 || y != y1) {
    if (x >= 0 && x < w && y >= 0 && y < h) image_.setPixel(x, y, pixel);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void ImageCanvas::rectangle(int left, int top, int right, int bottom, Rgb outline, std::optional<Rgb> fill) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const QRgb edge = pixelOf(outline);
  for (int x = std::max(left, 0); x < std::min(right, image_.width()); ++x) {
    if (x == left || x == right - 1) {
      writeVerticalRun(image_, x, top, bottom, 1, edge);
      continue;
    }
    writeVerticalRun(image_, x, top, top + 1, 1, edge);
    if (fill && bottom - top > 2) writeVerticalRun(image_, x, top + 1, bottom - 1, 1, pixelOf(*fill));
    if (bottom - top > 1) writeVerticalRun(image_, x, bottom - 1, bottom, 1, edge);
  }
}

void ImageCanvas::text(int x, int y, const std::string& text, int size, Rgb colour, std::optional<Rgb> background) {
  if (text.empty()) return;
  const QString string = QString::fromStdString(text);
  const QFont font = fontForCellHeight(size);
  const QFontMetrics metrics(font);
  QPainter painter(&image_);
  painter.setFont(font);
  if (background) {
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(string), metrics.height()), colorOf(*background));
  }
  painter.setPen(colorOf(colour));
  painter.drawText(QPoint(x, y + metrics.ascent()), string);
}

void ImageCanvas::textRightAligned(int left, int top, int right, int bottom, const std::string& text, int size,
                                   Rgb colour) {
  if (text.empty() || right <= left || bottom <= top) return;
  const QRect box(left, top, right - left, bottom - top);
  QPainter painter(&image_);
  painter.setFont(fontForCellHeight(size));
  painter.setPen(colorOf(colour));
  painter.setClipRect(box);  // the text stays inside its box, as a clipped draw would
  painter.drawText(box, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, QString::fromStdString(text));
}

}  // namespace quillane
