#include "app/qt_dialogs.h"

#include <sys/resource.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QScreen>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <optional>

namespace quillane {
namespace {

QString fromLocal(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string toLocal(const QString& path) { return QFile::encodeName(path).toStdString(); }

// --- Message boxes ----------------------------------------------------------

QMessageBox::Icon qtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton qtButton(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok: return QMessageBox::Ok;
    case MessageAnswer::Cancel: return QMessageBox::Cancel;
    case MessageAnswer::Yes: return QMessageBox::Yes;
    case MessageAnswer::No: return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

// The answer of a box closed without a button: the one that declines.
MessageAnswer declined(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: break;
  }
  return MessageAnswer::Cancel;
}

// --- File dialogs -------------------------------------------------------------

// The patterns of a type-list entry as Qt matches them: separated by spaces. The
// "*.*" of "All files" would miss every name without a dot here; "*" is meant.
QStringList qtPatterns(const QString& patterns) {
  static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
  QStringList list = patterns.split(separators, Qt::SkipEmptyParts);
  for (QString& pattern : list)
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
  return list;
}

// Qt takes a filter's patterns from the parentheses at its end. A description
// whose parentheses list the same patterns keeps its text with them written the
// Qt way; any other description is followed by the patterns.
QString qtFilterEntry(const FileFilter& filter) {
  const QString description = QString::fromStdString(filter.description).trimmed();
  const QStringList patterns = qtPatterns(QString::fromStdString(filter.pattern));
  const QString joined = patterns.join(QLatin1Char(' '));
  if (description.isEmpty()) return joined;
  static const QRegularExpression trailingGroup(QStringLiteral("^(.*?)\\s*\\(([^()]*)\\)$"));
  const QRegularExpressionMatch match = trailingGroup.match(description);
  if (match.hasMatch()) {
    QStringList shown = qtPatterns(match.captured(2));
    QStringList wanted = patterns;
    shown.sort();
    wanted.sort();
    if (shown == wanted) return match.captured(1) + QStringLiteral(" (") + joined + QLatin1Char(')');
  }
  return description + QStringLiteral(" (") + joined + QLatin1Char(')');
}

// Where a dialog starts: a folder is opened, a file is proposed in its folder.
void setStartPath(QFileDialog& dialog, const std::string& path) {
  if (path.empty()) return;
  const QFileInfo start(fromLocal(path));
  if (start.isDir()) {
    dialog.setDirectory(start.absoluteFilePath());
    return;
  }
  dialog.setDirectory(start.absolutePath());
  dialog.selectFile(start.fileName());
}

// The columns of the dialog's detail view follow their texts ("47.75 KiB",
// "MP3 audio", the date) and the name column takes the rest. The dialog sets
// column widths of its own as it shows a folder, so this is done again once
// the folder is read and once the dialog is on the screen.
void fitColumnsToEntries(QTreeView* view) {
  QHeaderView* header = view->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->resizeSections(QHeaderView::ResizeToContents);
  // A shown dialog too narrow for the whole names grows, within its screen.
  QWidget* dialog = view->window();
  const int missing = header->length() - view->viewport()->width();
  if (missing > 0 && dialog && dialog->isVisible()) {
    const QScreen* screen = dialog->screen();
    const int room = screen ? screen->availableGeometry().width() : dialog->width() + missing;
    dialog->resize(std::min(dialog->width() + missing, room), dialog->height());
  }
  header->setSectionResizeMode(0, QHeaderView::Stretch);
}

void fitFileDialogColumns(QFileDialog& dialog) {
  dialog.setViewMode(QFileDialog::Detail);
  // Room for a name, a size, a type and a date side by side.
  const QFontMetrics metrics(dialog.font());
  dialog.resize(std::max(dialog.sizeHint().width(), 100 * metrics.averageCharWidth()), dialog.sizeHint().height());
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (!view || !model) return;
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] { fitColumnsToEntries(view); });
  QTimer::singleShot(0, view, [view] { fitColumnsToEntries(view); });
}

// The extension of a type-list entry's first pattern ("qlp" of "Project (*.qlp
// *.x)"); empty for "*" and for patterns that are no plain extension.
QString extensionOfType(const QString& entry) {
  static const QRegularExpression firstPattern(QStringLiteral("\\(\\s*\\*\\.([^\\s*?\\[\\]()]+)[\\s)]"));
  const QRegularExpressionMatch match = firstPattern.match(entry);
  return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request, const std::string& path, bool save) {
  dialog.setWindowTitle(QString::fromStdString(request.title));
  dialog.setObjectName(save ? QStringLiteral("saveFileDialog") : QStringLiteral("openFileDialog"));
  // Qt's own dialog behaves the same on every desktop, and honours each option below.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  // Without extensionFromType a name is taken as typed.
  const QString filters = qtFileFilter(request);
  if (!filters.isEmpty()) {
    const QStringList entries = filters.split(QStringLiteral(";;"));
    dialog.setNameFilters(entries);
    dialog.selectNameFilter(entries.first());
    if (save && request.extensionFromType) {
      // Qt adds the default suffix to a name without one, and asks about
      // overwriting under the name with it.
      dialog.setDefaultSuffix(extensionOfType(entries.first()));
      QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                       [&dialog](const QString& entry) { dialog.setDefaultSuffix(extensionOfType(entry)); });
    }
  }
  setStartPath(dialog, request.initialPath.empty() ? path : request.initialPath);
  fitFileDialogColumns(dialog);
}

