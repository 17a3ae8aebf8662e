#pragma once

#include <QWidget>

#include "session/session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace quillane {

// Page 311 "Devices" of the configuration dialog: the decoder back end, the
// sound output and input of Qt Multimedia ("System default" first, so entry n
// is device n − 1), the two buffer sliders and the peak beep. Every change goes
// to the settings at once; what must not change while a device is in use is
// disabled then.
class DevicesPage : public QWidget {
  Q_OBJECT
 public:
  DevicesPage(Session& session, QWidget* parent);

  // Puts the settings into the controls and enables them for the audio's state.
  void refresh();

 private:
  Session& session_;
  QRadioButton* systemDecoder_ = nullptr;
  QRadioButton* mpg123Decoder_ = nullptr;
  QComboBox* outputs_ = nullptr;
  QComboBox* inputs_ = nullptr;
  QSlider* bufferMax_ = nullptr;
  QSlider* bufferFrames_ = nullptr;
  QLabel* bufferMaxText_ = nullptr;
  QLabel* bufferFramesText_ = nullptr;
  QCheckBox* peakBeep_ = nullptr;
};

}  // namespace quillane
