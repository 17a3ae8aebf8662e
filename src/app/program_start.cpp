#include "app/program_start.h"

#include <QApplication>
#include <vector>

#include "app/desktop_identity.h"
#include "audio/session_reset.h"
#include "settings/settings_location.h"
#include "settings/ui_text.h"
#include "shell/window_input.h"

namespace quillane {

std::unique_ptr<Program> startProgram(int argc, char** argv, std::string& file) {
  QApplication::setApplicationName(QStringLiteral("Quillane"));
  QApplication::setWindowIcon(programIcon());
  QApplication::setDesktopFileName(QLatin1String(kApplicationId));

  auto program = std::make_unique<Program>();
  Session* session = &program->session;
  session->playback.output = &program->output;
  session->recording.input = &program->input;
  const std::filesystem::path executable = executablePath();
  session->settingsFile = settingsFilePath(executable);
  // Every setting to its default, then the settings file.
  resetSession(*session, ResetLevel::Everything);

  // The arguments as bytes, the program's name first.
  const std::vector<std::string> arguments(argv, argv + argc);
  file = commandLineFile(arguments);

  loadUiText(session->text, session->settings.language,
             languageFolders(dataFolder(executable), session->settingsFile));
  return program;
}

}  // namespace quillane
