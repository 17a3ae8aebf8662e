#include "audio/playback_engine.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/level_meter.h"
#include "session/command_ids.h"
#include "session/session.h"
#include "stream/audio_stream.h"
#include "support/scripted_backend.h"
#include "support/scripted_output_device.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::dataPath;
using test::ScriptedOutputDevice;
using test::ScriptedPlaybackHost;

constexpr int kFfmpeg = 0;
constexpr int kLibmpg123 = 1;
// tone_silence_tone.mp3: 4 frames of stereo MPEG-1 Layer III are 4 x 1152 x 4 bytes.
constexpr uint32_t kFourFrameBytes = 4 * 1152 * 4;

const int kTransportButtons[] = {cmd::kPlay,          cmd::kRecord,        cmd::kPrelistenToBegin, cmd::kPrelistenFromBegin,
                                 cmd::kPrelistenToEnd, cmd::kPrelistenFromEnd, cmd::kPrelistenAsCut};

// A session with a file open, a scripted device installed and a scripted window.
// Every write also records the position the engine gave the buffer written.
class Player {
 public:
  explicit Player(const std::string& name, int useMpglib = kFfmpeg) {
    EXPECT_TRUE(test::openInSession(session, dataPath(name))) << name;
    session.settings.use_mpglib = useMpglib;
    session.playback.output = &device;
    starts = test::frameStarts(session);
    device.onWrite = [this](int n) {
      const int index = device.writes[n].index;
      writtenPositions.push_back(session.playback.buffers.at(index).position);
    };
  }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Offset of frame i counted from audioStart; audioEnd past the last frame.
  int64_t frame(int i) const { return i < static_cast<int>(starts.size()) ? starts[i] : session.stream.audioEnd; }
  // The first frame at or after offset (what a resync finds in an undamaged file).
  int64_t frameAtOrAfter(int64_t offset) const {
    const auto it = std::lower_bound(starts.begin(), starts.end(), offset);
    return it == starts.end() ? session.stream.audioEnd : *it;
  }
  int indexOf(int64_t offset) const {
    return static_cast<int>(std::lower_bound(starts.begin(), starts.end(), offset) - starts.begin());
  }
  int64_t span() const { return static_cast<int64_t>(70.0 * session.stream.avgFrameSize); }

  void select(int64_t beg, int64_t end) {
    session.edits.selection.beg = beg;
    session.edits.selection.end = end;
  }
  // Play as the Play command and the start timer do it.
  void play() {
    requestPlay(session, host);
    startTimerFired(session, host);
  }
  void prelisten(int mode, int button) {
    requestPrelisten(session, host, mode, button);
    startTimerFired(session, host);
  }
  // Hands buffers back one at a time while playback runs; the play positions
  // seen after each returned buffer.
  std::vector<int64_t> runToEnd(int limit = 10000) {
    std::vector<int64_t> seen;
    while (session.playing && limit-- > 0 && device.returnNext()) seen.push_back(session.playPosition);
    return seen;
  }
  // What the Stop command does while playing.
  void stopCommand() {
    session.playback.playActive = false;
    releaseTransportButtons(host);
    stopPlayback(session);
  }

  ScriptedOutputDevice device;
  ScriptedPlaybackHost host;
  Session session;
  std::vector<int64_t> starts;
  std::vector<int64_t> writtenPositions;
};

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

