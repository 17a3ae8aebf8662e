// The recording engine over a scripted input: the stages, the file, the cue
// marks, the Turbo Grabber and every failure the user is told about. The MP3s
// are made by LAME and FFmpeg and checked with mpg123 and ffprobe.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "audio/recording_engine.h"
#include "session/command_ids.h"
#include "shell/dispatch_command.h"
#include "shell/window_input.h"
#include "support/scripted_input_device.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"
#include "support/tiny_disk.h"
#include "view/time_format.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::ScriptedInputDevice;
using test::SineSource;

std::string q(const fs::path& path) { return test::shellQuote(path.string()); }

// An encoder that makes one byte per 100 samples: enough for the file's bookkeeping.
class CountingEncoder : public Mp3Encoder {
 public:
  bool encode(const int16_t*, uint32_t sampleCount, std::vector<uint8_t>& out) override {
    out.insert(out.end(), sampleCount / 100, 0xAB);
    encoded_ = encoded_ || sampleCount > 0;
    return true;
  }
  // Like LAME: the last frames of what was encoded, nothing after no input.
  bool finish(std::vector<uint8_t>& out) override {
    if (encoded_) out.insert(out.end(), 7, 0xCD);
    return true;
  }

 private:
  bool encoded_ = false;
};

EncoderOpening countingOpening() {
  EncoderOpening opening;
  opening.encoder = std::make_unique<CountingEncoder>();
  opening.chunkSamples = 2304;
  opening.outputSize = 10080;
  return opening;
}

// The decoded samples of a file (signed 16-bit, interleaved), by mpg123.
std::vector<int16_t> decoded(const fs::path& path) {
  const test::CommandOutput out = test::runCommand("mpg123 --no-gapless -q -s " + q(path));
  std::vector<int16_t> samples(out.out.size() / 2);
  std::memcpy(samples.data(), out.out.data(), samples.size() * 2);
  return samples;
}

std::string ffprobeEntry(const fs::path& path, const std::string& entry) {
  const test::CommandOutput out =
      test::runCommand("ffprobe -v error -select_streams a:0 -show_entries " + entry + " -of csv=p=0 " + q(path));
  std::string text = out.out;
  while (!text.empty() && (text.back() == '\n' || text.back() == ',')) text.pop_back();
  return text;
}

// A session recording into a fresh folder through a scripted input, LAME chosen.
struct Rig {
  test::TempDir dir;
  Session session;
  test::ScriptedShellHost host{session};
  ScriptedInputDevice input;

  Rig() {
    session.recording.input = &input;
    session.settings.file_savepath = (dir / "take").string();
    session.settings.enc_type = 2;
    session.settings.warn = 0;
  }
  fs::path target() const { return dir / "take.mp3"; }

  void command(int id) { dispatchCommand(session, host, id); }
  // Delivers n buffers of a sine; false when the input had no buffer queued.
  bool capture(int n, SineSource& sine) {
    for (int i = 0; i < n; ++i)
      if (!input.deliver([&](int16_t* s, std::size_t count) { sine(s, count); })) return false;
    return true;
  }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : host.messages()) texts.push_back(m.text + " | " + m.caption);
    return texts;
  }
};

struct RecordingTest : ::testing::Test, Rig {};

// --- The file name and the capture format -------------------------------------------

std::tm localTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  return when;
}

TEST(RecordFileName, AddsTheDateWithLeadingZerosAndKeepsTheBase) {
  Settings s;
  std::tm when = localTime(2005, 3, 7, 14, 5, 9);
  struct Row {
    std::string base;
    int addDate;
    std::string name;
  };
  for (const Row& row : {Row{"/music/take", 0, "/music/take.mp3"},
                         Row{"/music/take", 1, "/music/take-2005-03-07--14-05-09.mp3"},
                         Row{"/my music/side a", 1, "/my music/side a-2005-03-07--14-05-09.mp3"},
                         Row{"", 0, ".mp3"}}) {
    s.file_savepath = row.base;
    s.rec_adddate = row.addDate;
    EXPECT_EQ(recordFileNameBuild(s, when), row.name) << row.base;
  }
  when = localTime(2026, 12, 24, 23, 59, 58);
  s.file_savepath = "x";
  s.rec_adddate = 1;
  EXPECT_EQ(recordFileNameBuild(s, when), "x-2026-12-24--23-59-58.mp3");
}

