#include "audio/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "stream/frame_header.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::dataPath;
using test::openInSession;

constexpr int kSystem = 0;
constexpr int kLibrary = 1;

std::string backendName(int useMpglib) { return useMpglib ? "libmpg123" : "FFmpeg"; }

// Offsets of the whole frames from audioStart to audioEnd, walked header by header.
std::vector<int64_t> frameOffsets(const Session& session) {
  const test::Bytes bytes = test::readBytes(session.stream.sourcePath);
  std::vector<int64_t> offsets;
  int64_t p = session.stream.audioStart;
  while (p + 4 <= session.stream.audioEnd) {
    const FrameHeader h = decodeFrameHeader(bytes.data() + p);
    if (h.version == 0 || p + h.frameSize > session.stream.audioEnd) break;
    offsets.push_back(p);
    p += h.frameSize;
  }
  return offsets;
}

// Decodes fills from `position` until a fill returns 0 or `maxFills` fills are done,
// checking that no fill writes beyond the block it was given.
std::vector<int16_t> fillSamples(Session& session, Decoder& decoder, int64_t& position, int maxFills = INT_MAX) {
  SilentHost host;
  const uint32_t capacity = pcmBufferSize(decoder);
  std::vector<uint8_t> block(capacity + 64, 0xA5);
  std::vector<int16_t> samples;
  for (int i = 0; i < maxFills; ++i) {
    const int n = decoderFill(session, host, decoder, position, block.data());
    EXPECT_LE(n, static_cast<int>(capacity));
    EXPECT_EQ(n % pcmFormat(decoder).blockAlign, 0);
    for (uint32_t k = capacity; k < block.size(); ++k) EXPECT_EQ(block[k], 0xA5) << "fill overran its block";
    if (n <= 0) break;
    for (int k = 0; k + 1 < n; k += 2)
      samples.push_back(static_cast<int16_t>(block[k] | (block[k + 1] << 8)));
  }
  EXPECT_TRUE(host.messages.empty());
  return samples;
}

// Opens `decoder` on the session's file with the playback sizing.
void openDecoder(Session& session, Decoder& decoder, int useMpglib, int framesPerFill = 4) {
  session.settings.use_mpglib = useMpglib;
  session.settings.buffer_frm = static_cast<uint8_t>(framesPerFill);
  session.settings.buffer_max = 32;
  const uint32_t size = applyBufferSizing(session.settings, session.stream.currentHeader);
  SilentHost host;
  ASSERT_EQ(decoderOpen(session, decoder, size), DecoderError::None) << backendName(useMpglib);
  ASSERT_TRUE(host.messages.empty());
}

std::vector<int16_t> decodeFile(const std::string& name, int useMpglib, PcmFormat* format = nullptr) {
  Session session;
  EXPECT_TRUE(openInSession(session, dataPath(name))) << name;
  Decoder decoder;
  openDecoder(session, decoder, useMpglib);
  if (format) *format = pcmFormat(decoder);
  int64_t position = session.stream.audioStart;
  std::vector<int16_t> samples = fillSamples(session, decoder, position);
  decoderClose(decoder);
  return samples;
}

std::vector<int16_t> channel(const std::vector<int16_t>& samples, int channels, int c) {
  std::vector<int16_t> out;
  out.reserve(samples.size() / channels);
  for (size_t i = c; i < samples.size(); i += channels) out.push_back(samples[i]);
  return out;
}

double rmsDb(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  const double rms = std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
  return rms > 0 ? 20.0 * std::log10(rms) : -1000.0;
}

int maxAbs(const std::vector<int16_t>& s, size_t from, size_t to) {
  int m = 0;
  for (size_t i = from; i < to; ++i) m = std::max(m, std::abs(static_cast<int>(s[i])));
  return m;
}

// The lag (in sample frames, b relative to a) at which b matches a best, searched
// over +-maxLag, nearest lags first, with a window a third into a.
int bestLag(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int channels, int maxLag) {
  const long frames = static_cast<long>(std::min(a.size(), b.size()) / channels);
  const long window = std::min<long>(4096, frames / 3);
  const long start = frames / 3;
  long best = 0;
  double bestCost = 1e300;
  for (long k = 0; k <= 2L * maxLag; ++k) {
    const long lag = (k % 2 ? 1 : -1) * ((k + 1) / 2);
    if (start + lag < 0 || start + lag + window > frames) continue;
    double cost = 0;
    for (long i = 0; i < window * channels; ++i)
      cost += std::abs(a[start * channels + i] - b[(start + lag) * channels + i]);
    if (cost < bestCost) {
      bestCost = cost;
      best = lag;
    }
  }
  return static_cast<int>(best);
}

