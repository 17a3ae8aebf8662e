#include "app/dialogs/file_info_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

// Text entries of the dialog's labels (set only by a language file).
constexpr int kEntryOk = 240;
constexpr int kEntryInformation = 260;  // the title and the "File information" box
constexpr int kEntryUseTag = 261;
constexpr int kEntryNamesFromCue = 262;
constexpr int kEntryTitle = 263;
constexpr int kEntryArtist = 264;
constexpr int kEntryAlbum = 265;
constexpr int kEntryYear = 266;
constexpr int kEntryComment = 267;
constexpr int kEntryTrack = 271;
constexpr int kEntryGenre = 272;
constexpr int kEntryFileHeader = 274;
constexpr int kEntryKeepId3v2 = 288;
constexpr int kEntryWriteXing = 289;

constexpr int kFactsPeriodMs = 200;
constexpr int kTrackDigits = 2;
constexpr int kGenreDigits = 3;

QLineEdit* fieldEdit(int controlId, int maxLength, QWidget* parent) {
  auto* edit = numberedControl(new QLineEdit(parent), controlId);
  edit->setMaxLength(maxLength);
  return edit;
}

QLineEdit* digitsEdit(int controlId, int digits, QWidget* parent) {
  QLineEdit* edit = fieldEdit(controlId, digits, parent);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(digits + 3, QLatin1Char('0'))));
  return edit;
}

