#include "devices/qt_input_device.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <cmath>
#include <cstring>
#include <iostream>
#include <numbers>

#include "devices/qt_output_device.h"
#include "loopback_recorder.h"

namespace quillane {
namespace {

using test::pumpEvents;
using test::pumpEventsUntil;

constexpr int kBufferCount = 32;  // as many as the recording engine circulates
constexpr int kTimeoutMs = 20000;  // only so that a broken device cannot hang the run
constexpr int kSinkRate = 44100;   // the test server's null sink

PcmFormat pcmFormat(uint16_t channels, uint32_t rate) {
  PcmFormat format;
  format.channels = channels;
  format.samplesPerSecond = rate;
  format.blockAlign = static_cast<uint16_t>(2 * channels);
  format.avgBytesPerSecond = rate * format.blockAlign;
  return format;
}

// A stereo pattern that is never silent and never repeats within 30000 × 16
// frames: a counter in the left channel, the count of its wraps in the right.
std::vector<int16_t> makePattern(int frames) {
  std::vector<int16_t> pcm(static_cast<size_t>(2 * frames));
  for (int i = 0; i < frames; ++i) {
    pcm[2 * i] = static_cast<int16_t>(i % 30000 + 1);
    pcm[2 * i + 1] = static_cast<int16_t>(-(i / 30000 + 1));
  }
  return pcm;
}

// A stereo sine of `hz` with peak `amplitude`, the same in both channels.
std::vector<int16_t> makeSine(int frames, double hz, double amplitude) {
  std::vector<int16_t> pcm(static_cast<size_t>(2 * frames));
  for (int i = 0; i < frames; ++i) {
    const double value = amplitude * std::sin(2 * std::numbers::pi * hz * i / kSinkRate);
    pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(std::lround(value));
  }
  return pcm;
}

// The frame of a stereo `recording` where `pattern` begins, or -1.
long findStart(const std::vector<int16_t>& recording, const std::vector<int16_t>& pattern) {
  for (size_t f = 0; 2 * f + 1 < recording.size(); ++f) {
    if (recording[2 * f] == pattern[0] && recording[2 * f + 1] == pattern[1]) return static_cast<long>(f);
  }
  return -1;
}

long mismatchedFrames(const std::vector<int16_t>& recording, long start, const std::vector<int16_t>& pattern) {
  long mismatched = 0;
  for (size_t f = 0; 2 * f < pattern.size(); ++f) {
    const size_t at = 2 * (static_cast<size_t>(start) + f);
    if (at + 1 >= recording.size() || recording[at] != pattern[2 * f] || recording[at + 1] != pattern[2 * f + 1]) {
      ++mismatched;
    }
  }
  return mismatched;
}

// Records the way the recording engine does: 32 buffers queued, each one
// appended to the recording and queued again when it comes back.
class Recorder {
 public:
  Recorder(QtInputDevice& device, uint32_t bufferBytes)
      : device_(device), buffers_(kBufferCount, std::vector<uint8_t>(bufferBytes)) {}

  bool start(const PcmFormat& format, int number = -1) {
    if (!device_.open(format, number, [this](int index, uint32_t bytes) { onFilled(index, bytes); })) return false;
    for (int i = 0; i < kBufferCount; ++i) queue(i);
    insideCall_ = true;
    const bool started = device_.start();
    insideCall_ = false;
    return started;
  }

  void onFilled(int index, uint32_t bytes) {
    if (insideCall_) ++noticesInsideCalls;
    returned.push_back(index);
    const std::vector<uint8_t>& buffer = buffers_[static_cast<size_t>(index)];
    if (bytes != buffer.size()) ++partialBuffers;
    recording.insert(recording.end(), buffer.begin(), buffer.begin() + std::min<size_t>(bytes, buffer.size()));
    if (refill) queue(index);
  }

  void queue(int index) {
    std::vector<uint8_t>& buffer = buffers_[static_cast<size_t>(index)];
    std::memset(buffer.data(), 0x55, buffer.size());  // stale bytes must not pass for sound
    added.push_back(index);
    insideCall_ = true;
    device_.addBuffer(index, buffer.data(), static_cast<uint32_t>(buffer.size()));
    insideCall_ = false;
  }

