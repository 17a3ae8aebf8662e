#include "audio/parallel_peak.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/audio_session.h"
#include "audio/normalize_scan.h"
#include "audio/peak_seek.h"
#include "edit/frame_reader.h"

namespace quillane {
namespace {

// Fewer blocks than this per thread are not worth the threads' start.
constexpr size_t kMinBlocksPerThread = 4;
// The blocks a thread decodes before its own, unheard: 20 frames hold the 511
// bytes a Layer III frame's main data may begin before it at every bit rate
// but MPEG-2.5's lowest, and the frame before for the overlap of the transforms.
// Two frames, as a jump during playback decodes, leave the first frame's peak
// different whenever its data begins more than one frame back.
constexpr size_t kPreRollBlocks = 2;

// Threads have no one to show a message to: a decoder's complaint is dropped.
class QuietHost : public Host {
 public:
  MessageAnswer messageBox(const std::string&, const std::string&, MessageIcon, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    return defaultAnswer;
  }
  bool openFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  bool saveFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  void beep() override {}
};

// The blocks of the one-thread scan, read as decoderFill reads them (a read that
// lands on a cut only moves past it) without decoding: calls visit(block, start)
// for each, and gives their number. Ends early where nothing more can be read, as
// the scan does.
template <typename Visit>
size_t walkBlocks(AudioSession& reader, int64_t begin, int64_t end, Visit visit) {
  AudioStream& stream = reader.stream;
  const EditedReading reading{reader.edits};
  auto buffer = std::make_unique<FrameBuffer>();
  size_t block = 0;
  int64_t position = begin;
  while (position < end) {
    visit(block++, position);
    const int64_t before = position;
    for (;;) {
      const int64_t at = position;
      const int length = readEditedFrames(stream, reading, *buffer, kNormalizeFramesPerBlock, position);
      if (length > 0 || position >= stream.audioEnd || position == at) break;
    }
    if (position <= before) break;
  }
  return block;
}

void raiseTo(std::atomic<int32_t>& value, int32_t peak) {
  int32_t known = value.load();
  while (peak > known && !value.compare_exchange_weak(known, peak)) {
  }
}

// The last block of the timer tick that holds `block`.
size_t lastBlockOfTick(size_t block) {
  const auto perTick = static_cast<size_t>(kScanBlocksPerTick);
  return block / perTick * perTick + perTick - 1;
}

}  // namespace

bool copyForReading(const AudioSession& from, AudioSession& to) {
  to.settings = from.settings;
  to.edits = from.edits;
  const AudioStream& a = from.stream;
  AudioStream& b = to.stream;
  b.sourcePath = a.sourcePath;
  b.fileSize = a.fileSize;
  b.audioStart = a.audioStart;
  b.firstFrameStart = a.firstFrameStart;
  b.audioEnd = a.audioEnd;
  b.currentHeader = a.currentHeader;
  b.avgFrameSize = a.avgFrameSize;
  b.avgBitrate = a.avgBitrate;
  b.vbrMode = a.vbrMode;
  b.xingFrames = a.xingFrames;
  b.hasId3v1 = a.hasId3v1;
  b.id3v1Tag = a.id3v1Tag;
  b.hasId3v2 = a.hasId3v2;
  b.cursor = a.cursor;
  return b.sourceFile.open(a.sourcePath, "rb");
}

int defaultScanThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

ParallelPeakScan::ParallelPeakScan(const AudioSession& session, DecoderBackendFactory factory, int threads)
    : session_(session),
      factory_(factory ? std::move(factory) : DecoderBackendFactory(makeDecoderBackend)),
      threads_(std::max(threads, 1)) {}

ParallelPeakScan::~ParallelPeakScan() { cancel(); }

bool ParallelPeakScan::start(int64_t begin, int64_t end) {
  if (threads_ < 2) return false;
  begin_ = begin;
  end_ = end;
  AudioSession reader;
  if (!copyForReading(session_, reader)) return false;
  blocks_ = walkBlocks(reader, begin, end, [](size_t, int64_t) {});
  const auto threads = static_cast<size_t>(threads_);
  if (blocks_ < threads * kMinBlocksPerThread) return false;

  for (size_t t = 0; t < threads; ++t) {
    auto run = std::make_unique<Run>();
    run->firstBlock = blocks_ * t / threads;
    run->endBlock = blocks_ * (t + 1) / threads;
    run->preRollBlocks = std::min(run->firstBlock, kPreRollBlocks);
    run->end = end;
    runs_.push_back(std::move(run));
  }
  // A second reading finds where the runs and their pre-rolls begin.
  AudioSession again;
  if (!copyForReading(session_, again)) return false;
  walkBlocks(again, begin, end, [this](size_t block, int64_t start) {
    for (auto& run : runs_) {
      if (block == run->firstBlock - run->preRollBlocks) run->preRollBegin = start;
      if (block == run->firstBlock) run->begin = start;
      if (block == run->endBlock) run->end = start;
    }
  });
  for (auto& run : runs_) {
    if (!copyForReading(session_, run->session)) {
      runs_.clear();
      return false;
    }
  }
  tickPeaks_ = std::vector<std::atomic<int32_t>>((blocks_ + kScanBlocksPerTick - 1) / kScanBlocksPerTick);
  running_ = threads_;
  for (auto& run : runs_) workers_.emplace_back([this, r = run.get()] { work(*r); });
  return true;
}

void ParallelPeakScan::noteStopAt(size_t block) {
  size_t known = stopBlock_.load();
  while (block < known && !stopBlock_.compare_exchange_weak(known, block)) {
  }
}

void ParallelPeakScan::work(Run& run) {
  AudioSession& worker = run.session;
  QuietHost host;
  PeakSeek seek(factory_);
  // The one-thread scan's decoder has seen the blocks before: so does this one, as
  // many as the bit reservoir and the filter banks can reach back into.
  worker.stream.cursor = run.preRollBegin;
  if (peakSeekInit(worker, host, seek, kNormalizeFramesPerBlock)) {
    int64_t& cursor = worker.stream.cursor;
    for (size_t block = 0; block < run.preRollBlocks; ++block) blockPeak(worker, host, seek, kNormalizeFramesPerBlock);
    if (cursor != run.begin) failed_ = true;  // the blocks did not read as before
    size_t block = run.firstBlock;
    for (; block < run.endBlock && !failed_ && !cancelled_ && block <= stopBlock_; ++block) {
      const int64_t before = cursor;
      const int32_t peak = blockPeak(worker, host, seek, kNormalizeFramesPerBlock);
      raiseTo(tickPeaks_[block / kScanBlocksPerTick], peak);
      run.done = std::clamp(cursor, run.begin, run.end) - run.begin;
      // Nothing more to read: where the reading before found the end, else not as before.
      if (cursor <= before) {
        if (block + 1 != blocks_) failed_ = true;
        break;
      }
      if (normalizePeakDb(peak) > kNormalizeFullScaleDb) noteStopAt(lastBlockOfTick(block));
    }
    // Read through to where the next thread began, or the threads do not add up.
    if (block == run.endBlock && run.endBlock < blocks_ && cursor != run.end) failed_ = true;
  } else {
    failed_ = true;
  }
  peakSeekClose(worker, host, seek);
  std::lock_guard lock(mutex_);
  --running_;
  finished_.notify_all();
}

bool ParallelPeakScan::waitFinished(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (!finished_.wait_for(lock, wait, [this] { return running_ == 0; })) return false;
  lock.unlock();
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  return true;
}

int ParallelPeakScan::progress() const {
  if (end_ <= begin_) return 100;
  int64_t done = 0;
  for (const auto& run : runs_) done += run->done;
  return static_cast<int>(std::min<int64_t>(done * 100 / (end_ - begin_), 100));
}

int32_t ParallelPeakScan::peakSoFar() const {
  int32_t peak = 0;
  for (const auto& tick : tickPeaks_) peak = std::max(peak, tick.load());
  return peak;
}

int32_t ParallelPeakScan::peak(bool& stoppedAtFullScale) const {
  stoppedAtFullScale = false;
  int32_t peak = 0;
  const size_t ticks = tickPeaks_.size();
  for (size_t tick = 0; tick < ticks; ++tick) {
    peak = std::max(peak, tickPeaks_[tick].load());
    if (normalizePeakDb(peak) > kNormalizeFullScaleDb) {
      stoppedAtFullScale = tick + 1 < ticks;
      break;
    }
  }
  return peak;
}

void ParallelPeakScan::cancel() {
  cancelled_ = true;
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  workers_.clear();
}

}  // namespace quillane
