#include "app/dialogs/program_restart.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include "settings/settings_location.h"

namespace quillane {

bool startProgramAgain(const std::string& file) {
  const std::filesystem::path program = executablePath();
  if (program.empty()) return false;
  QStringList arguments;
  if (!file.empty()) arguments << QFile::decodeName(QByteArray::fromStdString(file));
  return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program.string())), arguments);
}

}  // namespace quillane
