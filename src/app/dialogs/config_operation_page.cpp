#include "app/dialogs/config_operation_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "settings/configuration_rules.h"
#include "settings/language_list.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr int kEntryNavigation = 218;
constexpr int kEntrySkips = 219;
constexpr int kEntryMouseMethod = 220;
constexpr int kEntryBeginEnd = 221;
constexpr int kEntryDrag = 222;
constexpr int kEntryLanguage = 223;
constexpr int kEntryLanguageNote = 224;

constexpr int kStepDigits = 5;

QLineEdit* stepEdit(int controlId, uint16_t frames, QWidget* parent) {
  auto* edit = numberedControl(new QLineEdit(QString::number(frames), parent), controlId);
  edit->setMaxLength(kStepDigits);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(kStepDigits + 3, QLatin1Char('0'))));
  return edit;
}

}  // namespace

OperationPage::OperationPage(Session& session, ShellHost& host,
                             const std::vector<std::filesystem::path>& languageFolders, QWidget* parent)
    : QWidget(parent), session_(session), host_(host) {
  setObjectName(QStringLiteral("page313"));
  const UiText& text = session.text;
  const Settings& s = session.settings;

  auto* navigation = numberedControl(new QGroupBox(tableLabel(text, kEntryNavigation, "Navigation"), this), 641);
  smallStep_ = stepEdit(671, s.frameskiplo, navigation);
  largeStep_ = stepEdit(672, s.frameskiphi, navigation);
  auto* steps = new QGridLayout(navigation);
  steps->addWidget(numberedControl(new QLabel(QStringLiteral("<<  >>"), navigation), 660), 0, 0);
  steps->addWidget(smallStep_, 0, 1);
  steps->addWidget(numberedControl(new QLabel(tableLabel(text, kEntrySkips, "skips"), navigation), 661), 0, 2);
  steps->addWidget(numberedControl(new QLabel(QStringLiteral("<<<  >>>"), navigation), 662), 1, 0);
  steps->addWidget(largeStep_, 1, 1);
  steps->addWidget(numberedControl(new QLabel(tableLabel(text, kEntrySkips, "skips"), navigation), 663), 1, 2);
  steps->setColumnStretch(3, 1);

  auto* mouse = numberedControl(new QGroupBox(tableLabel(text, kEntryMouseMethod, "Mouse selection method"), this), 642);
  beginEndMethod_ = numberedControl(
      new QRadioButton(tableLabel(text, kEntryBeginEnd, "Left = set begin / Right = set end"), mouse), 601);
  dragMethod_ =
      numberedControl(new QRadioButton(tableLabel(text, kEntryDrag, "Left = new + drag / Right = set nearest"), mouse), 602);
  auto* mouseLayout = new QVBoxLayout(mouse);
  mouseLayout->addWidget(beginEndMethod_);
  mouseLayout->addWidget(dragMethod_);
  connect(beginEndMethod_, &QRadioButton::clicked, this, [this] {
    session_.settings.mouse_method = 0;
    showMouseMethod();
  });
  connect(dragMethod_, &QRadioButton::clicked, this, [this] {
    session_.settings.mouse_method = 1;
    showMouseMethod();
  });
  showMouseMethod();

  auto* language = numberedControl(new QGroupBox(tableLabel(text, kEntryLanguage, "Language"), this), 643);
  languages_ = numberedControl(new QComboBox(language), 651);
  const std::vector<std::string> entries = languageListEntries(languageFolders);
  for (const std::string& entry : entries) languages_->addItem(QString::fromStdString(entry));
  languages_->setCurrentIndex(languageListSelection(entries, s.language));
  connect(languages_, &QComboBox::activated, this, &OperationPage::chooseListedLanguage);
  auto* languageLayout = new QVBoxLayout(language);
  languageLayout->addWidget(languages_);
  languageLayout->addWidget(
      numberedControl(new QLabel(tableLabel(text, kEntryLanguageNote, "Language appears after program restart"), language),
               665));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(navigation);
  layout->addWidget(mouse);
  layout->addWidget(language);
  layout->addStretch(1);
}

void OperationPage::storeSteps() {
  Settings& s = session_.settings;
  s.frameskiplo = smallStepFrom(typedStep(smallStep_->text().toStdString()));
  s.frameskiphi = largeStepFrom(typedStep(largeStep_->text().toStdString()));
  smallStep_->setText(QString::number(s.frameskiplo));
  largeStep_->setText(QString::number(s.frameskiphi));
}

void OperationPage::chooseListedLanguage(int index) {
  if (index < 0) return;
  chooseLanguage(session_.settings, languages_->itemText(index).toStdString());
  const MessageAnswer answer = host_.messageBox(uiText(session_.text, ui::kMsgRestartProgram), "Quillane",
                                                MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes);
  if (answer == MessageAnswer::Yes) emit restartRequested();
}

void OperationPage::showMouseMethod() {
  beginEndMethod_->setChecked(session_.settings.mouse_method == 0);
  dragMethod_->setChecked(session_.settings.mouse_method == 1);
}

}  // namespace quillane
