// Normalize on several threads finds what the one-thread scan finds: the same
// peak and proposal on every test file, with both decoders, over the whole audio
// and over a selection with a cut and a fade in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "audio/normalize_scan.h"
#include "audio/parallel_peak.h"
#include "session/session.h"
#include "support/audio_test_files.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

struct Outcome {
  bool opened = false;
  int32_t peak = 0;
  int steps = 0;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << (o.opened ? "" : "not opened, ") << "peak " << o.peak << ", steps " << o.steps;
}

// A frame start `fraction` into the audio.
int64_t frameAt(Session& session, double fraction) {
  AudioStream& stream = session.stream;
  const auto offset = stream.audioStart + static_cast<int64_t>((stream.audioEnd - stream.audioStart) * fraction);
  return findFrame(stream, offset).offset;
}

// Edits: none, or a selection from 10 % to 90 % with a cut and a fade inside.
void applyEdits(Session& session, bool edited) {
  if (!edited) return;
  EditRangeTable& edits = session.edits;
  auto add = [&](uint8_t type, double from, double to, int gainbeg, int gainend) {
    EditRange& r = edits.ranges[edits.count++];
    r.type = type;
    r.beg = frameAt(session, from);
    r.end = frameAt(session, to);
    r.gainbeg = gainbeg;
    r.gainend = gainend;
  };
  add(kRangeCut, 0.30, 0.40, 0, 0);
  add(kRangeGain, 0.50, 0.70, 4, -6);
  edits.selection.beg = frameAt(session, 0.10);
  edits.selection.end = frameAt(session, 0.90);
}

Outcome normalize(const std::filesystem::path& path, int useMpglib, bool edited, int threads) {
  Session session;
  test::ScriptedHost host;
  if (!test::openInSession(session, path)) return {};
  session.settings.use_mpglib = useMpglib;
  applyEdits(session, edited);
  NormalizeScan scan(session, host);
  scan.setThreads(threads);
  Outcome outcome;
  outcome.opened = scan.open();
  while (scan.step()) {
  }
  outcome.peak = scan.maxPeak();
  outcome.steps = scan.proposedSteps();
  return outcome;
}

TEST(ParallelPeak, EveryTestFileAndBothDecodersFindWhatOneThreadFinds) {
  int shared = 0;
  for (const auto& path : test::audioTestFiles()) {
    for (int useMpglib : {1, 0}) {
      for (bool edited : {false, true}) {
        SCOPED_TRACE(path.filename().string() + (useMpglib ? ", libmpg123" : ", FFmpeg") +
                     (edited ? ", edited" : ""));
        const Outcome one = normalize(path, useMpglib, edited, 1);
        for (int threads : {2, 3, 5}) EXPECT_EQ(normalize(path, useMpglib, edited, threads), one) << threads;
        // The threads did share the work wherever there was enough of it.
        Session session;
        if (!test::openInSession(session, path)) continue;
        session.settings.use_mpglib = useMpglib;
        selectAllWhenEmpty(session);
        ParallelPeakScan parallel(session, {}, 2);
        if (parallel.start(session.edits.selection.beg, session.edits.selection.end)) {
          ++shared;
          EXPECT_TRUE(parallel.waitFinished(std::chrono::seconds(30)));
        }
      }
    }
  }
  EXPECT_GT(shared, 20);
}

TEST(ParallelPeak, FullScaleStopsAtTheSameTickAsOneThread) {
  // A square wave fading in to beyond full scale: the first tick past -0.05 dB
  // ends the one-thread scan, and later ticks would only add louder samples.
  test::TempDir dir;
  const std::string wav = test::shellQuote((dir / "loud.wav").string());
  const auto path = dir / "loud.mp3";
  ASSERT_EQ(test::runCommand("sox -R -D -V1 -n -r 44100 -c 2 -b 16 " + wav +
                             " synth 40 square 440 gain 6 fade t 30 40 0 && lame --quiet -t -b 128 " + wav + " " +
                             test::shellQuote(path.string()))
                .status,
            0);
  for (int useMpglib : {1, 0}) {
    SCOPED_TRACE(useMpglib ? "libmpg123" : "FFmpeg");
    const Outcome one = normalize(path, useMpglib, false, 1);
    EXPECT_EQ(one.steps, 0);
    for (int threads : {2, 3}) EXPECT_EQ(normalize(path, useMpglib, false, threads), one) << threads;
  }
}

TEST(ParallelPeak, CancelInTheMiddleStopsTheThreadsAndPutsTheCursorBack) {
  test::TempDir dir;
  const test::Bytes audio = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  test::Bytes longer;
  for (int i = 0; i < 60; ++i) longer.insert(longer.end(), audio.begin(), audio.end());
  const auto path = dir / "long.mp3";
  test::writeBytes(path, longer);

  Session session;
  test::ScriptedHost host;
  ASSERT_TRUE(test::openInSession(session, path));
  const int64_t cursor = session.stream.cursor;
  NormalizeScan scan(session, host);
  scan.setThreads(2);
  ASSERT_TRUE(scan.open());
  ASSERT_TRUE(scan.step());  // waits a little, then reports how far the threads are
  EXPECT_LT(scan.progress(), 100);
  scan.cancel();
  EXPECT_FALSE(scan.running());
  EXPECT_FALSE(scan.step());
  EXPECT_EQ(session.stream.cursor, cursor);
  EXPECT_EQ(session.edits.count, 0);
}

}  // namespace
}  // namespace quillane