  std::vector<int16_t> samples() const {
    std::vector<int16_t> out(recording.size() / 2);
    std::memcpy(out.data(), recording.data(), out.size() * 2);
    return out;
  }

  std::vector<int> added;
  std::vector<int> returned;
  std::vector<uint8_t> recording;
  int partialBuffers = 0;
  int noticesInsideCalls = 0;
  bool refill = true;

 private:
  QtInputDevice& device_;
  std::vector<std::vector<uint8_t>> buffers_;
  bool insideCall_ = false;
};

// Plays `pcm` (stereo, 44.1 kHz) into the test sink in one buffer.
class Playback {
 public:
  explicit Playback(std::vector<int16_t> pcm) : pcm_(std::move(pcm)) {}

  bool start() {
    if (!device_.open(pcmFormat(2, kSinkRate), -1, [this](int) { done_ = true; })) return false;
    device_.write(0, reinterpret_cast<const uint8_t*>(pcm_.data()), static_cast<uint32_t>(pcm_.size() * 2));
    return true;
  }
  bool done() const { return done_; }

 private:
  std::vector<int16_t> pcm_;
  QtOutputDevice device_;
  bool done_ = false;
};

class QtInputDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string problem = test::soundServerProblem();
    if (!problem.empty()) FAIL() << problem;
    if (QMediaDevices::audioInputs().isEmpty()) FAIL() << "Qt lists no audio input";
  }

  QtInputDevice device_;
};

TEST_F(QtInputDeviceTest, ListsTheInputsWithTheTestMicrophoneAsDefault) {
  const std::vector<std::string> names = device_.inputNames();
  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  ASSERT_EQ(names.size(), static_cast<size_t>(inputs.size()));
  long mic = -1;
  for (qsizetype i = 0; i < inputs.size(); ++i) {
    if (inputs[i].id() == "q_mic") mic = static_cast<long>(i);
  }
  ASSERT_GE(mic, 0) << "q_mic is not among the inputs";
  EXPECT_EQ(names[static_cast<size_t>(mic)], inputs[mic].description().toStdString());
  EXPECT_FALSE(names[static_cast<size_t>(mic)].empty());
  EXPECT_EQ(QMediaDevices::defaultAudioInput().id(), QByteArray("q_mic"));
}

TEST_F(QtInputDeviceTest, RefusesNumbersOutOfRangeAndFormatsTheInputCannotTake) {
  const int count = static_cast<int>(device_.inputNames().size());
  auto ignore = [](int, uint32_t) {};
  const PcmFormat stereo = pcmFormat(2, kSinkRate);
  uint8_t byte = 0;

  EXPECT_FALSE(device_.addBuffer(0, &byte, 1)) << "a closed device queues nothing";
  EXPECT_FALSE(device_.start());
  for (int number : {count, count + 5, -2}) {
    EXPECT_FALSE(device_.open(stereo, number, ignore)) << "input " << number;
    EXPECT_FALSE(device_.isOpen());
  }
  EXPECT_FALSE(device_.open(pcmFormat(0, kSinkRate), -1, ignore));
  EXPECT_FALSE(device_.open(pcmFormat(2, 0), -1, ignore));
  EXPECT_FALSE(device_.open(pcmFormat(2, 10'000'000), -1, ignore));
  EXPECT_FALSE(device_.isOpen());

  EXPECT_TRUE(device_.open(stereo, -1, ignore));
  EXPECT_TRUE(device_.isOpen());
  EXPECT_TRUE(device_.open(stereo, count - 1, ignore));
  EXPECT_TRUE(device_.start());
  device_.close();
  EXPECT_FALSE(device_.isOpen());
  EXPECT_FALSE(device_.addBuffer(0, &byte, 1));
  device_.close();  // closing twice is harmless
}

