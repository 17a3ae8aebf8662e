// `quillane-cli record` against the test sound server: paplay plays a 1 kHz
// tone into q_sink while the command records q_mic (the sink's monitor); the
// MP3 it writes is decoded with mpg123 and measured.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "loopback_recorder.h"

namespace quillane {
namespace {

constexpr int kProcessTimeoutMs = 30000;
constexpr int kToneRate = 44100;  // the sink's rate: the tone plays unconverted
constexpr double kToneHz = 1000;
constexpr double kTonePeak = 0.25;  // of full scale: -12 dBFS peak, -15 dBFS RMS

// The tone as a 16-bit stereo WAV file.
bool writeToneWav(const QString& path, double seconds) {
  const auto frames = static_cast<uint32_t>(seconds * kToneRate);
  QByteArray data(static_cast<qsizetype>(frames) * 4, '\0');
  for (uint32_t i = 0; i < frames; ++i) {
    const auto value = static_cast<int16_t>(
        std::lround(32767 * kTonePeak * std::sin(2 * std::numbers::pi * kToneHz * i / kToneRate)));
    std::memcpy(data.data() + 4 * i, &value, 2);
    std::memcpy(data.data() + 4 * i + 2, &value, 2);
  }
  auto le32 = [](uint32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
  auto le16 = [](uint16_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
  QByteArray wav = "RIFF" + le32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + le32(16) + le16(1) +
                   le16(2) + le32(kToneRate) + le32(kToneRate * 4) + le16(4) + le16(16) + "data" +
                   le32(static_cast<uint32_t>(data.size())) + data;
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

// Plays the tone into the default sink for as long as it lives.
class TonePlayer {
 public:
  bool start(const QString& wav) {
    process_.start("paplay", {wav});
    if (!process_.waitForStarted(5000)) return false;
    QThread::msleep(300);  // the tone is flowing before the recording starts
    return process_.state() == QProcess::Running;
  }
  ~TonePlayer() {
    process_.kill();
    process_.waitForFinished(2000);
  }

 private:
  QProcess process_;
};

struct RecordRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  std::string path;              // "recorded PATH"
  int cueCount = -1;             // "cue marks: N"
  std::vector<int64_t> cueBytes;  // "cue N at byte B"
};

RecordRun parseRun(QProcess& process) {
  RecordRun run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput()).toStdString();
  run.err = QString::fromUtf8(process.readAllStandardError()).toStdString();
  std::smatch match;
  if (std::regex_search(run.out, match, std::regex(R"(recorded (.+)\n)"))) run.path = match[1];
  if (std::regex_search(run.out, match, std::regex(R"(cue marks: (\d+))"))) run.cueCount = std::stoi(match[1]);
  const std::regex cue(R"(cue \d+ at byte (\d+))");
  for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), cue); it != std::sregex_iterator(); ++it) {
    run.cueBytes.push_back(std::stoll((*it)[1]));
  }
  return run;
}

RecordRun record(const QStringList& arguments) {
  QProcess process;
  process.start(QUILLANE_CLI_PATH, QStringList{"record"} + arguments);
  if (!process.waitForFinished(kProcessTimeoutMs)) {
    process.kill();
    process.waitForFinished(2000);
    ADD_FAILURE() << "quillane-cli record " << arguments.join(' ').toStdString() << " did not finish";
  }
  return parseRun(process);
}

// --- The MP3 written -------------------------------------------------------------

// What a walk over the file's frame headers finds.
struct FrameWalk {
  int frames = 0;
  int sampleRate = 0;
  int channels = 0;
  int samplesPerFrame = 0;
  bool endsOnFrame = false;  // the last frame ends exactly at the end of the file
};

// Walks MPEG audio layer III frames from the start of `bytes`.
FrameWalk walkFrames(const QByteArray& bytes) {
  static const int kBitrates[2][16] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};     // MPEG-2 and 2.5
  static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  FrameWalk walk;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
  const qsizetype size = bytes.size();
  qsizetype at = 0;
  while (at + 4 <= size) {
    if (p[at] != 0xFF || (p[at + 1] & 0xE6) != 0xE2) return walk;  // not a layer III header
    const int version = (p[at + 1] >> 3) & 3;                       // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int bitrate = kBitrates[version == 3 ? 0 : 1][p[at + 2] >> 4];
    const int rateIndex = (p[at + 2] >> 2) & 3;
    if (version == 1 || bitrate == 0 || rateIndex == 3) return walk;
    const int rate = kRates[version][rateIndex];
    const int padding = (p[at + 2] >> 1) & 1;
    const int samples = version == 3 ? 1152 : 576;
    walk.sampleRate = rate;
    walk.samplesPerFrame = samples;
    walk.channels = (p[at + 3] >> 6) == 3 ? 1 : 2;
    at += samples / 8 * bitrate * 1000 / rate + padding;
    ++walk.frames;
  }
  walk.endsOnFrame = at == size;
  return walk;
}

