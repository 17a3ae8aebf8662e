#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/normalize_scan.h"
#include "audio/peak_seek.h"
#include "edit/edit_model.h"
#include "session/host.h"
#include "session/session.h"
#include "support/scripted_backend.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::dataPath;
using test::frameStarts;

constexpr const char* kToneFile = "tone_silence_tone.mp3";  // 2 s tone at -6 dBFS, 2 s silence, 2 s tone

// Normalize reads blocks of 10 frames: the scripted sound is per frame of the block.
DecoderBackendFactory scripted(const Session& session, std::function<int(int)> level, int* calls) {
  return test::scriptedBackends(test::FramesRead::ByLength, session, frameStarts(session), std::move(level), calls);
}

// The tone file's audio frames three times over (693 frames, no tag frame): long
// enough to need more than one tick of 50 blocks of 10 frames.
std::filesystem::path longToneFile(const test::TempDir& dir) {
  const test::Bytes tone = test::readBytes(dataPath(kToneFile));
  test::Bytes audio(tone.begin() + 417, tone.end());  // after the Info frame
  test::Bytes three;
  for (int i = 0; i < 3; ++i) three.insert(three.end(), audio.begin(), audio.end());
  const auto path = dir / "long_tone.mp3";
  test::writeBytes(path, three);
  return path;
}

// The largest |sample| of the whole file as mpg123's command line decodes it.
int referencePeak(const std::filesystem::path& path) {
  const test::CommandOutput run = test::runCommand("mpg123 -q -s " + test::shellQuote(path.string()));
  if (run.status != 0 || run.out.size() < 2) return -1;
  int peak = 0;
  for (std::size_t i = 0; i + 1 < run.out.size(); i += 2) {
    const int s = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(run.out[i]) |
                                                             (static_cast<uint8_t>(run.out[i + 1]) << 8)));
    peak = std::max(peak, std::abs(s));
  }
  return peak;
}

int runToEnd(NormalizeScan& scan) {
  int ticks = 1;
  while (scan.step()) ++ticks;
  return ticks;
}

TEST(NormalizeProposal, StepsNeverPassFullScale) {
  auto peakAt = [](double db) { return static_cast<int32_t>(std::lround(32767.0 * std::pow(10.0, db / 20.0))); };
  EXPECT_EQ(normalizeStepsForPeak(32768), 0);   // -32768: 0.0 dB
  EXPECT_EQ(normalizeStepsForPeak(32767), 0);
  EXPECT_EQ(normalizeStepsForPeak(peakAt(-3.2)), 2);
  EXPECT_EQ(normalizeStepsForPeak(peakAt(-1.4)), 0);
  EXPECT_EQ(normalizeStepsForPeak(peakAt(-1.6)), 1);
  EXPECT_EQ(normalizeStepsForPeak(peakAt(-6.4)), 4);
  EXPECT_EQ(normalizeStepsForPeak(16423), 3);  // -6.0 dB is just short of 4 steps
  EXPECT_EQ(normalizeStepsForPeak(1), 60);     // -90.3 dB
  EXPECT_EQ(normalizeStepsForPeak(0), 0);      // silence: nothing to propose
  EXPECT_TRUE(std::isinf(normalizePeakDb(0)));
  EXPECT_NEAR(normalizePeakDb(32768), 0.0, 0.001);
}

