// Pause detection on several threads finds what the one-thread scan finds: the
// same cues and cuts, count and end state, on every test file, with both
// decoders and settings that find no pause, a few, many, cuts that reach ahead of
// the scan and a full range table.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "audio/normalize_scan.h"  // selectAllWhenEmpty
#include "audio/parallel_pauses.h"
#include "audio/pause_detection.h"
#include "session/session.h"
#include "support/audio_test_files.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

struct Range {
  uint8_t type = 0;
  int64_t beg = 0;
  int64_t end = 0;
  bool operator==(const Range&) const = default;
};

struct Outcome {
  bool started = false;
  int found = 0;
  bool tableFull = false;
  int progress = 0;
  int64_t cursor = 0;
  uint16_t lastBitrate = 0;
  std::vector<Range> ranges;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << (o.started ? "" : "not started, ") << "found " << o.found << (o.tableFull ? " (table full)" : "")
      << ", progress " << o.progress << ", cursor " << o.cursor << ", last bitrate " << o.lastBitrate << ", ranges";
  for (const Range& r : o.ranges) *os << " " << int{r.type} << ":" << r.beg << "-" << r.end;
}

struct PauseSettings {
  const char* name;
  int level;
  int duration;
  int offset;
  int skip;
  bool cutWhole;
};

// Defaults; short pauses at a high threshold (many found); cues 40 frames after the
// loud frame with no skip (they reach past where the scan reads on); cuts with a
// skip; nearly everything quiet.
constexpr PauseSettings kSettings[] = {
    {"defaults", 30, 5, 50, 0, false},  {"short pauses", 60, 1, 60, 0, true}, {"cues ahead", 60, 1, 100, 0, false},
    {"cuts and skip", 45, 2, 0, 2, true}, {"all quiet", 100, 1, 55, 0, false},
};

Outcome scan(const std::filesystem::path& path, int useMpglib, const PauseSettings& s, int threads) {
  Session session;
  test::ScriptedHost host;
  if (!test::openInSession(session, path)) return {};
  session.settings.use_mpglib = useMpglib;
  session.settings.silence_level = static_cast<uint8_t>(s.level);
  session.settings.silence_duration = static_cast<uint8_t>(s.duration);
  session.settings.silence_offset = static_cast<uint8_t>(s.offset);
  session.settings.silence_skip = static_cast<uint16_t>(s.skip);
  PauseDetection detection(session, host);
  detection.cutWholePause = s.cutWhole;
  detection.setThreads(threads);
  detection.open();
  Outcome outcome;
  outcome.started = detection.start();
  while (detection.step()) {
  }
  outcome.found = detection.foundCount();
  outcome.tableFull = detection.tableFull();
  outcome.progress = detection.progress();
  detection.close();
  outcome.cursor = session.stream.cursor;
  outcome.lastBitrate = session.stream.currentHeader.bitrate;
  for (int i = 0; i < session.edits.count; ++i) {
    const EditRange& r = session.edits.ranges[i];
    outcome.ranges.push_back({r.type, r.beg, r.end});
  }
  return outcome;
}

// Speech and silence, then a tone and silence, `times` over: a file long enough for
// the threads to meet after many landings (the "all quiet" settings find 5 pauses
// in each time).
std::filesystem::path longFile(const test::TempDir& dir, int times) {
  test::Bytes bytes;
  for (int i = 0; i < times; ++i) {
    for (const char* name : {"speech.mp3", "tone_silence_tone.mp3"}) {
      const test::Bytes part = test::readBytes(test::dataPath(name));
      bytes.insert(bytes.end(), part.begin(), part.end());
    }
  }
  const auto path = dir / "long.mp3";
  test::writeBytes(path, bytes);
  return path;
}

bool threadsShareIt(const std::filesystem::path& path, int useMpglib) {
  Session session;
  if (!test::openInSession(session, path)) return false;
  session.settings.use_mpglib = useMpglib;
  selectAllWhenEmpty(session);
  ParallelPauseScan parallel(session, {}, 2, false);
  if (!parallel.start(session.edits.selection.beg, session.edits.selection.end)) return false;
  EXPECT_TRUE(parallel.waitFinished(std::chrono::seconds(30)));
  return true;
}

TEST(ParallelPauses, EveryTestFileBothDecodersAndSettingsFindWhatOneThreadFinds) {
  test::TempDir dir;
  std::vector<std::filesystem::path> files = test::audioTestFiles();
  files.push_back(longFile(dir, 12));
  int shared = 0;
  int found = 0;
  for (const auto& path : files) {
    for (int useMpglib : {1, 0}) {
      shared += threadsShareIt(path, useMpglib) ? 1 : 0;
      for (const PauseSettings& s : kSettings) {
        SCOPED_TRACE(path.filename().string() + (useMpglib ? ", libmpg123, " : ", FFmpeg, ") + s.name);
        const Outcome one = scan(path, useMpglib, s, 1);
        found += one.found;
        for (int threads : {2, 3}) EXPECT_EQ(scan(path, useMpglib, s, threads), one) << threads << " threads";
      }
    }
  }
  // The threads did share the work wherever there was enough of it, and the
  // settings found pauses.
  EXPECT_GT(shared, 30);
  EXPECT_GT(found, 100);
}

TEST(ParallelPauses, FullTableStopsAtTheSamePauseAsOneThread) {
  test::TempDir dir;
  const auto path = longFile(dir, 48);
  for (int useMpglib : {1, 0}) {
    SCOPED_TRACE(useMpglib ? "libmpg123" : "FFmpeg");
    const Outcome one = scan(path, useMpglib, kSettings[4], 1);
    EXPECT_TRUE(one.tableFull);
    EXPECT_EQ(scan(path, useMpglib, kSettings[4], 2), one);
  }
}

TEST(ParallelPauses, StopInTheMiddleKeepsWhatOneThreadFindsUpToThere) {
  test::TempDir dir;
  const auto path = longFile(dir, 12);
  const PauseSettings s{"many cues", 60, 1, 60, 0, false};  // cues only: what is marked stays as it is
  const Outcome one = scan(path, 1, s, 1);
  ASSERT_GT(one.found, 10);

  Session session;
  test::ScriptedHost host;
  ASSERT_TRUE(test::openInSession(session, path));
  const int64_t cursor = session.stream.cursor;
  session.settings.silence_level = static_cast<uint8_t>(s.level);
  session.settings.silence_duration = static_cast<uint8_t>(s.duration);
  session.settings.silence_offset = static_cast<uint8_t>(s.offset);
  PauseDetection detection(session, host);
  detection.cutWholePause = s.cutWhole;
  detection.setThreads(2);
  detection.open();
  ASSERT_TRUE(detection.start());
  detection.step();  // waits a little for the threads
  detection.stop();
  EXPECT_FALSE(detection.running());
  EXPECT_FALSE(detection.step());
  EXPECT_EQ(session.stream.cursor, cursor);
  // What was found is where the one-thread scan finds it, from the start on.
  ASSERT_LE(session.edits.count, static_cast<int>(one.ranges.size()));
  EXPECT_EQ(detection.foundCount(), session.edits.count);
  for (int i = 0; i < session.edits.count; ++i) {
    const EditRange& r = session.edits.ranges[i];
    EXPECT_EQ((Range{r.type, r.beg, r.end}), one.ranges[static_cast<size_t>(i)]) << i;
  }
}

}  // namespace
}  // namespace quillane