struct Decoded {
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  std::string errors;            // what mpg123 said on stderr
  size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// Decodes with mpg123 to raw samples in the file's own format.
Decoded decode(const std::string& path, int channels) {
  Decoded decoded;
  decoded.channels = channels;
  QProcess process;
  process.start("mpg123", {"-q", "-s", QString::fromStdString(path)});
  if (!process.waitForFinished(kProcessTimeoutMs)) {
    process.kill();
    process.waitForFinished(2000);
  }
  const QByteArray raw = process.readAllStandardOutput();
  decoded.errors = QString::fromUtf8(process.readAllStandardError()).toStdString();
  decoded.samples.resize(static_cast<size_t>(raw.size() / 2));
  std::memcpy(decoded.samples.data(), raw.constData(), decoded.samples.size() * 2);
  return decoded;
}

struct Tone {
  double hz = 0;
  double rmsDb = 0;          // RMS of the middle, dB below full scale
  double quietestDb = 0;     // the quietest 10 ms window of the middle
};

// Pitch and level of the first channel, away from the ends.
Tone measureTone(const Decoded& decoded, int rate) {
  Tone tone;
  const size_t frames = decoded.frames();
  const size_t margin = static_cast<size_t>(rate) / 4;
  if (frames < 3 * margin) return tone;
  const size_t begin = margin;
  const size_t end = frames - margin;
  auto sample = [&](size_t f) { return static_cast<double>(decoded.samples[f * static_cast<size_t>(decoded.channels)]); };
  double sum = 0;
  int crossings = 0;
  for (size_t f = begin; f < end; ++f) {
    sum += sample(f) * sample(f);
    if (f > begin && (sample(f - 1) < 0) != (sample(f) < 0)) ++crossings;
  }
  const double seconds = static_cast<double>(end - begin) / rate;
  tone.hz = crossings / 2.0 / seconds;
  tone.rmsDb = 20 * std::log10(std::sqrt(sum / static_cast<double>(end - begin)) / 32768.0);
  const size_t window = static_cast<size_t>(rate) / 100;
  tone.quietestDb = 0;
  for (size_t w = begin; w + window <= end; w += window) {
    double energy = 0;
    for (size_t f = w; f < w + window; ++f) energy += sample(f) * sample(f);
    tone.quietestDb = std::min(tone.quietestDb, 20 * std::log10(std::sqrt(energy / window) / 32768.0 + 1e-9));
  }
  return tone;
}

const double kToneRmsDb = 20 * std::log10(kTonePeak / std::sqrt(2.0));

class RecordCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    toneWav_ = dir_->filePath("tone.wav");
    if (!writeToneWav(toneWav_, 8)) toneWav_.clear();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  void SetUp() override {
    const std::string problem = test::soundServerProblem();
    if (!problem.empty()) FAIL() << problem;
    ASSERT_FALSE(toneWav_.isEmpty()) << "the tone file could not be written";
    ASSERT_TRUE(out_.isValid());
  }

  QString base(const char* name) const { return out_.filePath(name); }

  static QTemporaryDir* dir_;
  static QString toneWav_;
  QTemporaryDir out_;
};

QTemporaryDir* RecordCommandTest::dir_ = nullptr;
QString RecordCommandTest::toneWav_;

// One recording format and what its file must be.
struct FormatCase {
  const char* name;
  QStringList options;
  int rate;
  int channels;
  double seconds;
};

