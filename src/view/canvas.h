#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillane {

// A colour as the settings store it: red in the lowest byte, then green, then blue.
struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};
inline Rgb rgbFromSetting(int32_t value) {
  return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
          static_cast<uint8_t>((value >> 16) & 0xFF)};
}

// Where the main view is painted: the back buffer. Coordinates are pixels, origin
// top left; everything outside the buffer is clipped. Text sizes are font cell
// heights in pixels of the face "Arial", normal weight.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual void fill(Rgb colour) = 0;
  // A one-pixel line from (x, y0) towards (x, y1), y1 itself not drawn.
  virtual void verticalLine(int x, int y0, int y1, Rgb colour) = 0;
  // The same, every other pixel from y0 on; the gaps keep what was there.
  virtual void dottedVerticalLine(int x, int y0, int y1, Rgb colour) = 0;
  // A one-pixel line from (x0, y0) to (x1, y1), the end point not drawn.
  virtual void line(int x0, int y0, int x1, int y1, Rgb colour) = 0;
  // Outline and fill of the rectangle left <= x < right, top <= y < bottom.
  virtual void rectangle(int left, int top, int right, int bottom, Rgb outline, std::optional<Rgb> fill) = 0;
  // UTF-8 text with its top left at (x, y); with a background the text's box
  // is filled first.
  virtual void text(int x, int y, const std::string& text, int size, Rgb colour,
                    std::optional<Rgb> background = std::nullopt) = 0;
  // Text right-aligned in the box left..right, top at `top`.
  virtual void textRightAligned(int left, int top, int right, int bottom, const std::string& text, int size,
                                Rgb colour) = 0;
};

}  // namespace quillane
