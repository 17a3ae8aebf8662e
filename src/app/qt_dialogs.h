#pragma once

#include <QString>
#include <string>

#include "session/host.h"

class QFileDialog;
class QWidget;

namespace quillane {

// The Qt faces of the Host's messages and file dialogs.

// A message box owned by parent with the caption, icon, buttons and default button.
MessageAnswer showMessageBox(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons, MessageAnswer defaultAnswer);

// The type list as Qt writes it: "MP3 files (*.mp3)" stays, a description
// without the patterns gets them appended; entries separated by ";;".
QString qtFileFilter(const FileDialogRequest& request);

// Open and save dialogs: title, filters (the first selected), start at
// request.initialPath or `path`; on acceptance `path` holds the chosen file.
// The save dialog asks before overwriting only with overwritePrompt.
// Sets up an open (save off) or save dialog as the two above show it: Qt's own
// dialog in its detail view, wide enough for its columns, which fit the entries
// of the folder once it is read. With request.extensionFromType a name without
// an extension gets that of the chosen type.
void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request, const std::string& path, bool save);
bool showOpenFileDialog(QWidget* parent, const FileDialogRequest& request, std::string& path);
bool showSaveFileDialog(QWidget* parent, const FileDialogRequest& request, std::string& path);

// Starts the desktop's text editor on a file without waiting: $VISUAL when set,
// else the desktop's default application for the file. False when neither starts.
bool startTextEditorOn(const std::string& path);

// Opens a document with the desktop's default application.
bool openDocumentWithDesktop(const std::string& path);

// "Use higher priority": lowers the process's nice value when the system allows
// it (silently keeps it otherwise); restoreNormalPriority undoes it.
void raiseProcessPriority();
void restoreNormalPriority();

}  // namespace quillane