TEST_F(RecordCommandTest, RecordsThePlayedToneInEveryEncoderAndFormat) {
  const std::vector<FormatCase> cases = {
      {"LAME CBR stereo 44.1 kHz", {"--bitrate", "192"}, 44100, 2, 2.0},
      {"LAME CBR mono 44.1 kHz", {"--mono"}, 44100, 1, 2.0},
      {"LAME VBR stereo 48 kHz", {"--vbr", "2", "--rate", "48000"}, 48000, 2, 2.0},
      {"LAME CBR mono 22.05 kHz (MPEG-2)", {"--rate", "22050", "--bitrate", "64", "--mono"}, 22050, 1, 2.0},
      {"LAME VBR stereo 22.05 kHz", {"--rate", "22050", "--vbr", "4"}, 22050, 2, 2.0},
      {"system stereo 44.1 kHz", {"--encoder", "system"}, 44100, 2, 2.0},
      {"system mono 48 kHz", {"--encoder", "system", "--rate", "48000", "--mono"}, 48000, 1, 2.0},
      {"system stereo 22.05 kHz", {"--encoder", "system", "--rate", "22050", "--bitrate", "64"}, 22050, 2, 2.0},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    TonePlayer player;
    ASSERT_TRUE(player.start(toneWav_)) << "paplay did not play the tone";
    const RecordRun run = record(QStringList{"-o", base("take"), "--seconds", QString::number(c.seconds)} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.path, base("take").toStdString() + ".mp3");
    EXPECT_EQ(run.cueCount, 0);

    QFile file(QString::fromStdString(run.path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const FrameWalk walk = walkFrames(file.readAll());
    EXPECT_TRUE(walk.endsOnFrame) << "the file is not whole frames from start to end";
    EXPECT_EQ(walk.sampleRate, c.rate);
    EXPECT_EQ(walk.channels, c.channels);

    const Decoded decoded = decode(run.path, c.channels);
    EXPECT_EQ(decoded.errors, "");
    // The encoder adds its delay (576 samples and the decoder's 529) and pads the last frame.
    const double seconds = static_cast<double>(decoded.frames()) / c.rate;
    const double frameSeconds = static_cast<double>(walk.samplesPerFrame) / c.rate;
    EXPECT_GE(seconds, c.seconds);
    EXPECT_LE(seconds, c.seconds + 1105.0 / c.rate + frameSeconds) << "decoded " << seconds << " s";

    const Tone tone = measureTone(decoded, c.rate);
    EXPECT_NEAR(tone.hz, kToneHz, 2);
    EXPECT_NEAR(tone.rmsDb, kToneRmsDb, 1.0);
    EXPECT_GT(tone.quietestDb, kToneRmsDb - 3) << "the tone has a gap";
    std::cout << "[ measure  ] " << c.name << ": " << seconds << " s decoded for " << c.seconds << " s, "
              << tone.hz << " Hz, " << tone.rmsDb - kToneRmsDb << " dB off\n";
  }
}

// CBR 128 kbit/s at 44.1 kHz: 16000 bytes a second, a frame is 26.1 ms.
TEST_F(RecordCommandTest, CueMarksLandWithinTwoFramesOfTheirTimes) {
  TonePlayer player;
  ASSERT_TRUE(player.start(toneWav_));
  const RecordRun run =
      record({"-o", base("cues"), "--seconds", "3", "--cue-at", "2.2", "--cue-at", "0.5", "--cue-at", "1.25"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_EQ(run.cueCount, 3);
  ASSERT_EQ(run.cueBytes.size(), 3u);
  const double times[] = {0.5, 1.25, 2.2};
  const double frameSeconds = 1152.0 / 44100;
  for (size_t i = 0; i < 3; ++i) {
    const double at = static_cast<double>(run.cueBytes[i]) / 16000.0;
    EXPECT_NEAR(at, times[i], 2 * frameSeconds) << "cue " << i + 1;
    std::cout << "[ measure  ] cue at " << times[i] << " s landed at " << at << " s\n";
  }
}

TEST_F(RecordCommandTest, SigintEndsTheRecordingWithACompleteFile) {
  TonePlayer player;
  ASSERT_TRUE(player.start(toneWav_));
  QProcess process;
  process.start(QUILLANE_CLI_PATH, {"record", "-o", base("interrupted")});
  ASSERT_TRUE(process.waitForStarted(5000));
  QThread::msleep(1500);
  ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
  ASSERT_TRUE(process.waitForFinished(kProcessTimeoutMs));
  const RecordRun run = parseRun(process);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.path, base("interrupted").toStdString() + ".mp3");

  QFile file(QString::fromStdString(run.path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const FrameWalk walk = walkFrames(file.readAll());
  EXPECT_TRUE(walk.endsOnFrame);
  const Decoded decoded = decode(run.path, 2);
  EXPECT_EQ(decoded.errors, "");
  const double seconds = static_cast<double>(decoded.frames()) / 44100;
  EXPECT_GT(seconds, 0.8);
  EXPECT_LT(seconds, 1.6);
  EXPECT_NEAR(measureTone(decoded, 44100).rmsDb, kToneRmsDb, 1.0);
  EXPECT_FALSE(QDir(out_.path()).entryList(QDir::Files).size() > 1) << "a temporary file was left behind";
}

TEST_F(RecordCommandTest, AppendsToTheFileAndCountsItsCueMarksInTheWholeFile) {
  TonePlayer player;
  ASSERT_TRUE(player.start(toneWav_));
  const RecordRun first = record({"-o", base("both"), "--seconds", "1"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const qint64 firstSize = QFileInfo(QString::fromStdString(first.path)).size();
  const RecordRun second = record({"-o", base("both"), "--seconds", "1", "--append", "--cue-at", "0"});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.path, first.path);
  ASSERT_EQ(second.cueBytes.size(), 1u);
  EXPECT_EQ(second.cueBytes[0], firstSize) << "the mark is a position in the whole file";

  QFile file(QString::fromStdString(second.path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(walkFrames(file.readAll()).endsOnFrame);
  const double seconds = static_cast<double>(decode(second.path, 2).frames()) / 44100;
  EXPECT_NEAR(seconds, 2.0, 0.15);
}

TEST_F(RecordCommandTest, AddsTheDateToTheName) {
  TonePlayer player;
  ASSERT_TRUE(player.start(toneWav_));
  const RecordRun run = record({"-o", base("dated"), "--seconds", "0.5", "--add-date"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::regex dated(std::regex_replace(base("dated").toStdString(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                         R"(-\d{4}-\d\d-\d\d--\d\d-\d\d-\d\d\.mp3)");
  EXPECT_TRUE(std::regex_match(run.path, dated)) << run.path;
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(run.path)));
}

// 45 rpm played for 33 1/3: the captured 2 s become 2.7 s, and 1 kHz becomes 741 Hz.
TEST_F(RecordCommandTest, TurboGrabberStretchesTheRecording) {
  TonePlayer player;
  ASSERT_TRUE(player.start(toneWav_));
  const RecordRun run = record({"-o", base("turbo"), "--seconds", "2", "--turbo"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Decoded decoded = decode(run.path, 2);
  EXPECT_NEAR(static_cast<double>(decoded.frames()) / 44100, 2.0 * 1.35, 0.1);
  EXPECT_NEAR(measureTone(decoded, 44100).hz, kToneHz / 1.35, 3);
}

TEST_F(RecordCommandTest, FailuresExitWithOneLineNamingWhatFailed) {
  const std::string missing = out_.filePath("no such folder/take").toStdString();
  const RecordRun noFolder = record({"-o", QString::fromStdString(missing), "--seconds", "1"});
  EXPECT_EQ(noFolder.exitCode, 1);
  EXPECT_EQ(std::count(noFolder.err.begin(), noFolder.err.end(), '\n'), 1) << noFolder.err;
  EXPECT_NE(noFolder.err.find("Could not create/write to file"), std::string::npos) << noFolder.err;
  EXPECT_NE(noFolder.err.find(missing + ".mp3"), std::string::npos) << noFolder.err;
  EXPECT_EQ(noFolder.out, "");

  const RecordRun noDevice = record({"-o", base("x"), "--seconds", "1", "--device", "200"});
  EXPECT_EQ(noDevice.exitCode, 1);
  EXPECT_EQ(noDevice.err, "quillane-cli: Error: Could not open wave/audio device\n");
  EXPECT_FALSE(QFileInfo::exists(base("x") + ".mp3"));
}

TEST_F(RecordCommandTest, ListsTheInputsWithTheirDeviceNumbers) {
  QProcess process;
  process.start(QUILLANE_CLI_PATH, {"record", "--list-inputs"});
  ASSERT_TRUE(process.waitForFinished(kProcessTimeoutMs));
  const RecordRun run = parseRun(process);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("0 System default\n1 ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("Remapped Monitor of Null Output"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace quillane
