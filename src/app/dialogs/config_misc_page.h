#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "session/session.h"
#include "settings/configuration_rules.h"
#include "shell/shell_host.h"

class QCheckBox;
class QListWidget;

namespace quillane {

// Chooses a colour starting from the given one; nothing when the user cancels.
using ColourChooser = std::function<std::optional<ColourComponents>(ColourComponents start, QWidget* parent)>;

// The desktop's colour dialog, its 16 custom colours black at each call.
std::optional<ColourComponents> chooseColourWithDialog(ColourComponents start, QWidget* parent);

// Page 314 "Misc": the seven colours of the main view and the three options
// "Use higher priority", "Warn of unsaved changes" and "Show tooltips".
class MiscPage : public QWidget {
  Q_OBJECT
 public:
  MiscPage(Session& session, ShellHost& host, ColourChooser chooser, QWidget* parent);

 private:
  void chooseColour(int entry);
  void showOptions();

  Session& session_;
  ShellHost& host_;
  ColourChooser chooser_;
  QListWidget* colours_ = nullptr;
  QCheckBox* highPriority_ = nullptr;
  QCheckBox* warn_ = nullptr;
  QCheckBox* tooltips_ = nullptr;
};

}  // namespace quillane
