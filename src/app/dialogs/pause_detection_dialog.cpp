#include "app/dialogs/pause_detection_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdint>

#include "app/dialogs/numbered_control.h"
#include "app/dialogs/scan_timer.h"
#include "audio/parallel_peak.h"  // defaultScanThreads
#include "audio/pause_detection.h"
#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

// Controls of the "Pause detection" dialog.
constexpr int kStartButton = 601;
constexpr int kStopButton = 602;
constexpr int kCloseButton = 613;
constexpr int kProgressBar = 617;
constexpr int kCutWholePauseBox = 622;
constexpr int kThresholdSlider = 631;
constexpr int kDurationSlider = 632;
constexpr int kOffsetSlider = 633;
constexpr int kSettingsGroup = 641;
constexpr int kIntroText = 661;
constexpr int kThresholdLabel = 662;
constexpr int kDurationLabel = 663;
constexpr int kSkipLabel = 664;
constexpr int kOffsetLabel = 665;
constexpr int kSkipField = 681;

constexpr int kMaxSkipSeconds = UINT16_MAX;  // silence_skip is 16 bits

constexpr const char* kIntro =
    "This function seeks for pauses and sets cues at the pause ends.\n\n"
    "The selection (or, without one, the whole file) is decoded frame by frame. Cuts and cues already "
    "present are removed when the search starts; gain ranges stay. With \"Cut whole pause\" each pause "
    "becomes a cut that keeps its first 50 frames.";

QLabel* valueLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  // Wide enough for "> 99.9 sec" and "-60 frames", so that the sliders keep their width.
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-60 frames  ")));
  return label;
}

// The search runs in slices of a zero-time timer, so that the window takes its
// input (Stop, Close, a slider move) between two slices.
class PauseDetectionDialog : public QDialog {
 public:
  PauseDetectionDialog(Session& session, PauseDetection& detection, QWidget* parent)
      : QDialog(parent), session_(session), detection_(detection) {
    const UiText& text = session.text;
    setObjectName(QStringLiteral("dialog%1").arg(dlg::kPauseDetection));
    setWindowTitle(tableLabel(text, ui::kPauseCaption, "Pause detection"));
    setModal(true);

    auto* intro = numberedControl(new QLabel(tableLabel(text, ui::kPauseIntro, kIntro), this), kIntroText);
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    intro->setMinimumWidth(420);

    progress_ = numberedControl(new QProgressBar(this), kProgressBar);
    progress_->setRange(0, 100);
    found_ = valueLabel("foundCount", this);

    start_ = numberedControl(new QPushButton(tableLabel(text, ui::kPauseStart, "&Start"), this), kStartButton);
    start_->setDefault(true);
    connect(start_, &QPushButton::clicked, this, [this] { startScan(); });
    stop_ = numberedControl(new QPushButton(tableLabel(text, ui::kPauseStop, "St&op"), this), kStopButton);
    stop_->setAutoDefault(false);
    connect(stop_, &QPushButton::clicked, this, [this] { stopScan(); });
    auto* close = numberedControl(new QPushButton(tableText(text, ui::kDlgClose), this), kCloseButton);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { closeDialog(); });

    auto* status = new QHBoxLayout;
    status->addWidget(progress_, 1);
    status->addWidget(found_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(settingsGroup());
    layout->addLayout(status);
    layout->addLayout(buttons);

    timer_ = makeScanTimer(this, [this] { tick(); });
    showSettings();
    showScan();
  }

  void reject() override { closeDialog(); }  // Escape and the close box

