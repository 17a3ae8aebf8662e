#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_session.h"
#include "audio/pause_positions.h"
#include "audio/peak_seek.h"
#include "session/host.h"
#include "settings/settings.h"
#include "stream/audio_stream.h"

namespace quillane {

class ParallelPauseScan;
struct PauseChain;

// Slider ranges of the settings the pause detection uses.
constexpr int kSilenceLevelMin = 1;
constexpr int kSilenceLevelMax = 100;
constexpr int kSilenceDurationMin = 1;
constexpr int kSilenceDurationMax = 30;
constexpr int kSilenceOffsetMax = 100;

// The texts beside the sliders: the threshold "%2.1f dB", the duration of
// 10 x silence_duration frames "> %2.1f sec" and the cue offset "%d frames".
std::string pauseThresholdText(const Settings& settings);
std::string pauseDurationText(const Settings& settings, const AudioStream& stream);
std::string pauseOffsetText(const Settings& settings);

// The "Pause detection" job: walks the selection frame by frame, and at the end of
// every run of at least 10 x silence_duration quiet frames sets a cue (or, with
// cutWholePause, a cut over the pause that keeps its first 50 frames), then skips
// silence_skip seconds. The dialog calls open() when it opens, start() on "&Start",
// step() from its timer until it returns false, stop() on "St&op" and close() on
// "&Close". After a scan the cursor is at the scan's begin. Given more than one
// thread, the selection is scanned on all of them (ParallelPauseScan) with the
// same result; step() then waits a little for the threads instead of decoding.
class PauseDetection {
 public:
  // A factory replaces the decoder back ends chosen by use_mpglib (tests).
  PauseDetection(AudioSession& session, Host& host, DecoderBackendFactory factory = {});
  ~PauseDetection();
  PauseDetection(const PauseDetection&) = delete;
  PauseDetection& operator=(const PauseDetection&) = delete;

  // Remembers the selection (an empty one becomes the whole audio) as the scan range.
  void open();
  // Deletes every cut and cue (gain ranges stay) and opens the peak seek at the scan
  // begin. False, after a beep, when the decoder could not open.
  bool start();
  // One timer tick: up to 50 decoded frames. True when another tick is needed.
  bool step();
  // The threads to scan on (defaultScanThreads(): one per core); one by default.
  // Takes effect at the next start().
  void setThreads(int threads) { threads_ = threads; }
  bool running() const { return running_; }
  void stop();
  // Ends the dialog: stops a running scan and leaves no range current.
  void close();

  // The "Cut whole pause" check box (not saved).
  bool cutWholePause = false;

  int64_t scanBegin() const { return scanBegin_; }
  int64_t scanEnd() const { return scanEnd_; }
  int foundCount() const { return foundCount_; }
  int progress() const { return progress_; }
  // True when the last scan ended because the range table was full.
  bool tableFull() const { return tableFull_; }
  // "Found: %d"
  std::string foundText() const;

 private:
  // Marks the pause that the loud frame at loudFrame ends; false when the range
  // could not be added.
  bool markPause(int64_t loudFrame);
  void finish();
  bool stepParallel();
  // Marks the pauses the threads found; false when the range table filled up.
  bool markFoundPauses(const PauseChain& chain);

  AudioSession& session_;
  Host& host_;
  DecoderBackendFactory factory_;
  PeakSeek seek_;
  std::unique_ptr<ParallelPauseScan> parallel_;
  int threads_ = 1;
  int64_t scanBegin_ = 0;
  int64_t scanEnd_ = 0;
  int64_t pauseStart_ = -1;
  int quietCount_ = 0;
  int foundCount_ = 0;
  int progress_ = 0;
  bool running_ = false;
  bool tableFull_ = false;
};

}  // namespace quillane