struct FileFacts {
  const char* name;
  int channels;
  int sampleRate;
  int frames;  // audio frames after any tag frame (tests/data/README.md)
  int samplesPerFrame;
};

const FileFacts kFiles[] = {
    {"cbr128_info.mp3", 2, 44100, 116, 1152},  {"cbr128_notag.mp3", 2, 44100, 116, 1152},
    {"crc.mp3", 2, 44100, 116, 1152},          {"ffmpeg_cbr.mp3", 2, 48000, 126, 1152},
    {"id3v1.mp3", 2, 44100, 116, 1152},        {"id3v1v2.mp3", 2, 44100, 116, 1152},
    {"id3v2.mp3", 2, 44100, 116, 1152},        {"layer2_mpeg1.mp2", 2, 44100, 115, 1152},
    {"layer2_mpeg2.mp2", 2, 24000, 63, 1152},  {"mono.mp3", 1, 44100, 116, 1152},
    {"mpeg25_8k.mp3", 1, 8000, 44, 576},       {"mpeg2_22k.mp3", 2, 22050, 117, 576},
    {"sox_32k.mp3", 2, 32000, 85, 1152},       {"speech.mp3", 1, 44100, 195, 1152},
    {"tone_silence_tone.mp3", 2, 44100, 231, 1152}, {"vbr_notag.mp3", 2, 44100, 155, 1152},
    {"vbr_xing.mp3", 2, 44100, 155, 1152},
};

// ---------------------------------------------------------------------------

TEST(DecoderSizing, ClampsSettingsAndSizesTheBlock) {
  Settings s;
  s.buffer_max = 8;
  s.buffer_frm = 4;
  EXPECT_EQ(applyBufferSizing(s, 22050), 4096u);
  EXPECT_EQ(s.buffer_max, 8);
  EXPECT_EQ(s.buffer_frm, 1);

  s.buffer_max = 20;
  s.buffer_frm = 8;
  EXPECT_EQ(applyBufferSizing(s, 44100), 20u * 1024);
  EXPECT_EQ(s.buffer_frm, 4);

  s.buffer_max = 0;
  s.buffer_frm = 0;
  EXPECT_EQ(applyBufferSizing(s, 44100), 8u * 1024);
  EXPECT_EQ(s.buffer_max, 8);
  EXPECT_EQ(s.buffer_frm, 1);

  s.buffer_max = 200;
  s.buffer_frm = 200;
  EXPECT_EQ(applyBufferSizing(s, 32000), 64u * 1024);
  EXPECT_EQ(s.buffer_max, 64);
  EXPECT_EQ(s.buffer_frm, 8);
  EXPECT_EQ(applyBufferSizing(s, 31999), 32u * 1024);
}

TEST(DecoderSizing, OnlyHalfLengthFramesHalveTheBlock) {
  Settings s;
  s.buffer_max = 32;
  s.buffer_frm = 4;
  Session lsf3;
  ASSERT_TRUE(openInSession(lsf3, dataPath("mpeg2_22k.mp3")));
  EXPECT_EQ(applyBufferSizing(s, lsf3.stream.currentHeader), 16384u);
  // MPEG-2 Layer II frames hold 1152 samples: four of them need 18432 bytes.
  Session lsf2;
  ASSERT_TRUE(openInSession(lsf2, dataPath("layer2_mpeg2.mp2")));
  EXPECT_EQ(applyBufferSizing(s, lsf2.stream.currentHeader), 32768u);
  EXPECT_EQ(applyBufferSizing(s, lsf2.stream.currentHeader.sampleRate), 16384u);
}

// ---------------------------------------------------------------------------

class EveryFile : public ::testing::TestWithParam<int> {};