bool allZero(const std::vector<uint8_t>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

// The PCM of the file decoded straight through the decoder layer, block after
// block from `from`, as playback sizes its blocks.
std::vector<uint8_t> decodeDirectly(const std::string& name, int useMpglib, int64_t from, int maxFills = 1 << 30) {
  Session session;
  EXPECT_TRUE(test::openInSession(session, dataPath(name)));
  session.settings.use_mpglib = useMpglib;
  const uint32_t size = applyBufferSizing(session.settings, session.stream.currentHeader);
  SilentHost host;
  Decoder decoder;
  EXPECT_EQ(decoderOpen(session, decoder, size), DecoderError::None);
  std::vector<uint8_t> block(size);
  std::vector<uint8_t> all;
  int64_t position = from;
  for (int i = 0; i < maxFills; ++i) {
    const int n = decoderFill(session, host, decoder, position, block.data());
    if (n <= 0) break;
    all.insert(all.end(), block.begin(), block.begin() + n);
  }
  decoderClose(decoder);
  return all;
}

void expectButtonsReleased(const ScriptedPlaybackHost& host) {
  for (int button : kTransportButtons) {
    ASSERT_TRUE(host.pressedButtons.count(button)) << "button " << button << " was never released";
    EXPECT_FALSE(host.pressed(button)) << "button " << button;
  }
  EXPECT_EQ(host.text(cmd::kPrelistenToEnd), "..=>I");
  EXPECT_EQ(host.text(cmd::kPrelistenFromEnd), "..I=>");
}

// A back end that cannot start.
class BrokenBackend : public DecoderBackend {
 public:
  const char* name() const override { return "broken"; }
  bool supportsLayer(int) const override { return true; }
  BackendOpenResult open(const PcmFormat&, int) override { return BackendOpenResult::LoadFailed; }
  DecodeResult decode(const uint8_t*, int, uint8_t*, int) override { return {}; }
  void reset() override {}
  void close() override {}
};

// --- The requests ----------------------------------------------------------------

TEST(PlaybackRequests, PlayNeedsAFileACursorBeforeTheEndAndNoDevice) {
  {
    Session empty;
    ScriptedPlaybackHost host;
    requestPlay(empty, host);
    EXPECT_TRUE(host.timers.empty());
    EXPECT_TRUE(host.pressedButtons.empty());
  }
  {
    Player p("tone_silence_tone.mp3");
    p.session.stream.cursor = p.session.stream.audioEnd;
    requestPlay(p.session, p.host);
    EXPECT_TRUE(p.host.timers.empty());
    EXPECT_FALSE(p.host.pressed(cmd::kPlay));
  }
  {
    Player p("tone_silence_tone.mp3");
    p.session.recordInitialised = true;
    requestPlay(p.session, p.host);
    EXPECT_TRUE(p.host.timers.empty());
    EXPECT_FALSE(p.host.pressed(cmd::kPlay));
  }
  {
    Player p("tone_silence_tone.mp3");
    p.play();
    ASSERT_TRUE(p.session.playing);
    p.host.pressedButtons.clear();
    p.host.buttonTexts.clear();
    requestPlay(p.session, p.host);
    EXPECT_TRUE(p.host.timers.empty());
    EXPECT_TRUE(p.host.pressedButtons.empty());
    EXPECT_TRUE(p.host.buttonTexts.empty());
    EXPECT_EQ(p.device.opens.size(), 1u);
  }
}

TEST(PlaybackRequests, PlayPressesPlayRelabelsFastPlayAndStartsTheTimer) {
  Player p("tone_silence_tone.mp3");
  p.session.prelistenMode = 3;  // a leftover
  requestPlay(p.session, p.host);
  EXPECT_TRUE(p.host.pressed(cmd::kPlay));
  EXPECT_EQ(p.host.text(cmd::kPrelistenToEnd), ">> -");
  EXPECT_EQ(p.host.text(cmd::kPrelistenFromEnd), ">> +");
  ASSERT_EQ(p.host.timers.count(tmr::kStartPlayback), 1u);
  EXPECT_EQ(p.host.timers[tmr::kStartPlayback], 100);
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_TRUE(p.device.opens.empty()) << "the device opens when the timer fires";
}

TEST(PlaybackRequests, PlayWithThreeFramesPerBufferKeepsThePrelistenLabels) {
  Player p("tone_silence_tone.mp3");
  p.session.settings.buffer_frm = 3;
  requestPlay(p.session, p.host);
  EXPECT_TRUE(p.host.pressed(cmd::kPlay));
  EXPECT_FALSE(p.host.buttonTexts.count(cmd::kPrelistenToEnd));
  EXPECT_FALSE(p.host.buttonTexts.count(cmd::kPrelistenFromEnd));
  EXPECT_EQ(p.host.timers[tmr::kStartPlayback], 100);
}

TEST(PlaybackRequests, PrelistenPressesItsButtonAndIsIgnoredWhilePlaying) {
  Player p("tone_silence_tone.mp3");
  requestPrelisten(p.session, p.host, 2, cmd::kPrelistenToBegin);
  EXPECT_EQ(p.session.prelistenMode, 2);
  EXPECT_TRUE(p.host.pressed(cmd::kPrelistenToBegin));
  EXPECT_EQ(p.host.timers[tmr::kStartPlayback], 100);

  Player q("tone_silence_tone.mp3");
  q.select(q.frame(100), q.frame(130));
  q.play();
  ASSERT_TRUE(q.session.playing);
  q.host.pressedButtons.clear();
  for (auto [mode, button] : {std::pair{1, cmd::kPrelistenAsCut}, std::pair{2, cmd::kPrelistenToBegin},
                              std::pair{3, cmd::kPrelistenFromBegin}}) {
    requestPrelisten(q.session, q.host, mode, button);
    EXPECT_EQ(q.session.prelistenMode, 0);
    EXPECT_FALSE(q.host.pressed(button));
  }
  EXPECT_TRUE(q.host.timers.empty());
}

TEST(PlaybackRequests, TimerFiredKillsTheTimerAndStarts) {
  Player p("tone_silence_tone.mp3");
  requestPlay(p.session, p.host);
  startTimerFired(p.session, p.host);
  EXPECT_FALSE(p.host.timers.count(tmr::kStartPlayback));
  EXPECT_NE(std::find(p.host.timersStopped.begin(), p.host.timersStopped.end(), tmr::kStartPlayback),
            p.host.timersStopped.end());
  EXPECT_TRUE(p.session.playing);
  EXPECT_TRUE(p.session.playback.playActive);
  EXPECT_TRUE(p.device.isOpen());
  EXPECT_TRUE(p.host.pressed(cmd::kPlay));
}

TEST(PlaybackRequests, PrelistenWithoutSelectionPlaysNothingAndReleasesTheButtons) {
  Player p("tone_silence_tone.mp3");
  const int64_t cursor = p.frame(40);
  p.session.stream.cursor = cursor;
  p.prelisten(3, cmd::kPrelistenFromBegin);
  EXPECT_FALSE(p.session.playing);
  EXPECT_TRUE(p.device.opens.empty());
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_EQ(p.session.stream.cursor, cursor);
  EXPECT_TRUE(p.host.messages().empty());
  expectButtonsReleased(p.host);
}

TEST(PlaybackRequests, DeviceThatCannotOpenShowsTheErrorAndClosesTheDecoder) {
  Player p("tone_silence_tone.mp3");
  p.device.failOpen = true;
  p.play();
  EXPECT_FALSE(p.session.playing);
  EXPECT_FALSE(p.session.playback.playActive);
  EXPECT_EQ(p.device.opens.size(), 1u);
  EXPECT_TRUE(p.device.writes.empty());
  ASSERT_EQ(p.host.messages().size(), 1u);
  EXPECT_EQ(p.host.messages()[0].text, "Could not open wave/audio device");
  EXPECT_EQ(p.host.messages()[0].caption, "Error");
  EXPECT_EQ(p.host.messages()[0].icon, MessageIcon::Error);
  if (p.session.playback.decoder) {
    EXPECT_FALSE(decoderIsOpen(*p.session.playback.decoder));
  }
  expectButtonsReleased(p.host);
}

TEST(PlaybackRequests, NoDeviceInstalledIsADeviceThatCannotOpen) {
  Player p("tone_silence_tone.mp3");
  p.session.playback.output = nullptr;
  p.play();
  EXPECT_FALSE(p.session.playing);
  ASSERT_EQ(p.host.messages().size(), 1u);
  EXPECT_EQ(p.host.messages()[0].text, "Could not open wave/audio device");
  if (p.session.playback.decoder) {
    EXPECT_FALSE(decoderIsOpen(*p.session.playback.decoder));
  }
  expectButtonsReleased(p.host);
}

TEST(PlaybackRequests, DecoderThatCannotOpenLeavesTheDeviceAlone) {
  Player p("tone_silence_tone.mp3");
  p.session.playback.decoder =
      std::make_unique<Decoder>([](int32_t) -> std::unique_ptr<DecoderBackend> { return std::make_unique<BrokenBackend>(); });
  p.play();
  EXPECT_FALSE(p.session.playing);
  EXPECT_TRUE(p.device.opens.empty());
  EXPECT_FALSE(p.host.messages().empty()) << "the decoder shows its own messages";
  expectButtonsReleased(p.host);
}

// --- The start --------------------------------------------------------------------

class PlaybackStart : public ::testing::TestWithParam<int> {};

TEST_P(PlaybackStart, PrimesFourBuffersFrameByFrameAndOpensTheDefaultDevice) {
  Player p("tone_silence_tone.mp3", GetParam());
  p.session.fastPlayLevel = 5;  // a leftover
  p.session.stream.cursor = p.session.stream.audioStart;
  ASSERT_TRUE(startPlayback(p.session, p.host));
  ASSERT_EQ(p.device.opens.size(), 1u);
  EXPECT_EQ(p.device.opens[0].number, -1);
  const PcmFormat& f = p.device.opens[0].format;
  EXPECT_EQ(f.formatTag, 1);
  EXPECT_EQ(f.channels, 2);
  EXPECT_EQ(f.samplesPerSecond, 44100u);
  EXPECT_EQ(f.blockAlign, 4);
  EXPECT_EQ(f.avgBytesPerSecond, 176400u);
  EXPECT_EQ(f.bitsPerSample, 16);

  ASSERT_EQ(p.device.writes.size(), 4u);
  ASSERT_EQ(p.session.playback.buffers.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p.device.writes[i].index, i);
    EXPECT_EQ(p.device.writes[i].length, kFourFrameBytes);
    EXPECT_EQ(p.writtenPositions[i], p.frame(4 * (i + 1))) << "buffer " << i;
    EXPECT_EQ(p.session.playback.buffers[i].position, p.frame(4 * (i + 1)));
    EXPECT_EQ(p.session.playback.buffers[i].data.size(), 32u * 1024u);
  }
  EXPECT_EQ(p.session.stream.cursor, p.frame(16));
  EXPECT_TRUE(p.session.playing);
  EXPECT_TRUE(p.session.playback.playActive);
  EXPECT_EQ(p.session.fastPlayLevel, 0);
  // The peaks are cleared after priming.
  EXPECT_EQ(p.session.meter.meterLevel[0], 0);
  EXPECT_EQ(p.session.meter.meterLevel[1], 0);
  EXPECT_EQ(p.session.meter.meterPeakHold[1], 0);

  // The buffers hold the decoder's PCM of those frames, in order.
  const std::vector<uint8_t> direct = decodeDirectly("tone_silence_tone.mp3", GetParam(), p.frame(0), 4);
  std::vector<uint8_t> played;
  for (const auto& w : p.device.writes) played.insert(played.end(), w.bytes.begin(), w.bytes.end());
  EXPECT_EQ(played, direct);
  EXPECT_TRUE(p.host.messages().empty());
}

