#include "audio/pause_detection.h"

#include <chrono>
#include <cstdio>

#include "audio/audio_session.h"
#include "audio/normalize_scan.h"
#include "audio/parallel_pauses.h"
#include "edit/edit_model.h"

namespace quillane {

namespace {

int scanProgress(int64_t position, int64_t begin, int64_t end) {
  if (end <= begin || position >= end) return 100;
  if (position <= begin) return 0;
  return static_cast<int>((position - begin) * 100 / (end - begin));
}

}  // namespace

std::string pauseThresholdText(const Settings& settings) {
  char text[32];
  std::snprintf(text, sizeof text, "%2.1f dB", pauseLevelToDb(settings.silence_level));
  return text;
}

std::string pauseDurationText(const Settings& settings, const AudioStream& stream) {
  char text[32];
  const double seconds =
      stream.avgBitrate > 0 ? 80.0 * settings.silence_duration * stream.avgFrameSize / stream.avgBitrate : 0.0;
  std::snprintf(text, sizeof text, "> %2.1f sec", seconds);
  return text;
}

std::string pauseOffsetText(const Settings& settings) {
  char text[32];
  std::snprintf(text, sizeof text, "%d frames", settings.silence_offset - kSilenceOffsetZero);
  return text;
}

PauseDetection::PauseDetection(AudioSession& session, Host& host, DecoderBackendFactory factory)
    : session_(session), host_(host), factory_(factory), seek_(std::move(factory)) {}

PauseDetection::~PauseDetection() { peakSeekClose(session_, host_, seek_); }

void PauseDetection::open() {
  selectAllWhenEmpty(session_);
  scanBegin_ = session_.edits.selection.beg;
  scanEnd_ = session_.edits.selection.end;
  pauseStart_ = -1;
}

bool PauseDetection::start() {
  peakSeekClose(session_, host_, seek_);
  running_ = false;
  tableFull_ = false;
  session_.stream.cursor = scanBegin_;
  quietCount_ = 0;
  foundCount_ = 0;
  pauseStart_ = -1;
  progress_ = 0;
  EditRangeTable& edits = session_.edits;
  for (int i = edits.count - 1; i >= 0; --i) {
    if (edits.ranges[i].type == kRangeCut) deleteRange(edits, session_.selectionUndo, i, false);
  }
  if (!peakSeekInit(session_, host_, seek_, 1)) {
    peakSeekClose(session_, host_, seek_);
    host_.beep();
    return false;
  }
  running_ = true;
  if (threads_ > 1) {
    parallel_ = std::make_unique<ParallelPauseScan>(session_, factory_, threads_, cutWholePause);
    if (!parallel_->start(scanBegin_, scanEnd_)) parallel_.reset();
  }
  return true;
}

bool PauseDetection::markPause(int64_t loudFrame) {
  AudioStream& stream = session_.stream;
  const Settings& settings = session_.settings;
  EditRangeTable& edits = session_.edits;
  const PauseMark mark = placePauseMark(stream, settings, cutWholePause, loudFrame, pauseStart_);
  edits.selection.beg = mark.beg;
  edits.selection.end = mark.cue;
  edits.selection.type = kRangeCut;
  releasePendingNames(edits);
  if (!addRangeFromSelection(edits, session_.selectionUndo, false)) return false;
  stream.cursor = cursorAfterPause(stream, settings, stream.cursor);  // from one frame past the loud frame
  ++foundCount_;
  return true;
}

bool PauseDetection::markFoundPauses(const PauseChain& chain) {
  AudioStream& stream = session_.stream;
  for (const FoundPause& pause : chain.found) {
    stream.cursor = pause.cursor;
    pauseStart_ = pause.pauseStart;
    if (!markPause(pause.loudFrame)) return false;
  }
  // Where the scan got to, on the frame it found last.
  stream.cursor = chain.reached;
  stream.currentHeader = chain.lastHeader;
  return true;
}

bool PauseDetection::stepParallel() {
  constexpr std::chrono::milliseconds kWait{10};
  if (!parallel_->waitFinished(kWait)) {
    progress_ = parallel_->progress();
    return running_;
  }
  const PauseChain chain = parallel_->chain();
  parallel_.reset();
  if (!chain.complete) return running_;  // on with one thread, from the begin where the cursor still is
  tableFull_ = !markFoundPauses(chain);
  finish();
  return false;
}

bool PauseDetection::step() {
  if (!running_) return false;
  if (parallel_) return stepParallel();
  AudioStream& stream = session_.stream;
  int64_t& cursor = stream.cursor;
  const int quietLimit = session_.settings.silence_level * session_.settings.silence_level;
  const int pauseFrames = kFramesPerDurationUnit * session_.settings.silence_duration;
  if (cursor < scanEnd_) {
    for (int block = 0; block < kScanBlocksPerTick && cursor < scanEnd_; ++block) {
      const int64_t before = cursor;
      const int peak = blockPeak(session_, host_, seek_, 1);
      if (cursor <= before) {  // nothing more can be read
        cursor = scanEnd_;
        break;
      }
      if (peak < quietLimit) {
        ++quietCount_;
        if (pauseStart_ == -1) pauseStart_ = cursor;
        continue;
      }
      if (quietCount_ >= pauseFrames && !markPause(before)) {
        tableFull_ = true;
        finish();
        return false;
      }
      quietCount_ = 0;
      pauseStart_ = -1;
      cursor = landingAfterLoudFrame(stream, cursor, scanEnd_);
      peakSeekJumped(seek_);
    }
    progress_ = scanProgress(cursor, scanBegin_, scanEnd_);
  }
  if (cursor >= scanEnd_) finish();
  return running_;
}

void PauseDetection::finish() {
  if (parallel_) {  // stopped while the threads run: what they found so far stays, as with one thread
    parallel_->cancel();
    const PauseChain chain = parallel_->chain();
    parallel_.reset();
    tableFull_ = !markFoundPauses(chain);
  }
  if (running_ || seek_.opened) progress_ = scanProgress(session_.stream.cursor, scanBegin_, scanEnd_);
  peakSeekClose(session_, host_, seek_);
  running_ = false;
}

void PauseDetection::stop() { finish(); }

void PauseDetection::close() {
  finish();
  session_.edits.currentRange = -1;
}

std::string PauseDetection::foundText() const {
  char text[32];
  std::snprintf(text, sizeof text, "Found: %d", foundCount_);
  return text;
}

}  // namespace quillane
