#pragma once

#include <QWidget>
#include <map>

#include "settings/ui_text.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quillane {

// The control panel (dialog 100) below the position bar: the group boxes "Nav"
// (140), "Edit" (141) and "Audio" (142) with their buttons, and the two text
// fields, the position field (161, upper) and the selection field (160, lower).
// Every control is named "control<id>" and carries its id as the property
// "controlId". Buttons never take the keyboard focus, so keys stay with the
// main window's accelerators.
class ControlPanel : public QWidget {
  Q_OBJECT
 public:
  // Labels come from entries 80..94 where a language file set them; tooltips
  // from entries 120..144 when withTooltips.
  ControlPanel(const UiText& text, bool withTooltips, QWidget* parent);

  QPushButton* button(int controlId) const;  // nullptr for an id without a button
  const std::map<int, QPushButton*>& buttons() const { return buttons_; }
  QLineEdit* positionField() const { return positionField_; }
  QLineEdit* selectionField() const { return selectionField_; }

 signals:
  // A button was clicked; its control id is its command id.
  void commandClicked(int commandId);

 private:
  QPushButton* addButton(int controlId, const char* label, bool checkable = false);
  QGroupBox* addGroup(int controlId, const char* title);
  void applyLoadedLabels(const UiText& text);
  void applyTooltips(const UiText& text);

  std::map<int, QPushButton*> buttons_;
  std::map<int, QGroupBox*> groups_;
  QLineEdit* positionField_ = nullptr;
  QLineEdit* selectionField_ = nullptr;
};

}  // namespace quillane