TEST_P(PlaybackStart, StartsAtTheCursorWithTheFormatOfMonoFiles) {
  Player p("mono.mp3", GetParam());
  p.session.stream.cursor = p.frame(50);
  p.session.settings.device_out = 3;
  ASSERT_TRUE(startPlayback(p.session, p.host));
  EXPECT_EQ(p.device.opens[0].number, 2);
  EXPECT_EQ(p.device.opens[0].format.channels, 1);
  EXPECT_EQ(p.device.opens[0].format.blockAlign, 2);
  EXPECT_EQ(p.device.opens[0].format.samplesPerSecond, 44100u);
  EXPECT_EQ(p.writtenPositions[0], p.frame(54));
  EXPECT_EQ(p.device.writes[0].length, 4u * 1152u * 2u);
  EXPECT_FALSE(startPlayback(p.session, p.host)) << "already playing";
  EXPECT_EQ(p.device.opens.size(), 1u);
}

TEST_P(PlaybackStart, AppliesTheBufferSizingToTheSettings) {
  Player p("tone_silence_tone.mp3", GetParam());
  p.session.settings.buffer_frm = 12;
  p.session.settings.buffer_max = 100;
  ASSERT_TRUE(startPlayback(p.session, p.host));
  EXPECT_EQ(p.session.settings.buffer_frm, 8);
  EXPECT_EQ(p.session.settings.buffer_max, 64);
  EXPECT_EQ(p.session.playback.buffers[0].data.size(), 64u * 1024u);
  EXPECT_EQ(p.device.writes[0].length, 2 * kFourFrameBytes);
  EXPECT_EQ(p.writtenPositions[3], p.frame(32));
}

INSTANTIATE_TEST_SUITE_P(Backends, PlaybackStart, ::testing::Values(kFfmpeg, kLibmpg123),
                         [](const auto& info) { return info.param ? std::string("libmpg123") : std::string("FFmpeg"); });

// --- The buffer cycle -----------------------------------------------------------------

TEST(PlaybackCycle, PlayPositionFollowsTheReturnedBuffersWhichAreRefilledInTurn) {
  Player p("tone_silence_tone.mp3");
  p.play();
  ASSERT_TRUE(p.session.playing);
  for (int k = 1; k <= 6; ++k) {
    ASSERT_TRUE(p.device.returnNext());
    EXPECT_EQ(p.session.playPosition, p.frame(4 * k)) << "return " << k;
    EXPECT_EQ(currentPosition(p.session), p.frame(4 * k));
    ASSERT_EQ(p.device.writes.size(), static_cast<size_t>(4 + k));
    EXPECT_EQ(p.device.writes.back().index, (k - 1) % 4);
    EXPECT_EQ(p.writtenPositions.back(), p.frame(4 * (4 + k)));
  }
  EXPECT_EQ(p.device.queued().size(), 4u);
}