TEST_P(EveryFile, DecodesEveryLayer2And3FileCompletely) {
  const int useMpglib = GetParam();
  for (const FileFacts& f : kFiles) {
    SCOPED_TRACE(std::string(f.name) + " with " + backendName(useMpglib));
    PcmFormat format;
    const std::vector<int16_t> pcm = decodeFile(f.name, useMpglib, &format);
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, f.channels);
    EXPECT_EQ(format.samplesPerSecond, static_cast<uint32_t>(f.sampleRate));
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.blockAlign, 2 * f.channels);
    EXPECT_EQ(format.avgBytesPerSecond, static_cast<uint32_t>(f.sampleRate * 2 * f.channels));
    EXPECT_EQ(pcm.size(), static_cast<size_t>(f.frames) * f.samplesPerFrame * f.channels);
    ASSERT_FALSE(pcm.empty());
    EXPECT_GT(rmsDb(pcm, 0, pcm.size()), -40.0) << "decoded to near silence";
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, EveryFile, ::testing::Values(kSystem, kLibrary),
                         [](const auto& info) { return info.param ? std::string("Mpg123") : std::string("Ffmpeg"); });

TEST(DecoderBackends, AgreeWithEachOtherWithinTwoLsb) {
  for (const FileFacts& f : kFiles) {
    SCOPED_TRACE(f.name);
    const std::vector<int16_t> a = decodeFile(f.name, kSystem);
    const std::vector<int16_t> b = decodeFile(f.name, kLibrary);
    ASSERT_EQ(a.size(), b.size());
    const int lag = bestLag(a, b, f.channels, f.samplesPerFrame);
    EXPECT_EQ(lag, 0) << "the decoders should need no alignment when fed the same frames";
    const long frames = static_cast<long>(a.size() / f.channels);
    int worst = 0;
    long differing = 0;
    for (long i = std::max(0, -lag); i < frames && i + lag < frames; ++i) {
      for (int c = 0; c < f.channels; ++c) {
        const int d = std::abs(a[i * f.channels + c] - b[(i + lag) * f.channels + c]);
        worst = std::max(worst, d);
        if (d) ++differing;
      }
    }
    EXPECT_LE(worst, 2);
    RecordProperty(std::string(f.name), "max diff " + std::to_string(worst) + ", differing " + std::to_string(differing));
  }
}

class ToneFile : public ::testing::TestWithParam<int> {};

TEST_P(ToneFile, ToneHasItsFrequencyAndLevelAndSilenceIsSilent) {
  PcmFormat format;
  const std::vector<int16_t> pcm = decodeFile("tone_silence_tone.mp3", GetParam(), &format);
  ASSERT_EQ(format.channels, 2);
  const size_t rate = format.samplesPerSecond;
  for (int c = 0; c < 2; ++c) {
    SCOPED_TRACE("channel " + std::to_string(c));
    const std::vector<int16_t> s = channel(pcm, 2, c);
    ASSERT_GE(s.size(), 6 * rate);
    // A sine with a -6 dBFS peak has an RMS of -9.03 dBFS; after LAME it is at
    // -9.46 dBFS with a peak of -6.44 dBFS (ffmpeg's astats filter agrees).
    EXPECT_NEAR(rmsDb(s, rate / 5, rate * 9 / 5), -9.46, 0.1);
    EXPECT_NEAR(rmsDb(s, rate * 21 / 5, rate * 29 / 5), -9.46, 0.1);
    EXPECT_NEAR(maxAbs(s, rate / 5, rate * 9 / 5), 15605, 200);
    // The silence, away from its edges.
    EXPECT_LE(maxAbs(s, rate * 23 / 10, rate * 37 / 10), 2);
    // One second of tone: 1000 rising zero crossings.
    int crossings = 0;
    for (size_t i = rate / 2 + 1; i <= rate * 3 / 2; ++i)
      if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
    EXPECT_NEAR(crossings, 1000, 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, ToneFile, ::testing::Values(kSystem, kLibrary),
                         [](const auto& info) { return info.param ? std::string("Mpg123") : std::string("Ffmpeg"); });

// ---------------------------------------------------------------------------
// What the reader hands over is what is decoded: cuts, gain, the end.

class EditedDecoding : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openInSession(session, dataPath("tone_silence_tone.mp3")));
    offsets = frameOffsets(session);
    ASSERT_EQ(offsets.size(), 231u);
  }
  // A fresh decoder's PCM for `fills` fills of one frame each from frame `first`.
  std::vector<int16_t> freshFrom(size_t first, int fills) {
    Session plain;
    EXPECT_TRUE(openInSession(plain, dataPath("tone_silence_tone.mp3")));
    Decoder d;
    openDecoder(plain, d, GetParam(), 1);
    int64_t pos = offsets[first];
    return fillSamples(plain, d, pos, fills);
  }

  Session session;
  std::vector<int64_t> offsets;
};

