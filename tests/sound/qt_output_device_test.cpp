#include "devices/qt_output_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "loopback_recorder.h"

namespace quillane {
namespace {

using test::LoopbackRecorder;
using test::pumpEvents;
using test::pumpEventsUntil;

constexpr int kRate = LoopbackRecorder::kRate;
constexpr int kTimeoutMs = 20000;  // only so that a broken device cannot hang the run

PcmFormat stereo44k() {
  PcmFormat format;
  format.channels = 2;
  format.samplesPerSecond = kRate;
  format.avgBytesPerSecond = kRate * 4;
  format.blockAlign = 4;
  return format;
}

// A stereo pattern that is never silent and never repeats within 32000 × 16
// frames: a counter in the left channel, the count of its wraps in the right.
// `sign` tells two patterns apart (+1: left positive, -1: left negative).
std::vector<int16_t> makePattern(int frames, int sign) {
  std::vector<int16_t> pcm(static_cast<size_t>(2 * frames));
  for (int i = 0; i < frames; ++i) {
    pcm[2 * i] = static_cast<int16_t>(sign * (i % 32000 + 1));
    pcm[2 * i + 1] = static_cast<int16_t>(-sign * (i / 32000 + 1));
  }
  return pcm;
}

// The frame of `recording` where `pattern` begins, or -1.
long findStart(const std::vector<int16_t>& recording, const std::vector<int16_t>& pattern) {
  for (size_t f = 0; 2 * f + 1 < recording.size(); ++f) {
    if (recording[2 * f] == pattern[0] && recording[2 * f + 1] == pattern[1]) return static_cast<long>(f);
  }
  return -1;
}

struct Comparison {
  long mismatchedFrames = 0;
  long silentRuns = 0;  // runs of silent frames where the pattern has sound
};

Comparison compareAt(const std::vector<int16_t>& recording, long start, const std::vector<int16_t>& pattern) {
  Comparison result;
  bool inSilence = false;
  for (size_t f = 0; 2 * f < pattern.size(); ++f) {
    const size_t at = 2 * (static_cast<size_t>(start) + f);
    const bool present = at + 1 < recording.size();
    const bool same = present && recording[at] == pattern[2 * f] && recording[at + 1] == pattern[2 * f + 1];
    const bool silent = !present || (recording[at] == 0 && recording[at + 1] == 0);
    if (!same) ++result.mismatchedFrames;
    if (silent && !inSilence) ++result.silentRuns;
    inSilence = silent;
  }
  return result;
}

// Frames of `recording` that belong to the pattern of `sign` (see makePattern).
long framesOfPattern(const std::vector<int16_t>& recording, int sign) {
  long n = 0;
  for (size_t f = 0; 2 * f + 1 < recording.size(); ++f) {
    if (sign * recording[2 * f] > 0 && sign * recording[2 * f + 1] < 0) ++n;
  }
  return n;
}

// Plays `pcm` the way the playback engine does: four buffers, each refilled
// and written again when the device hands it back.
class Player {
 public:
  Player(QtOutputDevice& device, const std::vector<int16_t>& pcm, uint32_t bufferBytes)
      : device_(device),
        source_(reinterpret_cast<const uint8_t*>(pcm.data())),
        total_(pcm.size() * 2),
        buffers_(4, std::vector<uint8_t>(bufferBytes)) {}

  bool start(int number = -1) {
    if (!device_.open(stereo44k(), number, [this](int index) { onDone(index); })) return false;
    for (int i = 0; i < 4; ++i) submit(i);
    return true;
  }

  void onDone(int index) {
    if (insideCall_) ++noticesInsideCalls;
    returned.push_back(index);
    if (refill) submit(index);
  }

