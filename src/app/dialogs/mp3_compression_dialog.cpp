#include "app/dialogs/mp3_compression_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "settings/encoder_page_rules.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr int kFormatList = 651;
// Lines the list shows without scrolling.
constexpr int kShownLines = 12;

bool sameFormat(const SystemEncoderFormat& a, const SystemEncoderFormat& b) {
  return a.sampleRate == b.sampleRate && a.bitrate == b.bitrate && a.channels == b.channels;
}

}  // namespace

Mp3CompressionDialog::Mp3CompressionDialog(const UiText& text, std::vector<SystemEncoderFormat> formats,
                                           const SystemEncoderFormat& current, QWidget* parent)
    : QDialog(parent), formats_(std::move(formats)) {
  setObjectName(QStringLiteral("mp3CompressionDialog"));
  setWindowTitle(QStringLiteral("Select MP3 compression"));
  setModal(true);

  list_ = numberedControl(new QListWidget(this), kFormatList);
  for (const SystemEncoderFormat& format : formats_) {
    list_->addItem(QString::fromStdString(systemFormatText(static_cast<int32_t>(format.bitrate),
                                                           static_cast<int32_t>(format.sampleRate), format.channels)));
    if (sameFormat(format, current)) list_->setCurrentRow(list_->count() - 1);
  }
  list_->setMinimumHeight(list_->sizeHintForRow(0) * kShownLines + 2 * list_->frameWidth());
  list_->setMinimumWidth(list_->sizeHintForColumn(0) + list_->verticalScrollBar()->sizeHint().width() +
                         2 * list_->frameWidth() + 8);
  if (list_->currentItem()) list_->scrollToItem(list_->currentItem(), QAbstractItemView::PositionAtCenter);

  QDialogButtonBox* buttons =
      okCancelButtons(this, dialogLabel(text, ui::kLabelOk, "&OK"), uiText(text, ui::kDlgCancel));
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

std::optional<SystemEncoderFormat> Mp3CompressionDialog::selected() const {
  const int row = list_->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= formats_.size() || !list_->currentItem()->isSelected()) return std::nullopt;
  return formats_[static_cast<size_t>(row)];
}

std::optional<SystemEncoderFormat> chooseMp3Compression(const UiText& text,
                                                        const std::vector<SystemEncoderFormat>& formats,
                                                        const SystemEncoderFormat& current, QWidget* parent) {
  Mp3CompressionDialog dialog(text, formats, current, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selected();
}

}  // namespace quillane
