#pragma once

#include <QImage>

#include "view/canvas.h"

namespace quillane {

// The back buffer as a canvas: paints into a QImage (Format_RGB32) of the graph
// window's size, which the graph window then draws in one go. Vertical lines,
// the bulk of every frame, are written straight into the image's pixels.
class ImageCanvas : public Canvas {
 public:
  explicit ImageCanvas(QImage& image);

  int width() const override;
  int height() const override;
  void fill(Rgb colour) override;
  void verticalLine(int x, int y0, int y1, Rgb colour) override;
  void dottedVerticalLine(int x, int y0, int y1, Rgb colour) override;
  void line(int x0, int y0, int x1, int y1, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom, Rgb outline, std::optional<Rgb> fill) override;
  void text(int x, int y, const std::string& text, int size, Rgb colour,
            std::optional<Rgb> background = std::nullopt) override;
  void textRightAligned(int left, int top, int right, int bottom, const std::string& text, int size,
                        Rgb colour) override;

 private:
  QImage& image_;
};

}  // namespace quillane
