#include "audio/parallel_pauses.h"

#include <algorithm>

#include "audio/pause_positions.h"
#include "audio/peak_seek.h"
#include "audio/parallel_peak.h"  // copyForReading

namespace quillane {
namespace {

// Fewer frames than this per thread are not worth the threads' start.
constexpr double kMinFramesPerThread = 50;

}  // namespace

ParallelPauseScan::ParallelPauseScan(const AudioSession& session, DecoderBackendFactory factory, int threads,
                                     bool cutWholePause)
    : session_(session),
      factory_(factory ? std::move(factory) : DecoderBackendFactory(makeDecoderBackend)),
      threads_(std::max(threads, 1)),
      cutWholePause_(cutWholePause) {}

ParallelPauseScan::~ParallelPauseScan() { cancel(); }

bool ParallelPauseScan::start(int64_t begin, int64_t end) {
  if (threads_ < 2 || session_.edits.count != 0) return false;
  const AudioStream& stream = session_.stream;
  if (stream.avgFrameSize <= 0 || (end - begin) / stream.avgFrameSize < kMinFramesPerThread * threads_) return false;
  begin_ = begin;
  end_ = end;

  // Each part begins at the frame found a thread's share into the selection.
  AudioSession reader;
  if (!copyForReading(session_, reader)) return false;
  std::vector<int64_t> starts{begin};
  const auto threads = static_cast<int64_t>(threads_);
  for (int64_t t = 1; t < threads; ++t) {
    const int64_t start = findFrame(reader.stream, begin + (end - begin) * t / threads).offset;
    if (start <= starts.back() || start >= end) return false;
    starts.push_back(start);
  }
  for (size_t t = 0; t < starts.size(); ++t) {
    auto trace = std::make_unique<Trace>();
    trace->begin = starts[t];
    trace->partEnd = t + 1 < starts.size() ? starts[t + 1] : end;
    trace->position = starts[t];
    if (!copyForReading(session_, trace->session)) {
      traces_.clear();
      return false;
    }
    traces_.push_back(std::move(trace));
  }
  running_ = threads_;
  for (size_t t = 0; t < traces_.size(); ++t) workers_.emplace_back([this, t] { work(t); });
  return true;
}

void ParallelPauseScan::publishLanding(Trace& trace, int64_t landing) {
  std::lock_guard lock(mutex_);
  if (trace.landings.size() < kMaxLandings) trace.landings.push_back(landing);
  trace.lastLanding = landing;
  changed_.notify_all();
}

bool ParallelPauseScan::joinLater(size_t index, int64_t landing) {
  std::unique_lock lock(mutex_);
  size_t later = index + 1;
  while (later < traces_.size() && landing >= traces_[later]->begin) {
    Trace& next = *traces_[later];
    changed_.wait(lock, [&] { return cancelled_ || next.ended || next.lastLanding >= landing; });
    if (cancelled_) return false;
    // No earlier thread looks at this thread's landings before `landing` again.
    while (!next.landings.empty() && next.landings.front() < landing) next.landings.pop_front();
    if (!next.landings.empty() && next.landings.front() == landing) {
      traces_[index]->joins = later;
      traces_[index]->joinsAt = landing;
      return true;
    }
    // Past the landing where that thread joined a later one: its scan goes on there.
    if (!next.ended || next.joins == kNone || landing <= next.joinsAt) return false;
    later = next.joins;
  }
  return false;
}

void ParallelPauseScan::work(size_t index) {
  Trace& trace = *traces_[index];
  AudioSession& worker = trace.session;
  SilentHost host;  // a message means the one-thread scan would have shown it
  PeakSeek seek(factory_);
  AudioStream& stream = worker.stream;
  const Settings& settings = worker.settings;
  const int quietLimit = settings.silence_level * settings.silence_level;
  const int pauseFrames = kFramesPerDurationUnit * settings.silence_duration;
  stream.cursor = trace.begin;
  const bool opened = peakSeekInit(worker, host, seek, 1);
  int64_t& cursor = stream.cursor;
  int quietCount = 0;
  int64_t pauseStart = -1;
  // The same steps as PauseDetection::step().
  while (opened && cursor < end_ && !cancelled_) {
    const int64_t before = cursor;
    const int peak = blockPeak(worker, host, seek, 1);
    if (cursor <= before) {  // nothing more can be read
      cursor = end_;
      break;
    }
    trace.position = cursor;
    if (peak < quietLimit) {
      ++quietCount;
      if (pauseStart == -1) pauseStart = cursor;
      continue;
    }
    const bool pauseEnds = quietCount >= pauseFrames;
    FoundPause pause{before, cursor, pauseStart, false};
    PauseMark mark;
    if (pauseEnds) {
      mark = placePauseMark(stream, settings, cutWholePause_, before, pauseStart);
      cursor = cursorAfterPause(stream, settings, cursor);
    }
    quietCount = 0;
    pauseStart = -1;
    cursor = landingAfterLoudFrame(stream, cursor, end_);
    peakSeekJumped(seek);
    if (pauseEnds) {
      pause.reachesAhead = mark.cue >= cursor && cursor < end_;
      trace.found.push_back(pause);
    }
    if (cursor >= end_) break;
    trace.position = cursor;
    publishLanding(trace, cursor);
    if (joinLater(index, cursor)) break;
  }
  trace.position = std::max<int64_t>(trace.position, cursor);
  const bool failed = !opened || !host.messages.empty() || host.beeps > 0;
  peakSeekClose(worker, host, seek);
  std::lock_guard lock(mutex_);
  trace.failed = failed;
  trace.ended = true;
  --running_;
  changed_.notify_all();
}

bool ParallelPauseScan::waitFinished(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, wait, [this] { return running_ == 0; })) return false;
  lock.unlock();
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  return true;
}

int ParallelPauseScan::progress() const {
  if (end_ <= begin_) return 100;
  // A part is as far done as the furthest thread in it: its own, or an earlier one
  // that goes on through it.
  int64_t done = 0;
  for (size_t part = 0; part < traces_.size(); ++part) {
    const Trace& own = *traces_[part];
    int64_t reached = own.begin;
    for (size_t t = 0; t <= part; ++t) reached = std::max(reached, std::min(traces_[t]->position.load(), own.partEnd));
    done += reached - own.begin;
  }
  return static_cast<int>(std::min<int64_t>(done * 100 / (end_ - begin_), 100));
}

PauseChain ParallelPauseScan::chain() const {
  PauseChain chain;
  chain.reached = begin_;
  std::lock_guard lock(mutex_);
  if (running_ != 0 || traces_.empty()) return chain;
  size_t index = 0;
  int64_t from = begin_;
  for (;;) {
    const Trace& trace = *traces_[index];
    if (trace.failed) return chain;
    for (const FoundPause& pause : trace.found) {
      if (pause.loudFrame < from) continue;  // before the landing where an earlier thread joined
      chain.found.push_back(pause);
      if (pause.reachesAhead) return chain;  // what this thread read after it may differ
    }
    chain.reached = trace.position;
    chain.lastHeader = trace.session.stream.currentHeader;
    if (trace.joins == kNone) break;
    from = trace.joinsAt;
    index = trace.joins;
  }
  chain.complete = !cancelled_ && chain.reached >= end_;
  return chain;
}

void ParallelPauseScan::cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  workers_.clear();
}

}  // namespace quillane