TEST(PlaybackCycle, EveryReturnedBufferFeedsTheMeter) {
  // From frame 60: four buffers of the -6 dBFS tone, then the tone ends (at 2 s,
  // frame 77) and the meter falls by 5 x buffer_frm per silent buffer.
  Player p("tone_silence_tone.mp3");
  p.session.stream.cursor = p.frame(60);
  p.play();
  ASSERT_TRUE(p.session.playing);
  std::vector<int> levels;
  for (int k = 0; k < 12; ++k) {
    ASSERT_TRUE(p.device.returnNext());
    levels.push_back(p.session.meter.meterLevel[1]);
    if (k < 4) {
      EXPECT_NEAR(p.session.meter.meterLevel[0], 94, 4) << "buffer " << k;
      EXPECT_NEAR(p.session.meter.meterLevel[1], 94, 4) << "buffer " << k;
    }
  }
  EXPECT_GE(p.session.meter.meterMargin[0], 60);
  int falls = 0;
  for (size_t k = 1; k < levels.size(); ++k)
    if (levels[k] < levels[k - 1] && levels[k - 1] > 25) {
      EXPECT_EQ(levels[k - 1] - levels[k], 20) << "buffer " << k;
      ++falls;
    }
  EXPECT_GE(falls, 3);
}

class PlaybackToTheEnd : public ::testing::TestWithParam<int> {};

TEST_P(PlaybackToTheEnd, StopsByItselfAfterHalfBuffersOfSilence) {
  Player p("tone_silence_tone.mp3", GetParam());
  p.session.stream.cursor = p.frame(200);  // 31 frames left: 7 blocks of 4 and one of 3
  p.play();
  ASSERT_TRUE(p.session.playing);
  const std::vector<int64_t> seen = p.runToEnd();
  ASSERT_FALSE(seen.empty());
  EXPECT_FALSE(p.session.playing);
  EXPECT_FALSE(p.session.playback.playActive);
  EXPECT_EQ(seen.back(), p.session.stream.audioEnd);
  for (size_t k = 0; k + 1 < seen.size(); ++k) EXPECT_LT(seen[k], p.session.stream.audioEnd);
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioEnd);
  EXPECT_FALSE(p.device.isOpen());
  EXPECT_TRUE(p.session.playback.buffers.empty());
  if (p.session.playback.decoder) {
    EXPECT_FALSE(decoderIsOpen(*p.session.playback.decoder));
  }
  expectButtonsReleased(p.host);

  const auto& writes = p.device.writes;
  ASSERT_GE(writes.size(), 9u);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(writes[k].length, kFourFrameBytes) << k;
  EXPECT_EQ(writes[7].length, 3 * 1152 * 4u);
  EXPECT_EQ(p.writtenPositions[7], p.session.stream.audioEnd);
  // Nothing left to decode: half a buffer of silence each, until the end comes back.
  for (size_t k = 8; k < writes.size(); ++k) {
    EXPECT_EQ(writes[k].length, 32u * 1024u / 2u) << k;
    EXPECT_TRUE(allZero(writes[k].bytes)) << k;
    EXPECT_EQ(p.writtenPositions[k], p.session.stream.audioEnd);
  }
  EXPECT_EQ(writes.size(), 11u) << "the three buffers ahead of the last block come back as silence";
}

TEST_P(PlaybackToTheEnd, PlaysTheWholeFileAsTheDecoderAndMpg123DecodeIt) {
  const std::string name = "tone_silence_tone.mp3";
  Player p(name, GetParam());
  p.play();
  p.runToEnd();
  ASSERT_FALSE(p.session.playing);
  std::vector<uint8_t> played;
  for (size_t k = 0; k < p.device.writes.size(); ++k) {
    played.insert(played.end(), p.device.writes[k].bytes.begin(), p.device.writes[k].bytes.end());
    if (p.writtenPositions[k] == p.session.stream.audioEnd) break;  // the last block of audio
  }
  const std::vector<uint8_t> direct = decodeDirectly(name, GetParam(), p.session.stream.audioStart);
  ASSERT_EQ(played.size(), 231u * 1152u * 4u);
  EXPECT_TRUE(played == direct) << "playback changed the decoder's PCM";

  // An independent decoder: mpg123 without gapless trimming gives every frame's samples.
  const test::CommandOutput ref =
      test::runCommand("mpg123 --no-gapless -q -s " + test::shellQuote(dataPath(name).string()));
  ASSERT_EQ(ref.status, 0) << ref.err;
  std::vector<int16_t> reference(ref.out.size() / 2);
  std::memcpy(reference.data(), ref.out.data(), reference.size() * 2);
  const std::vector<int16_t> ours = samplesOf(played);
  ASSERT_EQ(reference.size(), ours.size());
  int worst = 0;
  for (size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - reference[i]));
  EXPECT_LE(worst, GetParam() == kLibmpg123 ? 0 : 4) << "largest sample difference from mpg123";
}

INSTANTIATE_TEST_SUITE_P(Backends, PlaybackToTheEnd, ::testing::Values(kFfmpeg, kLibmpg123),
                         [](const auto& info) { return info.param ? std::string("libmpg123") : std::string("FFmpeg"); });

// --- Stopping -------------------------------------------------------------------------

TEST(PlaybackStop, StopInTheMiddleLeavesTheCursorAtThePlayedFrame) {
  Player p("tone_silence_tone.mp3");
  p.play();
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(p.device.returnNext());
  ASSERT_EQ(p.session.playPosition, p.frame(12));
  p.stopCommand();
  EXPECT_FALSE(p.session.playing);
  EXPECT_FALSE(p.session.playback.playActive);
  EXPECT_EQ(p.session.stream.cursor, p.frame(12));
  EXPECT_EQ(currentPosition(p.session), p.frame(12));
  EXPECT_GE(p.device.resets, 1);
  EXPECT_FALSE(p.device.isOpen());
  EXPECT_TRUE(p.session.playback.buffers.empty());
  EXPECT_EQ(p.session.prelistenMode, 0);
  ASSERT_TRUE(p.session.playback.decoder);
  EXPECT_FALSE(decoderIsOpen(*p.session.playback.decoder));
  expectButtonsReleased(p.host);

  // A second stop and late notices change nothing.
  const size_t writes = p.device.writes.size();
  stopPlayback(p.session);
  for (int i = 0; i < 4; ++i) onBufferDone(p.session, p.host, i);
  EXPECT_EQ(p.device.writes.size(), writes);
  EXPECT_EQ(p.session.stream.cursor, p.frame(12));
  EXPECT_FALSE(p.session.playing);
  EXPECT_TRUE(p.host.messages().empty());

  // And it plays again from there.
  p.play();
  ASSERT_TRUE(p.session.playing);
  EXPECT_EQ(p.writtenPositions.back(), p.frame(28));
}

