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
#include <array>

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
constexpr int kEntryId3v2Problem = 302;

constexpr int kFactsPeriodMs = 200;
constexpr int kTrackDigits = 2;
constexpr int kGenreDigits = 3;
// How the ID3v2 box shares the width of its year, track and genre row.
constexpr int kYearStretch = 2;
constexpr int kTrackStretch = 2;
constexpr int kGenreStretch = 3;

// The labels of a tag's fields, in the order of tagFieldGrid.
struct FieldLabel {
  int entry;
  const char* ownText;
};
constexpr std::array<FieldLabel, 7> kFieldLabels = {{{kEntryTitle, "Title"},
                                                    {kEntryArtist, "Artist"},
                                                    {kEntryAlbum, "Album"},
                                                    {kEntryYear, "Year"},
                                                    {kEntryTrack, "Track #"},
                                                    {kEntryGenre, "Genre"},
                                                    {kEntryComment, "Comment"}}};
constexpr std::array<int, 7> kId3v1LabelIds = {661, 662, 663, 664, 667, 668, 665};
constexpr std::array<int, 7> kId3v2LabelIds = {691, 692, 693, 694, 695, 696, 697};
constexpr int kFirstId3v2Edit = 701;

QLineEdit* fieldEdit(int controlId, int maxLength, QWidget* parent) {
  auto* edit = numberedControl(new QLineEdit(parent), controlId);
  edit->setMaxLength(maxLength);
  return edit;
}

// An edit at least wide enough for `sample` (and the edit's own margins).
void fitText(QLineEdit* edit, const QString& sample) {
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(sample + QStringLiteral("00")));
}

QLineEdit* digitsEdit(int controlId, int digits, QWidget* parent) {
  QLineEdit* edit = fieldEdit(controlId, digits, parent);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(digits + 3, QLatin1Char('0'))));
  return edit;
}

std::string utf8(const QLineEdit* edit) { return edit->text().toStdString(); }

// The ID3v2 fields in the order of the dialog's edits (and of tagFieldGrid).
template <class Fields>
auto inEditOrder(Fields& f) {
  return std::array{&f.title, &f.artist, &f.album, &f.year, &f.track, &f.genre, &f.comment};
}

}  // namespace

FileInfoDialog::FileInfoDialog(Session& session, ShellHost&, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("dialog402"));
  setWindowTitle(tableLabel(session.text, kEntryInformation, "File info"));

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(buildTagBox());
  left->addWidget(buildId3v2Box(), 1);
  columns->addLayout(left, 1);
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
  showId3v2(openFileInfoId3v2(session_));
  connect(keepId3v2_, &QCheckBox::toggled, this, &FileInfoDialog::enableId3v2Fields);
  factsTimer_ = new QTimer(this);
  factsTimer_->setObjectName(QStringLiteral("timer4567"));
  connect(factsTimer_, &QTimer::timeout, this, &FileInfoDialog::showFacts);
  showFacts();
  factsTimer_->start(kFactsPeriodMs);
}

QGridLayout* FileInfoDialog::tagFieldGrid(QWidget* box, const std::array<QLineEdit*, 7>& edits,
                                          const std::array<int, 7>& labelIds) {
  auto* grid = new QGridLayout;
  const auto label = [&](size_t field) {
    const FieldLabel& text = kFieldLabels[field];
    auto* shown = numberedControl(new QLabel(tableLabel(session_.text, text.entry, text.ownText), box), labelIds[field]);
    shown->setBuddy(edits[field]);
    return shown;
  };
  const auto wholeRow = [&](int row, size_t field) {
    grid->addWidget(label(field), row, 0);
    grid->addWidget(edits[field], row, 1, 1, 5);
  };
  wholeRow(0, 0);
  wholeRow(1, 1);
  wholeRow(2, 2);
  // Year, track and genre share a row.
  grid->addWidget(label(3), 3, 0);
  grid->addWidget(edits[3], 3, 1);
  grid->addWidget(label(4), 3, 2, Qt::AlignRight);
  grid->addWidget(edits[4], 3, 3);
  grid->addWidget(label(5), 3, 4, Qt::AlignRight);
  grid->addWidget(edits[5], 3, 5);
  wholeRow(4, 6);
  return grid;
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

  QGridLayout* grid = tagFieldGrid(box, {title_, artist_, album_, year_, track_, genre_, comment_}, kId3v1LabelIds);
  grid->setColumnStretch(1, 1);
  // The narrow edits leave the room of their row to the labels beside them, so
  // that the first column stays as wide as in the ID3v2 box below.
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(4, 1);

  auto* layout = new QVBoxLayout(box);
  layout->addWidget(useTag_);
  layout->addWidget(namesFromCue_, 0, Qt::AlignLeft);
  layout->addLayout(grid);
  layout->addStretch(1);
  return box;
}

QWidget* FileInfoDialog::buildId3v2Box() {
  auto* box = numberedControl(new QGroupBox(QStringLiteral("ID3v2"), this), 644);
  id3v2Problem_ = numberedControl(new QLabel(box), 699);
  id3v2Problem_->setWordWrap(true);
  id3v2Problem_->hide();
  for (size_t field = 0; field < id3v2Edits_.size(); ++field)
    id3v2Edits_[field] = numberedControl(new QLineEdit(box), kFirstId3v2Edit + static_cast<int>(field));
  // Year and track hold a few characters, the genre a name.
  fitText(id3v2Edits_[3], QStringLiteral("2024-05-01"));
  fitText(id3v2Edits_[4], QStringLiteral("12/15"));
  fitText(id3v2Edits_[5], QStringLiteral("Classic Rock"));
  QGridLayout* grid = tagFieldGrid(box, id3v2Edits_, kId3v2LabelIds);
  grid->setColumnStretch(1, kYearStretch);
  grid->setColumnStretch(3, kTrackStretch);
  grid->setColumnStretch(5, kGenreStretch);

  auto* layout = new QVBoxLayout(box);
  layout->addWidget(id3v2Problem_);
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

Id3v2MainFields FileInfoDialog::id3v2Fields() const {
  Id3v2MainFields read;
  const auto fields = inEditOrder(read);
  for (size_t field = 0; field < fields.size(); ++field) *fields[field] = utf8(id3v2Edits_[field]);
  return read;
}

void FileInfoDialog::showId3v2(const Id3v2Reading& reading) {
  const auto fields = inEditOrder(reading.fields);
  for (size_t field = 0; field < fields.size(); ++field)
    id3v2Edits_[field]->setText(QString::fromStdString(*fields[field]));
  id3v2Editable_ = reading.problem.empty();
  if (!id3v2Editable_) {
    id3v2Problem_->setText(
        tableLabel(session_.text, kEntryId3v2Problem, "This ID3v2 tag cannot be edited; a save keeps it as it is") +
        QStringLiteral(" (") + QString::fromStdString(reading.problem) + QStringLiteral(")."));
    id3v2Problem_->show();
  }
  enableId3v2Fields();
}

// The ID3v2 fields reach a file only while "Keep ID3v2 tag" is checked.
void FileInfoDialog::enableId3v2Fields() {
  const bool on = id3v2Editable_ && keepId3v2_->isChecked();
  for (QLineEdit* edit : id3v2Edits_) edit->setEnabled(on);
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
  applyFileInfoId3v2(session_, id3v2Fields());
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
