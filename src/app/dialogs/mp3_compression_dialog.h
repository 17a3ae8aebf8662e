#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "audio/mp3_encoder.h"
#include "settings/ui_text.h"

class QListWidget;

namespace quillane {

// "Select MP3 compression": the rate, bit rate and channel combinations the
// system's MP3 encoder accepts, one a line as the encoder page's button shows
// them (" 128 kbps, 44 kHz, Stereo"), the current format selected. OK takes
// the selected line; Cancel, Escape and the close box keep the current format.
class Mp3CompressionDialog : public QDialog {
  Q_OBJECT
 public:
  Mp3CompressionDialog(const UiText& text, std::vector<SystemEncoderFormat> formats,
                       const SystemEncoderFormat& current, QWidget* parent);

  // The selected format; none when no line is selected.
  std::optional<SystemEncoderFormat> selected() const;

 private:
  std::vector<SystemEncoderFormat> formats_;
  QListWidget* list_ = nullptr;
};

// Runs the dialog modally: the format chosen with OK, or none.
std::optional<SystemEncoderFormat> chooseMp3Compression(const UiText& text,
                                                        const std::vector<SystemEncoderFormat>& formats,
                                                        const SystemEncoderFormat& current, QWidget* parent);

}  // namespace quillane