TEST_P(EditedDecoding, FillInsideACutReturnsTheFramesAfterIt) {
  session.edits.ranges[0].type = kRangeCut;
  session.edits.ranges[0].beg = offsets[10];
  session.edits.ranges[0].end = offsets[20];
  session.edits.count = 1;
  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 1);
  int64_t position = offsets[12];
  const std::vector<int16_t> pcm = fillSamples(session, decoder, position, 1);
  EXPECT_EQ(pcm.size(), 1152u * 2);
  EXPECT_EQ(position, offsets[21]);
  EXPECT_EQ(pcm, freshFrom(20, 1));
}

TEST_P(EditedDecoding, ACutIsDecodedAsIfItsFramesWereNotInTheFile) {
  // The tone's end, the cut, the silence: a file made of those frames decodes alike.
  session.edits.ranges[0].type = kRangeCut;
  session.edits.ranges[0].beg = offsets[60];
  session.edits.ranges[0].end = offsets[100];
  session.edits.count = 1;
  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 3);
  int64_t position = offsets[50];
  const std::vector<int16_t> edited = fillSamples(session, decoder, position);

  const test::Bytes source = test::readBytes(session.stream.sourcePath);
  test::Bytes spliced(source.begin() + offsets[50], source.begin() + offsets[60]);
  spliced.insert(spliced.end(), source.begin() + offsets[100], source.begin() + session.stream.audioEnd);
  test::TempDir dir;
  test::writeBytes(dir / "spliced.mp3", spliced);
  Session other;
  ASSERT_TRUE(openInSession(other, dir / "spliced.mp3"));
  Decoder plain;
  openDecoder(other, plain, GetParam(), 3);
  int64_t p = other.stream.audioStart;
  const std::vector<int16_t> expected = fillSamples(other, plain, p);
  ASSERT_EQ(edited.size(), (10u + 131u) * 1152 * 2);
  EXPECT_EQ(edited, expected);
}

TEST_P(EditedDecoding, GainRangeChangesTheDecodedLevel) {
  session.edits.ranges[0].type = kRangeGain;
  session.edits.ranges[0].beg = offsets[0];
  session.edits.ranges[0].end = offsets[80];
  session.edits.ranges[0].gainbeg = -4;
  session.edits.ranges[0].gainend = -4;
  session.edits.count = 1;
  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 4);
  int64_t position = offsets[0];
  const std::vector<int16_t> pcm = fillSamples(session, decoder, position, 15);
  const std::vector<int16_t> left = channel(pcm, 2, 0);
  ASSERT_GE(left.size(), 44100u);
  // Four global_gain steps of 1.5 dB down from the tone's -9.46 dBFS.
  EXPECT_NEAR(rmsDb(left, 8820, 44100), -15.48, 0.1);
}

TEST_P(EditedDecoding, PrelistenSkipsTheSelection) {
  session.edits.selection.beg = offsets[5];
  session.edits.selection.end = offsets[30];
  session.prelistenMode = 1;
  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 1);
  int64_t position = offsets[5];
  const std::vector<int16_t> pcm = fillSamples(session, decoder, position, 1);
  EXPECT_EQ(position, offsets[31]);
  EXPECT_EQ(pcm, freshFrom(30, 1));
}

TEST_P(EditedDecoding, FillAtTheEndReturnsNothing) {
  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 4);
  SilentHost host;
  std::vector<uint8_t> block(pcmBufferSize(decoder));
  int64_t position = session.stream.audioEnd;
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 0);
  EXPECT_EQ(position, session.stream.audioEnd);

  // From the last frame: one frame, then nothing.
  position = offsets.back();
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 1152 * 4);
  EXPECT_EQ(position, session.stream.audioEnd);
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 0);

  // A cut that reaches the end: nothing either.
  session.edits.ranges[0].type = kRangeCut;
  session.edits.ranges[0].beg = offsets[200];
  session.edits.ranges[0].end = session.stream.audioEnd;
  session.edits.count = 1;
  position = offsets[210];
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 0);
  EXPECT_EQ(position, session.stream.audioEnd);
  EXPECT_TRUE(host.messages.empty());
}

