#pragma once

#include <QAudioSource>
#include <QObject>
#include <deque>
#include <vector>

#include "audio/input_device.h"

namespace quillane {

// The sound input on Qt Multimedia. A QAudioSource in push mode announces
// captured sound on the owning thread; it is copied into the queued buffers in
// order, and each buffer that is full is handed back through the event loop.
class QtInputDevice : public QObject, public InputDevice {
  Q_OBJECT

 public:
  explicit QtInputDevice(QObject* parent = nullptr);
  ~QtInputDevice() override;

  std::vector<std::string> inputNames() const override;
  bool open(const PcmFormat& format, int number, FilledHandler filled) override;
  bool addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) override;
  bool start() override;
  int waitingNotices() const override;
  void close() override;
  bool isOpen() const override;

  // Captured bytes that found no queued buffer since the last open.
  int64_t droppedBytes() const { return dropped_; }

 private:
  struct Queued {
    int index;
    uint8_t* data;
    uint32_t capacity;
    uint32_t filled;
  };

  void readCaptured();
  void postNotice(int index, uint32_t bytes);

  QAudioSource* source_ = nullptr;
  QIODevice* captured_ = nullptr;  // the source's own device, while started
  FilledHandler filled_;
  std::deque<Queued> queue_;
  std::vector<char> discard_;  // where sound goes that no buffer takes
  int waiting_ = 0;          // notices posted and not yet delivered
  int64_t dropped_ = 0;
  unsigned generation_ = 0;  // notices of an earlier open are dropped
};

}  // namespace quillane
