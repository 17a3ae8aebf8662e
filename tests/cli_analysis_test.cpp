#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/test_files.h"

namespace quillane {
namespace {

using json = nlohmann::ordered_json;
using test::Bytes;

// 2 s of a 1 kHz tone at -6 dBFS, 2 s of digital silence, 2 s of tone (stereo 44.1 kHz,
// CBR 128); 231 audio frames of 1152 samples after the Info frame.
constexpr const char* kToneFile = "tone_silence_tone.mp3";
constexpr int kToneFrames = 231;
constexpr int64_t kToneFrameBytes = 1152 * 2 * 2;

test::CommandOutput cli(const std::string& args) {
  return test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " " + args);
}

std::string q(const std::filesystem::path& p) { return test::shellQuote(p.string()); }

uint32_t le32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// The samples of a 16-bit WAV file after checking its header against the format.
std::vector<int16_t> wavSamples(const std::filesystem::path& path, int channels, uint32_t rate) {
  const Bytes b = test::readBytes(path);
  EXPECT_GE(b.size(), 44u);
  if (b.size() < 44) return {};
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(le32(b, 4), b.size() - 8);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le32(b, 16), 16u);
  EXPECT_EQ(le16(b, 20), 1);
  EXPECT_EQ(le16(b, 22), channels);
  EXPECT_EQ(le32(b, 24), rate);
  EXPECT_EQ(le32(b, 28), rate * 2 * static_cast<uint32_t>(channels));
  EXPECT_EQ(le16(b, 32), 2 * channels);
  EXPECT_EQ(le16(b, 34), 16);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(le32(b, 40), b.size() - 44);
  std::vector<int16_t> samples((b.size() - 44) / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(le16(b, 44 + 2 * i));
  return samples;
}

std::vector<int16_t> rawSamples(const std::string& pcm) {
  const Bytes b(pcm.begin(), pcm.end());
  std::vector<int16_t> samples(b.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(le16(b, 2 * i));
  return samples;
}

// RMS in dBFS of the interleaved samples [from, to).
double rmsDb(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return 10.0 * std::log10(sum / static_cast<double>(to - from) / (32768.0 * 32768.0));
}

int largest(const std::vector<int16_t>& s, size_t from, size_t to) {
  int m = 0;
  for (size_t i = from; i < to; ++i) m = std::max(m, std::abs(static_cast<int>(s[i])));
  return m;
}

TEST(CliDecode, BothDecodersGiveTheToneAndTheSilence) {
  test::TempDir dir;
  const auto source = test::dataPath(kToneFile);
  // mpg123 without gapless trimming decodes every frame to 1152 samples, as the player does.
  const auto reference = test::runCommand("mpg123 --no-gapless -q -s " + q(source));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::vector<int16_t> ref = rawSamples(reference.out);

  for (const char* decoder : {"system", "mpg123"}) {
    SCOPED_TRACE(decoder);
    const auto out = dir / (std::string(decoder) + ".wav");
    const auto run = cli("decode " + q(source) + " -o " + q(out) + " --decoder " + decoder);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::vector<int16_t> s = wavSamples(out, 2, 44100);
    ASSERT_EQ(static_cast<int64_t>(s.size()) * 2, kToneFrames * kToneFrameBytes);

    // The tone as LAME and the decoders leave it: -9.46 dBFS RMS (mpg123 measures the
    // same), after the first few thousand samples of encoder and decoder delay.
    const size_t second = 44100 * 2;
    EXPECT_NEAR(rmsDb(s, 4000, second), -9.46, 0.05);
    // The middle of the pause is digital silence.
    EXPECT_EQ(largest(s, static_cast<size_t>(2.5 * second), static_cast<size_t>(3.5 * second)), 0);
    EXPECT_NEAR(rmsDb(s, static_cast<size_t>(4.5 * second), static_cast<size_t>(5.5 * second)), -9.46, 0.05);

    // Sample by sample against mpg123's own decoding: the same within an LSB or two.
    ASSERT_EQ(ref.size(), s.size());
    int worst = 0;
    for (size_t i = 0; i < s.size(); ++i) worst = std::max(worst, std::abs(s[i] - ref[i]));
    EXPECT_LE(worst, 2);
  }
}

TEST(CliDecode, CutsAndSelections) {
  test::TempDir dir;
  const auto source = test::dataPath(kToneFile);
  const auto ranges = cli("ranges --json " + q(source) + " --cut 1-2");
  ASSERT_EQ(ranges.status, 0) << ranges.err;
  const json cut = json::parse(ranges.out);
  ASSERT_EQ(cut.size(), 1u);
  // The frames whose start lies in the range, by ffprobe's list of frames.
  const auto frames = test::demuxedFrames(source);
  auto framesIn = [&frames](int64_t beg, int64_t end, bool endIncluded) {
    int64_t n = 0;
    for (const auto& f : frames) n += f.pos >= beg && (f.pos < end || (endIncluded && f.pos == end));
    return n;
  };
  const int64_t cutFrames = framesIn(cut[0]["beg"], cut[0]["end"], false);
  EXPECT_NEAR(static_cast<double>(cutFrames), 38.3, 1.0);  // one second of 1152-sample frames

  const auto run = cli("decode " + q(source) + " -o " + q(dir / "cut.wav") + " --cut 1-2 --decoder mpg123");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto s = wavSamples(dir / "cut.wav", 2, 44100);
  EXPECT_EQ(static_cast<int64_t>(s.size()) * 2, (kToneFrames - cutFrames) * kToneFrameBytes);

  // A selection decodes its frames, the one at its end included.
  const auto sel = cli("decode " + q(source) + " -o " + q(dir / "sel.wav") + " --selection 0-1 --decoder system");
  ASSERT_EQ(sel.status, 0) << sel.err;
  const auto selRanges = cli("ranges --json " + q(source) + " --cut 0-1");
  const json selCut = json::parse(selRanges.out);
  const int64_t selFrames = framesIn(selCut[0]["beg"], selCut[0]["end"], true);
  EXPECT_NEAR(static_cast<double>(selFrames), 39.3, 1.0);
  const auto ss = wavSamples(dir / "sel.wav", 2, 44100);
  EXPECT_EQ(static_cast<int64_t>(ss.size()) * 2, selFrames * kToneFrameBytes);

  // Mono stays one channel.
  const auto mono = cli("decode " + q(test::dataPath("mono.mp3")) + " -o " + q(dir / "mono.wav"));
  ASSERT_EQ(mono.status, 0) << mono.err;
  const Bytes m = test::readBytes(dir / "mono.wav");
  ASSERT_GE(m.size(), 44u);
  EXPECT_EQ(le16(m, 22), 1);
}

TEST(CliDecode, Failures) {
  test::TempDir dir;
  const auto source = test::dataPath(kToneFile);
  EXPECT_EQ(cli("decode " + q(source) + " -o " + q(dir / "x.wav") + " --decoder lame").status, 2);
  EXPECT_EQ(cli("normalize " + q(source) + " --decoder foo").status, 2);
  EXPECT_EQ(cli("pauses " + q(source) + " --decoder foo").status, 2);
  EXPECT_EQ(cli("decode " + q(source)).status, 2);  // no -o
  EXPECT_EQ(cli("pauses " + q(source) + " --threshold 0").status, 2);
  const auto unwritable = cli("decode " + q(source) + " -o " + q(dir / "none" / "x.wav"));
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("x.wav"), std::string::npos) << unwritable.err;
  const auto missing = cli("decode " + q(dir / "missing.mp3") + " -o " + q(dir / "x.wav"));
  EXPECT_EQ(missing.status, 1);
}

TEST(CliNormalize, ReportsThePeakAndSavesTheGain) {
  test::TempDir dir;
  const auto source = test::dataPath(kToneFile);
  for (const char* decoder : {"system", "mpg123"}) {
    SCOPED_TRACE(decoder);
    const auto run = cli("normalize " + q(source) + " --decoder " + decoder);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Peak found: -6.4 dB\nLevel change: +6.0 dB\n");
  }

  // -o adds the gain (4 steps of 1.5 dB over the whole file) and saves: the tone
  // comes out 6 dB louder.
  const auto out = dir / "louder.mp3";
  const auto run = cli("normalize " + q(source) + " -o " + q(out));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Level change: +6.0 dB\nFrames: "), std::string::npos) << run.out;
  const auto again = cli("normalize " + q(out));
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Peak found: -0.4 dB\nLevel change: +0.0 dB\n");
  // It won't overwrite OUT without --force.
  EXPECT_EQ(cli("normalize " + q(source) + " -o " + q(out)).status, 1);
  EXPECT_EQ(cli("normalize " + q(source) + " -o " + q(out) + " --force").status, 0);
}

TEST(CliPauses, FindsThePauseAndWritesTheSheet) {
  test::TempDir dir;
  const auto source = test::dataPath(kToneFile);
  const auto run = cli("pauses " + q(source));
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::string first, second, rest;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(first, "Found: 1");
  EXPECT_FALSE(second.empty());
  EXPECT_FALSE(std::getline(lines, rest));

  // --json: the array of ranges --json, the count on stderr.
  const auto js = cli("pauses --json " + q(source));
  ASSERT_EQ(js.status, 0) << js.err;
  EXPECT_NE(js.err.find("Found: 1"), std::string::npos);
  const json list = json::parse(js.out);
  ASSERT_EQ(list.size(), 1u);
  std::vector<std::string> keys;
  for (const auto& item : list[0].items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"index", "kind", "beg", "end", "gainbeg", "gainend", "title", "artist"}));
  const int64_t cue = list[0]["beg"];
  EXPECT_EQ(list[0]["end"], cue);
  // The cue lies in the pause, 10 frames (the default offset) before the second tone.
  const double seconds = static_cast<double>(cue - 417) / 417 * 1152 / 44100;
  EXPECT_GT(seconds, 3.4);
  EXPECT_LT(seconds, 4.0);

  // Cut whole pause: a cut instead of the cue.
  const auto cut = cli("pauses --json --cut-whole " + q(source));
  ASSERT_EQ(cut.status, 0) << cut.err;
  const json cuts = json::parse(cut.out);
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0]["end"], cue);
  EXPECT_LT(cuts[0]["beg"].get<int64_t>(), cue);
  EXPECT_NE(cuts[0]["kind"], list[0]["kind"]);

  // A pause shorter than 300 frames (--duration 30) is no pause.
  const auto none = cli("pauses " + q(source) + " --duration 30");
  ASSERT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(none.out.rfind("Found: 0\n", 0), 0u) << none.out;

  // A cue sheet with the one track the cue starts.
  const auto sheet = dir / "pauses.cue";
  const auto written = cli("pauses " + q(source) + " -o " + q(sheet));
  ASSERT_EQ(written.status, 0) << written.err;
  const std::string text = test::readText(sheet);
  size_t tracks = 0;
  for (size_t at = text.find("TRACK "); at != std::string::npos; at = text.find("TRACK ", at + 1)) ++tracks;
  EXPECT_EQ(tracks, 1u);
  // Read back, the sheet gives the same cue.
  const auto back = cli("ranges --json " + q(sheet));
  ASSERT_EQ(back.status, 0) << back.err;
  const json backList = json::parse(back.out);
  ASSERT_FALSE(backList.empty());
  EXPECT_EQ(backList.back()["beg"], cue);

  // Anything else is a project file.
  const auto project = dir / "pauses.qlp";
  ASSERT_EQ(cli("pauses " + q(source) + " -o " + q(project)).status, 0);
  const auto fromProject = cli("ranges --json " + q(project));
  ASSERT_EQ(fromProject.status, 0) << fromProject.err;
  EXPECT_EQ(json::parse(fromProject.out), list);
}

}  // namespace
}  // namespace quillane
