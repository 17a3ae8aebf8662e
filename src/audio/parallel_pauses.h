#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_session.h"
#include "audio/decoder.h"
#include "stream/frame_header.h"

namespace quillane {

// A pause as the scan finds it: what marking it takes.
struct FoundPause {
  int64_t loudFrame = 0;    // the loud frame that ends it
  int64_t cursor = 0;       // one past the loud frame
  int64_t pauseStart = -1;  // one past its first quiet frame
  // Its cue lies where the scan reads on: the cut it makes could change what is read.
  bool reachesAhead = false;
};

// What the threads found, joined in order.
struct PauseChain {
  std::vector<FoundPause> found;
  int64_t reached = 0;     // how far the scan got
  FrameHeader lastHeader;  // the frame it found last
  // The whole selection was scanned as by one thread: no thread was cancelled or
  // failed (could not decode, or had a message to show), and no cut reaches ahead.
  bool complete = false;
};

// Pause detection on several threads, with the pauses of the one-thread scan.
//
// After a loud frame the scan jumps ahead and resets its decoder, so everything it
// does from such a landing on depends on the landing's position alone (given an
// edit table that no cut of the scan reaches into). The selection is cut into one
// part per thread; each thread runs the scan from its part's first frame and notes
// its landings and the pauses it finds. A thread that reaches a landing of a later
// thread joins it there: from that landing on the two scans are the same, and the
// later thread has done the rest. The first thread starts where the one-thread
// scan starts, so the chain of joined threads is the one-thread scan, frame for
// frame. Where two scans never meet (loud sound sampled in step), the earlier
// thread goes on through the later part, at most as fast as the later thread.
// Memory: the pauses found, and the landings of a thread that no earlier thread
// has caught up with, at most kMaxLandings of them (8 bytes for six frames of loud
// sound: 512 kB for about three hours at 128 kbit/s). An earlier thread that
// reaches past them goes on by itself.
class ParallelPauseScan {
 public:
  // The session is read at start() only; the threads never touch it.
  ParallelPauseScan(const AudioSession& session, DecoderBackendFactory factory, int threads, bool cutWholePause);
  ~ParallelPauseScan();
  ParallelPauseScan(const ParallelPauseScan&) = delete;
  ParallelPauseScan& operator=(const ParallelPauseScan&) = delete;

  // Cuts [begin, end) and starts the threads. False when the part of a thread
  // would be too short, the edit table is not empty (a range could change what a
  // cut of the scan does to the sound) or a file could not be opened: then the
  // one-thread scan does it.
  bool start(int64_t begin, int64_t end);
  // Waits up to `wait` for the threads; true once every one has ended.
  bool waitFinished(std::chrono::milliseconds wait);
  // 0..100 over all threads.
  int progress() const;
  // Once the threads have ended (finished or cancelled): the pauses of the
  // one-thread scan in order, as far as the threads found them without a gap.
  PauseChain chain() const;
  // Stops the threads and waits for them.
  void cancel();

 private:
  static constexpr size_t kNone = SIZE_MAX;
  static constexpr size_t kMaxLandings = size_t{1} << 16;
  struct Trace {
    int64_t begin = 0;
    int64_t partEnd = 0;               // where the next thread's part begins
    std::atomic<int64_t> position{0};  // how far it has read
    std::vector<FoundPause> found;     // written by its thread only
    AudioSession session;                   // the thread's own file handle and settings
    // Guarded by mutex_:
    std::deque<int64_t> landings;      // not yet passed by an earlier thread
    int64_t lastLanding = -1;          // noted or not
    bool ended = false;
    bool failed = false;
    size_t joins = kNone;              // the later thread it joined,
    int64_t joinsAt = -1;              // at this landing
  };
  void work(size_t index);
  // After trace `index` landed at `landing`: waits until the later thread has got
  // that far, and joins it when it landed there too.
  bool joinLater(size_t index, int64_t landing);
  void publishLanding(Trace& trace, int64_t landing);

  const AudioSession& session_;
  DecoderBackendFactory factory_;
  int threads_ = 1;
  bool cutWholePause_ = false;
  int64_t begin_ = 0;
  int64_t end_ = 0;
  std::vector<std::unique_ptr<Trace>> traces_;
  std::vector<std::thread> workers_;
  std::atomic<bool> cancelled_{false};
  int running_ = 0;  // guarded by mutex_
  mutable std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace quillane