TEST(NormalizeScanFile, ToneAtMinus6dBProposesFourSteps) {
  const int reference = referencePeak(dataPath(kToneFile));
  for (int32_t useMpglib : {0, 1}) {
    SCOPED_TRACE(useMpglib ? "libmpg123" : "FFmpeg");
    Session session;
    SilentHost host;
    session.settings.use_mpglib = useMpglib;
    ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
    session.stream.cursor = findCurrentFrame(session.stream, 30000);
    const int64_t cursor = session.stream.cursor;
    const uint8_t bufferFrm = session.settings.buffer_frm;

    NormalizeScan scan(session, host);
    ASSERT_TRUE(scan.open());
    // No selection: the whole audio data is measured.
    EXPECT_EQ(session.edits.selection.beg, session.stream.audioStart);
    EXPECT_EQ(session.edits.selection.end, session.stream.audioEnd);
    EXPECT_EQ(scan.sliderPosition(), 0);
    EXPECT_EQ(runToEnd(scan), 1);  // 231 frames: 24 blocks, one tick
    EXPECT_FALSE(scan.running());
    EXPECT_EQ(scan.progress(), 100);

    // The peak of a -6 dBFS tone after MP3 coding, as mpg123's own command line finds it.
    EXPECT_NEAR(scan.maxPeak(), reference, 2);
    EXPECT_NEAR(scan.peakDb(), -6.0, 0.6);
    EXPECT_EQ(scan.peakFoundLine(), "Peak found: -6.4 dB");
    EXPECT_EQ(scan.proposedSteps(), 4);
    EXPECT_EQ(scan.sliderPosition(), 28);
    EXPECT_EQ(scan.levelChangeLine(), "Level change: +6.0 dB");

    // The cursor and the decoding setting are as they were.
    EXPECT_EQ(session.stream.cursor, cursor);
    EXPECT_EQ(session.settings.buffer_frm, bufferFrm);
    EXPECT_TRUE(host.messages.empty());

    // OK: one gain range of 4 steps over the selection, which stays.
    ASSERT_TRUE(scan.accept());
    ASSERT_EQ(session.edits.count, 1);
    const EditRange& range = session.edits.ranges[0];
    EXPECT_TRUE(range.isGain());
    EXPECT_EQ(range.beg, session.stream.audioStart);
    EXPECT_EQ(range.end, session.stream.audioEnd);
    EXPECT_EQ(range.gainbeg, 4);
    EXPECT_EQ(range.gainend, 4);
    EXPECT_EQ(session.edits.selection.beg, session.stream.audioStart);
    EXPECT_EQ(session.edits.selection.end, session.stream.audioEnd);
    EXPECT_EQ(session.edits.selection.type, kRangeCut);
    EXPECT_EQ(session.stream.cursor, cursor);

    // Measured again, the gain range is heard: 4 steps are 6.02 dB.
    NormalizeScan again(session, host);
    ASSERT_TRUE(again.open());
    runToEnd(again);
    EXPECT_NEAR(again.peakDb(), scan.peakDb() + 6.02, 0.1);
    EXPECT_EQ(again.proposedSteps(), 0);
    // The selection is the range itself: OK is refused and says so.
    EXPECT_FALSE(again.accept());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Selection range seems to be invalid");
    EXPECT_EQ(host.messages[0].caption, "Not possible");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(session.edits.count, 1);
    EXPECT_EQ(session.edits.selection.beg, session.stream.audioStart);
  }
}