 private:
  QGroupBox* settingsGroup() {
    const UiText& text = session_.text;
    const Settings& settings = session_.settings;
    auto* group = numberedControl(new QGroupBox(tableLabel(text, ui::kPauseSettingsGroup, "Settings"), this), kSettingsGroup);
    auto* grid = new QGridLayout(group);

    threshold_ = addSlider(grid, 0, tableLabel(text, ui::kPauseThreshold, "Threshold level"), kThresholdLabel,
                           kThresholdSlider, kSilenceLevelMin, kSilenceLevelMax, settings.silence_level,
                           "thresholdValue", &thresholdValue_);
    duration_ = addSlider(grid, 1, tableLabel(text, ui::kPauseMinDuration, "Min. duration"), kDurationLabel,
                          kDurationSlider, kSilenceDurationMin, kSilenceDurationMax, settings.silence_duration,
                          "durationValue", &durationValue_);
    offset_ = addSlider(grid, 2, tableLabel(text, ui::kPauseOffset, "Cue offset"), kOffsetLabel, kOffsetSlider, 0,
                        kSilenceOffsetMax, settings.silence_offset, "offsetValue", &offsetValue_);

    auto* skipLabel =
        numberedControl(new QLabel(tableLabel(text, ui::kPauseSkip, "After a pause detection skip (sec)"), group), kSkipLabel);
    skip_ = numberedControl(new QLineEdit(QString::number(settings.silence_skip), group), kSkipField);
    skip_->setValidator(new QIntValidator(0, kMaxSkipSeconds, skip_));
    skip_->setMaxLength(5);
    skip_->setMaximumWidth(skip_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    skipLabel->setBuddy(skip_);
    grid->addWidget(skipLabel, 3, 0);
    grid->addWidget(skip_, 3, 1, Qt::AlignLeft);

    cutWhole_ =
        numberedControl(new QCheckBox(tableLabel(text, ui::kPauseCutWhole, "Cut whole pause"), group), kCutWholePauseBox);
    cutWhole_->setChecked(detection_.cutWholePause);
    connect(cutWhole_, &QCheckBox::toggled, this, [this](bool on) { detection_.cutWholePause = on; });
    grid->addWidget(cutWhole_, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return group;
  }

  QSlider* addSlider(QGridLayout* grid, int row, const QString& caption, int labelId, int sliderId, int low, int high,
                     int value, const char* valueName, QLabel** valueText) {
    QWidget* group = grid->parentWidget();
    auto* label = numberedControl(new QLabel(caption, group), labelId);
    auto* slider = numberedControl(new QSlider(Qt::Horizontal, group), sliderId);
    slider->setRange(low, high);
    slider->setValue(value);
    slider->setMinimumWidth(200);
    label->setBuddy(slider);
    *valueText = valueLabel(valueName, group);
    grid->addWidget(label, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(*valueText, row, 2);
    connect(slider, &QSlider::valueChanged, this, [this] { storeSliders(); });
    return slider;
  }

  // Moving a slider stores its position in the setting at once.
  void storeSliders() {
    Settings& settings = session_.settings;
    settings.silence_level = static_cast<uint8_t>(threshold_->value());
    settings.silence_duration = static_cast<uint8_t>(duration_->value());
    settings.silence_offset = static_cast<uint8_t>(offset_->value());
    showSettings();
  }

  void showSettings() {
    const Settings& settings = session_.settings;
    thresholdValue_->setText(QString::fromStdString(pauseThresholdText(settings)));
    durationValue_->setText(QString::fromStdString(pauseDurationText(settings, session_.stream)));
    offsetValue_->setText(QString::fromStdString(pauseOffsetText(settings)));
  }

  void showScan() {
    progress_->setValue(detection_.progress());
    found_->setText(QString::fromStdString(detection_.foundText()));
    stop_->setEnabled(detection_.running());
  }

  void startScan() {
    timer_->stop();
    session_.settings.silence_skip = static_cast<uint16_t>(skip_->text().toUInt());
    if (detection_.start()) timer_->start();  // a decoder that can't open has beeped
    showScan();
  }

  void tick() {
    timer_->stop();
    if (detection_.step()) timer_->start();
    showScan();
  }

  void stopScan() {
    timer_->stop();
    detection_.stop();
    showScan();
  }

  void closeDialog() {
    timer_->stop();
    detection_.close();
    done(0);
  }

  Session& session_;
  PauseDetection& detection_;
  QSlider* threshold_ = nullptr;
  QSlider* duration_ = nullptr;
  QSlider* offset_ = nullptr;
  QLabel* thresholdValue_ = nullptr;
  QLabel* durationValue_ = nullptr;
  QLabel* offsetValue_ = nullptr;
  QLineEdit* skip_ = nullptr;
  QCheckBox* cutWhole_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* found_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace

int runPauseDetectionDialog(Session& session, ShellHost& host, QWidget* parent) {
  PauseDetection detection(session, host);
  detection.setThreads(defaultScanThreads());
  detection.open();
  PauseDetectionDialog dialog(session, detection, parent);
  return dialog.exec();
}

}  // namespace quillane
