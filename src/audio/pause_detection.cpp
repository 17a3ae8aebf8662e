#include "audio/pause_detection.h"

#include <cmath>
#include <cstdio>

#include "audio/audio_session.h"
#include "audio/normalize_scan.h"
#include "edit/edit_model.h"

namespace quillane {

namespace {

int scanProgress(int64_t position, int64_t begin, int64_t end) {
  if (end <= begin || position >= end) return 100;
  if (position <= begin) return 0;
  return static_cast<int>((position - begin) * 100 / (end - begin));
}

// findFrame for a computed offset that may fall outside the audio data.
int64_t frameNear(AudioStream& stream, int64_t offset) {
  if (offset < stream.audioStart) offset = stream.audioStart;
  if (offset >= stream.audioEnd) return stream.audioEnd;
  const int64_t found = findCurrentFrame(stream, offset);
  return found < 0 ? stream.audioEnd : found;
}

// The frame that starts nearest to `frames` average frames from the frame at `from`.
// Counting from the frame's start and taking the nearest one keeps the result exact
// for constant bit rates, where a frame is a byte longer or shorter than the average.
int64_t frameNearest(AudioStream& stream, int64_t from, int frames) {
  const double target = static_cast<double>(from) + (frames - 0.5) * static_cast<double>(stream.avgFrameSize);
  return frameNear(stream, static_cast<int64_t>(std::ceil(target)));
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
    : session_(session), host_(host), seek_(std::move(factory)) {}

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
  return true;
}

bool PauseDetection::markPause(int64_t loudFrame) {
  AudioStream& stream = session_.stream;
  const Settings& settings = session_.settings;
  EditRangeTable& edits = session_.edits;
  const int64_t cursor = stream.cursor;  // one frame past the loud frame
  // The cue lies silence_offset - 60 frames from the loud frame's start.
  const int64_t cue = frameNearest(stream, loudFrame, settings.silence_offset - kSilenceOffsetZero);
  edits.selection.beg = cue;
  edits.selection.end = cue;
  if (cutWholePause && pauseStart_ >= 0 && pauseStart_ < cue) {
    int64_t beg = frameNearest(stream, pauseStart_, kCutWholePauseKeptFrames);
    if (beg > cue) beg = cue;
    if (pauseStart_ < stream.audioStart + kPauseAtStartBytes) beg = stream.audioStart;
    edits.selection.beg = beg;
  }
  edits.selection.type = kRangeCut;
  releasePendingNames(edits);
  if (!addRangeFromSelection(edits, session_.selectionUndo, false)) return false;
  stream.cursor = frameNear(stream, cursor + static_cast<int64_t>(settings.silence_skip * stream.avgBitrate / 8.0));
  ++foundCount_;
  return true;
}

bool PauseDetection::step() {
  if (!running_) return false;
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
      const int64_t next =
          findCurrentFrame(stream, cursor + static_cast<int64_t>(kLoudSampleSkipFrames * stream.avgFrameSize));
      cursor = next <= 0 ? scanEnd_ : next;
      peakSeekJumped(seek_);
    }
    progress_ = scanProgress(cursor, scanBegin_, scanEnd_);
  }
  if (cursor >= scanEnd_) finish();
  return running_;
}

void PauseDetection::finish() {
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
