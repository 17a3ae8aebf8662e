#include "app/dialogs/config_encoder_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/mp3_compression_dialog.h"
#include "app/dialogs/numbered_control.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr int kEntryHighQuality = 209;
constexpr int kEntryPath = 212;
constexpr int kEntryAddDate = 213;
constexpr int kEntryAppend = 214;

constexpr int kAbrDigits = 3;
// Characters of a recording's path that the path button shows at least.
constexpr int kPathButtonChars = 24;

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

EncoderProbes probeEncoders(const EncoderServices& encoders, const Settings& settings) {
  EncoderProbes probes;
  const LameVersion lame = encoders.lame();
  probes.lameFound = lame.available;
  probes.lameVersion = lame.version;
  probes.lameEngineMajor = lame.engineMajor;
  probes.lameEngineMinor = lame.engineMinor;
  probes.lameSimd = lame.simd;
  probes.systemEncoder = encoders.systemName();
  probes.systemAcceptsFormat =
      !probes.systemEncoder.empty() && encoders.systemAccepts(systemFormatFromSettings(settings));
  return probes;
}

// A frame of the page: its controls are laid out inside it.
QGroupBox* frame(int controlId, const QString& title, QWidget* parent) {
  return numberedControl(new QGroupBox(title, parent), controlId);
}

}  // namespace

// A button that shows a path, shortened in the middle to the button's width
// (the whole path in its tooltip), so that a long path does not widen the page.
class PathButton : public QPushButton {
 public:
  explicit PathButton(QWidget* parent) : QPushButton(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(fontMetrics().averageCharWidth() * kPathButtonChars);
  }
  void setPath(const QString& path) {
    path_ = path;
    setToolTip(path);
    showPath();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QPushButton::resizeEvent(event);
    showPath();
  }

 private:
  void showPath() {
    // The text has the button's width less what the style puts around a text.
    QStyleOptionButton option;
    initStyleOption(&option);
    constexpr int kWide = 1000;
    const QSize around = style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(kWide, 0), this);
    const int room = width() - (around.width() - kWide);
    setText(fontMetrics().elidedText(path_, Qt::ElideMiddle, std::max(0, room)));
  }
  QString path_;
};

