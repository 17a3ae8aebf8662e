// `quillane-cli play` against the test sound server: what is played comes back
// through the null sink's monitor and is measured (levels, frequencies,
// durations); the cursor the command prints shows where playback left it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "loopback_recorder.h"

namespace quillane {
namespace {

using test::LoopbackRecorder;

constexpr int kRate = LoopbackRecorder::kRate;
constexpr int kChannels = LoopbackRecorder::kChannels;
constexpr int kWindow = kRate / 100;  // 10 ms
constexpr double kWindowSeconds = 0.01;
constexpr double kFrameSeconds = 1152.0 / kRate;
constexpr double kPrelistenSeconds = 70 * kFrameSeconds;  // about 1.83 s
constexpr int kProcessTimeoutMs = 60000;

// tone_silence_tone.mp3: 417-byte Info frame, then CBR 128 kbit/s (16000 bytes a
// second) up to the end of the file; 2 s tone, 2 s silence, 2 s tone.
constexpr int64_t kToneAudioStart = 417;
constexpr int64_t kToneAudioEnd = 96965;
constexpr double kToneBytesPerSecond = 16000.0;
constexpr int64_t kToneFrameBytes = 418;

// tone_steps.mp3: eight 1 s steps, 400 Hz rising by 200 Hz.
constexpr int kStepCount = 8;
constexpr double stepFrequency(int step) { return 400.0 + 200.0 * step; }

std::string dataFile(const char* name) { return std::string(QUILLANE_TEST_DATA_DIR) + "/" + name; }

double toneCursorSeconds(int64_t cursor) {
  return static_cast<double>(cursor - kToneAudioStart) / kToneBytesPerSecond;
}

// One run of the command while the monitor records.
struct PlayRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  int64_t cursor = -1;           // "stopped at N (m'ss.cc)"
  std::vector<int16_t> samples;  // the recording, stereo interleaved
  std::vector<int16_t> left() const {
    std::vector<int16_t> channel(samples.size() / kChannels);
    for (size_t i = 0; i < channel.size(); ++i) channel[i] = samples[kChannels * i];
    return channel;
  }
};

PlayRun play(const QStringList& arguments) {
  PlayRun run;
  LoopbackRecorder recorder;
  std::string error;
  if (!recorder.start(&error)) {
    ADD_FAILURE() << error;
    return run;
  }
  QProcess process;
  process.start(QUILLANE_CLI_PATH, QStringList{"play"} + arguments);
  if (!process.waitForFinished(kProcessTimeoutMs)) {
    process.kill();
    process.waitForFinished(2000);
    ADD_FAILURE() << "quillane-cli play " << arguments.join(' ').toStdString() << " did not finish";
  }
  // The last of the sound is still on its way to the recorder.
  test::pumpEvents(400);
  recorder.stop();
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput()).toStdString();
  run.err = QString::fromUtf8(process.readAllStandardError()).toStdString();
  std::smatch match;
  if (std::regex_search(run.out, match, std::regex(R"(stopped at (\d+) \()"))) run.cursor = std::stoll(match[1]);
  run.samples = recorder.samples();
  return run;
}

// --- Measuring the recording ---------------------------------------------------

