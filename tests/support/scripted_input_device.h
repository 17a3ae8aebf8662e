#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "audio/input_device.h"

namespace quillane::test {

// A sound input for the recording engine's tests: the test decides what each
// queued buffer is filled with and when its notice arrives (standing in for the
// event loop). Failures of open, addBuffer and start can be scripted.
class ScriptedInputDevice : public InputDevice {
 public:
  struct Queued {
    int index;
    uint8_t* data;
    uint32_t capacity;
  };

  std::vector<std::string> names{"Scripted input"};
  bool openFails = false;
  int addBufferFailsAt = -1;  // the index whose addBuffer fails
  bool startFails = false;
  int waiting = 0;            // what waitingNotices answers

  PcmFormat openedFormat;
  int openedNumber = -2;
  int opens = 0;
  int closes = 0;
  bool started = false;
  std::deque<Queued> queue;

  std::vector<std::string> inputNames() const override { return names; }
  bool open(const PcmFormat& format, int number, FilledHandler filled) override {
    ++opens;
    if (openFails || isOpen_) return false;
    openedFormat = format;
    openedNumber = number;
    filled_ = std::move(filled);
    isOpen_ = true;
    return true;
  }
  bool addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) override {
    if (!isOpen_ || bufferIndex == addBufferFailsAt) return false;
    queue.push_back({bufferIndex, data, capacity});
    return true;
  }
  bool start() override {
    if (startFails) return false;
    started = true;
    return true;
  }
  int waitingNotices() const override { return waiting; }
  void close() override {
    if (isOpen_) ++closes;
    isOpen_ = false;
    started = false;
    queue.clear();
    filled_ = nullptr;
  }
  bool isOpen() const override { return isOpen_; }

  // Fills the oldest queued buffer through `fill(samples, count)` (interleaved
  // 16-bit samples, its whole capacity) and delivers its notice. False when no
  // buffer is queued.
  bool deliver(const std::function<void(int16_t*, std::size_t)>& fill) {
    if (!isOpen_ || !started || queue.empty()) return false;
    const Queued q = queue.front();
    queue.pop_front();
    fill(reinterpret_cast<int16_t*>(q.data), q.capacity / 2);
    FilledHandler handler = filled_;
    handler(q.index, q.capacity);
    return true;
  }

 private:
  FilledHandler filled_;
  bool isOpen_ = false;
};

// Fills buffers with a sine of `frequency` Hz at `amplitude`, continuing from
// buffer to buffer, the same in every channel.
class SineSource {
 public:
  SineSource(double frequency, double amplitude, int rate, int channels)
      : frequency_(frequency), amplitude_(amplitude), rate_(rate), channels_(channels) {}
  void operator()(int16_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; i += static_cast<std::size_t>(channels_)) {
      const double value = amplitude_ * std::sin(2.0 * M_PI * frequency_ * static_cast<double>(frame_) / rate_);
      for (int c = 0; c < channels_ && i + static_cast<std::size_t>(c) < count; ++c)
        samples[i + static_cast<std::size_t>(c)] = static_cast<int16_t>(std::lround(value));
      ++frame_;
    }
  }
  long frames() const { return frame_; }

 private:
  double frequency_;
  double amplitude_;
  int rate_;
  int channels_;
  long frame_ = 0;
};

}  // namespace quillane::test