// 32 buffers of one LAME chunk at 44.1 kHz stereo (1152 frames) cycle while
// a counter pattern plays into the sink: the input records it bit for bit.
TEST_F(QtInputDeviceTest, EveryBufferComesBackFullOnceInOrderAndHoldsWhatWasPlayed) {
  Recorder recorder(device_, 4608);
  ASSERT_TRUE(recorder.start(pcmFormat(2, kSinkRate)));
  // Let the input settle, so the pattern starts well inside the recording.
  ASSERT_TRUE(pumpEventsUntil([&] { return recorder.returned.size() >= 8; }, kTimeoutMs)) << "nothing recorded";

  const std::vector<int16_t> pattern = makePattern(2 * kSinkRate);
  Playback playback(pattern);
  const size_t recordedAtPlay = recorder.recording.size();
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(playback.start());
  long start = -1;
  ASSERT_TRUE(pumpEventsUntil(
      [&] {
        if (start < 0) start = findStart(recorder.samples(), pattern);
        return start >= 0;
      },
      kTimeoutMs))
      << "the played pattern never arrived";
  const qint64 arrivalMs = clock.elapsed();
  const size_t patternEnd = static_cast<size_t>(start) * 4 + pattern.size() * 2;
  ASSERT_TRUE(pumpEventsUntil([&] { return recorder.recording.size() >= patternEnd; }, kTimeoutMs));
  ASSERT_TRUE(pumpEventsUntil([&] { return playback.done(); }, kTimeoutMs));
  const int waitingAtEnd = device_.waitingNotices();
  device_.close();

  EXPECT_EQ(recorder.noticesInsideCalls, 0);
  EXPECT_EQ(recorder.partialBuffers, 0);
  ASSERT_LE(recorder.returned.size(), recorder.added.size());
  EXPECT_EQ(recorder.returned, std::vector<int>(recorder.added.begin(), recorder.added.begin() +
                                                                          static_cast<long>(recorder.returned.size())));
  EXPECT_GT(recorder.returned.size(), static_cast<size_t>(2 * kBufferCount)) << "the buffers went round twice";
  EXPECT_EQ(device_.droppedBytes(), 0) << "buffers came back in time, so no sound was dropped";
  EXPECT_EQ(mismatchedFrames(recorder.samples(), start, pattern), 0);
  EXPECT_LT(waitingAtEnd, kBufferCount);
  std::cout << "[ measure  ] play to capture: " << (static_cast<size_t>(start) * 4 - recordedAtPlay) * 1000 / (4 * kSinkRate)
            << " ms of captured sound, pattern seen after " << arrivalMs << " ms; buffers returned "
            << recorder.returned.size() << ", bytes dropped " << device_.droppedBytes() << "\n";
}

// Other formats are converted by the server: a 1 kHz tone recorded in mono at
// 22.05 and 48 kHz keeps its pitch and level, and the bytes come at the rate asked.
TEST_F(QtInputDeviceTest, RecordsAToneInTheFormatAsked) {
  constexpr double kHz = 1000;
  constexpr double kAmplitude = 8000;
  for (const PcmFormat& format : {pcmFormat(1, 22050), pcmFormat(1, 48000), pcmFormat(2, 48000)}) {
    SCOPED_TRACE(std::to_string(format.channels) + " channels at " + std::to_string(format.samplesPerSecond));
    QtInputDevice device;
    Recorder recorder(device, 2 * 1152 * format.channels);
    ASSERT_TRUE(recorder.start(format));
    ASSERT_TRUE(pumpEventsUntil([&] { return recorder.returned.size() >= 4; }, kTimeoutMs));

    Playback playback(makeSine(2 * kSinkRate, kHz, kAmplitude));
    ASSERT_TRUE(playback.start());
    const size_t atPlay = recorder.recording.size();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pumpEventsUntil([&] { return playback.done(); }, kTimeoutMs));
    const double seconds = clock.elapsed() / 1000.0;
    const size_t bytes = recorder.recording.size() - atPlay;
    device.close();

    EXPECT_NEAR(bytes / seconds, format.avgBytesPerSecond, format.avgBytesPerSecond * 0.1);
    // Measure pitch and level over the loudest second of the recording.
    const std::vector<int16_t> samples = recorder.samples();
    const size_t frames = samples.size() / format.channels;
    const size_t window = format.samplesPerSecond;
    ASSERT_GT(frames, window);
    size_t best = 0;
    double bestEnergy = -1;
    for (size_t from = 0; from + window <= frames; from += window / 10) {
      double energy = 0;
      for (size_t f = from; f < from + window; f += 7) energy += std::pow(samples[f * format.channels], 2);
      if (energy > bestEnergy) {
        bestEnergy = energy;
        best = from;
      }
    }
    double sumSquares = 0;
    int crossings = 0;
    for (size_t f = best; f < best + window; ++f) {
      const double value = samples[f * format.channels];
      sumSquares += value * value;
      if (f > best && (samples[(f - 1) * format.channels] < 0) != (value < 0)) ++crossings;
    }
    const double rmsDb = 20 * std::log10(std::sqrt(sumSquares / window) / (kAmplitude / std::sqrt(2.0)));
    EXPECT_NEAR(crossings / 2.0, kHz, 3) << "the tone's pitch";
    EXPECT_NEAR(rmsDb, 0.0, 0.5) << "the tone's level";
  }
}

