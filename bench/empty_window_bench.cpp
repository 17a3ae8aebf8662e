// The peer of the window start-up benchmark: a minimal Qt Widgets program, an
// empty QMainWindow, from start to the first paint of its central widget.
#include <QApplication>
#include <QMainWindow>

#include "first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* central = new QWidget(&window);
  window.setCentralWidget(central);
  quillane::bench::FirstPaint firstPaint([central](QObject* o) { return o == central; });
  app.installEventFilter(&firstPaint);
  window.resize(800, 600);
  window.show();
  return QApplication::exec();
}