double rms(const std::vector<int16_t>& samples, size_t begin, size_t end) {
  double sum = 0;
  for (size_t i = begin; i < end; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

double dbfs(double value) { return 20.0 * std::log10(std::max(value, 1e-9) / 32768.0); }

// A stretch of sound, in frames of the recording.
struct Stretch {
  size_t begin = 0;
  size_t end = 0;
  double seconds() const { return static_cast<double>(end - begin) / kRate; }
};

// The stretches whose 10 ms windows are louder than -30 dBFS, in one channel;
// a single quiet window inside sound does not split it.
std::vector<Stretch> soundRuns(const std::vector<int16_t>& channel) {
  const double threshold = 32768.0 * std::pow(10.0, -30.0 / 20.0);
  std::vector<Stretch> runs;
  const size_t windows = channel.size() / kWindow;
  size_t quiet = 0;
  bool inside = false;
  for (size_t w = 0; w < windows; ++w) {
    const bool loud = rms(channel, w * kWindow, (w + 1) * kWindow) > threshold;
    if (loud) {
      if (!inside) runs.push_back({w * kWindow, 0});
      inside = true;
      quiet = 0;
      runs.back().end = (w + 1) * kWindow;
    } else if (inside && ++quiet > 1) {
      inside = false;
    }
  }
  return runs;
}

// Frequency from the positive-going zero crossings (with hysteresis) of a stretch.
double zeroCrossingFrequency(const std::vector<int16_t>& channel, size_t begin, size_t end) {
  constexpr int kHysteresis = 1000;
  int crossings = 0;
  bool positive = channel[begin] > 0;
  size_t first = 0, last = 0;
  for (size_t i = begin; i < end; ++i) {
    if (!positive && channel[i] > kHysteresis) {
      positive = true;
      if (crossings++ == 0) first = i;
      last = i;
    } else if (positive && channel[i] < -kHysteresis) {
      positive = false;
    }
  }
  return crossings > 1 ? (crossings - 1) * static_cast<double>(kRate) / static_cast<double>(last - first) : 0.0;
}

// Runs of more than 2 ms where every channel is near zero, within frames [begin, end).
int dropouts(const std::vector<int16_t>& samples, size_t begin, size_t end) {
  constexpr size_t kLongest = kRate * 2 / 1000;
  int count = 0;
  size_t silent = 0;
  for (size_t f = begin; f < end; ++f) {
    bool quiet = true;
    for (int c = 0; c < kChannels; ++c) quiet = quiet && std::abs(samples[kChannels * f + c]) < 64;
    silent = quiet ? silent + 1 : 0;
    if (silent == kLongest + 1) ++count;
  }
  return count;
}

// What tone_steps.mp3 sounded like: the steps heard, in order, with how long
// each lasted. Every 10 ms the zero crossings of the 20 ms from there give the
// frequency, and the nearest step within 100 Hz; stretches under 50 ms (the
// clicks between steps, the restart of the decoder after a jump) are left out. Zero crossings stay right across the
// splices of Fast Play, which jump in phase every 10 ms.
struct HeardStep {
  int step = -1;
  double seconds = 0;
};

std::vector<HeardStep> heardSteps(const std::vector<int16_t>& channel) {
  const double loud = 32768.0 * std::pow(10.0, -30.0 / 20.0);
  std::vector<HeardStep> raw;
  for (size_t begin = 0; begin + 2 * kWindow <= channel.size(); begin += kWindow) {
    const size_t end = begin + 2 * kWindow;
    int step = -1;
    if (rms(channel, begin, end) > loud) {
      const double nearest = std::round((zeroCrossingFrequency(channel, begin, end) - stepFrequency(0)) / 200.0);
      if (nearest >= 0 && nearest < kStepCount) step = static_cast<int>(nearest);
    }
    if (!raw.empty() && raw.back().step == step)
      raw.back().seconds += kWindowSeconds;
    else
      raw.push_back({step, kWindowSeconds});
  }
  std::vector<HeardStep> steps;
  for (const HeardStep& h : raw) {
    if (h.step < 0 || h.seconds < 0.05 - 1e-9) continue;
    if (!steps.empty() && steps.back().step == h.step)
      steps.back().seconds += h.seconds;
    else
      steps.push_back(h);
  }
  return steps;
}

std::string describe(const std::vector<HeardStep>& steps) {
  std::string text;
  for (const HeardStep& h : steps)
    text += std::to_string(static_cast<int>(stepFrequency(h.step))) + " Hz " + std::to_string(h.seconds) + " s; ";
  return text;
}

std::string describe(const std::vector<Stretch>& runs) {
  std::string text;
  for (const Stretch& r : runs)
    text += "[" + std::to_string(static_cast<double>(r.begin) / kRate) + " s, " + std::to_string(r.seconds()) + " s] ";
  return text;
}

class PlayCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string problem = test::soundServerProblem();
    if (!problem.empty()) FAIL() << problem;
  }
};