TEST(RecordCaptureFormat, FollowsTheChosenEncoder) {
  struct Row {
    int encType;
    int lameMode;
    int lameRate;
    int systemChannels;
    int systemRate;
    int channels;
    int rate;
  };
  for (const Row& row : {Row{2, 0, 48000, 1, 32000, 2, 48000}, Row{2, 1, 44100, 1, 32000, 2, 44100},
                         Row{2, 3, 22050, 2, 32000, 1, 22050}, Row{1, 3, 22050, 1, 32000, 1, 32000},
                         Row{1, 1, 44100, 2, 48000, 2, 48000}}) {
    Settings s;
    s.enc_type = static_cast<uint8_t>(row.encType);
    s.enc_lam_mode = static_cast<uint8_t>(row.lameMode);
    s.enc_lam_samplerate = row.lameRate;
    s.enc_acm_channels = static_cast<uint8_t>(row.systemChannels);
    s.enc_acm_samplerate = row.systemRate;
    const PcmFormat f = recordCaptureFormat(s);
    EXPECT_EQ(f.channels, row.channels);
    EXPECT_EQ(static_cast<int>(f.samplesPerSecond), row.rate);
    EXPECT_EQ(f.blockAlign, 2 * row.channels);
    EXPECT_EQ(static_cast<int>(f.avgBytesPerSecond), row.rate * 2 * row.channels);
    EXPECT_EQ(f.bitsPerSample, 16);
  }
}

// --- The stages ------------------------------------------------------------------------

TEST_F(RecordingTest, RecCapturesAndMetersButWritesNothingUntilPlay) {
  command(cmd::kRecord);
  ASSERT_TRUE(session.recordInitialised);
  EXPECT_FALSE(session.recordWriting);
  EXPECT_TRUE(host.pressedButtons[cmd::kRecord]);
  EXPECT_EQ(host.lastRefresh(), -2);
  EXPECT_EQ(input.openedNumber, -1);  // device_in 0: the system default
  EXPECT_EQ(input.queue.size(), static_cast<std::size_t>(kRecordBufferCount));
  // LAME at 44.1 kHz stereo: a buffer holds the encoder's output bound in samples.
  EXPECT_EQ(input.queue.front().capacity, 2 * session.recording.lameChunkSamples);

  SineSource loud(1000, 32700, 44100, 2);
  ASSERT_TRUE(capture(3, loud));
  EXPECT_EQ(session.meter.meterPeakHold[0], 127);  // the clip indication
  EXPECT_EQ(session.meter.meterPeakHold[1], 127);
  EXPECT_FALSE(fs::exists(target()));
  EXPECT_EQ(input.queue.size(), static_cast<std::size_t>(kRecordBufferCount));  // every buffer went back
}

TEST_F(RecordingTest, StopWhileOnlyCapturingWritesNothingAndOpensNothing) {
  command(cmd::kRecord);
  SineSource sine(440, 8000, 44100, 2);
  ASSERT_TRUE(capture(4, sine));
  command(cmd::kStop);
  EXPECT_FALSE(session.recordInitialised);
  EXPECT_FALSE(input.isOpen());
  EXPECT_FALSE(session.stream.isOpen());
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_EQ(host.lastRefresh(), 0);
  EXPECT_EQ(session.meter.meterPeakHold[1], 0);
  EXPECT_TRUE(host.messages().empty());
}

