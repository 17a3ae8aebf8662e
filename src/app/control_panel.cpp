#include "app/control_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

QString controlName(int controlId) { return QStringLiteral("control%1").arg(controlId); }

// The labelled controls that a language file may rename, in the order of
// entries 80..94.
constexpr int kLabelledControls[] = {ctl::kGroupNav, ctl::kGroupEdit, ctl::kGroupAudio, cmd::kZoomIn,
                                     cmd::kZoomOut,  cmd::kCut,       cmd::kGain,       cmd::kEditRange,
                                     cmd::kSetBegin, cmd::kSetEnd,    cmd::kRewind,     cmd::kStop,
                                     cmd::kPlay,     cmd::kRecord,    cmd::kMargin};
constexpr int kFirstLabelEntry = 80;

// Width of a button beyond its label's, and the least width of one.
constexpr int kButtonPadding = 14;
constexpr int kButtonMinWidth = 40;

// The buttons in the order of their tooltip entries 120..144.
constexpr int kTooltipButtons[] = {
    cmd::kSkipBackLarge,    cmd::kSkipBackSmall,       cmd::kSkipForwardSmall, cmd::kSkipForwardLarge,
    cmd::kPreviousRange,    cmd::kNextRange,           cmd::kGoToBegin,        cmd::kGoToEnd,
    cmd::kZoomIn,           cmd::kZoomOut,             cmd::kCut,              cmd::kGain,
    cmd::kEditRange,        cmd::kSetBegin,            cmd::kSetEnd,           cmd::kPrelistenToBegin,
    cmd::kPrelistenFromBegin, cmd::kPrelistenToEnd,    cmd::kPrelistenFromEnd, cmd::kPrelistenAsCut,
    cmd::kRewind,           cmd::kStop,                cmd::kPlay,             cmd::kRecord,
    cmd::kMargin};

QLineEdit* makeField(int controlId, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(controlName(controlId));
  field->setProperty("controlId", controlId);
  // Reached by a click or Ctrl+P / Ctrl+L, never by Tab or at start-up.
  field->setFocusPolicy(Qt::ClickFocus);
  field->setText(QStringLiteral(" "));
  return field;
}

// Buttons as wide as their labels: the styles' least button width would make the
// panel wider than the default window. The margin button holds its longest
// reading as well.
void fitToLabel(QPushButton* button, int controlId) {
  QString widest = button->text().remove(QLatin1Char('&'));
  if (controlId == cmd::kMargin) widest = QStringLiteral("99.9 / 99.9");
  const int width = std::max(button->fontMetrics().horizontalAdvance(widest) + kButtonPadding, kButtonMinWidth);
  button->setFixedWidth(width);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

}  // namespace