// --- Playing a file -------------------------------------------------------------

TEST_F(PlayCommandTest, PlaysTheWholeFileAtItsFrequencyAndLevelAndStopsAtTheEnd) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3"))});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Played to the end by itself: the cursor at audioEnd or on the last frame.
  EXPECT_GE(run.cursor, kToneAudioEnd - 2 * kToneFrameBytes) << run.out;
  EXPECT_LE(run.cursor, kToneAudioEnd) << run.out;

  const std::vector<int16_t> left = run.left();
  const std::vector<Stretch> runs = soundRuns(left);
  ASSERT_EQ(runs.size(), 2u) << describe(runs);
  for (const Stretch& tone : runs) {
    EXPECT_NEAR(tone.seconds(), 2.0, 0.06) << describe(runs);
    // The steady middle: a 1 kHz sine at -6 dBFS peak is -9 dBFS RMS.
    const size_t begin = tone.begin + kRate / 20, end = tone.end - kRate / 20;
    EXPECT_NEAR(zeroCrossingFrequency(left, begin, end), 1000.0, 5.0);
    EXPECT_NEAR(dbfs(rms(run.samples, kChannels * begin, kChannels * end)), -9.03, 1.0);
    EXPECT_EQ(dropouts(run.samples, begin, end), 0);
  }
  EXPECT_NEAR(static_cast<double>(runs[1].begin - runs[0].end) / kRate, 2.0, 0.06) << describe(runs);
}

TEST_F(PlayCommandTest, PlaysFromAndToTheGivenPositions) {
  // From inside the first tone to inside the second: 0.5 s of tone, the silence, 0.5 s.
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3")), "--from", "1.5", "--to", "4.5"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<Stretch> runs = soundRuns(run.left());
  ASSERT_EQ(runs.size(), 2u) << describe(runs);
  EXPECT_NEAR(runs[0].seconds(), 0.5, 0.08) << describe(runs);
  EXPECT_NEAR(static_cast<double>(runs[1].begin - runs[0].end) / kRate, 2.0, 0.06) << describe(runs);
  // Playback ends with the block that reaches the stop (up to 4 frames more).
  EXPECT_GT(runs[1].seconds(), 0.45) << describe(runs);
  EXPECT_LT(runs[1].seconds(), 0.5 + 5 * kFrameSeconds) << describe(runs);
  EXPECT_NEAR(toneCursorSeconds(run.cursor), 4.5, 5 * kFrameSeconds) << run.out;
}

TEST_F(PlayCommandTest, StopInTheMiddleLeavesTheCursorWhereTheSoundStopped) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3")), "--stop-after-ms", "1200"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<Stretch> runs = soundRuns(run.left());
  ASSERT_EQ(runs.size(), 1u) << describe(runs);
  const double cursor = toneCursorSeconds(run.cursor);
  EXPECT_NEAR(cursor, 1.2, 0.35) << run.out;
  // The cursor is where the sound stopped: the frames heard end there.
  EXPECT_NEAR(runs[0].seconds(), cursor, 0.2) << describe(runs) << run.out;
}

TEST_F(PlayCommandTest, RefusesAnOutputThatDoesNotExist) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3")), "--device", "99"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Could not open wave/audio device"), std::string::npos) << run.err;
  EXPECT_TRUE(soundRuns(run.left()).empty());
}

// --- Prelisten -------------------------------------------------------------------

// A selection in the middle of the silence: F9 plays the 70 frames before it and
// the 70 after it, so the tone is heard on both sides and of the 2 s of silence
// only the 0.3 s on each side of the selection.
constexpr const char* kSilenceSelection = "2.3-3.7";