TEST_F(RecordingTest, StopWhileWritingOpensTheRecordingWithItsCuesAndMarksItModified) {
  command(cmd::kRecord);
  SineSource sine(1000, 16000, 44100, 2);
  ASSERT_TRUE(capture(2, sine));  // captured only: not in the file
  command(cmd::kPlay);
  ASSERT_TRUE(session.recordWriting);
  EXPECT_TRUE(host.pressedButtons[cmd::kPlay]);
  for (int second = 0; second < 3; ++second) {
    ASSERT_TRUE(capture(9, sine));  // about a second
    command(cmd::kSetBegin);
  }
  ASSERT_EQ(session.recording.cueMarks.size(), 3u);
  const std::vector<int64_t> marks = session.recording.cueMarks;
  command(cmd::kPlayOrStop);  // Space while writing is Stop

  ASSERT_TRUE(session.stream.isOpen()) << (host.messages().empty() ? "" : host.messages().back().text);
  EXPECT_EQ(session.stream.sourcePath, target().string());
  EXPECT_EQ(session.edits.count, 3);
  EXPECT_EQ(session.edits.currentRange, 0);
  EXPECT_TRUE(session.edits.modified);
  for (int i = 0; i < 3; ++i) {
    const EditRange& cue = session.edits.ranges[static_cast<std::size_t>(i)];
    EXPECT_TRUE(cue.isCue());
    EXPECT_EQ(cue.beg, findFrame(session.stream, marks[static_cast<std::size_t>(i)]).offset);
  }
  // A real MP3 of what was written: 27 buffers of stereo sound at 44.1 kHz.
  EXPECT_EQ(ffprobeEntry(target(), "stream=sample_rate,channels"), "44100,2");
  const double seconds = 27.0 * session.recording.lameChunkSamples / 2 / 44100;
  const std::vector<int16_t> pcm = decoded(target());
  // The encoder's last frames were written too: nothing of the sound is missing.
  EXPECT_GE(static_cast<double>(pcm.size()) / 2 / 44100, seconds);
  EXPECT_LT(static_cast<double>(pcm.size()) / 2 / 44100, seconds + 3 * 1152.0 / 44100);
}

TEST_F(RecordingTest, CueMarksStopAtFortyAndNeedNewOutputBetweenThem) {
  session.recording.openEncoder = [](const Settings&) { return countingOpening(); };
  command(cmd::kRecord);
  command(cmd::kPlay);
  SineSource sine(440, 1000, 44100, 2);
  command(cmd::kSetBegin);
  command(cmd::kSetBegin);  // no new output since: no second mark
  EXPECT_EQ(session.recording.cueMarks.size(), 1u);
  for (int i = 0; i < 45; ++i) {
    ASSERT_TRUE(capture(1, sine));
    command(cmd::kSetBegin);
  }
  EXPECT_EQ(session.recording.cueMarks.size(), static_cast<std::size_t>(kMaxCueMarks));
  EXPECT_EQ(session.recording.cueMarks.front(), 0);
  EXPECT_EQ(session.recording.cueMarks[1], 100);  // 10080 samples: 100 bytes
}

TEST_F(RecordingTest, AppendStartsAtTheFileLengthAndMarksPositionsInTheWholeFile) {
  session.settings.rec_appenddata = 1;
  session.recording.openEncoder = [](const Settings&) { return countingOpening(); };
  test::writeBytes(target(), test::Bytes(5000, 0x11));
  command(cmd::kRecord);
  EXPECT_EQ(session.recording.recordFileLength, 5000);
  command(cmd::kPlay);
  SineSource sine(440, 1000, 44100, 2);
  ASSERT_TRUE(capture(2, sine));
  command(cmd::kSetBegin);
  EXPECT_EQ(session.recording.cueMarks.front(), 5200);
  EXPECT_EQ(recordedBytes(session), 5200);
  stopRecording(session, host);
  const test::Bytes file = test::readBytes(target());
  ASSERT_EQ(file.size(), 5000u + 200 + 7);
  EXPECT_EQ(file[4999], 0x11);
  EXPECT_EQ(file[5000], 0xAB);
  EXPECT_EQ(file.back(), 0xCD);
}

