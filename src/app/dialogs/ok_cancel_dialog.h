#pragma once

#include <QString>
#include <string>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace quillane {

// Gives a control of the names, Auto Cue or gain dialog its number: the object
// name "control<id>" and the property "controlId".
QWidget* withControlId(QWidget* widget, int controlId);

template <typename W>
W* numberedControl(W* widget, int controlId) {
  withControlId(widget, controlId);
  return widget;
}

inline QString qtLabel(const std::string& text) { return QString::fromStdString(text); }

// The buttons 611 (OK, the default: Enter) and 612 (Cancel; Escape and the close box
// do the same), wired to the dialog's accept and reject.
QDialogButtonBox* okCancelButtons(QDialog* dialog, const std::string& ok, const std::string& cancel);

}  // namespace quillane
