// The program: start-up in the order the window's parts depend on, then the
// event loop until the main window has closed.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop_identity.h"
#include "app/main_window.h"
#include "audio/session_reset.h"
#include "devices/exit_after_sound.h"
#include "devices/qt_input_device.h"
#include "devices/qt_output_device.h"
#include "edit/edit_model.h"
#include "session/session.h"
#include "settings/safe_writer.h"
#include "settings/settings_location.h"
#include "settings/ui_text.h"
#include "shell/window_input.h"

// Everything, the settings written at shutdown included, is done and destroyed
// before the process leaves.
int main(int argc, char** argv) {
  using namespace quillane;
  int status = 0;
  // A kill in the middle of a save leaves the destination as it was.
  removeTemporaryFilesOnSignals();
  {
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Quillane"));
    QApplication::setWindowIcon(programIcon());
    QApplication::setDesktopFileName(QLatin1String(kApplicationId));

    auto session = std::make_unique<Session>();
    const std::filesystem::path executable = executablePath();
    session->settingsFile = settingsFilePath(executable);
    // Every setting to its default, then the settings file.
    resetSession(*session, ResetLevel::Everything);

    // The arguments as bytes, the program's name first.
    const std::vector<std::string> arguments(argv, argv + argc);
    const std::string file = commandLineFile(arguments);

    loadUiText(session->text, session->settings.language,
               languageFolders(dataFolder(executable), session->settingsFile));

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