  void submit(int index) {
    const size_t n = std::min(buffers_[static_cast<size_t>(index)].size(), total_ - position_);
    if (n == 0) return;
    std::memcpy(buffers_[static_cast<size_t>(index)].data(), source_ + position_, n);
    position_ += n;
    written.push_back(index);
    insideCall_ = true;
    device_.write(index, buffers_[static_cast<size_t>(index)].data(), static_cast<uint32_t>(n));
    insideCall_ = false;
  }

  void reset() {
    insideCall_ = true;
    device_.reset();
    insideCall_ = false;
  }

  bool allReturned() const { return position_ == total_ && returned.size() == written.size(); }

  std::vector<int> written;
  std::vector<int> returned;
  int noticesInsideCalls = 0;
  bool refill = true;

 private:
  QtOutputDevice& device_;
  const uint8_t* source_;
  size_t total_;
  size_t position_ = 0;
  std::vector<std::vector<uint8_t>> buffers_;
  bool insideCall_ = false;
};

class QtOutputDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string problem = test::soundServerProblem();
    if (!problem.empty()) FAIL() << problem;
  }

  void startRecording() {
    std::string error;
    ASSERT_TRUE(recorder_.start(&error)) << error;
  }

  // Stops the recording once what was played has surely come through.
  std::vector<int16_t> finishRecording() {
    pumpEvents(400);
    recorder_.stop();
    return recorder_.samples();
  }

  QtOutputDevice device_;
  LoopbackRecorder recorder_;
};

TEST_F(QtOutputDeviceTest, ListsOutputsAndRefusesNumbersOutOfRange) {
  const std::vector<std::string> names = device_.outputNames();
  ASSERT_FALSE(names.empty());
  EXPECT_FALSE(device_.isOpen());

  auto ignore = [](int) {};
  EXPECT_FALSE(device_.open(stereo44k(), static_cast<int>(names.size()), ignore));
  EXPECT_FALSE(device_.isOpen());
  EXPECT_FALSE(device_.open(stereo44k(), -2, ignore));
  EXPECT_FALSE(device_.isOpen());

  EXPECT_TRUE(device_.open(stereo44k(), -1, ignore));
  EXPECT_TRUE(device_.isOpen());
  device_.close();
  EXPECT_FALSE(device_.isOpen());
  EXPECT_TRUE(device_.open(stereo44k(), 0, ignore));
  device_.close();
  device_.close();  // closing twice is harmless
}

// The smallest buffers the engine uses: 4 of 4608 bytes (26 ms each) circulate.
TEST_F(QtOutputDeviceTest, PlaysEveryBufferCompleteAndInOrderAndHandsEachBackOnce) {
  startRecording();
  const std::vector<int16_t> pattern = makePattern(2 * kRate, +1);
  Player player(device_, pattern, 4608);
  const int64_t recordedAtStart = recorder_.bytesRecorded();
  ASSERT_TRUE(player.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return player.allReturned(); }, kTimeoutMs)) << "buffers still out";
  const std::vector<int16_t> recording = finishRecording();

  EXPECT_EQ(player.noticesInsideCalls, 0);
  EXPECT_EQ(player.returned, player.written);  // each once, in the order written
  EXPECT_GT(player.written.size(), 4u);

  const long start = findStart(recording, pattern);
  ASSERT_GE(start, 0) << "the pattern never arrived";
  const Comparison comparison = compareAt(recording, start, pattern);
  EXPECT_EQ(comparison.mismatchedFrames, 0);
  EXPECT_EQ(comparison.silentRuns, 0);
  std::cout << "[ measure  ] first write to sound: about " << (start * 4 - recordedAtStart) * 1000 / (kRate * 4)
            << " ms; silent runs inside the pattern: " << comparison.silentRuns << "\n";
}

