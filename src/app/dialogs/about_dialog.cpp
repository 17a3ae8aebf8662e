#include "app/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "settings/about_text.h"
#include "settings/settings_location.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr int kEntryOk = 240;
constexpr int kTextColumns = 80;
constexpr int kTextLines = 22;

QString shownText(const std::string& bytes) {
  return QString::fromStdString(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

AboutDialog::AboutDialog(Session& session, ShellHost& host, const std::filesystem::path& dataFolder, QWidget* parent)
    : QDialog(parent), session_(session), host_(host), dataFolder_(dataFolder) {
  setObjectName(QStringLiteral("dialog401"));
  setWindowTitle(QStringLiteral("Quillane - Lossless cutting and recording MP3"));

  text_ = numberedControl(new QPlainTextEdit(this), 661);
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics metrics(text_->font());
  text_->setMinimumSize(metrics.horizontalAdvance(QString(kTextColumns, QLatin1Char('m'))),
                        metrics.lineSpacing() * kTextLines);
  text_->setPlainText(shownText(aboutText(session.text)));

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = numberedControl(buttons->addButton(tableLabel(session.text, kEntryOk, "&OK"), QDialogButtonBox::AcceptRole), 611);
  auto* news = numberedControl(buttons->addButton(tableLabel(session.text, ui::kAboutWhatsNew, "What's New"),
                                                 QDialogButtonBox::ActionRole),
                               601);
  auto* licence = numberedControl(buttons->addButton(tableLabel(session.text, ui::kAboutLicense, "License"),
                                                    QDialogButtonBox::ActionRole),
                                  602);
  auto* homepage = numberedControl(buttons->addButton(tableLabel(session.text, ui::kAboutHomepage, "Homepage"),
                                                     QDialogButtonBox::ActionRole),
                                   603);
  for (QPushButton* button : {news, licence, homepage}) button->setAutoDefault(false);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(news, &QPushButton::clicked, this, [this] { showDocument(kChangeHistoryFileName, kChangeHistoryShown); });
  connect(licence, &QPushButton::clicked, this, [this] { showDocument(kLicenceFileName, kLicenceShown); });
  // The program has no web page yet: its Manual stands in for it.
  connect(homepage, &QPushButton::clicked, this, [this] {
    const std::filesystem::path manual = dataFolder_ / kManualFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(manual, ec) || !host_.openDocument(manual.string()))
      text_->appendPlainText(QStringLiteral("\n  %1: the Manual could not be opened.").arg(QString::fromStdString(manual.string())));
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  text_->setFocus();
}

void AboutDialog::showDocument(const char* fileName, size_t limit) {
  const std::filesystem::path file = dataFolder_ / fileName;
  if (const std::optional<std::string> bytes = readFileStart(file, limit)) {
    text_->setPlainText(shownText(*bytes));
    return;
  }
  text_->appendPlainText(QStringLiteral("\n  %1: the file is missing or can't be read.").arg(QString::fromStdString(file.string())));
}

int runAboutDialog(Session& session, ShellHost& host, QWidget* parent) {
  AboutDialog dialog(session, host, programDataFolder(), parent);
  dialog.exec();
  // The close box counts as "OK".
  return 0;
}

}  // namespace quillane
