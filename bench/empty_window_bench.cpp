// The peers of the window start-up benchmark: minimal Qt Widgets programs, from
// start to the first paint of their central widget. Without arguments an empty
// QMainWindow; with --text the same window with a menu bar and a status line, so
// that it draws text as every real window does (its fonts found and loaded).
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <cstring>

#include "first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* central = new QWidget(&window);
  window.setCentralWidget(central);
  if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Open..."));
    window.menuBar()->addMenu(QStringLiteral("&Edit"))->addAction(QStringLiteral("&Cut"));
    window.statusBar()->showMessage(QStringLiteral("MPEG1.0 Layer 3, 128 kbps, 44 kHz, Joint Stereo"));
  }
  quillane::bench::FirstPaint firstPaint([central](QObject* o) { return o == central; });
  app.installEventFilter(&firstPaint);
  window.resize(800, 600);
  window.show();
  return QApplication::exec();
}