TEST_F(QtOutputDeviceTest, LargeBuffersPlayBitExact) {
  startRecording();
  const std::vector<int16_t> pattern = makePattern(kRate * 3 / 2, -1);
  Player player(device_, pattern, 65536);
  ASSERT_TRUE(player.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return player.allReturned(); }, kTimeoutMs));
  const std::vector<int16_t> recording = finishRecording();

  EXPECT_EQ(player.returned, player.written);
  const long start = findStart(recording, pattern);
  ASSERT_GE(start, 0);
  EXPECT_EQ(compareAt(recording, start, pattern).mismatchedFrames, 0);
}

TEST_F(QtOutputDeviceTest, ResetReturnsEveryQueuedBufferAndStopsTheSound) {
  startRecording();
  // Four seconds queued in four buffers.
  const std::vector<int16_t> before = makePattern(4 * kRate, +1);
  Player first(device_, before, kRate * 4);
  first.refill = false;
  ASSERT_TRUE(first.start());
  ASSERT_TRUE(pumpEventsUntil([&] { return framesOfPattern(recorder_.samples(), +1) > 0; }, kTimeoutMs))
      << "the sound never started";
  const long heardBeforeReset = framesOfPattern(recorder_.samples(), +1);

  first.reset();
  EXPECT_TRUE(first.returned.empty()) << "notices must come later, not inside reset";
  ASSERT_TRUE(pumpEventsUntil([&] { return first.returned.size() == 4; }, kTimeoutMs));
  EXPECT_EQ(first.returned, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(first.noticesInsideCalls, 0);
  EXPECT_TRUE(device_.isOpen());

  // What is written after the reset plays, complete.
  const std::vector<int16_t> after = makePattern(kRate / 2, -1);
  std::vector<int> afterReturned;
  std::vector<uint8_t> buffer(after.size() * 2);
  std::memcpy(buffer.data(), after.data(), buffer.size());
  // The device keeps its handler: the first player sees this buffer come back.
  first.returned.clear();
  device_.write(7, buffer.data(), static_cast<uint32_t>(buffer.size()));
  ASSERT_TRUE(pumpEventsUntil([&] { return first.returned.size() == 1; }, kTimeoutMs));
  EXPECT_EQ(first.returned, std::vector<int>{7});
  const std::vector<int16_t> recording = finishRecording();

  const long heardInAll = framesOfPattern(recording, +1);
  EXPECT_LT(heardInAll, 2 * kRate) << "the queued sound went on after the reset";
  const long start = findStart(recording, after);
  ASSERT_GE(start, 0) << "nothing written after the reset was heard";
  EXPECT_EQ(compareAt(recording, start, after).mismatchedFrames, 0);
  std::cout << "[ measure  ] sound after reset: about " << (heardInAll - heardBeforeReset) * 1000 / kRate
            << " ms more of the queue\n";
}

TEST_F(QtOutputDeviceTest, CloseDropsNoticesNotYetDelivered) {
  std::vector<uint8_t> silence(4608);
  int notices = 0;
  ASSERT_TRUE(device_.open(stereo44k(), -1, [&](int) { ++notices; }));
  device_.write(0, silence.data(), static_cast<uint32_t>(silence.size()));
  device_.write(1, silence.data(), static_cast<uint32_t>(silence.size()));
  device_.reset();  // both notices are posted now
  device_.write(2, silence.data(), static_cast<uint32_t>(silence.size()));
  device_.close();
  pumpEvents(500);
  EXPECT_EQ(notices, 0);

  // A device opened again delivers its own notices only.
  ASSERT_TRUE(device_.open(stereo44k(), -1, [&](int) { ++notices; }));
  device_.write(3, silence.data(), static_cast<uint32_t>(silence.size()));
  device_.reset();
  device_.close();
  ASSERT_TRUE(device_.open(stereo44k(), -1, [&](int) { ++notices; }));
  device_.write(4, silence.data(), static_cast<uint32_t>(silence.size()));
  EXPECT_TRUE(pumpEventsUntil([&] { return notices == 1; }, kTimeoutMs));
  pumpEvents(300);
  EXPECT_EQ(notices, 1);
}

}  // namespace
}  // namespace quillane