std::string utf8(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

FileInfoDialog::FileInfoDialog(Session& session, ShellHost&, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("dialog402"));
  setWindowTitle(tableLabel(session.text, kEntryInformation, "File info"));

  auto* columns = new QHBoxLayout;
  columns->addWidget(buildTagBox(), 1);
  auto* right = new QVBoxLayout;
  right->addWidget(buildHeaderBox(), 1);
  right->addWidget(buildFactsBox());
  columns->addLayout(right, 1);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = numberedControl(buttons->addButton(tableLabel(session.text, kEntryOk, "&OK"), QDialogButtonBox::AcceptRole), 611);
  numberedControl(buttons->addButton(tableText(session.text, ui::kDlgCancel), QDialogButtonBox::RejectRole), 612);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(buttons);

  // What the dialog opens with: the leading data, the tag, the facts and their timer.
  leadingData_->setPlainText(QString::fromStdString(leadingDataText(session_)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  const FileInfoTagView view = openFileInfoTag(session_);
  useTag_->setChecked(view.useTag);
  if (view.tagPresent) showFields(view.fields);
  enableTagFields();
  factsTimer_ = new QTimer(this);
  factsTimer_->setObjectName(QStringLiteral("timer4567"));
  connect(factsTimer_, &QTimer::timeout, this, &FileInfoDialog::showFacts);
  showFacts();
  factsTimer_->start(kFactsPeriodMs);
}

QWidget* FileInfoDialog::buildTagBox() {
  const UiText& text = session_.text;
  auto* box = numberedControl(new QGroupBox(QStringLiteral("ID3v1"), this), 641);
  useTag_ = numberedControl(new QCheckBox(tableLabel(text, kEntryUseTag, "Use ID3v&1 Tag"), box), 621);
  connect(useTag_, &QCheckBox::toggled, this, &FileInfoDialog::enableTagFields);
  namesFromCue_ = numberedControl(new QPushButton(tableLabel(text, kEntryNamesFromCue, "Get names from current cue"), box), 601);
  namesFromCue_->setAutoDefault(false);
  connect(namesFromCue_, &QPushButton::clicked, this, [this] {
    Id3v1Fields shown = fields();
    if (namesFromCurrentCue(session_.edits, shown)) showFields(shown);
  });

  title_ = fieldEdit(681, kId3v1TextWidth, box);
  artist_ = fieldEdit(682, kId3v1TextWidth, box);
  album_ = fieldEdit(683, kId3v1TextWidth, box);
  year_ = digitsEdit(684, kId3v1YearWidth, box);
  track_ = digitsEdit(685, kTrackDigits, box);
  genre_ = digitsEdit(674, kGenreDigits, box);
  comment_ = fieldEdit(686, kId3v1TextWidth, box);

  auto* grid = new QGridLayout;
  const auto addRow = [&](int row, int labelId, int entry, const char* ownText, QWidget* field) {
    auto* label = numberedControl(new QLabel(tableLabel(text, entry, ownText), box), labelId);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1, 1, 5);
  };
  addRow(0, 661, kEntryTitle, "Title", title_);
  addRow(1, 662, kEntryArtist, "Artist", artist_);
  addRow(2, 663, kEntryAlbum, "Album", album_);
  // Year, track and genre share a row.
  grid->addWidget(numberedControl(new QLabel(tableLabel(text, kEntryYear, "Year"), box), 664), 3, 0);
  grid->addWidget(year_, 3, 1);
  grid->addWidget(numberedControl(new QLabel(tableLabel(text, kEntryTrack, "Track #"), box), 667), 3, 2, Qt::AlignRight);
  grid->addWidget(track_, 3, 3);
  grid->addWidget(numberedControl(new QLabel(tableLabel(text, kEntryGenre, "Genre"), box), 668), 3, 4, Qt::AlignRight);
  grid->addWidget(genre_, 3, 5);
  addRow(4, 665, kEntryComment, "Comment", comment_);
  grid->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(box);
  layout->addWidget(useTag_);
  layout->addWidget(namesFromCue_, 0, Qt::AlignLeft);
  layout->addLayout(grid);
  layout->addStretch(1);
  return box;
}

QWidget* FileInfoDialog::buildHeaderBox() {
  const UiText& text = session_.text;
  auto* box = numberedControl(new QGroupBox(tableLabel(text, kEntryFileHeader, "File header"), this), 642);
  leadingData_ = numberedControl(new QPlainTextEdit(box), 673);
  leadingData_->setReadOnly(true);
  leadingData_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  leadingData_->setMinimumHeight(leadingData_->fontMetrics().lineSpacing() * 5);
  writeXing_ = numberedControl(
      new QCheckBox(tableLabel(text, kEntryWriteXing, "Write Xing header on saving VBR files if possible (recommended)"),
                    box),
      622);
  writeXing_->setChecked(session_.settings.write_xing != 0);
  connect(writeXing_, &QCheckBox::toggled, this, [this](bool on) { session_.settings.write_xing = on ? 1 : 0; });
  keepId3v2_ = numberedControl(new QCheckBox(tableLabel(text, kEntryKeepId3v2, "Keep ID3v2 tag"), box), 623);
  keepId3v2_->setChecked(session_.settings.keep_id3v2 != 0);

  auto* layout = new QVBoxLayout(box);
  layout->addWidget(leadingData_, 1);
  layout->addWidget(writeXing_);
  layout->addWidget(keepId3v2_);
  return box;
}

QWidget* FileInfoDialog::buildFactsBox() {
  const UiText& text = session_.text;
  auto* box = numberedControl(new QGroupBox(tableLabel(text, kEntryInformation, "File information"), this), 643);
  auto* labels = numberedControl(new QLabel(tableText(text, ui::kFileInfoLabels), box), 671);
  facts_ = numberedControl(new QLabel(box), 672);
  facts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QHBoxLayout(box);
  layout->addWidget(labels, 0, Qt::AlignTop);
  layout->addWidget(facts_, 1, Qt::AlignTop);
  return box;
}

void FileInfoDialog::showFields(const Id3v1Fields& shown) {
  title_->setText(QString::fromStdString(shown.title));
  artist_->setText(QString::fromStdString(shown.artist));
  album_->setText(QString::fromStdString(shown.album));
  year_->setText(QString::fromStdString(shown.year));
  track_->setText(shown.track > 0 ? QString::number(shown.track) : QString());
  genre_->setText(QString::number(shown.genre));
  comment_->setText(QString::fromStdString(shown.comment));
}

Id3v1Fields FileInfoDialog::fields() const {
  Id3v1Fields read;
  read.title = utf8(title_);
  read.artist = utf8(artist_);
  read.album = utf8(album_);
  read.year = utf8(year_);
  read.comment = utf8(comment_);
  read.track = track_->text().toInt();
  read.genre = genre_->text().isEmpty() ? kId3v1NoGenre : genre_->text().toInt();
  return read;
}

void FileInfoDialog::enableTagFields() {
  const bool on = useTag_->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(namesFromCue_), static_cast<QWidget*>(title_),
                           static_cast<QWidget*>(artist_), static_cast<QWidget*>(album_), static_cast<QWidget*>(year_),
                           static_cast<QWidget*>(track_), static_cast<QWidget*>(genre_), static_cast<QWidget*>(comment_)})
    control->setEnabled(on);
}

void FileInfoDialog::showFacts() {
  facts_->setText(QString::fromStdString(fileFactsText(session_)));
  if (!session_.playing) factsTimer_->stop();
}

void FileInfoDialog::accept() {
  applyFileInfoTag(session_, useTag_->isChecked(), keepId3v2_->isChecked(), fields());
  QDialog::accept();
}

void FileInfoDialog::done(int result) {
  factsTimer_->stop();
  QDialog::done(result);
}

int runFileInfoDialog(Session& session, ShellHost& host, QWidget* parent) {
  FileInfoDialog dialog(session, host, parent);
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

}  // namespace quillane
