#include "app/graph_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

namespace quillane {

GraphView::GraphView(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("graph"));
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  // The image covers the whole inside: no background to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click on the graph takes the keyboard focus out of the text fields.
  setFocusPolicy(Qt::ClickFocus);
}

void GraphView::resizeBackBuffer() {
  const QSize size = clientSize();
  if (backBuffer_.size() == size) return;
  if (size.isEmpty()) {
    backBuffer_ = QImage();
  } else {
    backBuffer_ = QImage(size, QImage::Format_RGB32);
    backBuffer_.fill(Qt::black);
  }
}

void GraphView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect inside = contentsRect();
  if (!backBuffer_.isNull()) {
    // One block transfer of the part that needs it.
    const QRect target = event->rect() & inside;
    painter.drawImage(target, backBuffer_, target.translated(-inside.topLeft()));
  } else {
    painter.fillRect(inside, palette().window());
  }
  painter.end();
  QFrame::paintEvent(event);  // the sunken frame
}

void GraphView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) reportMouse(event, true);
  QFrame::mousePressEvent(event);
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & (Qt::LeftButton | Qt::RightButton)) reportMouse(event, false);
  QFrame::mouseMoveEvent(event);
}

void GraphView::reportMouse(QMouseEvent* event, bool pressed) {
  if (!onMouse) return;
  MouseKeys keys;
  keys.left = (event->buttons() & Qt::LeftButton) != 0;
  keys.right = (event->buttons() & Qt::RightButton) != 0;
  keys.shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  keys.ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const QPoint at = event->position().toPoint() - contentsRect().topLeft();
  onMouse(keys, at.x(), at.y(), pressed);
}

void GraphView::wheelEvent(QWheelEvent* event) {
  const QPoint turn = event->angleDelta();
  // A sideways turn (a tilted wheel, or Shift made into one by the system)
  // counts as well: to the left is back, as up is.
  const int notches = wheelNotches_.add(turn.y() != 0 ? turn.y() : turn.x());
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  if (notches != 0 && onWheel) onWheel(notches, shift, ctrl);
  event->accept();
}

}  // namespace quillane