TEST_F(RecordingTest, WithoutAppendANewRecordingReplacesTheOldFileOnlyOnceItWrites) {
  session.recording.openEncoder = [](const Settings&) { return countingOpening(); };
  test::writeBytes(target(), test::Bytes(300, 0x11));
  // Writing started, but nothing came: the old file stays as it was, and Stop
  // opens nothing (the old file is not this recording).
  command(cmd::kRecord);
  command(cmd::kPlay);
  EXPECT_EQ(test::readBytes(target()), test::Bytes(300, 0x11));
  command(cmd::kStop);
  EXPECT_EQ(test::readBytes(target()), test::Bytes(300, 0x11));
  EXPECT_FALSE(session.stream.isOpen());
  EXPECT_TRUE(host.messages().empty());
  EXPECT_EQ(host.lastRefresh(), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  // A recording that wrote replaces it whole.
  command(cmd::kRecord);
  command(cmd::kPlay);
  SineSource sine(440, 1000, 44100, 2);
  ASSERT_TRUE(capture(700, sine));  // past the first write of 62000 bytes
  const test::Bytes midway = test::readBytes(target());
  EXPECT_GT(midway.size(), 60000u);
  EXPECT_EQ(midway.front(), 0xAB);
  stopRecording(session, host);
  EXPECT_EQ(test::readBytes(target()).size(), 700u * 100 + 7);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(RecordingTest, MonoLameCapturesOneChannelAndTheMeterShowsOne) {
  session.settings.enc_lam_mode = 3;
  session.settings.enc_lam_samplerate = 22050;
  session.settings.enc_lam_bitrate = 64;
  command(cmd::kRecord);
  ASSERT_TRUE(session.recordInitialised);
  EXPECT_EQ(input.openedFormat.channels, 1);
  EXPECT_EQ(input.openedFormat.samplesPerSecond, 22050u);
  EXPECT_EQ(session.stream.currentHeader.channelMode, ChannelMode::Mono);
  session.meter.meterPeakHold[0] = 0;
  SineSource loud(1000, 32700, 22050, 1);
  command(cmd::kPlay);
  ASSERT_TRUE(capture(20, loud));
  EXPECT_EQ(session.meter.meterPeakHold[0], 0);
  EXPECT_EQ(session.meter.meterPeakHold[1], 127);
  command(cmd::kStop);
  ASSERT_TRUE(session.stream.isOpen());
  EXPECT_EQ(ffprobeEntry(target(), "stream=sample_rate,channels"), "22050,1");
}

TEST_F(RecordingTest, TheSystemEncoderWritesWhatItWasAskedFor) {
  session.settings.enc_type = 1;
  session.settings.enc_acm_samplerate = 48000;
  session.settings.enc_acm_bitrate = 160000;
  session.settings.enc_acm_channels = 2;
  command(cmd::kRecord);
  ASSERT_TRUE(session.recordInitialised) << messageTexts().front();
  EXPECT_EQ(input.queue.front().capacity, kSystemCaptureBufferBytes);
  command(cmd::kPlay);
  SineSource sine(1000, 16000, 48000, 2);
  ASSERT_TRUE(capture(20, sine));  // 20 x 5000 frames
  command(cmd::kStop);
  ASSERT_TRUE(session.stream.isOpen());
  EXPECT_EQ(ffprobeEntry(target(), "stream=sample_rate,channels,bit_rate"), "48000,2,160000");
  const std::vector<int16_t> pcm = decoded(target());
  EXPECT_GE(pcm.size() / 2, 100000u);
}

// --- The Turbo Grabber -------------------------------------------------------------------

TEST(TurboGrabber, StretchesByTheFactorAndInterpolates) {
  const std::vector<int16_t> ramp = {0, 0, 100, -100, 200, -200, 300, -300};
  std::vector<int16_t> out(16);
  const std::size_t made = turboStretch(ramp.data(), ramp.size(), 2, 1.35, out.data(), out.size());
  EXPECT_EQ(made, 10u);  // 8 x 1.35 = 10.8, whole frames
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0);
  for (std::size_t i = 2; i < made; i += 2) {
    // Rising in the left channel; the step stops before the last frame, which
    // repeats the one before it.
    if (i + 2 < made) {
      EXPECT_GT(out[i], out[i - 2]);
    }
    EXPECT_EQ(out[i + 1], -out[i]);  // the right channel mirrors it
  }
  EXPECT_EQ(out[made - 2], out[made - 4]);
  EXPECT_LE(out[made - 2], 300);
  EXPECT_EQ(turboStretch(ramp.data(), ramp.size(), 2, 2.5, out.data(), out.size()), 0u);  // factor beyond 2
  EXPECT_EQ(turboStretch(ramp.data(), ramp.size(), 2, 1.35, out.data(), 4), 0u);          // no room
}

TEST(TurboGrabber, FilterClipsShortOfFullScaleAndKeepsItsMemoryPerChannel) {
  TurboFilterMemory memory;
  std::vector<int16_t> samples = {32767, -32768, 0, 0};
  turboFilter(samples.data(), samples.size(), 2, memory);
  EXPECT_EQ(samples[0], 32766);
  EXPECT_EQ(samples[1], -32766);
  // t = x - 30 y2 / 200 - 30 y1 / 400 with y1 the previous unclipped value.
  EXPECT_EQ(samples[2], (-30 * 32767) / 400);
  EXPECT_EQ(samples[3], (-30 * -32768) / 400);
  EXPECT_EQ(memory.y1[0], (-30 * 32767) / 400);
  EXPECT_EQ(memory.y2[0], 32767);
}

TEST_F(RecordingTest, TenSecondsAt45RpmBecomeThirteenAndAHalf) {
  host.scripted.messageAnswers.push_back(MessageAnswer::Ok);
  command(cmd::kTurboGrabber);
  ASSERT_TRUE(session.recordInitialised);
  ASSERT_GE(host.messages().size(), 1u);
  EXPECT_EQ(host.messages().front().caption, "33 1/3 Turbo Grabber");
  EXPECT_EQ(host.messages().front().text.rfind("This incredible breakthrough", 0), 0u);
  EXPECT_TRUE(session.recording.turboGrabber);
  command(cmd::kPlay);
  SineSource sine(1000, 12000, 44100, 2);
  const int buffers = static_cast<int>(std::ceil(10.0 * 44100 / 5040));
  ASSERT_TRUE(capture(buffers, sine));
  const double captured = static_cast<double>(sine.frames()) / 44100;
  command(cmd::kStop);
  EXPECT_FALSE(session.recording.turboGrabber);  // for this recording only
  const double seconds = static_cast<double>(decoded(target()).size()) / 2 / 44100;
  EXPECT_NEAR(seconds, captured * 1.35, 0.1);
}

// --- Failures ------------------------------------------------------------------------------

TEST(RecordingFailures, EverySaysWhatFailedAndLeavesNothingOpen) {
  struct Row {
    std::string name;
    std::function<void(Rig&)> arrange;
    std::vector<std::string> messages;  // "text | caption", texts compared by their beginning
  };
  const std::vector<Row> rows = {
      {"no encoder chosen", [](Rig& t) { t.session.settings.enc_type = 0; },
       {"How to install/activate the LAME MP3 encoder | Quillane"}},
      {"LAME refuses its settings",
       [](Rig& t) {
         t.session.recording.openEncoder = [](const Settings&) {
           EncoderOpening failed;
           failed.error = -1;
           return failed;
         };
       },
       {"Lame: beInitStream failed, error # -1 | Record init error"}},
      {"the system's codec cannot be opened",
       [](Rig& t) {
         t.session.settings.enc_type = 1;
         t.session.recording.openEncoder = [](const Settings&) { return EncoderOpening{}; };
       },
       {"Could not open FFmpeg's MP3 encoder. Try libmp3lame ... | Record init error",
        "How to install/activate the LAME MP3 encoder | Quillane"}},
      {"the input cannot be opened", [](Rig& t) { t.input.openFails = true; },
       {"Could not open wave/audio device | Error"}},
      {"no input at all", [](Rig& t) { t.session.recording.input = nullptr; },
       {"Could not open wave/audio device | Error"}},
      {"a capture buffer cannot be queued", [](Rig& t) { t.input.addBufferFailsAt = 5; },
       {"Could not queue a capture buffer on the input device | Record init error"}},
      {"capturing cannot start", [](Rig& t) { t.input.startFails = true; },
       {"Could not start capturing on the input device | Record init error"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig t;
    t.session.recording.turboGrabber = true;
    row.arrange(t);
    t.command(cmd::kRecord);
    EXPECT_FALSE(t.session.recordInitialised);
    EXPECT_FALSE(t.input.isOpen());
    EXPECT_FALSE(t.session.recording.encoder);
    EXPECT_FALSE(t.session.recording.turboGrabber);
    EXPECT_FALSE(t.host.pressedButtons[cmd::kRecord]);
    const std::vector<std::string> texts = t.messageTexts();
    ASSERT_EQ(texts.size(), row.messages.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::string& expected = row.messages[i];
      const std::string caption = expected.substr(expected.find(" | "));
      const std::string text = expected.substr(0, expected.find(" | "));
      EXPECT_EQ(texts[i].rfind(text, 0), 0u) << texts[i];
      EXPECT_EQ(texts[i].substr(texts[i].rfind(" | ")), caption);
    }
  }
}

TEST_F(RecordingTest, AFileThatCannotBeCreatedAtPlaySaysSoAndKeepsCapturing) {
  session.settings.file_savepath = (dir / "no such folder" / "take").string();
  command(cmd::kRecord);
  command(cmd::kPlay);
  EXPECT_TRUE(session.recordInitialised);
  EXPECT_FALSE(session.recordWriting);
  EXPECT_FALSE(host.pressedButtons[cmd::kPlay]);
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].text.rfind("Could not create/write to file\n" + (dir / "no such folder").string(), 0),
            0u);
  EXPECT_NE(host.messages()[0].text.find("No such file or directory"), std::string::npos);
  command(cmd::kStop);
  EXPECT_FALSE(session.recordInitialised);
}

TEST_F(RecordingTest, AFullDiskEndsTheRecordingWithAMessageAndKeepsWhatWasWritten) {
  test::TinyDisk disk(dir / "tiny", "256k");
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here";
  session.settings.file_savepath = (disk.path() / "take").string();
  session.settings.rec_appenddata = 1;  // appended in place: every write goes to the disk
  command(cmd::kRecord);
  command(cmd::kPlay);
  SineSource sine(1000, 16000, 44100, 2);
  int buffers = 0;
  while (session.recordInitialised && buffers < 2000) {
    ASSERT_TRUE(capture(1, sine));
    ++buffers;
  }
  EXPECT_FALSE(session.recordInitialised);
  EXPECT_FALSE(session.recordWriting);
  EXPECT_FALSE(input.isOpen());
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].text.rfind("Could not create/write to file\n" + (disk.path() / "take.mp3").string(), 0),
            0u);
  EXPECT_NE(host.messages()[0].text.find("No space left on device"), std::string::npos);
  // What was written before stays, whole frames that decode.
  EXPECT_GT(fs::file_size(disk.path() / "take.mp3"), 100000u);
  EXPECT_EQ(test::runCommand("mpg123 -q -t " + q(disk.path() / "take.mp3")).status, 0);
}