TEST_P(EditedDecoding, ResetAfterAJumpGivesCleanOutputFromTheNewPlace) {
  // The reference: everything decoded in one run.
  Decoder whole;
  openDecoder(session, whole, GetParam(), 1);
  int64_t position = offsets[0];
  const std::vector<int16_t> reference = fillSamples(session, whole, position);
  ASSERT_EQ(reference.size(), 231u * 1152 * 2);

  Decoder decoder;
  openDecoder(session, decoder, GetParam(), 1);
  position = offsets[120];
  fillSamples(session, decoder, position, 8);  // well into the second tone... then back
  position = offsets[28];
  decoderReset(decoder);
  const std::vector<int16_t> after = fillSamples(session, decoder, position, 12);
  ASSERT_EQ(after.size(), 12u * 1152 * 2);
  // Nothing of the old place survives: exactly what a fresh decoder makes.
  EXPECT_EQ(after, freshFrom(28, 12));
  // With two frames to warm up, the output is the one of the continuous run.
  const size_t skip = 2 * 1152 * 2;
  int worst = 0;
  for (size_t i = skip; i < after.size(); ++i)
    worst = std::max(worst, std::abs(after[i] - reference[28 * 1152 * 2 + i]));
  EXPECT_LE(worst, 1);
}

TEST_P(EditedDecoding, OutputLargerThanTheBlockComesOutInTheNextFills) {
  // A 4096-byte block cannot take one 4608-byte frame; nothing may be lost.
  Decoder normal;
  openDecoder(session, normal, GetParam(), 1);
  int64_t position = offsets[0];
  const std::vector<int16_t> expected = fillSamples(session, normal, position, 40);

  Decoder small;
  SilentHost host;
  ASSERT_EQ(decoderOpen(session, small, 4096), DecoderError::None);
  position = offsets[0];
  std::vector<int16_t> got;
  while (got.size() < expected.size()) {
    const std::vector<int16_t> part = fillSamples(session, small, position, 1);
    if (part.empty()) break;
    got.insert(got.end(), part.begin(), part.end());
  }
  got.resize(std::min(got.size(), expected.size()));
  EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(Backends, EditedDecoding, ::testing::Values(kSystem, kLibrary),
                         [](const auto& info) { return info.param ? std::string("Mpg123") : std::string("Ffmpeg"); });

// ---------------------------------------------------------------------------
// The back ends alone: the target's channel count whatever the frames carry.

// Decodes the frames of `name` (after any tag frame) with a back end opened for
// `channels` channels, one decode call per frame.
std::vector<int16_t> backendDecode(int useMpglib, const std::string& name, int channels) {
  Session session;
  EXPECT_TRUE(openInSession(session, dataPath(name)));
  const test::Bytes bytes = test::readBytes(dataPath(name));
  const std::vector<int64_t> offsets = frameOffsets(session);
  const FrameHeader& header = session.stream.currentHeader;
  PcmFormat format;
  format.channels = static_cast<uint16_t>(channels);
  format.samplesPerSecond = header.sampleRate;
  format.blockAlign = static_cast<uint16_t>(2 * channels);
  format.avgBytesPerSecond = format.samplesPerSecond * format.blockAlign;
  std::unique_ptr<DecoderBackend> backend = makeDecoderBackend(useMpglib);
  EXPECT_EQ(backend->open(format, header.layer), BackendOpenResult::Ok);
  std::vector<int16_t> samples;
  std::vector<uint8_t> out(8192);
  for (size_t i = 0; i < offsets.size(); ++i) {
    const int64_t end = i + 1 < offsets.size() ? offsets[i + 1] : session.stream.audioEnd;
    const DecodeResult r = backend->decode(bytes.data() + offsets[i], static_cast<int>(end - offsets[i]), out.data(),
                                           static_cast<int>(out.size()));
    EXPECT_FALSE(r.error);
    for (int k = 0; k + 1 < r.bytes; k += 2) samples.push_back(static_cast<int16_t>(out[k] | (out[k + 1] << 8)));
  }
  backend->close();
  return samples;
}

class BackendChannels : public ::testing::TestWithParam<int> {};

TEST_P(BackendChannels, MonoFramesAreDoubledForStereo) {
  const std::vector<int16_t> mono = backendDecode(GetParam(), "mono.mp3", 1);
  const std::vector<int16_t> stereo = backendDecode(GetParam(), "mono.mp3", 2);
  ASSERT_EQ(mono.size(), 116u * 1152);
  ASSERT_EQ(stereo.size(), 2 * mono.size());
  int worst = 0;
  for (size_t i = 0; i < mono.size(); ++i) {
    EXPECT_EQ(stereo[2 * i], stereo[2 * i + 1]);
    worst = std::max(worst, std::abs(stereo[2 * i] - mono[i]));
  }
  EXPECT_LE(worst, 1);
}

TEST_P(BackendChannels, StereoFramesAreMixedForMono) {
  const std::vector<int16_t> stereo = backendDecode(GetParam(), "cbr128_notag.mp3", 2);
  const std::vector<int16_t> mono = backendDecode(GetParam(), "cbr128_notag.mp3", 1);
  ASSERT_EQ(stereo.size(), 116u * 1152 * 2);
  ASSERT_EQ(mono.size(), stereo.size() / 2);
  int worst = 0;
  for (size_t i = 0; i < mono.size(); ++i)
    worst = std::max(worst, std::abs(mono[i] - (stereo[2 * i] + stereo[2 * i + 1]) / 2));
  EXPECT_LE(worst, 2);
  // The two channels differ (440 and 660 Hz), so this is a mix and not one channel.
  EXPECT_GT(rmsDb(mono, 0, mono.size()), -30.0);
  int offLeft = 0;
  for (size_t i = 0; i < mono.size(); ++i) offLeft = std::max(offLeft, std::abs(mono[i] - stereo[2 * i]));
  EXPECT_GT(offLeft, 1000);
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendChannels, ::testing::Values(kSystem, kLibrary),
                         [](const auto& info) { return info.param ? std::string("Mpg123") : std::string("Ffmpeg"); });

// ---------------------------------------------------------------------------
// Failures, with back ends that fail on purpose.

struct FakeLog {
  int opens = 0;
  int decodes = 0;
  int resets = 0;
  int closes = 0;
};

class FakeBackend : public DecoderBackend {
 public:
  FakeBackend(FakeLog& log, BackendOpenResult openResult, bool layer2, DecodeResult decodeResult)
      : log_(log), openResult_(openResult), layer2_(layer2), decodeResult_(decodeResult) {}
  const char* name() const override { return "fake"; }
  bool supportsLayer(int layer) const override { return layer == 3 || (layer == 2 && layer2_); }
  BackendOpenResult open(const PcmFormat&, int) override {
    ++log_.opens;
    return openResult_;
  }
  DecodeResult decode(const uint8_t* frames, int, uint8_t* out, int capacity) override {
    if (!frames) return {};
    ++log_.decodes;
    std::fill(out, out + std::min(capacity, decodeResult_.bytes), uint8_t{1});
    return decodeResult_;
  }
  void reset() override { ++log_.resets; }
  void close() override { ++log_.closes; }

 private:
  FakeLog& log_;
  BackendOpenResult openResult_;
  bool layer2_;
  DecodeResult decodeResult_;
};

DecoderBackendFactory fakeFactory(FakeLog& log, BackendOpenResult result, bool layer2 = true,
                                  DecodeResult decodeResult = {}) {
  return [&log, result, layer2, decodeResult](int32_t) {
    return std::make_unique<FakeBackend>(log, result, layer2, decodeResult);
  };
}

class DecoderFailures : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(openInSession(session, dataPath("cbr128_notag.mp3"))); }
  void expectInstallHint(const SilentHost::Message& m) {
    EXPECT_EQ(m.text, uiText(session.text, ui::kMsgInstallDecoder));
    EXPECT_FALSE(m.text.empty());
    EXPECT_EQ(m.caption, "Quillane");
    EXPECT_EQ(m.icon, MessageIcon::None);
  }
  // Opens as the engines do: the error, shown through `shown`.
  DecoderError openAndShow(Decoder& decoder, SilentHost& shown) {
    const DecoderError error = decoderOpen(session, decoder, 16384);
    showDecoderError(session.text, shown, error);
    return error;
  }
  Session session;
  SilentHost host;
  FakeLog log;
};

