#include "devices/qt_output_device.h"

#include <QAudioDevice>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

namespace quillane {

namespace {

constexpr int kPollMs = 10;
// A starved sink whose played time has not moved for this long has played
// all it will: what it read is handed back rather than held for ever.
constexpr qint64 kStallMs = 300;
// A new PulseAudio stream loses its first few milliseconds (about 5-8 ms
// measured); it starts with this much silence so that no written sound is lost.
constexpr int kLeadInMs = 50;

}  // namespace

// What the sink pulls from: the queued buffers, read straight from their memory.
class QtOutputDevice::Feed : public QIODevice {
 public:
  explicit Feed(QtOutputDevice& owner) : owner_(owner) {}
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxlen) override { return owner_.readInto(data, maxlen); }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QtOutputDevice& owner_;
};

QtOutputDevice::QtOutputDevice(QObject* parent) : QObject(parent), feed_(std::make_unique<Feed>(*this)) {
  pollTimer_.setInterval(kPollMs);
  pollTimer_.setTimerType(Qt::PreciseTimer);
  connect(&pollTimer_, &QTimer::timeout, this, &QtOutputDevice::poll);
}

QtOutputDevice::~QtOutputDevice() { close(); }

std::vector<std::string> QtOutputDevice::outputNames() const {
  std::vector<std::string> names;
  for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
    names.push_back(device.description().toStdString());
  }
  return names;
}

bool QtOutputDevice::open(const PcmFormat& format, int number, DoneHandler done) {
  close();
  if (format.channels == 0 || format.samplesPerSecond == 0) return false;

  QAudioDevice device;
  if (number == -1) {
    device = QMediaDevices::defaultAudioOutput();
  } else {
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (number < 0 || number >= outputs.size()) return false;
    device = outputs[number];
  }
  if (device.isNull()) return false;

  QAudioFormat audioFormat;
  audioFormat.setSampleFormat(QAudioFormat::Int16);
  audioFormat.setChannelCount(format.channels);
  audioFormat.setSampleRate(static_cast<int>(format.samplesPerSecond));

  bytesPerFrame_ = 2u * format.channels;
  rate_ = format.samplesPerSecond;
  done_ = std::move(done);
  ++generation_;
  failed_ = false;

  // The sink's buffer stays at its default: small ones have stalled for good.
  sink_ = new QAudioSink(device, audioFormat, this);
  feed_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  restartSink();
  if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
    close();
    return false;
  }
  pollTimer_.start();
  return true;
}

void QtOutputDevice::restartSink() {
  leadIn_ = static_cast<qint64>(rate_) * kLeadInMs / 1000 * bytesPerFrame_;
  written_ = leadIn_;
  read_ = 0;
  lastPlayed_ = 0;
  starved_ = false;
  sink_->start(feed_.get());  // its processedUSecs counts from 0 again
  sinceProgress_.start();
}

void QtOutputDevice::write(int bufferIndex, const uint8_t* data, uint32_t length) {
  if (sink_ == nullptr) return;
  written_ += length;
  queue_.push_back(Queued{bufferIndex, data, length, written_});
  if (starved_ && length > 0) {
    starved_ = false;
    emit feed_->readyRead();
  }
}

qint64 QtOutputDevice::readInto(char* out, qint64 maxlen) {
  qint64 copied = 0;
  if (read_ < leadIn_) {
    copied = std::min(leadIn_ - read_, maxlen);
    std::memset(out, 0, static_cast<size_t>(copied));
    read_ += copied;
  }
  for (const Queued& buffer : queue_) {
    if (copied == maxlen) break;
    if (buffer.end <= read_) continue;
    const qint64 start = buffer.end - buffer.length;
    const qint64 offset = read_ - start;
    const qint64 n = std::min<qint64>(buffer.length - offset, maxlen - copied);
    std::memcpy(out + copied, buffer.data + offset, static_cast<size_t>(n));
    copied += n;
    read_ += n;
  }
  if (copied == 0) starved_ = true;
  return copied;
}

// The sink counts whole microseconds: round to the nearest frame, or the last
// frame of a buffer would never count as played.
qint64 QtOutputDevice::playedBytes() const {
  const qint64 frames = (sink_->processedUSecs() * rate_ + 500000) / 1000000;
  return frames * bytesPerFrame_;
}

// Posts the notices of the queued buffers that end at or before upTo, in order.
void QtOutputDevice::handBack(qint64 upTo) {
  while (!queue_.empty() && queue_.front().end <= upTo) {
    const int index = queue_.front().index;
    queue_.pop_front();
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, index] {
          if (generation != generation_ || !done_) return;
          const DoneHandler done = done_;  // the handler may close or open the device
          done(index);
        },
        Qt::QueuedConnection);
  }
}

void QtOutputDevice::poll() {
  if (sink_ == nullptr) return;
  const QAudio::Error error = sink_->error();
  if (error == QAudio::IOError || error == QAudio::FatalError || error == QAudio::OpenError) failed_ = true;
  if (failed_) {
    // Nothing will play any more: give everything back so the caller never waits.
    handBack(written_);
    return;
  }

  const qint64 played = playedBytes();
  if (played != lastPlayed_) {
    lastPlayed_ = played;
    sinceProgress_.start();
  }
  qint64 heard = std::min(played, read_);
  if (starved_ && sinceProgress_.elapsed() >= kStallMs) heard = read_;
  handBack(heard);
}

void QtOutputDevice::reset() {
  if (sink_ == nullptr) return;
  // Stopping drops at once what the sink holds (its reset does the same and
  // stops it too); the restarted sink counts its played time from zero.
  sink_->stop();
  handBack(written_);
  restartSink();
}

void QtOutputDevice::close() {
  pollTimer_.stop();
  ++generation_;
  queue_.clear();
  if (sink_ != nullptr) {
    sink_->stop();
    delete sink_;
    sink_ = nullptr;
  }
  feed_->close();
  done_ = nullptr;
}

bool QtOutputDevice::isOpen() const { return sink_ != nullptr; }

}  // namespace quillane
