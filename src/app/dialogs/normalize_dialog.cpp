#include "app/dialogs/normalize_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "app/dialogs/scan_timer.h"
#include "audio/normalize_scan.h"
#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

// Controls of the "Normalize selection" dialog.
// 611 "&OK" and 612 "&Cancel" come with okCancelButtons.
constexpr int kStopButton = 601;
constexpr int kLevelSlider = 631;
constexpr int kProgressBar = 617;
constexpr int kIntroText = 661;
constexpr int kPeakFoundLabel = 662;
constexpr int kLevelChangeLabel = 663;

constexpr const char* kIntro =
    "Seeking maximum gain.\n\n"
    "The selection is decoded once to find its loudest sample. The level change proposed lifts that sample "
    "to full scale in steps of 1.5 dB; the slider chooses another. OK adds it as a gain range over the "
    "selection.";

QLabel* valueLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The measurement runs in slices of a zero-time timer, so that the window takes
// its input (Stop, Cancel, a slider move) between two slices.
class NormalizeDialog : public QDialog {
 public:
  NormalizeDialog(const Session& session, NormalizeScan& scan, QWidget* parent) : QDialog(parent), scan_(scan) {
    const UiText& text = session.text;
    setObjectName(QStringLiteral("dialog%1").arg(dlg::kNormalize));
    setWindowTitle(tableLabel(text, ui::kNormalizeCaption, "Normalize selection"));
    setModal(true);

    auto* intro = numberedControl(new QLabel(tableLabel(text, ui::kNormalizeIntro, kIntro), this), kIntroText);
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    intro->setMinimumWidth(300);

    progress_ = numberedControl(new QProgressBar(this), kProgressBar);
    progress_->setRange(0, 100);

    auto* peakLabel =
        numberedControl(new QLabel(tableLabel(text, ui::kNormalizePeakFound, "Peak found:"), this), kPeakFoundLabel);
    auto* changeLabel =
        numberedControl(new QLabel(tableLabel(text, ui::kNormalizeLevelChange, "Level change:"), this), kLevelChangeLabel);
    peakValue_ = valueLabel("peakValue", this);
    changeValue_ = valueLabel("levelChangeValue", this);
    auto* values = new QGridLayout;
    values->addWidget(peakLabel, 0, 0);
    values->addWidget(peakValue_, 0, 1);
    values->addWidget(changeLabel, 1, 0);
    values->addWidget(changeValue_, 1, 1);
    values->setColumnStretch(1, 1);

    stop_ = numberedControl(new QPushButton(tableLabel(text, ui::kNormalizeStop, "&Stop"), this), kStopButton);
    stop_->setAutoDefault(false);
    connect(stop_, &QPushButton::clicked, this, [this] { stopScan(); });

    auto* left = new QVBoxLayout;
    left->addWidget(intro);
    left->addStretch(1);
    left->addWidget(progress_);
    left->addLayout(values);
    left->addWidget(stop_, 0, Qt::AlignLeft);

    auto* right = new QHBoxLayout;
    right->addWidget(makeSlider());
    right->addLayout(sliderScale());

    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addSpacing(12);
    body->addLayout(right);

    QDialogButtonBox* buttons =
        okCancelButtons(this, dialogLabel(text, ui::kLabelOk, "&OK"), uiText(text, ui::kDlgCancel));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);

    timer_ = makeScanTimer(this, [this] { tick(); });
    showScan();
  }

  int run() {
    timer_->start();
    exec();
    return result_;
  }

  void accept() override { finish(true); }
  void reject() override { finish(false); }  // Escape and the close box

 private:
  QSlider* makeSlider() {
    slider_ = numberedControl(new QSlider(Qt::Vertical, this), kLevelSlider);
    slider_->setRange(0, kNormalizeSliderMax);
    // Position 0 (+48 dB) at the top; the arrow keys move the thumb the way they point.
    slider_->setInvertedAppearance(true);
    slider_->setInvertedControls(true);
    slider_->setTickPosition(QSlider::TicksRight);
    slider_->setTickInterval(8);
    slider_->setPageStep(4);
    slider_->setMinimumHeight(160);
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
      if (showing_) return;
      scan_.setSliderPosition(position);
      changeValue_->setText(QString::fromStdString(scan_.levelChangeText()));
    });
    return slider_;
  }

  // "+48" beside the top, "0" beside position 32 and "- 24" beside the bottom.
  QVBoxLayout* sliderScale() {
    auto* scale = new QVBoxLayout;
    scale->addWidget(new QLabel(QStringLiteral("+48"), this));
    scale->addStretch(kNormalizeSliderZero);
    scale->addWidget(new QLabel(QStringLiteral("0"), this));
    scale->addStretch(kNormalizeSliderMax - kNormalizeSliderZero);
    scale->addWidget(new QLabel(QStringLiteral("- 24"), this));
    return scale;
  }

  void tick() {
    timer_->stop();
    if (scan_.step()) timer_->start();
    showScan();
  }

  void showScan() {
    showing_ = true;
    progress_->setValue(scan_.progress());
    slider_->setValue(scan_.sliderPosition());
    showing_ = false;
    peakValue_->setText(QString::fromStdString(scan_.peakText()));
    changeValue_->setText(QString::fromStdString(scan_.levelChangeText()));
    stop_->setEnabled(scan_.running());
  }

  void stopScan() {
    timer_->stop();
    scan_.stop();
    showScan();
  }

  void finish(bool accepted) {
    timer_->stop();
    if (accepted) {
      result_ = scan_.accept() ? 0 : 1;  // a refusal has been shown
    } else {
      scan_.cancel();
      result_ = 1;
    }
    done(result_);
  }

  NormalizeScan& scan_;
  QProgressBar* progress_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* peakValue_ = nullptr;
  QLabel* changeValue_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* timer_ = nullptr;
  bool showing_ = false;  // the slider follows the scan, not the user
  int result_ = 1;
};

}  // namespace

int runNormalizeDialog(Session& session, ShellHost& host, QWidget* parent) {
  NormalizeScan scan(session, host);
  scan.setThreads(defaultScanThreads());
  if (!scan.open()) return 1;  // the decoder has said why
  NormalizeDialog dialog(session, scan, parent);
  return dialog.run();
}

}  // namespace quillane
