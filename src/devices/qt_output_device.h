#pragma once

#include <QAudioSink>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <memory>

#include "audio/output_device.h"

namespace quillane {

// The sound output on Qt Multimedia. A QAudioSink pulls the queued buffers,
// in order, from a device of ours; a 10 ms timer compares the sink's played
// time with each buffer's end and hands back the buffers that have been
// heard, through the event loop of the owning thread.
class QtOutputDevice : public QObject, public OutputDevice {
  Q_OBJECT

 public:
  explicit QtOutputDevice(QObject* parent = nullptr);
  ~QtOutputDevice() override;

  std::vector<std::string> outputNames() const override;
  bool open(const PcmFormat& format, int number, DoneHandler done) override;
  void write(int bufferIndex, const uint8_t* data, uint32_t length) override;
  void reset() override;
  void close() override;
  bool isOpen() const override;

 private:
  class Feed;

  struct Queued {
    int index;
    const uint8_t* data;
    uint32_t length;
    qint64 end;  // bytes since the sink started, up to this buffer's end
  };

  qint64 readInto(char* out, qint64 maxlen);
  void poll();
  qint64 playedBytes() const;
  void handBack(qint64 upTo);
  void restartSink();

  std::unique_ptr<Feed> feed_;
  QAudioSink* sink_ = nullptr;
  QTimer pollTimer_;
  QElapsedTimer sinceProgress_;
  DoneHandler done_;
  std::deque<Queued> queue_;
  uint32_t bytesPerFrame_ = 4;
  uint32_t rate_ = 44100;
  qint64 leadIn_ = 0;      // bytes of silence played before the first buffer
  qint64 written_ = 0;     // cumulative end of the last queued buffer
  qint64 read_ = 0;        // bytes the sink has read so far
  qint64 lastPlayed_ = 0;  // played bytes at the last poll
  bool starved_ = false;   // readData found nothing to give
  bool failed_ = false;    // the sink stopped with an error
  unsigned generation_ = 0;  // notices of an earlier open are dropped
};

}  // namespace quillane
