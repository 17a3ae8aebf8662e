// The program: start-up in the order the window's parts depend on, then the
// event loop until the main window has closed.
#include <QApplication>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/program_start.h"
#include "audio/exit_after_sound.h"
#include "session/session.h"
#include "settings/safe_writer.h"

// Everything, the settings written at shutdown included, is done and destroyed
// before the process leaves.
int main(int argc, char** argv) {
  using namespace quillane;
  int status = 0;
  // A kill in the middle of a save leaves the destination as it was.
  removeTemporaryFilesOnSignals();
  {
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    std::string file;
    // The sound devices live as long as the window that receives their notices.
    auto program = startProgram(argc, argv, file);
    MainWindow window(program->session);
    window.start(file, true);
    status = app.exec();
  }
  exitAfterSound(status);
}