TEST_F(PlayCommandTest, PrelistenAsCutSkipsTheSelectionAndReturnsTheCursor) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3")), "--prelisten", "1",
                            "--selection", kSilenceSelection, "--from", "5.8"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<Stretch> runs = soundRuns(run.left());
  ASSERT_EQ(runs.size(), 2u) << describe(runs);
  const double before = 2.0 - (2.3 - kPrelistenSeconds);  // tone up to the silence
  const double after = 3.7 + kPrelistenSeconds - 4.0;  // tone from the silence's end
  EXPECT_NEAR(runs[0].seconds(), before, 0.1) << describe(runs);
  EXPECT_NEAR(static_cast<double>(runs[1].begin - runs[0].end) / kRate, 0.6, 0.1) << describe(runs);
  EXPECT_GT(runs[1].seconds(), after - 0.1) << describe(runs);
  EXPECT_LT(runs[1].seconds(), after + 5 * kFrameSeconds) << describe(runs);
  // It ran to its end: the cursor is back where it stood.
  EXPECT_NEAR(toneCursorSeconds(run.cursor), 5.8, 2 * kFrameSeconds) << run.out;
}

TEST_F(PlayCommandTest, PrelistenStoppedInTheMiddleLeavesTheCursorAtTheStop) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_silence_tone.mp3")), "--prelisten", "1",
                            "--selection", kSilenceSelection, "--from", "5.8", "--stop-after-ms", "800"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const double start = 2.3 - kPrelistenSeconds;
  EXPECT_NEAR(toneCursorSeconds(run.cursor), start + 0.8, 0.35) << run.out;
  const std::vector<Stretch> runs = soundRuns(run.left());
  ASSERT_EQ(runs.size(), 1u) << describe(runs);
  EXPECT_NEAR(runs[0].seconds(), toneCursorSeconds(run.cursor) - start, 0.2) << describe(runs) << run.out;
}

// --- Fast Play and seeking, on a file whose frequency tells the position --------------

TEST_F(PlayCommandTest, FastPlayLevelNinePlaysAboutFiveTimesFaster) {
  const PlayRun run =
      play({QString::fromStdString(dataFile("tone_steps.mp3")), "--buffer-frames", "8", "--fast", "9"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<HeardStep> steps = heardSteps(run.left());
  ASSERT_EQ(steps.size(), static_cast<size_t>(kStepCount)) << describe(steps);
  for (int s = 0; s < kStepCount; ++s) EXPECT_EQ(steps[s].step, s) << describe(steps);
  // The four buffers primed at the start play at normal speed (the sizing rule
  // makes 8 frames 6 at buffer_max 32: 0.63 s); from the third step on every
  // second of the file lasts about 1/5 s.
  for (int s = 2; s < kStepCount - 1; ++s) {
    EXPECT_GT(1.0 / steps[s].seconds, 3.5) << describe(steps);
    EXPECT_LT(1.0 / steps[s].seconds, 6.5) << describe(steps);
  }
}

TEST_F(PlayCommandTest, SeekWhilePlayingContinuesFromTheNewPlace) {
  const PlayRun run = play({QString::fromStdString(dataFile("tone_steps.mp3")), "--seek-at-ms", "1500",
                            "--seek-to", "5.1"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<HeardStep> steps = heardSteps(run.left());
  // 400 Hz, part of 600 Hz, then from 5.1 s on: 1400 Hz (0.9 s), 1600, 1800 Hz.
  ASSERT_EQ(steps.size(), 5u) << describe(steps);
  const int expected[] = {0, 1, 5, 6, 7};
  for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].step, expected[i]) << describe(steps);
  EXPECT_NEAR(steps[0].seconds, 1.0, 0.08) << describe(steps);
  EXPECT_GT(steps[1].seconds, 0.1) << describe(steps);
  EXPECT_LT(steps[1].seconds, 0.95) << describe(steps);
  // The decoder starts afresh at the new frame: its first frames may not be the tone yet.
  EXPECT_GT(steps[2].seconds, 0.7) << describe(steps);
  EXPECT_LT(steps[2].seconds, 1.0) << describe(steps);
  EXPECT_NEAR(steps[3].seconds, 1.0, 0.08) << describe(steps);
  EXPECT_NEAR(steps[4].seconds, 1.0, 0.1) << describe(steps);
}

}  // namespace
}  // namespace quillane
