#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "audio/mp3_encoder.h"
#include "session/host.h"
#include "session/session.h"
#include "settings/encoder_page_rules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace quillane {

class PathButton;

// What the encoder page asks of the two encoders: LAME's version, the system
// codec's name, whether it takes a format, and every format it takes. The real
// encoders by default; tests give their own.
struct EncoderServices {
  std::function<LameVersion()> lame = lameVersion;
  std::function<std::string()> systemName = systemEncoderName;
  std::function<bool(const SystemEncoderFormat&)> systemAccepts = systemEncoderAccepts;
  std::function<std::vector<SystemEncoderFormat>()> systemFormats = systemEncoderFormats;
};

// Page 312 "Encoder [F12]": LAME (libmp3lame) with its seven option lists and
// the ABR rate, the system's codec (FFmpeg) with its format and quality, and the
// base name of recordings with the date and append options. Every change goes
// to the settings at once; nothing can be changed while a recording is set up.
class EncoderPage : public QWidget {
  Q_OBJECT
 public:
  EncoderPage(Session& session, Host& host, EncoderServices encoders, QWidget* parent);

  // Puts the settings into the controls and enables them for the encoder chosen.
  void refresh();

 private:
  void chooseListEntry(EncoderList list, int index);
  void chooseSystemFormat();
  void chooseBaseName();

  Session& session_;
  Host& host_;
  EncoderServices encoders_;
  EncoderProbes probes_;
  QCheckBox* lameSwitch_ = nullptr;
  QCheckBox* systemSwitch_ = nullptr;
  QPushButton* systemFormat_ = nullptr;
  PathButton* baseName_ = nullptr;
  QCheckBox* systemHighQuality_ = nullptr;
  QCheckBox* addDate_ = nullptr;
  QCheckBox* append_ = nullptr;
  std::array<QComboBox*, kEncoderListCount> lists_{};
  QLineEdit* abr_ = nullptr;
};

}  // namespace quillane