TEST_F(QtInputDeviceTest, SoundWithNoBufferQueuedIsDroppedAndCounted) {
  int notices = 0;
  ASSERT_TRUE(device_.open(pcmFormat(2, kSinkRate), -1, [&](int, uint32_t) { ++notices; }));
  ASSERT_TRUE(device_.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return device_.droppedBytes() > 0; }, kTimeoutMs));
  EXPECT_EQ(notices, 0);

  std::vector<uint8_t> buffer(4608);
  ASSERT_TRUE(device_.addBuffer(3, buffer.data(), static_cast<uint32_t>(buffer.size())));
  ASSERT_TRUE(pumpEventsUntil([&] { return notices == 1; }, kTimeoutMs));
  device_.close();
}

// Buffers of 4 bytes: one captured chunk fills all 32 at once, so their
// notices wait together; closing in the first one drops the other 31.
TEST_F(QtInputDeviceTest, CloseDropsNoticesNotYetDelivered) {
  std::vector<uint8_t> tiny(4 * kBufferCount);
  std::vector<int> delivered;
  int waitingAtFirst = -1;
  ASSERT_TRUE(device_.open(pcmFormat(2, kSinkRate), -1, [&](int index, uint32_t) {
    delivered.push_back(index);
    waitingAtFirst = device_.waitingNotices();
    device_.close();
  }));
  for (int i = 0; i < kBufferCount; ++i) ASSERT_TRUE(device_.addBuffer(i, tiny.data() + 4 * i, 4));
  ASSERT_TRUE(device_.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return !delivered.empty(); }, kTimeoutMs));
  pumpEvents(300);
  EXPECT_EQ(delivered, std::vector<int>{0});
  EXPECT_EQ(waitingAtFirst, kBufferCount - 1);
  EXPECT_EQ(device_.waitingNotices(), 0);

  // Opening again in the first notice: the 31 waiting ones never reach the
  // new handler, which gets the notices of its own buffers only.
  std::vector<int> first;
  std::vector<int> second;
  ASSERT_TRUE(device_.open(pcmFormat(2, kSinkRate), -1, [&](int index, uint32_t) {
    first.push_back(index);
    ASSERT_TRUE(device_.open(pcmFormat(2, kSinkRate), -1, [&](int again, uint32_t) { second.push_back(again); }));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(device_.addBuffer(100 + i, tiny.data() + 4 * i, 4));
    ASSERT_TRUE(device_.start());
  }));
  for (int i = 0; i < kBufferCount; ++i) ASSERT_TRUE(device_.addBuffer(i, tiny.data() + 4 * i, 4));
  ASSERT_TRUE(device_.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return second.size() == 3; }, kTimeoutMs));
  pumpEvents(300);
  EXPECT_EQ(first, std::vector<int>{0});
  EXPECT_EQ(second, (std::vector<int>{100, 101, 102}));
  device_.close();
}

}  // namespace
}  // namespace quillane
