#include "app/dialogs/config_misc_page.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QStyle>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "app/qt_dialogs.h"
#include "settings/ui_text_ids.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

constexpr int kEntryColours = 227;
constexpr int kEntryHighPriority = 237;
constexpr int kEntryWarn = 238;
constexpr int kEntryTooltips = 239;
constexpr int kCustomColourCount = 16;
constexpr int kSwatchSize = 14;

constexpr int kColourNames[kColourCount] = {ui::kColorBackground, ui::kColorLevelGraph, ui::kColorCursor,
                                            ui::kColorSelection,  ui::kColorEditRanges, ui::kColorActiveRange,
                                            ui::kColorVuMeter};

QColor qtColour(int32_t setting) {
  const ColourComponents rgb = rgbOfSetting(setting);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

QIcon swatch(int32_t setting) {
  QPixmap pixmap(kSwatchSize, kSwatchSize);
  pixmap.fill(qtColour(setting));
  return QIcon(pixmap);
}

}  // namespace

std::optional<ColourComponents> chooseColourWithDialog(ColourComponents start, QWidget* parent) {
  for (int i = 0; i < kCustomColourCount; ++i) QColorDialog::setCustomColor(i, QColor(Qt::black));
  const QColor chosen = QColorDialog::getColor(QColor(start.red, start.green, start.blue), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ColourComponents{chosen.red(), chosen.green(), chosen.blue()};
}

MiscPage::MiscPage(Session& session, ShellHost& host, ColourChooser chooser, QWidget* parent)
    : QWidget(parent), session_(session), host_(host), chooser_(std::move(chooser)) {
  setObjectName(QStringLiteral("page314"));
  const UiText& text = session.text;

  auto* colourBox = numberedControl(new QGroupBox(tableLabel(text, kEntryColours, "Colors"), this), 641);
  colours_ = numberedControl(new QListWidget(colourBox), 651);
  for (int entry = 0; entry < kColourCount; ++entry)
    colours_->addItem(new QListWidgetItem(swatch(colourSetting(session.settings, entry)),
                                          tableText(text, kColourNames[entry])));
  colours_->setMinimumHeight(colours_->sizeHintForRow(0) * kColourCount + 2 * colours_->frameWidth());
  // A click opens the colour dialog, and so does Enter on the current entry
  // (which a style that activates on a single click reports for the click too).
  connect(colours_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { chooseColour(colours_->row(item)); });
  if (!colours_->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, colours_))
    connect(colours_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseColour(colours_->row(item)); });
  auto* colourLayout = new QVBoxLayout(colourBox);
  colourLayout->addWidget(colours_);

  auto* options = numberedControl(new QGroupBox(tableText(text, ui::kCfgTabMisc), this), 642);
  highPriority_ = numberedControl(new QCheckBox(tableLabel(text, kEntryHighPriority, "Use higher priority"), options), 621);
  warn_ = numberedControl(new QCheckBox(tableLabel(text, kEntryWarn, "Warn of unsaved changes"), options), 622);
  tooltips_ =
      numberedControl(new QCheckBox(tableLabel(text, kEntryTooltips, "Show tooltips (changes after restart)"), options), 623);
  auto* optionLayout = new QVBoxLayout(options);
  for (QCheckBox* option : {highPriority_, warn_, tooltips_}) optionLayout->addWidget(option);
  optionLayout->addStretch(1);

  Settings& s = session.settings;
  connect(highPriority_, &QCheckBox::clicked, this, [this, &s] {
    s.high_pri = s.high_pri ? 0 : 1;
    if (s.high_pri) {
      raiseProcessPriority();
    } else {
      restoreNormalPriority();
    }
    showOptions();
  });
  connect(warn_, &QCheckBox::clicked, this, [this, &s] {
    s.warn = s.warn ? 0 : 1;
    showOptions();
  });
  connect(tooltips_, &QCheckBox::clicked, this, [this, &s] {
    s.showtt = s.showtt ? 0 : 1;
    showOptions();
  });
  showOptions();

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(colourBox, 1);
  layout->addWidget(options, 1);
}

void MiscPage::chooseColour(int entry) {
  if (entry < 0 || entry >= kColourCount) return;
  int32_t& setting = colourSetting(session_.settings, entry);
  if (const std::optional<ColourComponents> chosen = chooser_(rgbOfSetting(setting), this)) setting = settingOfRgb(*chosen);
  colours_->item(entry)->setIcon(swatch(setting));
  host_.refreshView(kRefreshAll);
}

void MiscPage::showOptions() {
  highPriority_->setChecked(session_.settings.high_pri != 0);
  warn_->setChecked(session_.settings.warn != 0);
  tooltips_->setChecked(session_.settings.showtt != 0);
}

}  // namespace quillane