namespace {

bool runFileDialog(QWidget* parent, const FileDialogRequest& request, std::string& path, bool save) {
  QFileDialog dialog(parent);
  prepareFileDialog(dialog, request, path, save);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
  path = toLocal(chosen.first());
  return true;
}

// --- Priority -------------------------------------------------------------------

constexpr int kPriorityStep = 5;
std::optional<int> normalNice;  // the nice value before raiseProcessPriority, while raised

}  // namespace

MessageAnswer showMessageBox(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons, MessageAnswer defaultAnswer) {
  QMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), qtButtons(buttons),
                  parent);
  box.setTextFormat(Qt::PlainText);  // texts quote file names, which may hold '<'
  box.setDefaultButton(qtButton(defaultAnswer));
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: break;
  }
  return declined(buttons);
}

QString qtFileFilter(const FileDialogRequest& request) {
  QStringList entries;
  for (const FileFilter& filter : request.filters) {
    const QString entry = qtFilterEntry(filter);
    if (!entry.isEmpty()) entries << entry;
  }
  return entries.join(QStringLiteral(";;"));
}

bool showOpenFileDialog(QWidget* parent, const FileDialogRequest& request, std::string& path) {
  return runFileDialog(parent, request, path, false);
}

bool showSaveFileDialog(QWidget* parent, const FileDialogRequest& request, std::string& path) {
  return runFileDialog(parent, request, path, true);
}

bool startTextEditorOn(const std::string& path) {
  const QString file = fromLocal(path);
  const QString visual = qEnvironmentVariable("VISUAL").trimmed();
  if (!visual.isEmpty() && QProcess::startDetached(visual, {file})) return true;
  return openDocumentWithDesktop(path);
}

bool openDocumentWithDesktop(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(fromLocal(path)));
}

void raiseProcessPriority() {
  if (normalNice) return;  // raised already
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, 0);
  if (current == -1 && errno != 0) return;
  // Lowering the nice value needs the right to do so; without it the program
  // simply runs on at its normal priority.
  if (setpriority(PRIO_PROCESS, 0, current - kPriorityStep) == 0) normalNice = current;
}

void restoreNormalPriority() {
  if (!normalNice) return;
  if (setpriority(PRIO_PROCESS, 0, *normalNice) == 0) normalNice.reset();
}

}  // namespace quillane