TEST(PlaybackStop, StopWhenNothingPlaysOnlyClearsThePrelistenMode) {
  Player p("tone_silence_tone.mp3");
  p.session.stream.cursor = p.frame(33);
  p.session.prelistenMode = 4;
  stopPlayback(p.session);
  stopPlayback(p.session);
  EXPECT_EQ(p.session.stream.cursor, p.frame(33));
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_FALSE(p.session.playing);
  EXPECT_EQ(p.device.resets, 0);
}

// --- Seeking ---------------------------------------------------------------------------

TEST(PlaybackSeek, WhilePlayingTheDeviceReturnsItsBuffersWhichRefillFromTheNewPlace) {
  Player p("tone_silence_tone.mp3");
  p.play();
  ASSERT_TRUE(p.device.returnNext());  // buffer 0 refilled; queue 1 2 3 0
  seekPlayback(p.session, p.frame(150) + 100);
  EXPECT_EQ(p.session.stream.cursor, p.frame(151));
  EXPECT_EQ(p.device.resets, 1);
  EXPECT_TRUE(p.device.isOpen());
  ASSERT_EQ(p.device.pending().size(), 4u);
  const size_t before = p.device.writes.size();
  for (int k = 0; k < 4; ++k) {
    ASSERT_TRUE(p.device.returnNext());
    const int index = (k + 1) % 4;
    EXPECT_EQ(p.device.writes[before + k].index, index);
    EXPECT_EQ(p.writtenPositions[before + k], p.frame(151 + 4 * (k + 1))) << "refill " << k;
  }
  // The play position is that of the returned buffers: the old ones first.
  ASSERT_TRUE(p.device.returnNext());
  EXPECT_EQ(p.session.playPosition, p.frame(155));
  EXPECT_TRUE(p.session.playing);
}

// The whole file as mpg123 decodes it (no gapless trimming): every frame's
// 1152 stereo sample frames, frame i of the audio at i * 1152 * 2 samples.
std::vector<int16_t> mpg123Samples(const std::string& name) {
  const test::CommandOutput ref =
      test::runCommand("mpg123 --no-gapless -q -s " + test::shellQuote(dataPath(name).string()));
  EXPECT_EQ(ref.status, 0) << ref.err;
  std::vector<int16_t> samples(ref.out.size() / 2);
  std::memcpy(samples.data(), ref.out.data(), samples.size() * 2);
  return samples;
}

// Sample frames of `pcm` (stereo) against the reference from audio frame `frame` on.
int worstDifference(const std::vector<uint8_t>& pcm, const std::vector<int16_t>& reference, int frame) {
  const std::vector<int16_t> ours = samplesOf(pcm);
  const size_t first = static_cast<size_t>(frame) * 1152 * 2;
  EXPECT_LE(first + ours.size(), reference.size());
  int worst = 0;
  for (size_t i = 0; i < ours.size() && first + i < reference.size(); ++i)
    worst = std::max(worst, std::abs(ours[i] - reference[first + i]));
  return worst;
}

TEST(PlaybackSeek, TheFirstBlockAfterAJumpSoundsAsInTheWholeStream) {
  // The decoder restarts at the new place on the two frames before it, so the
  // first block is what a decode of the whole file gives there.
  const std::string name = "tone_silence_tone.mp3";
  const std::vector<int16_t> reference = mpg123Samples(name);
  Player p(name, kLibmpg123);
  p.session.stream.cursor = p.frame(20);
  p.play();
  EXPECT_EQ(worstDifference(p.device.writes.front().bytes, reference, 20), 0) << "the start mid-stream";
  ASSERT_TRUE(p.device.returnNext());
  seekPlayback(p.session, p.frame(190));
  ASSERT_TRUE(p.device.returnNext());
  ASSERT_EQ(p.writtenPositions.back(), p.frame(194));
  EXPECT_EQ(worstDifference(p.device.writes.back().bytes, reference, 190), 0) << "after the jump";
  // Without the frames before it a decoder started there gets them wrong.
  const std::vector<uint8_t> fresh = decodeDirectly(name, kLibmpg123, p.frame(190), 1);
  EXPECT_GT(worstDifference(fresh, reference, 190), 100);
}

TEST(PlaybackSeek, ClampsToTheAudioWhilePlaying) {
  Player p("tone_silence_tone.mp3");
  p.play();
  seekPlayback(p.session, 0);  // inside the Info frame, before audioStart
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioStart);
  seekPlayback(p.session, p.session.stream.audioEnd + 1000);
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioEnd);
  seekPlayback(p.session, p.session.stream.audioEnd);
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioEnd);
  seekPlayback(p.session, p.frame(77));
  EXPECT_EQ(p.session.stream.cursor, p.frame(77));
  EXPECT_EQ(p.device.resets, 4);
}

TEST(PlaybackSeek, WhileStoppedOnlyMovesTheCursor) {
  Player p("tone_silence_tone.mp3");
  seekPlayback(p.session, p.frame(10) + 1);
  EXPECT_EQ(p.session.stream.cursor, p.frame(11));
  seekPlayback(p.session, -5);
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioStart);
  seekPlayback(p.session, p.session.stream.fileSize + 10);
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioEnd);
  EXPECT_TRUE(p.device.opens.empty());
  EXPECT_EQ(p.device.resets, 0);
  EXPECT_FALSE(p.session.playing);
}

// --- Prelisten ---------------------------------------------------------------------------

