#include "devices/qt_input_device.h"

#include <QAudioDevice>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>

namespace quillane {

QtInputDevice::QtInputDevice(QObject* parent) : QObject(parent) {}

QtInputDevice::~QtInputDevice() { close(); }

std::vector<std::string> QtInputDevice::inputNames() const {
  std::vector<std::string> names;
  for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
    names.push_back(device.description().toStdString());
  }
  return names;
}

bool QtInputDevice::open(const PcmFormat& format, int number, FilledHandler filled) {
  close();
  if (format.channels == 0 || format.samplesPerSecond == 0) return false;

  QAudioDevice device;
  if (number == -1) {
    device = QMediaDevices::defaultAudioInput();
  } else {
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (number < 0 || number >= inputs.size()) return false;
    device = inputs[number];
  }
  if (device.isNull()) return false;

  QAudioFormat audioFormat;
  audioFormat.setSampleFormat(QAudioFormat::Int16);
  audioFormat.setChannelCount(format.channels);
  audioFormat.setSampleRate(static_cast<int>(format.samplesPerSecond));
  if (!device.isFormatSupported(audioFormat)) return false;

  filled_ = std::move(filled);
  dropped_ = 0;
  source_ = new QAudioSource(device, audioFormat, this);
  return true;
}

bool QtInputDevice::addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) {
  if (source_ == nullptr || data == nullptr || capacity == 0) return false;
  queue_.push_back(Queued{bufferIndex, data, capacity, 0});
  return true;
}

bool QtInputDevice::start() {
  if (source_ == nullptr) return false;
  if (captured_ != nullptr) return true;
  captured_ = source_->start();
  if (captured_ == nullptr || source_->error() != QAudio::NoError || source_->state() == QAudio::StoppedState) {
    source_->stop();
    captured_ = nullptr;
    return false;
  }
  connect(captured_, &QIODevice::readyRead, this, &QtInputDevice::readCaptured);
  return true;
}

// Takes everything the source holds: into the queued buffers while there are
// any, the rest is dropped (and counted).
void QtInputDevice::readCaptured() {
  if (captured_ == nullptr) return;
  for (;;) {
    if (queue_.empty()) {
      discard_.resize(16384);
      const qint64 n = captured_->read(discard_.data(), static_cast<qint64>(discard_.size()));
      if (n <= 0) return;
      dropped_ += n;
      continue;
    }
    Queued& buffer = queue_.front();
    const qint64 n = captured_->read(reinterpret_cast<char*>(buffer.data + buffer.filled),
                                     static_cast<qint64>(buffer.capacity - buffer.filled));
    if (n <= 0) return;
    buffer.filled += static_cast<uint32_t>(n);
    if (buffer.filled == buffer.capacity) {
      const Queued full = buffer;
      queue_.pop_front();
      postNotice(full.index, full.filled);
    }
  }
}

void QtInputDevice::postNotice(int index, uint32_t bytes) {
  ++waiting_;
  const unsigned generation = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, generation, index, bytes] {
        if (generation != generation_) return;
        --waiting_;
        if (!filled_) return;
        const FilledHandler filled = filled_;  // the handler may close or open the device
        filled(index, bytes);
      },
      Qt::QueuedConnection);
}

int QtInputDevice::waitingNotices() const { return waiting_; }

void QtInputDevice::close() {
  ++generation_;
  waiting_ = 0;
  queue_.clear();
  if (source_ != nullptr) {
    source_->stop();  // also ends the device it gave out
    delete source_;
    source_ = nullptr;
  }
  captured_ = nullptr;
  filled_ = nullptr;
}

bool QtInputDevice::isOpen() const { return source_ != nullptr; }

}  // namespace quillane
