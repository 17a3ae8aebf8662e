#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillane::test {

// Why the test sound server cannot be used, or empty when it can: the tests
// need the headless server that `scripts/sound-server start` runs.
std::string soundServerProblem();

// Runs the event loop of this thread until `done` holds or `timeoutMs` passed;
// returns whether it holds.
bool pumpEventsUntil(const std::function<bool()>& done, int timeoutMs);

// Runs the event loop for `ms` milliseconds.
void pumpEvents(int ms);

// Records a source of the test server (44100 Hz, stereo, signed 16-bit) into a
// file with parec: by default the monitor of the null sink, that is everything
// played; "q_mic" is the same sound offered as an input.
class LoopbackRecorder {
 public:
  explicit LoopbackRecorder(std::string source = "q_sink.monitor");
  ~LoopbackRecorder();

  // Starts parec and waits until the sound flows into the file; false (with
  // the reason in `error`) when it does not.
  bool start(std::string* error);
  // Stops parec; the recording stays readable.
  void stop();

  // Bytes recorded so far (also while recording).
  int64_t bytesRecorded() const;
  // The recorded interleaved samples (also while recording: what is on disk).
  std::vector<int16_t> samples() const;

  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

 private:
  std::string source_;
  QTemporaryDir dir_;
  QString path_;
  QProcess process_;
};

}  // namespace quillane::test