TEST_F(RecordingTest, RecIsRefusedWhileTheUserKeepsUnsavedChanges) {
  ASSERT_TRUE(test::openInSession(session, test::dataPath("tone_silence_tone.mp3")));
  session.settings.warn = 1;
  session.edits.modified = true;
  host.scripted.messageAnswers.push_back(MessageAnswer::Cancel);
  command(cmd::kRecord);
  EXPECT_FALSE(session.recordInitialised);
  EXPECT_TRUE(session.stream.isOpen());
  EXPECT_EQ(input.opens, 0);
}

// --- What the window shows --------------------------------------------------------------

TEST_F(RecordingTest, TheTextsFollowTheStages) {
  command(cmd::kRecord);
  ViewTexts v = refreshTexts(session, 3);  // without a file a positive level shows the recording
  EXPECT_EQ(v.level, -2);
  EXPECT_EQ(v.statusText, "Encoder = Lame: 128 kbps, 44 kHz, Joint Stereo");
  EXPECT_EQ(v.positionField, " Press Play to start recording... ");

  session.settings.enc_lam_vbr_method = 2;
  EXPECT_EQ(refreshTexts(session, -2).statusText, "Encoder = Lame: 128-320 kbps (VBR, Q4), 44 kHz, Joint Stereo");
  session.settings.enc_lam_vbr_method = 4;
  EXPECT_EQ(refreshTexts(session, -2).statusText, "Encoder = Lame: 128-320 kbps (ABR 100 kbps), 44 kHz, Joint Stereo");
  session.settings.enc_type = 1;
  EXPECT_EQ(refreshTexts(session, -2).statusText, "Encoder = FFmpeg: 128 kbps, 44 kHz, Stereo");
  session.settings.enc_type = 2;
  session.settings.enc_lam_vbr_method = -1;

  command(cmd::kPlay);
  v = refreshTexts(session, -2);
  EXPECT_EQ(v.positionField, " Writing '" + target().string() + "'");
  EXPECT_EQ(v.selectionField, " Press 'Set cue' to set cues");
  SineSource sine(440, 1000, 44100, 2);
  ASSERT_TRUE(capture(40, sine));
  command(cmd::kSetBegin);
  EXPECT_EQ(host.lastRefresh(), -2);
  v = refreshTexts(session, -2);
  // The mark's byte position at 128 kbit/s.
  ASSERT_GT(session.recording.cueMarks.back(), 16000 * 2);
  EXPECT_EQ(v.selectionField, " Cue (1): " + formatTime(session.recording.cueMarks.back(), 128000, false));
  // After a buffer only the margin label is renewed.
  v = refreshTexts(session, -1);
  EXPECT_FALSE(v.positionField);
  EXPECT_FALSE(v.statusText);
  command(cmd::kStop);
}

