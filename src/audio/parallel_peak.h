#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_session.h"
#include "audio/decoder.h"
#include "audio/peak_seek.h"

namespace quillane {

// The threads an analysis scan runs on by default: one per core.
int defaultScanThreads();

// What a scan thread decodes with: the session's file (through a handle of its
// own), edits and settings, and the stream's state at the cursor. False when the
// file could not be opened again.
bool copyForReading(const AudioSession& from, AudioSession& to);

// Normalize's peak search on several threads, with the result of the one-thread
// scan. The selection is cut at the starts of the one-thread scan's blocks (of
// kNormalizeFramesPerBlock edited frames), into one run of blocks per thread. Each
// thread reads its own handle of the file and decodes with its own decoder, warmed
// up on the two blocks before its first one, and keeps the largest sample of
// every timer tick (kScanBlocksPerTick blocks). The ticks are then taken in order,
// stopping where the one-thread scan stops: after the tick whose running peak
// passes full scale. Memory: a few bytes per tick (10 kB for ten hours).
class ParallelPeakScan {
 public:
  // The session is read at start() only; the workers never touch it.
  ParallelPeakScan(const AudioSession& session, DecoderBackendFactory factory, int threads);
  ~ParallelPeakScan();
  ParallelPeakScan(const ParallelPeakScan&) = delete;
  ParallelPeakScan& operator=(const ParallelPeakScan&) = delete;

  // Cuts [begin, end) and starts the threads. False when there are too few blocks
  // to share, or a file could not be opened: then the one-thread scan does it.
  bool start(int64_t begin, int64_t end);
  // Waits up to `wait` for the threads; true once every one has ended.
  bool waitFinished(std::chrono::milliseconds wait);
  // A thread could not open its file or decoder: the result is not to be used.
  bool failed() const { return failed_.load(); }
  // 0..100 over all threads.
  int progress() const;
  // The largest sample of the blocks decoded so far, in any order (for the display).
  int32_t peakSoFar() const;
  // Once finished: the largest sample as the one-thread scan finds it, and whether
  // that scan would have stopped early at full scale.
  int32_t peak(bool& stoppedAtFullScale) const;
  // Stops the threads and waits for them.
  void cancel();

 private:
  struct Run {
    size_t firstBlock = 0;
    size_t endBlock = 0;      // one past the last block
    size_t preRollBlocks = 0;  // decoded unheard before firstBlock
    int64_t preRollBegin = 0;
    int64_t begin = 0;
    int64_t end = 0;          // where the next run begins, or the selection's end
    std::atomic<int64_t> done{0};  // bytes decoded
    AudioSession session;               // the thread's own file handle, edits and settings
  };
  void work(Run& run);
  // The one-thread scan ends after this block at the latest; later ones are not needed.
  void noteStopAt(size_t block);

  const AudioSession& session_;
  DecoderBackendFactory factory_;
  int threads_ = 1;
  int64_t begin_ = 0;
  int64_t end_ = 0;
  size_t blocks_ = 0;
  // Per tick: the largest sample of its blocks decoded so far (a tick may be
  // shared by two threads).
  std::vector<std::atomic<int32_t>> tickPeaks_;
  std::vector<std::unique_ptr<Run>> runs_;
  std::vector<std::thread> workers_;
  std::atomic<size_t> stopBlock_{SIZE_MAX};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> failed_{false};
  std::atomic<int> running_{0};
  mutable std::mutex mutex_;
  std::condition_variable finished_;
};

}  // namespace quillane
