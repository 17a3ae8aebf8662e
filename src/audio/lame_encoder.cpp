// The LAME encoder (libmp3lame) behind Mp3Encoder: a recording's enc_type 2.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "audio/mp3_encoder.h"

#include <lame/lame.h>

namespace quillane {
namespace {

// LAME's report functions carry no user pointer: while a call that may report
// runs, its text is collected here (one encoder is set up at a time per thread).
thread_local std::string* reportSink = nullptr;

void collectReport(const char* format, va_list args) {
  if (reportSink == nullptr) return;
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  reportSink->append(text);
}

void dropReport(const char*, va_list) {}

// Points LAME's reports of `flags` into `sink` for the life of this object.
class ReportCapture {
 public:
  ReportCapture(lame_global_flags* flags, std::string& sink) : previous_(reportSink) {
    reportSink = &sink;
    lame_set_errorf(flags, collectReport);
    lame_set_msgf(flags, collectReport);
  }
  ~ReportCapture() { reportSink = previous_; }
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

 private:
  std::string* previous_;
};

// Nothing of LAME's reaches the terminal unless captured.
void silence(lame_global_flags* flags) {
  lame_set_errorf(flags, dropReport);
  lame_set_msgf(flags, dropReport);
  lame_set_debugf(flags, dropReport);
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

// Bytes LAME may produce for `samplesPerChannel` samples (its documented bound).
uint32_t lameOutputBound(uint32_t samplesPerChannel) {
  return (samplesPerChannel * 5 + 3) / 4 + 7200;
}

MPEG_mode lameMode(int mode) {
  switch (mode) {
    case 0:
      return STEREO;
    case 3:
      return MONO;
    default:
      return JOINT_STEREO;  // 1, and the dual channel mode LAME does not write
  }
}

vbr_mode lameVbrMode(int vbrMethod) {
  switch (vbrMethod) {
    case 0:
      return vbr_default;
    case 1:
      return vbr_rh;
    case 2:
    case 3:
      return vbr_mtrh;
    case 4:
      return vbr_abr;
    default:
      return vbr_off;
  }
}

// Below this, speech loses nothing a listener needs; the bits go to what remains.
constexpr int kVoiceLowpassHz = 12000;

// The quality presets of the encoder page, as LAME's algorithm quality
// (0 slowest and best .. 9 fastest). Voice keeps the normal search and cuts the
// highs; 'R3Mix' is LAME's own preset of that name (the new VBR method at V3).
void applyPreset(lame_global_flags* flags, const LameConfig& config) {
  switch (config.preset) {
    case 1:
      lame_set_quality(flags, 7);
      break;
    case 2:
      lame_set_quality(flags, 2);
      break;
    case 3:
      lame_set_quality(flags, 5);
      lame_set_lowpassfreq(flags, std::min<int>(kVoiceLowpassHz, static_cast<int>(config.sampleRate * 45 / 100)));
      break;
    case 4:
      lame_set_preset(flags, R3MIX);
      break;
    case 5:
      lame_set_quality(flags, 0);
      break;
    default:
      lame_set_quality(flags, 5);
      break;
  }
}

void applyBitrates(lame_global_flags* flags, const LameConfig& config) {
  const vbr_mode vbr = lameVbrMode(config.vbrMethod);
  lame_set_VBR(flags, vbr);
  if (vbr == vbr_off) {
    lame_set_brate(flags, static_cast<int>(config.bitrate));
    return;
  }
  lame_set_VBR_min_bitrate_kbps(flags, static_cast<int>(config.bitrate));
  lame_set_VBR_max_bitrate_kbps(flags, static_cast<int>(config.maxBitrate));
  lame_set_VBR_q(flags, config.vbrQuality);
  if (vbr == vbr_abr) lame_set_VBR_mean_bitrate_kbps(flags, static_cast<int>(config.abrBitrate / 1000));
}

// The header bits every recording carries: not copyrighted, an original, no CRC,
// no emphasis, the private bit clear.
void applyHeaderBits(lame_global_flags* flags) {
  lame_set_copyright(flags, 0);
  lame_set_original(flags, 1);
  lame_set_error_protection(flags, 0);
  lame_set_emphasis(flags, 0);
  lame_set_extension(flags, 0);
}

class LameEncoder final : public Mp3Encoder {
 public:
  LameEncoder(lame_global_flags* flags, int channels) : flags_(flags), channels_(channels) {}
  ~LameEncoder() override { lame_close(flags_); }
  LameEncoder(const LameEncoder&) = delete;
  LameEncoder& operator=(const LameEncoder&) = delete;

  bool encode(const int16_t* samples, uint32_t sampleCount, std::vector<uint8_t>& out) override {
    const uint32_t perChannel = sampleCount / static_cast<uint32_t>(channels_);
    if (perChannel == 0) return true;
    scratch_.resize(lameOutputBound(perChannel));
    // LAME reads the samples only; its prototypes predate const.
    auto* pcm = const_cast<int16_t*>(samples);
    const int produced =
        channels_ == 1
            ? lame_encode_buffer(flags_, pcm, pcm, static_cast<int>(perChannel), scratch_.data(),
                                 static_cast<int>(scratch_.size()))
            : lame_encode_buffer_interleaved(flags_, pcm, static_cast<int>(perChannel), scratch_.data(),
                                             static_cast<int>(scratch_.size()));
    return append(produced, out);
  }

  bool finish(std::vector<uint8_t>& out) override {
    scratch_.resize(lameOutputBound(0));
    return append(lame_encode_flush(flags_, scratch_.data(), static_cast<int>(scratch_.size())), out);
  }

 private:
  bool append(int produced, std::vector<uint8_t>& out) const {
    if (produced < 0) return false;
    out.insert(out.end(), scratch_.begin(), scratch_.begin() + produced);
    return true;
  }

  lame_global_flags* flags_;
  int channels_;
  std::vector<uint8_t> scratch_;
};

// LAME tells whether it found a SIMD path only in its configuration report
// ("CPU features: MMX (ASM used), SSE ..."), printed for an initialised encoder.
bool lameReportsSimd() {
  lame_global_flags* probe = lame_init();
  if (probe == nullptr) return false;
  silence(probe);
  std::string report;
  bool simd = false;
  {
    ReportCapture capture(probe, report);
    lame_set_in_samplerate(probe, 44100);
    lame_set_num_channels(probe, 2);
    if (lame_init_params(probe) >= 0) {
      lame_print_config(probe);
      simd = report.find("CPU features:") != std::string::npos;
    }
  }
  lame_close(probe);
  return simd;
}

}  // namespace

LameConfig lameConfigFromSettings(const Settings& settings) {
  LameConfig config;
  config.sampleRate = static_cast<uint32_t>(settings.enc_lam_samplerate);
  config.mode = settings.enc_lam_mode;
  config.bitrate = settings.enc_lam_bitrate;
  config.maxBitrate = settings.enc_lam_bitrate_max;
  config.preset = settings.enc_lam_quality;
  config.vbrMethod = settings.enc_lam_vbr_method;
  config.vbrQuality = settings.enc_lam_vbr_quality;
  config.abrBitrate = settings.enc_lam_vbr_method == 4 ? uint32_t{settings.enc_lam_abr_bitrate} * 1000 : 0;
  return config;
}

EncoderOpening openLameEncoder(const LameConfig& config) {
  EncoderOpening opening;
  lame_global_flags* flags = lame_init();
  if (flags == nullptr) {
    opening.problem = "LAME could not start an encoder (out of memory)";
    return opening;
  }
  silence(flags);
  const int channels = lameChannels(config);
  lame_set_in_samplerate(flags, static_cast<int>(config.sampleRate));
  lame_set_out_samplerate(flags, static_cast<int>(config.sampleRate));
  lame_set_num_channels(flags, channels);
  lame_set_mode(flags, channels == 1 ? MONO : lameMode(config.mode));
  applyBitrates(flags, config);
  applyHeaderBits(flags);
  applyPreset(flags, config);
  lame_set_bWriteVbrTag(flags, 0);

  std::string report;
  int result = 0;
  {
    ReportCapture capture(flags, report);
    result = lame_init_params(flags);
  }
  silence(flags);
  if (result < 0) {
    opening.error = result;
    opening.problem = "LAME did not accept the encoder settings (lame_init_params returned " + std::to_string(result) + ")";
    if (!report.empty()) opening.problem += ": " + trimmed(report);
    lame_close(flags);
    return opening;
  }
  const auto frameSize = static_cast<uint32_t>(lame_get_framesize(flags));
  opening.chunkSamples = frameSize * static_cast<uint32_t>(channels);
  opening.outputSize = lameOutputBound(frameSize);
  opening.encoder = std::make_unique<LameEncoder>(flags, channels);
  return opening;
}

LameVersion lameVersion() {
  LameVersion version;
  version.available = true;
  version.version = get_lame_version();
  lame_version_t numbers{};
  get_lame_version_numerical(&numbers);
  version.engineMajor = numbers.psy_major;
  version.engineMinor = numbers.psy_minor;
  version.simd = lameReportsSimd();
  return version;
}

}  // namespace quillane
