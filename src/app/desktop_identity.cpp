#include "app/desktop_identity.h"

#include <QString>

namespace quillane {

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(kApplicationId)).arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace quillane