ControlPanel::ControlPanel(const UiText& text, bool withTooltips, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("control%1").arg(dlg::kControlPanel));
  setProperty("controlId", dlg::kControlPanel);

  auto* groupsRow = new QHBoxLayout;
  groupsRow->setSpacing(6);

  QGroupBox* nav = addGroup(ctl::kGroupNav, "Nav");
  auto* navGrid = new QGridLayout(nav);
  const std::pair<int, const char*> navButtons[] = {
      {cmd::kSkipBackLarge, "<<<"}, {cmd::kSkipBackSmall, "<<"}, {cmd::kSkipForwardSmall, ">>"},
      {cmd::kSkipForwardLarge, ">>>"}, {cmd::kZoomIn, "&In"}, {cmd::kPreviousRange, "I<"},
      {cmd::kNextRange, ">I"}, {cmd::kGoToBegin, "I..<<"}, {cmd::kGoToEnd, ">>..I"}, {cmd::kZoomOut, "&Out"}};
  for (int i = 0; i < 10; ++i) navGrid->addWidget(addButton(navButtons[i].first, navButtons[i].second), i / 5, i % 5);
  groupsRow->addWidget(nav);

  QGroupBox* edit = addGroup(ctl::kGroupEdit, "Edit");
  auto* editGrid = new QGridLayout(edit);
  editGrid->addWidget(addButton(cmd::kCut, "&Cut"), 0, 0, 1, 2);
  editGrid->addWidget(addButton(cmd::kGain, "&Gain"), 0, 2, 1, 2);
  editGrid->addWidget(addButton(cmd::kEditRange, "&Edit"), 0, 4, 1, 2);
  editGrid->addWidget(addButton(cmd::kSetBegin, "Set &begin"), 1, 0, 1, 3);
  editGrid->addWidget(addButton(cmd::kSetEnd, "Set e&nd"), 1, 3, 1, 3);
  groupsRow->addWidget(edit);

  QGroupBox* audio = addGroup(ctl::kGroupAudio, "Audio");
  auto* audioGrid = new QGridLayout(audio);
  // The prelisten buttons show while their mode plays; Play and Rec while they run.
  audioGrid->addWidget(addButton(cmd::kPrelistenToBegin, "=>I..", true), 0, 0);
  audioGrid->addWidget(addButton(cmd::kPrelistenFromBegin, "I=>..", true), 0, 1);
  audioGrid->addWidget(addButton(cmd::kPrelistenToEnd, "..=>I", true), 0, 2);
  audioGrid->addWidget(addButton(cmd::kPrelistenFromEnd, "..I=>", true), 0, 3);
  audioGrid->addWidget(addButton(cmd::kPrelistenAsCut, "=>I...I=>", true), 0, 4);
  audioGrid->addWidget(addButton(cmd::kRewind, "Rew"), 1, 0);
  audioGrid->addWidget(addButton(cmd::kStop, "&Stop"), 1, 1);
  audioGrid->addWidget(addButton(cmd::kPlay, "&Play", true), 1, 2);
  audioGrid->addWidget(addButton(cmd::kRecord, "&Rec", true), 1, 3);
  audioGrid->addWidget(addButton(cmd::kMargin, "&Margin"), 1, 4);
  groupsRow->addWidget(audio);
  groupsRow->addStretch(1);

  for (QGridLayout* grid : {navGrid, editGrid, audioGrid}) {
    grid->setContentsMargins(4, 2, 4, 4);
    grid->setSpacing(2);
  }

  positionField_ = makeField(ctl::kPositionField, this);
  selectionField_ = makeField(ctl::kSelectionField, this);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 4);
  column->setSpacing(2);
  column->addLayout(groupsRow);
  column->addWidget(positionField_);
  column->addWidget(selectionField_);

  applyLoadedLabels(text);
  if (withTooltips) applyTooltips(text);
}

QPushButton* ControlPanel::button(int controlId) const {
  auto it = buttons_.find(controlId);
  return it == buttons_.end() ? nullptr : it->second;
}

QPushButton* ControlPanel::addButton(int controlId, const char* label, bool checkable) {
  auto* button = new QPushButton(QString::fromUtf8(label), this);
  button->setObjectName(controlName(controlId));
  button->setProperty("controlId", controlId);
  button->setFocusPolicy(Qt::NoFocus);
  button->setCheckable(checkable);
  button->setAutoDefault(false);
  fitToLabel(button, controlId);
  connect(button, &QPushButton::clicked, this, [this, button, controlId] {
    // A toggle button shows what its command made of it (pressed while playing
    // or recording), not the click's own toggle.
    if (button->isCheckable()) {
      const QSignalBlocker blocker(button);
      button->setChecked(!button->isChecked());
    }
    emit commandClicked(controlId);
  });
  buttons_[controlId] = button;
  return button;
}

QGroupBox* ControlPanel::addGroup(int controlId, const char* title) {
  auto* group = new QGroupBox(QString::fromUtf8(title), this);
  group->setObjectName(controlName(controlId));
  group->setProperty("controlId", controlId);
  groups_[controlId] = group;
  return group;
}

void ControlPanel::applyLoadedLabels(const UiText& text) {
  int entry = kFirstLabelEntry;
  for (int controlId : kLabelledControls) {
    const int index = entry++;
    if (!text.loaded[index]) continue;
    const QString label = QString::fromStdString(uiText(text, index));
    if (auto group = groups_.find(controlId); group != groups_.end()) group->second->setTitle(label);
    if (QPushButton* b = button(controlId)) {
      b->setText(label);
      fitToLabel(b, controlId);
    }
  }
}

void ControlPanel::applyTooltips(const UiText& text) {
  int entry = ui::kTooltipBase;
  for (int controlId : kTooltipButtons) {
    // As escaped rich text with the blanks kept, so that ampersands, angle
    // brackets and the runs of blanks before the key names show as they are.
    const QString tip = QString::fromStdString(uiText(text, entry++)).toHtmlEscaped();
    button(controlId)->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(tip));
  }
}

}  // namespace quillane
