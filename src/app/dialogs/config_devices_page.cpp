#include "app/dialogs/config_devices_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "app/dialogs/numbered_control.h"
#include "settings/configuration_rules.h"

namespace quillane {
namespace {

constexpr int kEntryDecoder = 200;
constexpr int kEntryOutput = 202;
constexpr int kEntryBufferMax = 203;
constexpr int kEntryBufferFrames = 204;
constexpr int kEntryInput = 210;
constexpr int kEntryPeakBeep = 211;

// A device list: "System default" and the devices' names, or the one entry
// `none` when the system reports no device.
void fillDevices(QComboBox* list, const std::vector<std::string>& devices, const char* none, int selected) {
  const QSignalBlocker blocker(list);
  list->clear();
  if (devices.empty()) {
    list->addItem(QString::fromUtf8(none));
    return;
  }
  list->addItem(QStringLiteral("System default"));
  for (const std::string& device : devices) list->addItem(QString::fromStdString(device));
  list->setCurrentIndex(selected < list->count() ? selected : -1);
}

QSlider* bufferSlider(int controlId, int lowest, int highest, QWidget* parent) {
  auto* slider = numberedControl(new QSlider(Qt::Horizontal, parent), controlId);
  slider->setRange(lowest, highest);
  slider->setSingleStep(1);
  slider->setPageStep(1);
  slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

QGroupBox* listBox(QComboBox* list, int boxId, const QString& title, QWidget* parent) {
  auto* box = numberedControl(new QGroupBox(title, parent), boxId);
  list->setParent(box);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(list);
  return box;
}

}  // namespace

DevicesPage::DevicesPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("page311"));
  const UiText& text = session.text;

  auto* decoder = numberedControl(new QGroupBox(tableLabel(text, kEntryDecoder, "MPEG Decoder"), this), 641);
  systemDecoder_ = numberedControl(new QRadioButton(QStringLiteral("System (&FFmpeg)"), decoder), 601);
  mpg123Decoder_ = numberedControl(new QRadioButton(QStringLiteral("lib&mpg123"), decoder), 602);
  auto* decoderLayout = new QHBoxLayout(decoder);
  decoderLayout->addWidget(systemDecoder_);
  decoderLayout->addWidget(mpg123Decoder_);
  decoderLayout->addStretch(1);

  outputs_ = numberedControl(new QComboBox, 651);
  inputs_ = numberedControl(new QComboBox, 652);
  // Listing the devices loads the sound module when nothing has yet.
  const OutputDevice* output = session.playback.output;
  const InputDevice* input = session.recording.input;
  fillDevices(outputs_, output ? output->outputNames() : std::vector<std::string>{}, "No output devices!",
              session.settings.device_out);
  fillDevices(inputs_, input ? input->inputNames() : std::vector<std::string>{}, "No input devices!",
              session.settings.device_in);

  bufferMax_ = bufferSlider(631, kBufferMaxLowest, kBufferMaxHighest, this);
  bufferFrames_ = bufferSlider(632, kBufferFramesLowest, kBufferFramesHighest, this);
  bufferMaxText_ = numberedControl(new QLabel(this), 671);
  bufferFramesText_ = numberedControl(new QLabel(this), 672);
  // Wide enough for the longest value, so that the sliders keep their length.
  for (QLabel* value : {bufferMaxText_, bufferFramesText_})
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral(" 8 frame(s) ")));
  auto* sliders = new QGridLayout;
  sliders->addWidget(numberedControl(new QLabel(tableLabel(text, kEntryBufferMax, "Maximum wave buffer size"), this), 662), 0, 0);
  sliders->addWidget(bufferMax_, 0, 1);
  sliders->addWidget(bufferMaxText_, 0, 2);
  sliders->addWidget(
      numberedControl(new QLabel(tableLabel(text, kEntryBufferFrames, "Max frames/buffer (fast...reliable)"), this), 663), 1, 0);
  sliders->addWidget(bufferFrames_, 1, 1);
  sliders->addWidget(bufferFramesText_, 1, 2);
  sliders->setColumnStretch(1, 1);

  peakBeep_ = numberedControl(new QCheckBox(tableLabel(text, kEntryPeakBeep, "Beep on reaching peak (Asterisk)"), this), 621);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(decoder);
  layout->addWidget(listBox(outputs_, 642, tableLabel(text, kEntryOutput, "Output device"), this));
  layout->addWidget(listBox(inputs_, 643, tableLabel(text, kEntryInput, "Input device"), this));
  layout->addLayout(sliders);
  layout->addWidget(peakBeep_);
  layout->addStretch(1);

  Settings& s = session.settings;
  connect(systemDecoder_, &QRadioButton::clicked, this, [this, &s] {
    if (!session_.playing) s.use_mpglib = 0;
    refresh();
  });
  connect(mpg123Decoder_, &QRadioButton::clicked, this, [this, &s] {
    if (!session_.playing) s.use_mpglib = 1;
    refresh();
  });
  connect(peakBeep_, &QCheckBox::clicked, this, [this, &s] {
    s.peakbeep = s.peakbeep ? 0 : 1;
    refresh();
  });
  connect(outputs_, &QComboBox::activated, this, [this, &s](int index) {
    if (index >= 0) s.device_out = static_cast<uint8_t>(index);
    refresh();
  });
  connect(inputs_, &QComboBox::activated, this, [this, &s](int index) {
    if (index >= 0) s.device_in = static_cast<uint8_t>(index);
    refresh();
  });
  connect(bufferMax_, &QSlider::valueChanged, this, [this, &s](int kilobytes) {
    setBufferMax(s, kilobytes);
    refresh();
  });
  connect(bufferFrames_, &QSlider::valueChanged, this, [this, &s](int frames) {
    setBufferFrames(s, frames);
    refresh();
  });
  refresh();
}

void DevicesPage::refresh() {
  const Settings& s = session_.settings;
  for (QObject* control : std::initializer_list<QObject*>{systemDecoder_, mpg123Decoder_, bufferMax_, bufferFrames_, peakBeep_})
    control->blockSignals(true);
  bufferMaxText_->setText(QStringLiteral(" %1 KB ").arg(s.buffer_max));
  bufferMax_->setValue(s.buffer_max);
  bufferFramesText_->setText(QStringLiteral(" %1 frame(s)").arg(s.buffer_frm));
  bufferFrames_->setValue(s.buffer_frm);
  systemDecoder_->setChecked(s.use_mpglib == 0);
  mpg123Decoder_->setChecked(s.use_mpglib == 1);
  peakBeep_->setChecked(s.peakbeep != 0);
  for (QObject* control : std::initializer_list<QObject*>{systemDecoder_, mpg123Decoder_, bufferMax_, bufferFrames_, peakBeep_})
    control->blockSignals(false);
  const bool playing = session_.playing;
  for (QWidget* control : std::initializer_list<QWidget*>{systemDecoder_, mpg123Decoder_, bufferMax_, bufferFrames_, outputs_})
    control->setEnabled(!playing);
  inputs_->setEnabled(!session_.recordInitialised);
}

}  // namespace quillane