struct PrelistenCase {
  int mode;
  int button;
  int beg;  // selection, in frames
  int end;
};

class Prelisten : public ::testing::TestWithParam<PrelistenCase> {};

TEST_P(Prelisten, StartsAndStopsAsTheTableSaysAndRunsBackToTheCursor) {
  const PrelistenCase c = GetParam();
  Player p("tone_silence_tone.mp3");
  const int64_t B = p.frame(c.beg);
  const int64_t E = p.frame(c.end);
  const int64_t span = p.span();
  ASSERT_GT(span, 69 * 417);
  ASSERT_LT(span, 71 * 418);
  p.select(B, E);
  const int64_t cursor = p.frame(5);
  p.session.stream.cursor = cursor;

  int64_t start = 0;
  int64_t stop = 0;
  switch (c.mode) {
    case 1: start = p.frameAtOrAfter(B - span), stop = E + span; break;
    case 2: start = p.frameAtOrAfter(B - span), stop = B; break;
    case 3: start = B, stop = std::min(B + span, E); break;
    case 4: start = std::max(p.frameAtOrAfter(E - span), B), stop = E; break;
    case 5: start = E, stop = E + span; break;
  }
  PrelistenRange range;
  ASSERT_TRUE(prelistenRange(p.session, c.mode, range));
  EXPECT_EQ(range.start, start);
  EXPECT_EQ(range.stop, stop);

  p.prelisten(c.mode, c.button);
  ASSERT_TRUE(p.session.playing);
  EXPECT_EQ(p.session.prelistenMode, c.mode);
  EXPECT_EQ(p.session.playback.stopPosition, stop);
  EXPECT_EQ(p.session.playback.returnPosition, cursor);
  EXPECT_TRUE(p.host.pressed(c.button));
  // The first buffer holds the four frames from the start.
  EXPECT_EQ(p.writtenPositions[0], p.frame(p.indexOf(start) + 4));

  const std::vector<int64_t> seen = p.runToEnd();
  ASSERT_FALSE(p.session.playing);
  ASSERT_FALSE(seen.empty());
  EXPECT_GE(seen.back(), stop) << "ends when a returned buffer reaches the stop position";
  for (size_t k = 0; k + 1 < seen.size(); ++k) EXPECT_LT(seen[k], stop) << k;
  EXPECT_EQ(p.session.stream.cursor, cursor) << "ran to its end: the cursor goes back";
  EXPECT_EQ(p.session.prelistenMode, 0);
  expectButtonsReleased(p.host);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Prelisten,
    ::testing::Values(PrelistenCase{1, cmd::kPrelistenAsCut, 100, 130}, PrelistenCase{2, cmd::kPrelistenToBegin, 100, 130},
                      PrelistenCase{3, cmd::kPrelistenFromBegin, 100, 130},  // shorter than 70 frames: stops at E
                      PrelistenCase{4, cmd::kPrelistenToEnd, 100, 130},      // shorter than 70 frames: starts at B
                      PrelistenCase{5, cmd::kPrelistenFromEnd, 100, 130}, PrelistenCase{3, cmd::kPrelistenFromBegin, 40, 200},
                      PrelistenCase{4, cmd::kPrelistenToEnd, 40, 200}, PrelistenCase{1, cmd::kPrelistenAsCut, 80, 90}),
    [](const auto& info) {
      return "mode" + std::to_string(info.param.mode) + "_" + std::to_string(info.param.beg) + "_" +
             std::to_string(info.param.end);
    });

TEST(PrelistenEdges, ToTheBeginningOfASelectionAtTheStartOfTheAudioStopsAtOnce) {
  Player p("tone_silence_tone.mp3");
  p.select(p.session.stream.audioStart, p.frame(30));
  p.session.stream.cursor = p.frame(50);
  PrelistenRange range;
  ASSERT_TRUE(prelistenRange(p.session, 2, range));
  EXPECT_EQ(range.start, p.session.stream.audioStart);
  EXPECT_EQ(range.stop, p.session.stream.audioStart);
  p.prelisten(2, cmd::kPrelistenToBegin);
  p.runToEnd();
  EXPECT_FALSE(p.session.playing);
  EXPECT_EQ(p.session.stream.cursor, p.frame(50));
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_LE(p.device.writes.size(), 4u);
  expectButtonsReleased(p.host);
}

TEST(PrelistenEdges, FromTheEndNearTheEndOfTheFileStopsThere) {
  Player p("tone_silence_tone.mp3");
  p.select(p.frame(100), p.frame(200));  // 31 frames after E
  p.session.stream.cursor = p.frame(7);
  p.prelisten(5, cmd::kPrelistenFromEnd);
  const std::vector<int64_t> seen = p.runToEnd();
  EXPECT_FALSE(p.session.playing);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), p.session.stream.audioEnd);
  // audioEnd is far from E + 70 frames: this prelisten did not reach its stop position.
  EXPECT_EQ(p.session.stream.cursor, p.session.stream.audioEnd);
}

TEST(PrelistenEdges, StopInTheMiddleLeavesTheCursorWhereItStopped) {
  Player p("tone_silence_tone.mp3");
  p.select(p.frame(60), p.frame(90));
  p.session.stream.cursor = p.frame(3);
  p.prelisten(5, cmd::kPrelistenFromEnd);
  ASSERT_TRUE(p.session.playing);
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(p.device.returnNext());
  EXPECT_EQ(p.session.playPosition, p.frame(90 + 12));
  p.stopCommand();
  EXPECT_EQ(p.session.stream.cursor, p.frame(102));
  EXPECT_EQ(p.session.prelistenMode, 0);
  expectButtonsReleased(p.host);
}