EncoderPage::EncoderPage(Session& session, Host& host, EncoderServices encoders, QWidget* parent)
    : QWidget(parent), session_(session), host_(host), encoders_(std::move(encoders)) {
  setObjectName(QStringLiteral("page312"));
  const UiText& text = session.text;
  Settings& s = session.settings;

  probes_ = probeEncoders(encoders_, s);
  applyEncoderProbes(s, probes_);
  const std::string& use = uiText(text, ui::kCfgUse);
  const std::string& notFound = uiText(text, ui::kCfgNotFound);

  // LAME: the switch, the seven lists and the ABR rate.
  auto* lame = frame(641, QString(), this);
  lameSwitch_ = numberedControl(new QCheckBox(fromUtf8(lameSwitchText(probes_, use, notFound)), lame), 601);
  for (int list = 0; list < kEncoderListCount; ++list)
    lists_[list] = numberedControl(new QComboBox(lame), kFirstEncoderListId + list);
  abr_ = numberedControl(new QLineEdit(lame), 681);
  abr_->setMaxLength(kAbrDigits);
  abr_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), abr_));
  abr_->setMaximumWidth(abr_->fontMetrics().horizontalAdvance(QString(kAbrDigits + 3, QLatin1Char('0'))));
  auto* abrLabel = numberedControl(new QLabel(QStringLiteral("ABR (kbps)"), lame), 661);
  abrLabel->setBuddy(abr_);
  auto* abrRow = new QHBoxLayout;
  abrRow->addWidget(abrLabel);
  abrRow->addWidget(abr_);
  abrRow->addStretch(1);
  auto* lameLayout = new QGridLayout(lame);
  lameLayout->addWidget(lameSwitch_, 0, 0, 1, 2);
  // Rates, mode and quality on the left; what VBR needs on the right.
  const EncoderList left[] = {kLameBitrate, kLameSampleRate, kLameMode, kLameQuality};
  const EncoderList right[] = {kLameMaxBitrate, kLameVbrMethod, kLameVbrQuality};
  for (int row = 0; row < 4; ++row) lameLayout->addWidget(lists_[left[row]], row + 1, 0);
  for (int row = 0; row < 3; ++row) lameLayout->addWidget(lists_[right[row]], row + 1, 1);
  lameLayout->addLayout(abrRow, 4, 1);

  // The system's codec: the switch, the format and the quality.
  auto* system = frame(642, QString(), this);
  systemSwitch_ = numberedControl(new QCheckBox(fromUtf8(systemSwitchText(probes_, use, notFound)), system), 602);
  systemFormat_ = numberedControl(new QPushButton(system), 603);
  // As wide as the widest format, so that choosing one does not move the page.
  systemFormat_->setText(fromUtf8(systemFormatText(320000, 48000, 2)));
  systemFormat_->setMinimumWidth(systemFormat_->sizeHint().width() + systemFormat_->fontMetrics().averageCharWidth() * 2);
  systemHighQuality_ =
      numberedControl(new QCheckBox(tableLabel(text, kEntryHighQuality, "High quality"), system), 621);
  auto* systemLayout = new QGridLayout(system);
  systemLayout->addWidget(systemSwitch_, 0, 0, 1, 3);
  systemLayout->addWidget(systemFormat_, 1, 0);
  systemLayout->addWidget(systemHighQuality_, 1, 1);
  systemLayout->setColumnStretch(2, 1);

  // Where recordings go.
  auto* path = frame(643, tableLabel(text, kEntryPath, "Encoding path and base filename"), this);
  baseName_ = numberedControl(new PathButton(path), 604);
  addDate_ = numberedControl(new QCheckBox(tableLabel(text, kEntryAddDate, "Add date+time"), path), 623);
  append_ = numberedControl(new QCheckBox(tableLabel(text, kEntryAppend, "Append"), path), 624);
  auto* options = new QHBoxLayout;
  options->addWidget(addDate_);
  options->addWidget(append_);
  options->addStretch(1);
  auto* pathLayout = new QVBoxLayout(path);
  pathLayout->addWidget(baseName_);
  pathLayout->addLayout(options);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lame);
  layout->addWidget(system);
  layout->addWidget(path);
  layout->addStretch(1);

  const auto recording = [this] { return session_.recordInitialised; };
  connect(lameSwitch_, &QCheckBox::clicked, this, [this, &s, recording] {
    chooseEncoder(s, kEncoderLame, recording());
    refresh();
  });
  connect(systemSwitch_, &QCheckBox::clicked, this, [this, &s, recording] {
    chooseEncoder(s, kEncoderSystem, recording());
    refresh();
  });
  connect(systemFormat_, &QPushButton::clicked, this, &EncoderPage::chooseSystemFormat);
  connect(baseName_, &QPushButton::clicked, this, &EncoderPage::chooseBaseName);
  connect(systemHighQuality_, &QCheckBox::clicked, this, [this, &s](bool on) {
    s.enc_acm_highquality = on ? 1 : 0;
    refresh();
  });
  connect(addDate_, &QCheckBox::clicked, this, [this, &s] {
    toggleAddDate(s);
    refresh();
  });
  connect(append_, &QCheckBox::clicked, this, [this, &s] {
    toggleAppend(s);
    refresh();
  });
  for (int list = 0; list < kEncoderListCount; ++list)
    connect(lists_[list], &QComboBox::activated, this,
            [this, list](int index) { chooseListEntry(static_cast<EncoderList>(list), index); });
  // The typed rate is stored held within its limits; the box keeps what was typed.
  connect(abr_, &QLineEdit::textEdited, this,
          [&s](const QString& typed) { s.enc_lam_abr_bitrate = abrFromTyped(typed.toStdString()); });
  refresh();
}

