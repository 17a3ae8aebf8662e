#include "audio/normalize_scan.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "audio/audio_session.h"
#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

// Dialog labels: a language file may replace them; the built-in words otherwise.
std::string label(const AudioSession& session, int index, const char* builtIn) {
  const std::string& text = session.text.text[index];
  return text.empty() ? std::string(builtIn) : text;
}

int scanProgress(int64_t position, int64_t begin, int64_t end) {
  if (end <= begin || position >= end) return 100;
  if (position <= begin) return 0;
  return static_cast<int>((position - begin) * 100 / (end - begin));
}

}  // namespace

bool selectAllWhenEmpty(AudioSession& session) {
  EditRangeTable& edits = session.edits;
  if (edits.hasSelection() && edits.selection.beg != edits.selection.end) return false;
  selectAll(edits, session.stream);
  return true;
}

double normalizePeakDb(int32_t peak) {
  if (peak <= 0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(peak / 32767.0);
}

int normalizeStepsForPeak(int32_t peak) {
  if (peak <= 0) return 0;  // pure silence: no level to bring up
  const double db = normalizePeakDb(peak);
  // Truncated toward zero twice, so that the proposal never passes full scale.
  return static_cast<int>(-10.0 * db) / 15;
}

NormalizeScan::NormalizeScan(AudioSession& session, Host& host, DecoderBackendFactory factory)
    : session_(session),
      host_(host),
      factory_(factory),
      seek_(std::move(factory)) {}

NormalizeScan::~NormalizeScan() { peakSeekClose(session_, host_, seek_); }

bool NormalizeScan::open() {
  finish();  // a second open starts over from where the cursor was
  selectAllWhenEmpty(session_);
  if (!peakSeekInit(session_, host_, seek_, kNormalizeFramesPerBlock)) {
    peakSeekClose(session_, host_, seek_);
    return false;
  }
  begin_ = session_.edits.selection.beg;
  end_ = session_.edits.selection.end;
  session_.stream.cursor = begin_;
  maxPeak_ = 0;
  steps_ = 0;
  slider_ = 0;
  progress_ = 0;
  running_ = true;
  if (threads_ > 1) {
    parallel_ = std::make_unique<ParallelPeakScan>(session_, factory_, threads_);
    if (!parallel_->start(begin_, end_)) parallel_.reset();
  }
  return true;
}

bool NormalizeScan::stepParallel() {
  constexpr std::chrono::milliseconds kWait{10};
  const bool finished = parallel_->waitFinished(kWait);
  if (finished && parallel_->failed()) {
    parallel_.reset();  // on with one thread, from the begin where the cursor still is
    return running_;
  }
  bool stoppedAtFullScale = false;
  maxPeak_ = finished ? parallel_->peak(stoppedAtFullScale) : parallel_->peakSoFar();
  progress_ = finished ? 100 : parallel_->progress();
  steps_ = normalizeStepsForPeak(maxPeak_);
  slider_ = kNormalizeSliderZero - steps_;
  if (finished) finish();
  return running_;
}

bool NormalizeScan::step() {
  if (!running_) return false;
  if (parallel_) return stepParallel();
  int64_t& cursor = session_.stream.cursor;
  for (int block = 0; block < kScanBlocksPerTick && cursor < end_; ++block) {
    const int64_t before = cursor;
    const int peak = blockPeak(session_, host_, seek_, kNormalizeFramesPerBlock);
    if (peak > maxPeak_) maxPeak_ = peak;
    if (cursor <= before) cursor = end_;  // nothing more can be read
  }
  progress_ = scanProgress(cursor, begin_, end_);
  steps_ = normalizeStepsForPeak(maxPeak_);
  slider_ = kNormalizeSliderZero - steps_;
  if (cursor >= end_) {
    finish();
  } else if (peakDb() > kNormalizeFullScaleDb) {
    finish();
    progress_ = 100;
  }
  return running_;
}

void NormalizeScan::finish() {
  parallel_.reset();  // stops and waits for the threads
  peakSeekClose(session_, host_, seek_);
  running_ = false;
}

void NormalizeScan::stop() { finish(); }

void NormalizeScan::cancel() { finish(); }

void NormalizeScan::setSliderPosition(int position) {
  if (position < 0) position = 0;
  if (position > kNormalizeSliderMax) position = kNormalizeSliderMax;
  slider_ = position;
  steps_ = kNormalizeSliderZero - position;
}

bool NormalizeScan::accept() {
  finish();
  EditRangeTable& edits = session_.edits;
  const EditRange remembered = edits.selection;
  edits.selection.gainbeg = steps_;
  edits.selection.gainend = steps_;
  edits.selection.type = kRangeGain;
  const bool added = addRangeFromSelection(edits, session_.selectionUndo, false);
  if (!added) {
    host_.messageBox(session_.text.text[ui::kMsgSelectionInvalid], session_.text.text[ui::kMsgNotPossible],
                     MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  }
  edits.selection.beg = remembered.beg;
  edits.selection.end = remembered.end;
  edits.selection.type = remembered.type;
  edits.selection.gainbeg = remembered.gainbeg;
  edits.selection.gainend = remembered.gainend;
  return added;
}

std::string NormalizeScan::peakText() const {
  char text[32];
  std::snprintf(text, sizeof text, "%2.1f dB", peakDb());  // -inf prints as "-inf"
  return text;
}

std::string NormalizeScan::levelChangeText() const {
  char text[32];
  std::snprintf(text, sizeof text, "%+2.1f dB", steps_ * 15.0 / 10.0);
  return text;
}

std::string NormalizeScan::peakFoundLine() const {
  return label(session_, ui::kNormalizePeakFound, "Peak found:") + " " + peakText();
}

std::string NormalizeScan::levelChangeLine() const {
  return label(session_, ui::kNormalizeLevelChange, "Level change:") + " " + levelChangeText();
}

}  // namespace quillane
