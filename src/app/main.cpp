// The program: start-up in the order the window's parts depend on, then the
// event loop until the main window has closed.
#include <QApplication>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/program_start.h"
#include "devices/exit_after_sound.h"
#include "devices/qt_input_device.h"
#include "devices/qt_output_device.h"
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
    auto session = startProgram(argc, argv, file);

    // The sound devices live as long as the window that receives their notices.
    QtOutputDevice output;
    session->playback.output = &output;
    QtInputDevice input;
    session->recording.input = &input;

    MainWindow window(*session);
    window.start(file, true);
    status = app.exec();
  }
  exitAfterSound(status);
}
