#include "audio/mp3_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

#include "stream/frame_header.h"
#include "support/test_files.h"

namespace quillane {
namespace {

constexpr double kToneHz = 1000.0;
constexpr double kToneDbfs = -6.0;
constexpr int kToneSeconds = 3;

// A 1 kHz sine at -6 dBFS, the same in every channel, interleaved.
std::vector<int16_t> tone(uint32_t rate, int channels) {
  const double amplitude = 32768.0 * std::pow(10.0, kToneDbfs / 20.0);
  std::vector<int16_t> samples;
  samples.reserve(static_cast<size_t>(rate) * kToneSeconds * static_cast<size_t>(channels));
  for (uint32_t i = 0; i < rate * kToneSeconds; ++i) {
    const double value = amplitude * std::sin(2.0 * std::numbers::pi * kToneHz * i / rate);
    for (int c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(std::lround(value)));
  }
  return samples;
}

double rmsDbfs(const std::vector<int16_t>& samples, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return 20.0 * std::log10(std::sqrt(sum / static_cast<double>(to - from)) / 32768.0);
}

// Rising zero crossings of channel 0 per second, between sample frames from and to.
double toneFrequency(const std::vector<int16_t>& samples, int channels, uint32_t rate, size_t from, size_t to) {
  int rising = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (samples[(i - 1) * channels] < 0 && samples[i * channels] >= 0) ++rising;
  }
  return rising * static_cast<double>(rate) / static_cast<double>(to - from);
}

// Feeds the tone in pieces of `piece` samples (all channels) and finishes.
std::vector<uint8_t> encodeAll(Mp3Encoder& encoder, const std::vector<int16_t>& pcm, uint32_t piece) {
  std::vector<uint8_t> mp3;
  for (size_t at = 0; at < pcm.size(); at += piece) {
    const auto count = static_cast<uint32_t>(std::min<size_t>(piece, pcm.size() - at));
    EXPECT_TRUE(encoder.encode(pcm.data() + at, count, mp3));
  }
  EXPECT_TRUE(encoder.finish(mp3));
  return mp3;
}

// The frames of a file that holds nothing but frames, each read by its header.
std::vector<FrameHeader> walkFrames(const std::vector<uint8_t>& mp3) {
  std::vector<FrameHeader> frames;
  size_t at = 0;
  while (at + 4 <= mp3.size()) {
    const FrameHeader header = decodeFrameHeader(mp3.data() + at);
    if (header.version == 0) {
      ADD_FAILURE() << "no frame header at byte " << at << " of " << mp3.size();
      break;
    }
    frames.push_back(header);
    at += header.frameSize;
  }
  EXPECT_EQ(at, mp3.size()) << "the last frame is cut short";
  return frames;
}

bool carriesVbrTag(const std::vector<uint8_t>& mp3, const FrameHeader& first) {
  const size_t at = static_cast<size_t>(vbrTagOffset(first));
  if (at + 4 > mp3.size()) return false;
  const std::string name(mp3.begin() + static_cast<long>(at), mp3.begin() + static_cast<long>(at) + 4);
  return name == "Xing" || name == "Info";
}

std::string ffprobeField(const std::filesystem::path& path, const std::string& field) {
  const auto run = test::runCommand("ffprobe -v error -select_streams a:0 -show_entries stream=" + field +
                                    " -of default=nk=1:nw=1 " + test::shellQuote(path.string()));
  EXPECT_EQ(run.status, 0) << run.err;
  std::string value = run.out;
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

// One encoding to check against the real decoders.
struct ToneCase {
  const char* name;
  std::function<EncoderOpening()> open;
  uint32_t rate;
  int channels;
  uint8_t version;         // 1 MPEG-1, 2 MPEG-2
  std::optional<ChannelMode> channelMode;  // the headers' mode; none: not checked
  uint16_t cbrKbps;        // every frame's bit rate; 0: a variable rate
  uint16_t minKbps;        // the range a variable rate stays in
  uint16_t maxKbps;
  uint32_t piece;          // samples (all channels) per encode call; 0: the chunk size
  bool lameHeaderBits;     // copyright 0, original 1, no CRC, no emphasis, private 0
};

LameConfig lame(uint32_t rate, int mode, uint32_t kbps, int vbrMethod, int vbrQuality = 4, uint32_t maxKbps = 320,
                uint32_t abrKbps = 0) {
  LameConfig config;
  config.sampleRate = rate;
  config.mode = mode;
  config.bitrate = kbps;
  config.maxBitrate = maxKbps;
  config.vbrMethod = vbrMethod;
  config.vbrQuality = vbrQuality;
  config.abrBitrate = abrKbps * 1000;
  return config;
}

class Mp3EncoderTone : public testing::TestWithParam<ToneCase> {};

TEST_P(Mp3EncoderTone, DecodesToTheSameToneAndFormat) {
  const ToneCase& c = GetParam();
  EncoderOpening opening = c.open();
  ASSERT_TRUE(opening.encoder) << opening.problem;
  const std::vector<int16_t> pcm = tone(c.rate, c.channels);
  const std::vector<uint8_t> mp3 = encodeAll(*opening.encoder, pcm, c.piece != 0 ? c.piece : opening.chunkSamples);

  test::TempDir dir;
  const auto path = dir / "tone.mp3";
  test::writeBytes(path, mp3);

  // The stream: every frame of the asked version and rate; the first one audio.
  const std::vector<FrameHeader> frames = walkFrames(mp3);
  ASSERT_FALSE(frames.empty());
  EXPECT_FALSE(carriesVbrTag(mp3, frames.front())) << "the first frame is a Xing/Info tag";
  const auto demuxed = test::demuxedFrames(path);
  ASSERT_FALSE(demuxed.empty());
  EXPECT_EQ(demuxed.front().pos, 0) << "FFmpeg skipped the first frame as a tag";
  EXPECT_EQ(demuxed.size(), frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    const FrameHeader& f = frames[i];
    SCOPED_TRACE("frame " + std::to_string(i));
    ASSERT_EQ(f.layer, 3);
    ASSERT_EQ(f.version, c.version);
    ASSERT_EQ(f.sampleRate, c.rate);
    ASSERT_EQ(f.channelMode == ChannelMode::Mono, c.channels == 1);
    if (c.channelMode) {
      ASSERT_EQ(f.channelMode, *c.channelMode);
    }
    if (c.cbrKbps != 0) {
      ASSERT_EQ(f.bitrate, c.cbrKbps);
    }
    if (c.minKbps != 0) {
      ASSERT_GE(f.bitrate, c.minKbps);
      ASSERT_LE(f.bitrate, c.maxKbps);
    }
    if (c.lameHeaderBits) {
      ASSERT_FALSE(f.hasCrc);
      ASSERT_EQ(f.raw[2] & 0x01, 0) << "private bit";
      ASSERT_EQ(f.raw[3] & 0x08, 0) << "copyright bit";
      ASSERT_EQ(f.raw[3] & 0x04, 0x04) << "original bit";
      ASSERT_EQ(f.raw[3] & 0x03, 0) << "emphasis";
    }
  }
  const uint32_t frameSamples = c.version == 1 ? 1152 : 576;

  // What FFmpeg reads of it.
  EXPECT_EQ(ffprobeField(path, "sample_rate"), std::to_string(c.rate));
  EXPECT_EQ(ffprobeField(path, "channels"), std::to_string(c.channels));

  // mpg123 decodes it to the same tone, as long as the input within a frame or two
  // (the encoder's delay and the padding of the last frame).
  const auto raw = dir / "tone.raw";
  const auto run =
      test::runCommand("mpg123 -q -e s16 -O " + test::shellQuote(raw.string()) + " " + test::shellQuote(path.string()));
  ASSERT_EQ(run.status, 0) << run.err;
  const test::Bytes bytes = test::readBytes(raw);
  std::vector<int16_t> decoded(bytes.size() / 2);
  std::memcpy(decoded.data(), bytes.data(), decoded.size() * 2);
  const size_t decodedFrames = decoded.size() / static_cast<size_t>(c.channels);
  const size_t inputFrames = pcm.size() / static_cast<size_t>(c.channels);
  ASSERT_GE(decodedFrames, inputFrames);
  EXPECT_LE(decodedFrames, inputFrames + 2 * frameSamples + 1105);  // 2 frames and LAME's 576 + 529 delay
  EXPECT_EQ(decodedFrames, frames.size() * frameSamples);

  // Away from both ends, where the tone is steady.
  const size_t from = c.rate / 4, to = inputFrames - c.rate / 4;
  EXPECT_NEAR(toneFrequency(decoded, c.channels, c.rate, from, to), kToneHz, 2.0);
  const double inputLevel = rmsDbfs(pcm, from * c.channels, to * c.channels);
  EXPECT_NEAR(inputLevel, kToneDbfs - 3.01, 0.05);
  EXPECT_NEAR(rmsDbfs(decoded, from * c.channels, to * c.channels), inputLevel, 1.0);
}

const ToneCase kToneCases[] = {
    {"LameCbrJointStereo44k128", [] { return openLameEncoder(lame(44100, 1, 128, -1)); }, 44100, 2, 1,
     ChannelMode::JointStereo, 128, 0, 0, 0, true},
    {"LameVbrDefaultQ4Stereo48k", [] { return openLameEncoder(lame(48000, 0, 32, 0, 4, 320)); }, 48000, 2, 1,
     ChannelMode::Stereo, 0, 32, 320, 0, true},
    {"LameAbr160JointStereo44k", [] { return openLameEncoder(lame(44100, 1, 32, 4, 4, 320, 160)); }, 44100, 2, 1,
     ChannelMode::JointStereo, 0, 32, 320, 0, true},
    {"LameCbrMono22kMpeg2", [] { return openLameEncoder(lame(22050, 3, 64, -1)); }, 22050, 1, 2,
     ChannelMode::Mono, 64, 0, 0, 1000, true},
    // The system's codec, fed in pieces that are no whole frames.
    {"SystemStereo44k128", [] { return openSystemEncoder({44100, 128000, 2, 417}, false); }, 44100, 2, 1,
     std::nullopt, 128, 0, 0, 1000, false},
    {"SystemMono32k64HighQuality", [] { return openSystemEncoder({32000, 64000, 1, 288}, true); }, 32000, 1, 1,
     ChannelMode::Mono, 64, 0, 0, 777, false},
};

INSTANTIATE_TEST_SUITE_P(Mp3Encoder, Mp3EncoderTone, testing::ValuesIn(kToneCases),
                         [](const testing::TestParamInfo<ToneCase>& info) { return std::string(info.param.name); });

TEST(Mp3Encoder, LameConfigFromTheEncoderPageSettings) {
  struct Row {
    int32_t rate;
    uint8_t mode;
    uint16_t kbps, maxKbps;
    int32_t quality, vbrMethod;
    uint8_t vbrQuality;
    uint16_t abrKbps;
    uint32_t expectedAbr;  // bit/s
  };
  const Row rows[] = {
      {44100, 1, 128, 320, 0, -1, 4, 100, 0},       // CBR: the ABR rate is not passed on
      {48000, 0, 32, 256, 2, 0, 0, 100, 0},         // VBR
      {22050, 3, 64, 160, 3, 3, 9, 100, 0},         // mono, voice, MTRH
      {32000, 1, 96, 320, 5, 4, 2, 192, 192000},    // ABR: kbit/s become bit/s
  };
  for (const Row& row : rows) {
    Settings settings;
    settings.enc_lam_samplerate = row.rate;
    settings.enc_lam_mode = row.mode;
    settings.enc_lam_bitrate = row.kbps;
    settings.enc_lam_bitrate_max = row.maxKbps;
    settings.enc_lam_quality = row.quality;
    settings.enc_lam_vbr_method = row.vbrMethod;
    settings.enc_lam_vbr_quality = row.vbrQuality;
    settings.enc_lam_abr_bitrate = row.abrKbps;
    const LameConfig config = lameConfigFromSettings(settings);
    SCOPED_TRACE(row.rate);
    EXPECT_EQ(config.sampleRate, static_cast<uint32_t>(row.rate));
    EXPECT_EQ(config.mode, row.mode);
    EXPECT_EQ(config.bitrate, row.kbps);
    EXPECT_EQ(config.maxBitrate, row.maxKbps);
    EXPECT_EQ(config.preset, row.quality);
    EXPECT_EQ(config.vbrMethod, row.vbrMethod);
    EXPECT_EQ(config.vbrQuality, row.vbrQuality);
    EXPECT_EQ(config.abrBitrate, row.expectedAbr);
    EXPECT_EQ(lameChannels(config), row.mode == 3 ? 1 : 2);
  }
}

TEST(Mp3Encoder, LameChunkAndOutputSizeFollowTheFrameSize) {
  struct Row {
    uint32_t rate;
    int mode;
    uint32_t chunkSamples, outputSize;
  };
  const Row rows[] = {
      {44100, 1, 2304, 8640},  // MPEG-1 stereo: 1152 x 2; 1.25 x 1152 + 7200
      {44100, 3, 1152, 8640},  // MPEG-1 mono
      {22050, 0, 1152, 7920},  // MPEG-2 stereo: 576 x 2; 1.25 x 576 + 7200
      {16000, 3, 576, 7920},   // MPEG-2 mono
  };
  for (const Row& row : rows) {
    const EncoderOpening opening = openLameEncoder(lame(row.rate, row.mode, 64, -1));
    SCOPED_TRACE(std::to_string(row.rate) + " mode " + std::to_string(row.mode));
    ASSERT_TRUE(opening.encoder) << opening.problem;
    EXPECT_EQ(opening.chunkSamples, row.chunkSamples);
    EXPECT_EQ(opening.outputSize, row.outputSize);
    EXPECT_EQ(opening.error, 0);
  }
}

// Every quality preset opens and gives audio frames of the asked rate; 'R3Mix' is
// LAME's VBR preset whatever the method, the others keep constant 128 kbit/s.
TEST(Mp3Encoder, EveryLamePresetEncodes) {
  const std::vector<int16_t> pcm = tone(44100, 2);
  for (int preset = 0; preset <= 5; ++preset) {
    SCOPED_TRACE("preset " + std::to_string(preset));
    LameConfig config = lame(44100, 1, 128, -1);
    config.preset = preset;
    EncoderOpening opening = openLameEncoder(config);
    ASSERT_TRUE(opening.encoder) << opening.problem;
    const std::vector<uint8_t> mp3 = encodeAll(*opening.encoder, pcm, opening.chunkSamples);
    const std::vector<FrameHeader> frames = walkFrames(mp3);
    ASSERT_GT(frames.size(), 100u);
    bool allAt128 = true;
    for (const FrameHeader& f : frames) allAt128 = allAt128 && f.bitrate == 128;
    EXPECT_EQ(allAt128, preset != 4);
  }
}

TEST(Mp3Encoder, SystemFormatFromTheEncoderPageSettings) {
  Settings settings;
  EXPECT_EQ(systemFormatFromSettings(settings), (SystemEncoderFormat{44100, 128000, 2, 417}));
  settings.enc_acm_samplerate = 22050;
  settings.enc_acm_bitrate = 32000;
  settings.enc_acm_channels = 1;
  settings.enc_acm_blocksize = 104;
  EXPECT_EQ(systemFormatFromSettings(settings), (SystemEncoderFormat{22050, 32000, 1, 104}));
}

TEST(Mp3Encoder, SystemChunkAndOutputSizeFollowTheFrameSize) {
  struct Row {
    SystemEncoderFormat format;
    uint32_t chunkSamples;
  };
  const Row rows[] = {{{44100, 128000, 2, 417}, 2304}, {{48000, 64000, 1, 192}, 1152}};
  for (const Row& row : rows) {
    const EncoderOpening opening = openSystemEncoder(row.format, false);
    ASSERT_TRUE(opening.encoder) << opening.problem;
    EXPECT_EQ(opening.chunkSamples, row.chunkSamples);
    // A whole frame of the largest kind, and more, fits.
    EXPECT_GE(opening.outputSize, 1441u + 1152u);
  }
}

bool legalLayer3(uint32_t rate, uint32_t kbps) {
  const std::vector<uint32_t> mpeg1{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  const std::vector<uint32_t> mpeg2{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  const auto& table = rate >= 32000 ? mpeg1 : mpeg2;
  return std::find(table.begin(), table.end(), kbps) != table.end();
}

TEST(Mp3Encoder, SystemFormatsAreLegalOrderedAndOpen) {
  const std::string name = systemEncoderName();
  ASSERT_TRUE(name == "libmp3lame" || name == "libshine") << name;
  const std::vector<SystemEncoderFormat> formats = systemEncoderFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_NE(std::find(formats.begin(), formats.end(), SystemEncoderFormat{44100, 128000, 2, 417}), formats.end());
  const std::vector<uint32_t> mpegRates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  for (size_t i = 0; i < formats.size(); ++i) {
    const SystemEncoderFormat& f = formats[i];
    SCOPED_TRACE(std::to_string(f.sampleRate) + " Hz " + std::to_string(f.bitrate) + " bit/s " +
                 std::to_string(f.channels));
    ASSERT_NE(std::find(mpegRates.begin(), mpegRates.end(), f.sampleRate), mpegRates.end());
    ASSERT_EQ(f.bitrate % 1000, 0u);
    ASSERT_TRUE(legalLayer3(f.sampleRate, f.bitrate / 1000));
    ASSERT_TRUE(f.channels == 1 || f.channels == 2);
    ASSERT_EQ(f.blockSize, (f.sampleRate >= 32000 ? 144u : 72u) * f.bitrate / f.sampleRate);
    if (i > 0) {
      const SystemEncoderFormat& p = formats[i - 1];
      ASSERT_TRUE(std::tie(p.sampleRate, p.bitrate, p.channels) < std::tie(f.sampleRate, f.bitrate, f.channels));
    }
  }
  // Every listed MPEG-1 format encodes a frame of its own rate and bit rate.
  const std::vector<int16_t> pcm(2304 * 4, 0);
  for (const SystemEncoderFormat& f : formats) {
    if (f.sampleRate < 32000 || f.bitrate % 64000 != 0) continue;
    EncoderOpening opening = openSystemEncoder(f, false);
    ASSERT_TRUE(opening.encoder) << opening.problem;
    std::vector<uint8_t> mp3;
    ASSERT_TRUE(opening.encoder->encode(pcm.data(), 1152 * 4 * f.channels / 2, mp3));
    ASSERT_TRUE(opening.encoder->finish(mp3));
    ASSERT_GE(mp3.size(), 4u);
    const FrameHeader first = decodeFrameHeader(mp3.data());
    EXPECT_EQ(first.sampleRate, f.sampleRate);
    EXPECT_EQ(first.bitrate * 1000u, f.bitrate);
  }
}

TEST(Mp3Encoder, SystemEncoderRefusesWhatNoLayer3HeaderCarries) {
  EXPECT_TRUE(systemEncoderAccepts({44100, 128000, 2, 417}));
  EXPECT_FALSE(systemEncoderAccepts({44100, 144000, 2, 470}));  // an MPEG-2 rate only
  EXPECT_FALSE(systemEncoderAccepts({22050, 192000, 2, 626}));  // an MPEG-1 rate only
  EXPECT_FALSE(systemEncoderAccepts({44000, 128000, 2, 418}));  // no MPEG sample rate
  EXPECT_FALSE(systemEncoderAccepts({44100, 128000, 3, 417}));
  const EncoderOpening opening = openSystemEncoder({44000, 128000, 2, 418}, false);
  EXPECT_FALSE(opening.encoder);
  EXPECT_NE(opening.problem.find("44000 Hz"), std::string::npos) << opening.problem;
}

// A sine is easy: LAME's average stays well below the mean asked for, but a
// higher mean still buys a larger file.
TEST(Mp3Encoder, LameAbrFollowsTheMeanBitrate) {
  const std::vector<int16_t> pcm = tone(44100, 2);
  std::vector<size_t> sizes;
  for (uint32_t abrKbps : {32u, 320u}) {
    EncoderOpening opening = openLameEncoder(lame(44100, 1, 32, 4, 4, 320, abrKbps));
    ASSERT_TRUE(opening.encoder) << opening.problem;
    sizes.push_back(encodeAll(*opening.encoder, pcm, opening.chunkSamples).size());
  }
  EXPECT_GT(sizes[1], sizes[0] * 2);
  EXPECT_LT(sizes[0] * 8 / kToneSeconds, 40'000u);  // about the 32 kbit/s asked for
}

TEST(Mp3Encoder, LameVersionNamesTheLibrary) {
  const LameVersion version = lameVersion();
  EXPECT_TRUE(version.available);
  ASSERT_FALSE(version.version.empty());
  EXPECT_TRUE(version.version[0] >= '3' && version.version[0] <= '9') << version.version;
  EXPECT_GE(version.engineMajor, 1);
}

}  // namespace
}  // namespace quillane