TEST(NormalizeScanFile, BothDecodersFindTheSamePeakOnEveryLayer) {
  for (const char* name : {"mono.mp3", "speech.mp3", "layer2_mpeg1.mp2", "layer2_mpeg2.mp2", "mpeg25_8k.mp3",
                           "mpeg2_22k.mp3", "vbr_xing.mp3", "id3v1v2.mp3"}) {
    SCOPED_TRACE(name);
    const int reference = referencePeak(dataPath(name));
    int peaks[2] = {};
    for (int32_t useMpglib : {0, 1}) {
      Session session;
      SilentHost host;
      session.settings.use_mpglib = useMpglib;
      ASSERT_TRUE(test::openInSession(session, dataPath(name)));
      NormalizeScan scan(session, host);
      ASSERT_TRUE(scan.open());
      runToEnd(scan);
      peaks[useMpglib] = scan.maxPeak();
      EXPECT_EQ(scan.proposedSteps(), normalizeStepsForPeak(scan.maxPeak()));
      EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_NEAR(peaks[0], peaks[1], 4);
    EXPECT_NEAR(normalizePeakDb(peaks[0]), normalizePeakDb(reference), 0.2);
  }
}

TEST(NormalizeScanFile, EditsAreHeardAndSilenceProposesNothing) {
  for (int32_t useMpglib : {0, 1}) {
    SCOPED_TRACE(useMpglib ? "libmpg123" : "FFmpeg");
    Session session;
    SilentHost host;
    session.settings.use_mpglib = useMpglib;
    ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
    AudioStream& stream = session.stream;
    const int64_t silenceBeg = findFrame(stream, offsetOfTime(stream, 2.3)).offset;
    const int64_t silenceEnd = findFrame(stream, offsetOfTime(stream, 3.7)).offset;

    // A selection inside the digital silence.
    session.edits.selection.beg = silenceBeg;
    session.edits.selection.end = silenceEnd;
    NormalizeScan quiet(session, host);
    ASSERT_TRUE(quiet.open());
    runToEnd(quiet);
    EXPECT_EQ(quiet.maxPeak(), 0);
    EXPECT_EQ(quiet.peakText(), "-inf dB");
    EXPECT_EQ(quiet.peakFoundLine(), "Peak found: -inf dB");
    EXPECT_EQ(quiet.proposedSteps(), 0);
    EXPECT_EQ(quiet.levelChangeLine(), "Level change: +0.0 dB");
    EXPECT_EQ(quiet.sliderPosition(), 32);
    EXPECT_EQ(quiet.progress(), 100);

    // The whole file with both tones cut away is silent too: cuts are skipped.
    setSelectionBegin(session.edits, stream.audioStart);
    setSelectionEnd(session.edits, silenceBeg);
    ASSERT_TRUE(addRangeFromSelection(session.edits, session.selectionUndo, false));
    setSelectionBegin(session.edits, silenceEnd);
    setSelectionEnd(session.edits, stream.audioEnd);
    ASSERT_TRUE(addRangeFromSelection(session.edits, session.selectionUndo, false));
    selectAll(session.edits, stream);
    NormalizeScan cut(session, host);
    ASSERT_TRUE(cut.open());
    runToEnd(cut);
    EXPECT_EQ(cut.peakFoundLine(), "Peak found: -inf dB");
    EXPECT_EQ(cut.proposedSteps(), 0);

    // A gain range of -4 steps over the first tone: the second one still peaks at -6.4 dB.
    Session gained;
    gained.settings.use_mpglib = useMpglib;
    ASSERT_TRUE(test::openInSession(gained, dataPath(kToneFile)));
    gained.edits.selection.beg = gained.stream.audioStart;
    gained.edits.selection.end = findFrame(gained.stream, offsetOfTime(gained.stream, 3.0)).offset;
    gained.edits.selection.type = kRangeGain;
    gained.edits.selection.gainbeg = -4;
    gained.edits.selection.gainend = -4;
    ASSERT_TRUE(addRangeFromSelection(gained.edits, gained.selectionUndo, false));
    gained.edits.selection.beg = gained.stream.audioStart;
    gained.edits.selection.end = findFrame(gained.stream, offsetOfTime(gained.stream, 2.5)).offset;
    NormalizeScan first(gained, host);
    ASSERT_TRUE(first.open());
    runToEnd(first);
    EXPECT_EQ(first.peakFoundLine(), "Peak found: -12.4 dB");
    EXPECT_EQ(first.proposedSteps(), 8);
    EXPECT_EQ(first.levelChangeLine(), "Level change: +12.0 dB");
    EXPECT_TRUE(host.messages.empty());
  }
}

TEST(NormalizeScanFile, LongSelectionRunsInTicksAndStopKeepsTheProposal) {
  test::TempDir dir;
  const auto path = longToneFile(dir);
  Session session;
  SilentHost host;
  ASSERT_TRUE(test::openInSession(session, path));
  const int64_t cursor = session.stream.cursor;
  const std::vector<int64_t> starts = frameStarts(session);
  ASSERT_EQ(starts.size(), 693u);

  {
    NormalizeScan scan(session, host);
    ASSERT_TRUE(scan.open());
    // The first tick decodes 50 blocks of 10 frames and leaves the cursor after them.
    EXPECT_TRUE(scan.step());
    EXPECT_TRUE(scan.running());
    EXPECT_EQ(session.stream.cursor, starts[500]);
    EXPECT_EQ(scan.progress(), static_cast<int>((starts[500] - starts[0]) * 100 / (session.stream.audioEnd - starts[0])));
    EXPECT_EQ(scan.peakFoundLine(), "Peak found: -6.4 dB");
    EXPECT_FALSE(scan.step());
    EXPECT_EQ(scan.progress(), 100);
    EXPECT_EQ(session.stream.cursor, cursor);
  }
  {
    NormalizeScan scan(session, host);
    ASSERT_TRUE(scan.open());
    ASSERT_TRUE(scan.step());
    scan.stop();  // "&Stop": what was measured stays, the cursor returns
    EXPECT_FALSE(scan.running());
    EXPECT_FALSE(scan.step());
    EXPECT_EQ(scan.proposedSteps(), 4);
    EXPECT_EQ(session.stream.cursor, cursor);
    // Moving the slider changes the proposal: 0 is +48 dB, 48 is -24 dB.
    scan.setSliderPosition(0);
    EXPECT_EQ(scan.proposedSteps(), 32);
    EXPECT_EQ(scan.levelChangeText(), "+48.0 dB");
    scan.setSliderPosition(48);
    EXPECT_EQ(scan.levelChangeText(), "-24.0 dB");
    scan.setSliderPosition(31);
    EXPECT_EQ(scan.levelChangeLine(), "Level change: +1.5 dB");
  }
  {
    // Cancel in the middle: nothing added, the cursor back.
    NormalizeScan scan(session, host);
    ASSERT_TRUE(scan.open());
    ASSERT_TRUE(scan.step());
    scan.cancel();
    EXPECT_EQ(session.edits.count, 0);
    EXPECT_EQ(session.stream.cursor, cursor);
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST(NormalizeScanScripted, FullScaleStopsAfterTheFirstTick) {
  test::TempDir dir;
  const auto path = longToneFile(dir);
  Session session;
  SilentHost host;
  ASSERT_TRUE(test::openInSession(session, path));
  const int64_t cursor = session.stream.cursor;
  int calls = 0;
  // Largest sample -32768, and only in the frames 100..109.
  NormalizeScan scan(session, host, scripted(session, [](int f) { return f >= 100 && f < 110 ? -32768 : 1000; }, &calls));
  ASSERT_TRUE(scan.open());
  EXPECT_FALSE(scan.step());
  EXPECT_EQ(calls, 50);  // one tick is 50 blocks, then the scan ends early
  EXPECT_EQ(scan.maxPeak(), 32768);
  EXPECT_EQ(scan.peakText(), "0.0 dB");
  EXPECT_EQ(scan.proposedSteps(), 0);
  EXPECT_EQ(scan.progress(), 100);
  EXPECT_EQ(session.stream.cursor, cursor);
  EXPECT_TRUE(scan.accept());
  EXPECT_EQ(session.edits.ranges[0].gainbeg, 0);

  // Peaks that are not yet at full scale go on to the end.
  Session other;
  ASSERT_TRUE(test::openInSession(other, path));
  calls = 0;
  NormalizeScan quieter(other, host, scripted(other, [](int f) { return f == 650 ? 22698 : 100; }, &calls));
  ASSERT_TRUE(quieter.open());
  EXPECT_TRUE(quieter.step());
  EXPECT_FALSE(quieter.step());
  EXPECT_EQ(calls, 70);  // 693 frames in blocks of 10
  EXPECT_EQ(quieter.maxPeak(), 22698);
  EXPECT_EQ(quieter.peakText(), "-3.2 dB");
  EXPECT_EQ(quieter.levelChangeText(), "+3.0 dB");
}

TEST(PeakSeek, OpenFailuresAndLimits) {
  Session session;
  SilentHost host;
  ASSERT_TRUE(test::openInSession(session, dataPath(kToneFile)));
  const int64_t cursor = session.stream.cursor;

  // More than 10 frames per block: refused without a message.
  PeakSeek seek;
  EXPECT_FALSE(peakSeekInit(session, host, seek, 11));
  EXPECT_TRUE(host.messages.empty());
  peakSeekClose(session, host, seek);  // safe when nothing is open
  EXPECT_EQ(session.stream.cursor, cursor);

  // Open and close put the cursor back, clear the prelisten mode and resyncs.
  session.prelistenMode = 1;
  session.stream.resyncCount = 7;
  ASSERT_TRUE(peakSeekInit(session, host, seek, 1));
  EXPECT_EQ(session.prelistenMode, 0);
  EXPECT_EQ(session.stream.resyncCount, 0);
  EXPECT_EQ(seek.pcmBufferSize, 5200u);
  EXPECT_GT(blockPeak(session, host, seek, 1), 10000);  // the tone
  EXPECT_GT(session.stream.cursor, cursor);
  session.prelistenMode = 1;
  peakSeekClose(session, host, seek);
  EXPECT_EQ(session.stream.cursor, cursor);
  EXPECT_EQ(session.prelistenMode, 0);
  EXPECT_EQ(blockPeak(session, host, seek, 1), 0);  // closed: nothing decoded

  // A decoder that can't start: its messages, open fails, the cursor stays.
  NormalizeScan scan(session, host, [](int32_t) -> std::unique_ptr<DecoderBackend> { return nullptr; });
  EXPECT_FALSE(scan.open());
  EXPECT_FALSE(scan.running());
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
  EXPECT_EQ(session.stream.cursor, cursor);

  EXPECT_NEAR(pauseLevelToDb(100), -10.3, 0.05);
  EXPECT_NEAR(pauseLevelToDb(1), -90.3, 0.05);
  EXPECT_NEAR(pauseLevelToDb(30), -31.2, 0.05);
}

}  // namespace
}  // namespace quillane
