#include "app/dialogs/configuration_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/config_devices_page.h"
#include "app/dialogs/config_encoder_page.h"
#include "app/dialogs/config_operation_page.h"
#include "app/dialogs/numbered_control.h"
#include "app/main_window.h"
#include "settings/settings_location.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr int kEntryTitle = 248;

}  // namespace

ConfigurationDialog::ConfigurationDialog(Session& session, ShellHost& host,
                                         const std::vector<std::filesystem::path>& languageFolders,
                                         ColourChooser chooser, QWidget* parent, EncoderServices encoders)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("dialog300"));
  const UiText& text = session.text;
  const std::string& title = uiText(text, kEntryTitle);
  setWindowTitle(QStringLiteral("Quillane - %1")
                     .arg(title.empty() ? QStringLiteral("Configuration") : QString::fromStdString(title)));

  tabs_ = numberedControl(new QTabWidget(this), 301);
  operation_ = new OperationPage(session, host, languageFolders, tabs_);
  tabs_->addTab(new DevicesPage(session, tabs_), tableText(text, ui::kCfgTabDevices));
  tabs_->addTab(new EncoderPage(session, host, std::move(encoders), tabs_), tableText(text, ui::kCfgTabEncoder));
  tabs_->addTab(operation_, tableText(text, ui::kCfgTabOperation));
  tabs_->addTab(new MiscPage(session, host, std::move(chooser), tabs_), tableText(text, ui::kCfgTabMisc));
  tabs_->setCurrentIndex(session.configTab < tabs_->count() ? session.configTab : kDevicesTab);
  previousTab_ = tabs_->currentIndex();
  // Leaving the "Operation" page stores its two steps, as closing does.
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    if (previousTab_ == kOperationTab) operation_->storeSteps();
    previousTab_ = tab;
  });
  connect(operation_, &OperationPage::restartRequested, this, [this] {
    restartRequested_ = true;
    accept();
  });

  auto* buttons = new QDialogButtonBox(this);
  auto* close = numberedControl(buttons->addButton(tableText(text, ui::kDlgClose), QDialogButtonBox::AcceptRole), 613);
  close->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buttons);
}

void ConfigurationDialog::done(int result) {
  operation_->storeSteps();
  session_.configTab = static_cast<uint8_t>(tabs_->currentIndex());
  QDialog::done(result);
}

int runConfigurationDialog(Session& session, ShellHost& host, QWidget* parent) {
  ConfigurationDialog dialog(session, host, languageFolders(programDataFolder(), session.settingsFile),
                             chooseColourWithDialog, parent);
  dialog.exec();
  // The window restarts the program once the command that opened the dialog
  // has ended.
  if (auto* window = qobject_cast<MainWindow*>(parent); window && dialog.restartRequested())
    QTimer::singleShot(0, window, &MainWindow::restartProgram);
  return 0;
}

}  // namespace quillane