TEST_F(RecordingTest, TheWindowsNoticeEncodesThenRefreshesTheMargin) {
  session.recording.noticeHandler = [this](int index, uint32_t bytes) {
    recordBufferFilled(session, host, index, bytes);
  };
  command(cmd::kRecord);
  input.waiting = 8;
  SineSource sine(440, 1000, 44100, 2);
  ASSERT_TRUE(capture(1, sine));
  EXPECT_EQ(host.lastRefresh(), -1);
  EXPECT_EQ(session.recording.pendingRecordBuffers, 8);
  EXPECT_EQ(unencodedPercent(8), 25);
  command(cmd::kStop);
}

TEST_F(RecordingTest, TheRecordArgumentStartsWritingAtOnce) {
  openCommandLineFile(session, host, "/r");
  EXPECT_TRUE(session.recordInitialised);
  EXPECT_TRUE(session.recordWriting);
  EXPECT_TRUE(host.pressedButtons[cmd::kRecord]);
  EXPECT_TRUE(host.pressedButtons[cmd::kPlay]);
  EXPECT_EQ(host.lastRefresh(), -2);
  command(cmd::kStop);
  EXPECT_FALSE(session.recordInitialised);
}

TEST_F(RecordingTest, VbrTimeCountsThePcmRecorded) {
  session.settings.enc_lam_vbr_method = 0;
  command(cmd::kRecord);
  EXPECT_TRUE(session.recording.recordTimeFromPcm);
  EXPECT_DOUBLE_EQ(session.recording.recordRate, 16.0 * 44100 / 100 * 2);
  command(cmd::kPlay);
  SineSource sine(440, 1000, 44100, 2);
  ASSERT_TRUE(capture(35, sine));
  const double seconds = static_cast<double>(recordedBytes(session)) / (session.recording.recordRate / 8);
  EXPECT_NEAR(seconds, static_cast<double>(sine.frames()) / 44100, 0.01);
  command(cmd::kStop);
}

}  // namespace
}  // namespace quillane