void EncoderPage::refresh() {
  Settings& s = session_.settings;
  normaliseEncoderSettings(s);
  const EncoderLists lists = encoderListsFill(s);
  const EncoderSelections selected = encoderListSelections(s, lists);
  for (int list = 0; list < kEncoderListCount; ++list) {
    QComboBox* box = lists_[list];
    const QSignalBlocker blocker(box);
    // Filled again when the entries changed: the bit rates follow the sample
    // rate, their " (min)" the VBR method.
    QStringList entries;
    for (const std::string& entry : lists[list]) entries << fromUtf8(entry);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
    if (shown != entries) {
      box->clear();
      box->addItems(entries);
    }
    box->setCurrentIndex(selected[list]);
  }
  abr_->setText(QString::number(s.enc_lam_abr_bitrate));
  systemFormat_->setText(fromUtf8(systemFormatText(s.enc_acm_bitrate, s.enc_acm_samplerate, s.enc_acm_channels)));
  baseName_->setPath(QString::fromLocal8Bit(s.file_savepath.c_str()));
  for (QCheckBox* box : {lameSwitch_, systemSwitch_, systemHighQuality_, addDate_, append_}) box->blockSignals(true);
  lameSwitch_->setChecked(s.enc_type == kEncoderLame);
  systemSwitch_->setChecked(s.enc_type == kEncoderSystem);
  systemHighQuality_->setChecked(s.enc_acm_highquality != 0);
  addDate_->setChecked(s.rec_adddate != 0);
  append_->setChecked(s.rec_appenddata != 0);
  for (QCheckBox* box : {lameSwitch_, systemSwitch_, systemHighQuality_, addDate_, append_}) box->blockSignals(false);

  const EncoderControls on = encoderControls(s, session_.recordInitialised, probes_);
  lameSwitch_->setEnabled(on.lameSwitch);
  systemSwitch_->setEnabled(on.systemSwitch);
  systemFormat_->setEnabled(on.systemFormat);
  baseName_->setEnabled(on.baseName);
  systemHighQuality_->setEnabled(on.systemHighQuality);
  addDate_->setEnabled(on.addDate);
  append_->setEnabled(on.append);
  for (int list = 0; list < kEncoderListCount; ++list) lists_[list]->setEnabled(on.lists[list]);
  abr_->setEnabled(on.abr);
}

void EncoderPage::chooseListEntry(EncoderList list, int index) {
  if (session_.recordInitialised) return;
  chooseEncoderListEntry(session_.settings, list, index);
  refresh();
}

void EncoderPage::chooseSystemFormat() {
  Settings& s = session_.settings;
  const std::vector<SystemEncoderFormat> formats = encoders_.systemFormats();
  if (formats.empty()) {
    host_.beep();  // the encoder offers no format to choose from
    return;
  }
  if (const auto chosen = chooseMp3Compression(session_.text, formats, systemFormatFromSettings(s), this)) {
    s.enc_acm_samplerate = static_cast<int32_t>(chosen->sampleRate);
    s.enc_acm_bitrate = static_cast<int32_t>(chosen->bitrate);
    s.enc_acm_channels = chosen->channels;
    s.enc_acm_blocksize = chosen->blockSize;
  }
  refresh();
}

void EncoderPage::chooseBaseName() {
  Settings& s = session_.settings;
  FileDialogRequest request;
  request.title = uiText(session_.text, ui::kTitleRecordBaseName);
  request.filters = {{"MP3 files (*.mp3)", "*.mp3"}};
  request.initialPath = s.file_savepath + ".mp3";
  // A name typed without ".mp3" gets it, so that cutting the extension off
  // leaves the name as typed.
  request.extensionFromType = true;
  std::string chosen;
  if (host_.saveFileDialog(request, chosen)) s.file_savepath = recordBaseName(chosen);
  refresh();
}

}  // namespace quillane
