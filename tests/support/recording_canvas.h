#pragma once

// A canvas for painter tests: shapes are rasterised into a plain pixel array with
// the meaning the Canvas interface gives them, texts are only logged.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "view/canvas.h"

namespace quillane::test {

struct TextCall {
  int x = 0;  // left (for right-aligned texts: the box's left edge)
  int y = 0;  // top
  std::optional<int> right;   // right-aligned texts: the box's right and bottom edge
  std::optional<int> bottom;
  std::string text;
  int size = 0;
  Rgb colour;
  std::optional<Rgb> background;
};

class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(int width, int height) : width_(width), height_(height), pixels_(width * height) {}

  int width() const override { return width_; }
  int height() const override { return height_; }
  void fill(Rgb colour) override { std::fill(pixels_.begin(), pixels_.end(), colour); }
  void verticalLine(int x, int y0, int y1, Rgb colour) override { run(x, y0, y1, 1, colour); }
  void dottedVerticalLine(int x, int y0, int y1, Rgb colour) override { run(x, y0, y1, 2, colour); }
  void line(int x0, int y0, int x1, int y1, Rgb colour) override {
    // The painters draw only horizontal and vertical lines.
    if (x0 == x1) return run(x0, y0, y1, 1, colour);
    const int step = x1 > x0 ? 1 : -1;
    for (int x = x0; x != x1; x += step) set(x, y0 + (y1 - y0) * (x - x0) / (x1 - x0), colour);
  }
  void rectangle(int left, int top, int right, int bottom, Rgb outline, std::optional<Rgb> fill) override {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        const bool edge = x == left || x == right - 1 || y == top || y == bottom - 1;
        if (edge) set(x, y, outline);
        else if (fill) set(x, y, *fill);
      }
    }
  }
  void text(int x, int y, const std::string& text, int size, Rgb colour, std::optional<Rgb> background) override {
    texts.push_back({x, y, std::nullopt, std::nullopt, text, size, colour, background});
  }
  void textRightAligned(int left, int top, int right, int bottom, const std::string& text, int size,
                        Rgb colour) override {
    texts.push_back({left, top, right, bottom, text, size, colour, std::nullopt});
  }

  Rgb at(int x, int y) const { return pixels_[y * width_ + x]; }
  // How many pixels of row y in x0 <= x < x1 have the colour.
  int countInRow(int y, Rgb colour, int x0 = 0, int x1 = -1) const {
    if (x1 < 0) x1 = width_;
    int n = 0;
    for (int x = x0; x < x1; ++x) n += at(x, y) == colour ? 1 : 0;
    return n;
  }
  // The x of every pixel of row y that has the colour.
  std::vector<int> columnsInRow(int y, Rgb colour) const {
    std::vector<int> xs;
    for (int x = 0; x < width_; ++x)
      if (at(x, y) == colour) xs.push_back(x);
    return xs;
  }
  const TextCall* findText(const std::string& text) const {
    for (const TextCall& call : texts)
      if (call.text == text) return &call;
    return nullptr;
  }

  std::vector<TextCall> texts;

 private:
  void set(int x, int y, Rgb colour) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[y * width_ + x] = colour;
  }
  void run(int x, int y0, int y1, int stride, Rgb colour) {
    const int step = y1 > y0 ? 1 : -1;
    for (int y = y0; y != y1 && (y - y1) * step < 0; y += step * stride) set(x, y, colour);
  }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

}  // namespace quillane::test