TEST(PrelistenEdges, AsCutNeverPlaysTheSelectionAndIgnoresCutRanges) {
  // One frame per buffer from a back end whose sample values name the frame.
  Player p("tone_silence_tone.mp3");
  p.session.settings.buffer_frm = 1;
  p.session.playback.decoder = std::make_unique<Decoder>(test::scriptedBackends(
      test::FramesRead::LastOne, p.session, p.starts, [](int f) { return 100 + f; }));
  const int beg = 100, end = 130;
  p.select(p.frame(beg), p.frame(end));
  EditRange cut;
  cut.type = kRangeCut;
  cut.beg = p.frame(50);
  cut.end = p.frame(60);
  p.session.edits.ranges[0] = cut;
  p.session.edits.count = 1;
  const int64_t cursor = p.frame(10);
  p.session.stream.cursor = cursor;

  p.prelisten(1, cmd::kPrelistenAsCut);
  ASSERT_TRUE(p.session.playing);
  p.runToEnd();
  ASSERT_FALSE(p.session.playing);

  std::vector<int> frames;
  for (const auto& w : p.device.writes) {
    const std::vector<int16_t> s = samplesOf(w.bytes);
    if (s.empty() || s[0] == 0) continue;
    frames.push_back(s[0] - 100);
  }
  const int first = p.indexOf(p.frameAtOrAfter(p.frame(beg) - p.span()));
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front(), first);
  std::vector<int> expected;
  for (int f = first; f < beg; ++f) expected.push_back(f);
  for (int f = end; expected.size() < frames.size(); ++f) expected.push_back(f);
  EXPECT_EQ(frames, expected);
  // About 70 frames on either side.
  const int after = static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](int f) { return f >= end; }));
  EXPECT_GE(after, 70);
  EXPECT_LE(after, 70 + 5);
  EXPECT_EQ(p.session.stream.cursor, cursor);
}

// --- Fast Play ---------------------------------------------------------------------------------

TEST(FastPlay, StepsWhilePlayingWithoutWrapping) {
  Player p("tone_silence_tone.mp3");
  p.select(p.frame(100), p.frame(130));
  p.play();
  ASSERT_TRUE(p.session.playing);
  p.host.pressedButtons.clear();
  for (int k = 1; k <= 12; ++k) {
    fastPlayFaster(p.session, p.host);
    EXPECT_EQ(p.session.fastPlayLevel, std::min(k, 9));
  }
  for (int k = 1; k <= 12; ++k) {
    fastPlaySlower(p.session, p.host);
    EXPECT_EQ(p.session.fastPlayLevel, std::max(9 - k, 0));
  }
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_TRUE(p.host.timers.empty());
  EXPECT_TRUE(p.host.pressedButtons.empty());
}

TEST(FastPlay, WithThreeFramesPerBufferTheKeysAreThePrelistensOnly) {
  Player p("tone_silence_tone.mp3");
  p.session.settings.buffer_frm = 3;
  p.select(p.frame(100), p.frame(130));
  p.play();
  ASSERT_TRUE(p.session.playing);
  p.host.pressedButtons.clear();
  fastPlayFaster(p.session, p.host);
  fastPlaySlower(p.session, p.host);
  fastPlayFaster(p.session, p.host);
  EXPECT_EQ(p.session.fastPlayLevel, 0);
  EXPECT_EQ(p.session.prelistenMode, 0);
  EXPECT_TRUE(p.host.timers.empty());
  EXPECT_TRUE(p.host.pressedButtons.empty());
  p.stopCommand();

  fastPlayFaster(p.session, p.host);
  EXPECT_EQ(p.session.prelistenMode, 5);
  EXPECT_TRUE(p.host.pressed(cmd::kPrelistenFromEnd));
  EXPECT_EQ(p.host.timers[tmr::kStartPlayback], 100);
  startTimerFired(p.session, p.host);
  EXPECT_TRUE(p.session.playing);
  EXPECT_EQ(p.session.playback.stopPosition, p.frame(130) + p.span());
}

TEST(FastPlay, WhenStoppedTheKeysArePrelistens) {
  Player p("tone_silence_tone.mp3");
  p.select(p.frame(100), p.frame(130));
  fastPlaySlower(p.session, p.host);
  EXPECT_EQ(p.session.prelistenMode, 4);
  EXPECT_TRUE(p.host.pressed(cmd::kPrelistenToEnd));
  EXPECT_EQ(p.host.timers[tmr::kStartPlayback], 100);
  EXPECT_EQ(p.session.fastPlayLevel, 0);
}

TEST(FastPlay, ShortensTheBlocksWrittenAfterTheLevelChanged) {
  Player p("tone_silence_tone.mp3");
  p.play();
  fastPlayFaster(p.session, p.host);  // level 1: keep 1650, skip 200 sample frames
  ASSERT_TRUE(p.device.returnNext());
  // 4608 frames: segments from 0 and 1850 are kept; the next one would pass the end.
  EXPECT_EQ(p.device.writes.back().length, 2u * 1650u * 4u);
  for (int k = 2; k <= 9; ++k) fastPlayFaster(p.session, p.host);
  ASSERT_TRUE(p.device.returnNext());
  // Level 9: keep 450, skip 1800: segments from 0 and 2250.
  EXPECT_EQ(p.device.writes.back().length, 2u * 450u * 4u);
  // The buffer positions still advance four frames at a time.
  EXPECT_EQ(p.writtenPositions.back(), p.frame(24));
  for (int k = 0; k < 9; ++k) fastPlaySlower(p.session, p.host);
  ASSERT_TRUE(p.device.returnNext());
  EXPECT_EQ(p.device.writes.back().length, kFourFrameBytes);
}

