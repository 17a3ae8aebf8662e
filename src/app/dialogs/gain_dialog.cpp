#include "app/dialogs/gain_dialog.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <optional>

#include "app/dialogs/ok_cancel_dialog.h"
#include "session/command_ids.h"

namespace quillane {
namespace {

constexpr int kFadeInButton = 601;
constexpr int kFadeOutButton = 602;
constexpr int kFlatButton = 603;
constexpr int kLockBox = 621;
constexpr int kBeginSlider = 631;
constexpr int kEndSlider = 632;
constexpr int kBeginText = 671;
constexpr int kEndText = 672;

// Tall enough that one step of 1.5 dB is a few pixels of thumb travel.
constexpr int kSliderHeight = 220;
constexpr int kTicksEvery = 4;  // 6 dB


// A slider notice as the gain model knows it. The sliders draw their minimum at the
// top, so a step towards the minimum is a step up, towards more gain.
std::optional<GainSliderMove> moveOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return GainSliderMove::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return GainSliderMove::LineDown;
    case QAbstractSlider::SliderPageStepSub: return GainSliderMove::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return GainSliderMove::PageDown;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: return GainSliderMove::Drag;
    default: return std::nullopt;
  }
}

}  // namespace

int runGainDialog(Session& session, ShellHost& host, QWidget* parent) {
  GainDialog dialog(session, host, parent);
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

GainDialog::GainDialog(Session& session, Host& host, QWidget* parent)
    : QDialog(parent), session_(session), host_(host), working_(session.edits.selection) {
  setObjectName(QStringLiteral("dialog%1").arg(dlg::kGain));
  setModal(true);
  startGainDialog(working_);
  const GainDialogLabels labels = gainDialogLabels(session.text);
  setWindowTitle(qtLabel(labels.caption));

  beginText_ = numberedControl(new QLabel(this), kBeginText);
  endText_ = numberedControl(new QLabel(this), kEndText);
  begin_ = makeSlider(kBeginSlider, GainSlider::Begin);
  end_ = makeSlider(kEndSlider, GainSlider::End);
  // The texts keep their width while the amounts change.
  const int textWidth = beginText_->fontMetrics().horizontalAdvance(qtLabel(gainBeginText(session, -32))) + 8;
  beginText_->setMinimumWidth(textWidth);
  endText_->setMinimumWidth(endText_->fontMetrics().horizontalAdvance(qtLabel(gainEndText(session, -32))) + 8);

  auto* sliders = new QGridLayout;
  sliders->addWidget(beginText_, 0, 0, Qt::AlignHCenter);
  sliders->addWidget(endText_, 0, 1, Qt::AlignHCenter);
  sliders->addWidget(begin_, 1, 0, Qt::AlignHCenter);
  sliders->addWidget(end_, 1, 1, Qt::AlignHCenter);
  sliders->setHorizontalSpacing(16);

  auto preset = [this](int controlId, const std::string& text, void (*apply)(EditRange&)) {
    auto* button = numberedControl(new QPushButton(qtLabel(text), this), controlId);
    button->setAutoDefault(false);  // Enter stays with OK
    connect(button, &QPushButton::clicked, this, [this, apply] {
      apply(working_);
      showGains();
    });
    return button;
  };
  lock_ = numberedControl(new QCheckBox(qtLabel(labels.lock), this), kLockBox);

  auto* presets = new QVBoxLayout;
  presets->addWidget(preset(kFadeInButton, labels.fadeIn, fadeIn));
  presets->addWidget(preset(kFadeOutButton, labels.fadeOut, fadeOut));
  presets->addWidget(preset(kFlatButton, labels.flat, flatGain));
  presets->addSpacing(8);
  presets->addWidget(lock_);
  presets->addStretch(1);

  QDialogButtonBox* buttons = okCancelButtons(this, labels.ok, labels.cancel);
  presets->addWidget(buttons);

  auto* row = new QHBoxLayout(this);
  row->addLayout(sliders);
  row->addSpacing(12);
  row->addLayout(presets);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  showGains();
  begin_->setFocus();
}

QSlider* GainDialog::makeSlider(int controlId, GainSlider which) {
  auto* slider = numberedControl(new QSlider(Qt::Vertical, this), controlId);
  slider->setRange(0, kGainSliderMax);
  slider->setSingleStep(1);
  slider->setPageStep(1);  // a page is one step as well
  // Position 0, +48 dB, at the top; the up key and the wheel move towards it.
  slider->setInvertedAppearance(true);
  slider->setInvertedControls(true);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(kTicksEvery);
  slider->setMinimumHeight(kSliderHeight);
  connect(slider, &QAbstractSlider::actionTriggered, this,
          [this, slider, which](int action) { sliderAction(slider, which, action); });
  return slider;
}

void GainDialog::sliderAction(QSlider* slider, GainSlider which, int action) {
  const std::optional<GainSliderMove> move = moveOf(action);
  if (move) moveGainSlider(working_, which, *move, slider->sliderPosition(), lock_->isChecked());
  // The slider takes the model's position once this notice ends; the other one now.
  const int32_t gain = which == GainSlider::Begin ? working_.gainbeg : working_.gainend;
  slider->setSliderPosition(gainSliderPosition(gain));
  showGains();
}

void GainDialog::showGains() {
  begin_->setValue(gainSliderPosition(working_.gainbeg));
  end_->setValue(gainSliderPosition(working_.gainend));
  beginText_->setText(qtLabel(gainBeginText(session_, working_.gainbeg)));
  endText_->setText(qtLabel(gainEndText(session_, working_.gainend)));
}

void GainDialog::accept() {
  acceptGainDialog(session_, host_, working_);
  QDialog::accept();
}

}  // namespace quillane
