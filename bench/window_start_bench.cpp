// The window's start-up: the program's own steps (src/app/main.cpp) with FILE on
// the command line, from start to the first paint of the graph view once FILE is
// open. bench/window_start.sh runs it beside empty_window_bench.
//
//   QUILLANE_START_US=... window_start_bench FILE
#include <QApplication>
#include <string>

#include "app/main_window.h"
#include "app/program_start.h"
#include "first_paint.h"
#include "session/session.h"

int main(int argc, char** argv) {
  using namespace quillane;
  QApplication app(argc, argv);
  std::string file;
  auto program = startProgram(argc, argv, file);
  const Session& s = program->session;
  bench::FirstPaint firstPaint(
      [&s](QObject* o) { return o->inherits("quillane::GraphView") && s.stream.audioEnd > 0; });
  app.installEventFilter(&firstPaint);
  MainWindow window(program->session);
  window.start(file, false);  // an ordinary start: no first-start questions
  return QApplication::exec();
}
