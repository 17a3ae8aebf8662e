#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_session.h"
#include "audio/parallel_peak.h"
#include "audio/peak_seek.h"
#include "session/host.h"

namespace quillane {

// Blocks decoded per timer tick by the analysis scans (the dialogs tick every 50 ms).
constexpr int kScanBlocksPerTick = 50;
constexpr int kScanTimerMs = 50;

constexpr int kNormalizeFramesPerBlock = 10;
// The level-change slider: 0..48, position 32 is no change, one position per step.
constexpr int kNormalizeSliderMax = 48;
constexpr int kNormalizeSliderZero = 32;
// A peak above this (in dB) is already at full scale: the scan stops there.
constexpr double kNormalizeFullScaleDb = -0.05;

// Widens a missing or zero-length selection to the whole audio data, as the
// Normalize and Pause detection commands do before their dialogs. True when widened.
bool selectAllWhenEmpty(AudioSession& session);

// The proposal for a peak of `peak` (0..32768): the largest number of 1.5 dB steps
// that keeps it at or below full scale; 0 for a silent selection.
int normalizeStepsForPeak(int32_t peak);
// 20 * log10(peak / 32767); -infinity for 0.
double normalizePeakDb(int32_t peak);

// The "Normalize selection" job: finds the largest sample of the selection and
// proposes a gain in 1.5 dB steps. The dialog calls open(), then step() from its
// timer until it returns false, then accept() (OK), stop() or cancel(). The cursor
// is back where it was whenever the scan is not running. Given more than one
// thread, the selection is decoded on all of them (ParallelPeakScan) with the same
// result; step() then waits a little for the threads instead of decoding.
class NormalizeScan {
 public:
  // A factory replaces the decoder back ends chosen by use_mpglib (tests).
  NormalizeScan(AudioSession& session, Host& host, DecoderBackendFactory factory = {});
  ~NormalizeScan();
  NormalizeScan(const NormalizeScan&) = delete;
  NormalizeScan& operator=(const NormalizeScan&) = delete;

  // Opens the peak seek over the selection (an empty one becomes the whole audio).
  // False when the decoder could not open: the dialog ends.
  bool open();
  // One timer tick: up to 50 blocks of 10 frames, or up to 10 ms of waiting for
  // the threads. True when another tick is needed.
  bool step();
  // The threads to scan on (defaultScanThreads(): one per core); one by default.
  // Takes effect at the next open().
  void setThreads(int threads) { threads_ = threads; }
  bool running() const { return running_; }

  // "&Stop": the proposal stays as measured so far.
  void stop();
  // "&OK": adds a gain range of the proposed steps over the selection and keeps the
  // selection. False (after "Selection range seems to be invalid") when refused.
  bool accept();
  // "&Cancel" or closing the window.
  void cancel();

  int progress() const { return progress_; }  // 0..100
  int32_t maxPeak() const { return maxPeak_; }
  double peakDb() const { return normalizePeakDb(maxPeak_); }
  int proposedSteps() const { return steps_; }
  int sliderPosition() const { return slider_; }
  // Moving the slider: the proposal becomes 32 - position steps.
  void setSliderPosition(int position);

  // The values beside the dialog's labels: "%2.1f dB" ("-inf dB" for silence) and
  // "%+2.1f dB" of the proposal.
  std::string peakText() const;
  std::string levelChangeText() const;
  // The same with the labels: "Peak found: -6.0 dB", "Level change: +6.0 dB".
  std::string peakFoundLine() const;
  std::string levelChangeLine() const;

 private:
  void finish();
  bool stepParallel();

  AudioSession& session_;
  Host& host_;
  DecoderBackendFactory factory_;
  int threads_ = 1;
  PeakSeek seek_;
  std::unique_ptr<ParallelPeakScan> parallel_;
  int64_t begin_ = 0;
  int64_t end_ = 0;
  int32_t maxPeak_ = 0;
  int steps_ = 0;
  int slider_ = 0;
  int progress_ = 0;
  bool running_ = false;
};

}  // namespace quillane