TEST_F(DecoderFailures, LibraryThatCannotLoad) {
  Decoder decoder(fakeFactory(log, BackendOpenResult::LoadFailed));
  EXPECT_EQ(openAndShow(decoder, host), DecoderError::LibraryMissing);
  EXPECT_FALSE(decoderIsOpen(decoder));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Could not load libmpg123 ...");
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  expectInstallHint(host.messages[1]);

  SilentHost again;
  Decoder none([](int32_t) { return std::unique_ptr<DecoderBackend>(); });
  EXPECT_EQ(openAndShow(none, again), DecoderError::LibraryMissing);
  ASSERT_EQ(again.messages.size(), 2u);
  EXPECT_EQ(again.messages[0].text, "Could not load libmpg123 ...");
}

TEST_F(DecoderFailures, LibraryThatCannotInitialize) {
  Decoder decoder(fakeFactory(log, BackendOpenResult::InitFailed));
  EXPECT_EQ(openAndShow(decoder, host), DecoderError::LibraryInitFailed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Could not initialize libmpg123");
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
}

TEST_F(DecoderFailures, SystemCodecThatCannotOpen) {
  Decoder decoder(fakeFactory(log, BackendOpenResult::CodecFailed));
  EXPECT_EQ(openAndShow(decoder, host), DecoderError::SystemCodecFailed);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Could not open FFmpeg Codec. Try libmpg123 ...");
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  expectInstallHint(host.messages[1]);
}

TEST_F(DecoderFailures, Layer2RefusedOnlyByABackEndWithoutALayer2Decoder) {
  ASSERT_TRUE(openInSession(session, dataPath("layer2_mpeg1.mp2")));
  Decoder decoder(fakeFactory(log, BackendOpenResult::Ok, false));
  EXPECT_EQ(openAndShow(decoder, host), DecoderError::Layer2NeedsLibrary);
  EXPECT_EQ(log.opens, 0);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Layer 2 only supported with libmpg123 ...");
  EXPECT_EQ(host.messages[0].caption, "Decoder init error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  expectInstallHint(host.messages[1]);

  for (int useMpglib : {kSystem, kLibrary}) {
    SilentHost quiet;
    session.settings.use_mpglib = useMpglib;
    Decoder real;
    EXPECT_EQ(decoderOpen(session, real, 32768), DecoderError::None) << backendName(useMpglib);
  }
}

TEST_F(DecoderFailures, NoFileMeansNoDecoderAndNoMessage) {
  Session empty;
  Decoder decoder(fakeFactory(log, BackendOpenResult::Ok));
  const DecoderError error = decoderOpen(empty, decoder, 16384);
  EXPECT_EQ(error, DecoderError::NoAudio);
  showDecoderError(empty.text, host, error);
  EXPECT_TRUE(host.messages.empty());
  std::vector<uint8_t> block(16384);
  int64_t position = 0;
  EXPECT_EQ(decoderFill(empty, host, decoder, position, block.data()), 0);
  decoderClose(decoder);  // harmless when closed
  decoderReset(decoder);
  EXPECT_EQ(log.closes, 0);
  EXPECT_EQ(log.resets, 0);
}

TEST_F(DecoderFailures, DecodeErrorResyncsAndResets) {
  DecodeResult bad;
  bad.bytes = 1000;
  bad.error = true;
  Decoder decoder(fakeFactory(log, BackendOpenResult::Ok, true, bad));
  session.settings.buffer_frm = 2;
  ASSERT_EQ(decoderOpen(session, decoder, 16384), DecoderError::None);
  std::vector<uint8_t> block(16384);
  const std::vector<int64_t> offsets = frameOffsets(session);
  int64_t position = offsets[3];
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 1000);
  EXPECT_EQ(position, offsets[5]);  // already on a frame: findFrame keeps it
  EXPECT_EQ(log.resets, 1);
  EXPECT_TRUE(host.messages.empty());
  decoderClose(decoder);
  EXPECT_EQ(log.closes, 1);
  EXPECT_FALSE(decoderIsOpen(decoder));
}

TEST_F(DecoderFailures, FailedCallIsShownAndFillingGoesOn) {
  DecodeResult partial;
  partial.bytes = 512;
  partial.failedCall = "av_new_packet";
  Decoder decoder(fakeFactory(log, BackendOpenResult::Ok, true, partial));
  ASSERT_EQ(decoderOpen(session, decoder, 16384), DecoderError::None);
  std::vector<uint8_t> block(16384);
  int64_t position = session.stream.audioStart;
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 512);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "av_new_packet");
  EXPECT_EQ(host.messages[0].caption, "Fill buffer error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(decoderFill(session, host, decoder, position, block.data()), 512);
  EXPECT_EQ(log.resets, 0);
}

}  // namespace
}  // namespace quillane