// Interleaved samples: channel c of sample frame i holds (i % 16000) + 16000 * c.
std::vector<int16_t> numberedBlock(int frames, int channels) {
  std::vector<int16_t> s(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) s[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(i % 16000 + 16000 * c);
  return s;
}

int splice(std::vector<int16_t>& s, int channels, int rate, int level, size_t lengthSamples) {
  return fastPlaySplice(reinterpret_cast<uint8_t*>(s.data()), static_cast<int>(lengthSamples * 2), channels, rate, level);
}

struct SpliceCase {
  int channels;
  int rate;
  int level;
  int keep;  // sample frames, worked out by hand from (1800 - 150 L) x R / 44100 etc.
  int skip;
};

class FastPlaySplice : public ::testing::TestWithParam<SpliceCase> {};

TEST_P(FastPlaySplice, KeepsSegmentsFadedAtBothEndsWithTheSkippedPartsDropped) {
  const SpliceCase c = GetParam();
  const int frames = 20000;
  std::vector<int16_t> original = numberedBlock(frames, c.channels);
  std::vector<int16_t> s = original;
  s.resize(s.size() + 64, 0x5A5A);  // guard
  const int bytes = splice(s, c.channels, c.rate, c.level, original.size());
  // Segments start at k * (keep + skip) as long as a whole one fits before the end.
  int segments = 0;
  for (long r = 0;; r += c.keep + c.skip) {
    ++segments;
    if (r + c.keep + c.skip + c.keep >= frames) break;
  }
  ASSERT_EQ(bytes, segments * c.keep * c.channels * 2);
  for (size_t k = original.size(); k < s.size(); ++k) ASSERT_EQ(s[k], 0x5A5A) << "wrote past the block";
  for (int k = 0; k < segments; ++k) {
    const long w = static_cast<long>(k) * c.keep;
    const long r = static_cast<long>(k) * (c.keep + c.skip);
    for (int ch = 0; ch < c.channels; ++ch) {
      auto out = [&](long frame) { return s[static_cast<size_t>(frame) * c.channels + ch]; };
      auto in = [&](long frame) { return original[static_cast<size_t>(frame) * c.channels + ch]; };
      EXPECT_EQ(out(w), 0) << "segment " << k << " starts silent";
      for (int i = 1; i < 80; ++i) ASSERT_EQ(out(w + i), in(r + i) * i / 80) << "fade in, segment " << k << " frame " << i;
      for (long i = 80; i < c.keep - 80; ++i) ASSERT_EQ(out(w + i), in(r + i)) << "segment " << k << " frame " << i;
      for (int i = 1; i <= 80; ++i)
        ASSERT_EQ(out(w + c.keep - i), in(r + c.keep - i) * i / 80) << "fade out, segment " << k << " frame " << i;
    }
  }
}

TEST_P(FastPlaySplice, SpeedsUpByTheLevelsFactorOverALongBlock) {
  const SpliceCase c = GetParam();
  const int frames = 2000000 / c.channels;
  std::vector<int16_t> s(static_cast<size_t>(frames) * c.channels, 1000);
  const int bytes = splice(s, c.channels, c.rate, c.level, s.size());
  const double factor = static_cast<double>(s.size() * 2) / bytes;
  const double expected = (1800.0 + 50.0 * c.level) / (1800.0 - 150.0 * c.level);
  // The integer segment lengths at other rates shift it a little.
  EXPECT_NEAR(factor, expected, expected * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Cases, FastPlaySplice,
                         ::testing::Values(SpliceCase{2, 44100, 1, 1650, 200}, SpliceCase{1, 44100, 1, 1650, 200},
                                           SpliceCase{2, 44100, 9, 450, 1800}, SpliceCase{1, 44100, 9, 450, 1800},
                                           SpliceCase{2, 22050, 1, 825, 100}, SpliceCase{1, 22050, 1, 824, 100},
                                           SpliceCase{2, 22050, 9, 225, 900}, SpliceCase{1, 22050, 9, 224, 900},
                                           SpliceCase{2, 48000, 5, 1142, 1088}, SpliceCase{1, 8000, 1, 298, 36}),
                         [](const auto& info) {
                           return std::to_string(info.param.channels) + "ch_" + std::to_string(info.param.rate) + "_L" +
                                  std::to_string(info.param.level);
                         });

TEST(FastPlaySpliceEdges, LevelZeroAndShortBlocksAreLeftAlone) {
  std::vector<int16_t> original = numberedBlock(4608, 2);
  std::vector<int16_t> s = original;
  EXPECT_EQ(splice(s, 2, 44100, 0, s.size()), static_cast<int>(s.size() * 2));
  EXPECT_EQ(s, original);

  // Shorter than one kept segment (1650 frames at level 1): the whole block is
  // played, and nothing outside it is read or written.
  for (int framesIn : {0, 1, 79, 80, 200, 1649}) {
    std::vector<int16_t> block = numberedBlock(framesIn, 2);
    std::vector<int16_t> buffer = block;
    buffer.resize(block.size() + 4000, 0x5A5A);
    const int bytes = splice(buffer, 2, 44100, 1, block.size());
    EXPECT_EQ(bytes, static_cast<int>(block.size() * 2)) << framesIn;
    for (size_t k = block.size(); k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0x5A5A) << framesIn;
  }
  // Around the end test: one segment, a segment and a bit, and nearly two.
  for (int framesIn : {1650, 1651, 1850 + 1649, 1850 + 1650, 1850 + 1651}) {
    std::vector<int16_t> buffer = numberedBlock(framesIn, 2);
    const size_t length = buffer.size();
    buffer.resize(length + 4000, 0x5A5A);
    const int bytes = splice(buffer, 2, 44100, 1, length);
    EXPECT_LE(bytes, static_cast<int>(length * 2)) << framesIn;
    EXPECT_EQ(bytes % (1650 * 4), 0) << framesIn;
    EXPECT_EQ(bytes, (framesIn > 1850 + 1650 ? 2 : 1) * 1650 * 4) << framesIn;
    for (size_t k = length; k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0x5A5A) << framesIn;
  }
}

// --- A missing buffer -------------------------------------------------------------------------

// The host is told and ends the program; the engine touches nothing more.
TEST(PlaybackCheckpoint, AMissingBufferBeforeDecodingIsFatal) {
  Player p("tone_silence_tone.mp3");
  ASSERT_TRUE(startPlayback(p.session, p.host));
  p.session.playback.buffers[1].data.clear();
  p.session.playback.buffers[1].data.shrink_to_fit();
  const int64_t cursor = p.session.stream.cursor;
  onBufferDone(p.session, p.host, 1);
  EXPECT_EQ(p.host.fatalErrors, std::vector<std::string>{"Checkpoint 1: Memory error. Program will be terminated."});
  EXPECT_EQ(p.session.stream.cursor, cursor);  // nothing was decoded into the missing buffer
}

}  // namespace
}  // namespace quillane
