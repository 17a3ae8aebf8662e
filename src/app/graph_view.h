#pragma once

#include <QFrame>
#include <QImage>
#include <functional>

#include "shell/graph_wheel.h"
#include "shell/window_input.h"

namespace quillane {

// The graph window: a sunken frame whose inside shows the back buffer, the
// off-screen image into which the whole view is painted. Painting only copies
// the image, so the graph never flickers while it is rebuilt.
class GraphView : public QFrame {
  Q_OBJECT
 public:
  explicit GraphView(QWidget* parent);

  // The back buffer, of the inside's size once resizeBackBuffer has run.
  QImage& backBuffer() { return backBuffer_; }
  const QImage& backBuffer() const { return backBuffer_; }
  // The inside (client area) in pixels.
  QSize clientSize() const { return contentsRect().size(); }
  // Makes a new back buffer of the client size, when that size changed.
  void resizeBackBuffer();

  // A press with the left or right button, or a move with one of them held, at
  // x, y of the client area.
  std::function<void(MouseKeys keys, int x, int y, bool pressed)> onMouse;
  // The wheel turned over the graph by whole notches (positive: away from the
  // user, up), with Shift and Ctrl as held; parts of a notch are kept until
  // they make a whole one.
  std::function<void(int notches, bool shift, bool ctrl)> onWheel;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void reportMouse(QMouseEvent* event, bool pressed);

  QImage backBuffer_;
  WheelNotches wheelNotches_;
};

}  // namespace quillane
