#include "settings/encoder_page_rules.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "settings/configuration_rules.h"

namespace quillane {
namespace {

// Bit rates (kbit/s) of MPEG-1 Layer III, from 32000 Hz, and of MPEG-2 below.
constexpr std::array<uint16_t, 14> kMpeg1Bitrates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<uint16_t, 14> kMpeg2Bitrates = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int32_t kLowestMpeg1Rate = 32000;

constexpr std::array<int32_t, 6> kSampleRates = {48000, 44100, 32000, 24000, 22050, 16000};

constexpr std::array<const char*, 3> kModeNames = {"Stereo", "Joint Stereo", "Mono"};
constexpr std::array<uint8_t, 3> kModes = {0, 1, 3};
constexpr uint8_t kModeStereo = 0;
constexpr uint8_t kModeJoint = 1;
constexpr uint8_t kModeMono = 3;

constexpr std::array<const char*, 6> kQualityNames = {"Normal quality", "Low quality",   "High quality",
                                                      "Very high quality", "Voice quality", "'R3Mix' quality (VBR)"};
constexpr std::array<int32_t, 6> kQualities = {0, 1, 2, 5, 3, 4};
constexpr int32_t kQualityNormal = 0;
constexpr int32_t kQualityR3mix = 4;

constexpr std::array<const char*, 6> kVbrMethodNames = {"CBR - Constant bitrate", "VBR 'default' method",
                                                        "VBR 'old' method",       "VBR 'new' method",
                                                        "'MTRH'",                 "ABR - Average bitrate"};
constexpr int32_t kVbrOff = -1;
constexpr int32_t kVbrNew = 2;
constexpr int32_t kVbrAbr = 4;
constexpr int kVbrQualityCount = 10;

std::span<const uint16_t> bitrateTable(const Settings& s) {
  if (s.enc_lam_samplerate >= kLowestMpeg1Rate) return kMpeg1Bitrates;
  return kMpeg2Bitrates;
}

std::string printed(const char* format, long value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string vbrQualityName(int quality) {
  std::string name = printed("VBR quality %ld", quality);
  if (quality == 0) name += " (best)";
  if (quality == 4) name += " (default)";
  if (quality == kVbrQualityCount - 1) name += " (smallest)";
  return name;
}

// The first entry that begins with `prefix`, or -1.
int entryBeginningWith(const std::vector<std::string>& entries, const std::string& prefix) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].starts_with(prefix)) return static_cast<int>(i);
  return -1;
}

template <typename T, size_t N>
int indexOf(const std::array<T, N>& values, T value) {
  const auto found = std::find(values.begin(), values.end(), value);
  return found == values.end() ? -1 : static_cast<int>(found - values.begin());
}

bool inList(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

}  // namespace

EncoderLists encoderListsFill(const Settings& s) {
  EncoderLists lists;
  const char* bitrateFormat = s.enc_lam_vbr_method != kVbrOff ? "%ld kbit/s (min)" : "%ld kbit/s";
  for (const uint16_t rate : bitrateTable(s)) {
    lists[kLameBitrate].push_back(printed(bitrateFormat, rate));
    lists[kLameMaxBitrate].push_back(printed("Max %ld kbit/s", rate));
  }
  for (const int32_t rate : kSampleRates) lists[kLameSampleRate].push_back(printed("%ld Hz", rate));
  lists[kLameMode].assign(kModeNames.begin(), kModeNames.end());
  lists[kLameQuality].assign(kQualityNames.begin(), kQualityNames.end());
  lists[kLameVbrMethod].assign(kVbrMethodNames.begin(), kVbrMethodNames.end());
  for (int quality = 0; quality < kVbrQualityCount; ++quality) lists[kLameVbrQuality].push_back(vbrQualityName(quality));
  return lists;
}

void normaliseEncoderSettings(Settings& s) {
  if (s.enc_lam_mode != kModeStereo && s.enc_lam_mode != kModeMono) s.enc_lam_mode = kModeJoint;
  if (indexOf(kQualities, s.enc_lam_quality) < 0) s.enc_lam_quality = kQualityNormal;
  if (s.enc_lam_quality == kQualityR3mix) s.enc_lam_vbr_method = kVbrNew;
}

EncoderSelections encoderListSelections(const Settings& s, const EncoderLists& lists) {
  EncoderSelections selected;
  selected[kLameBitrate] = entryBeginningWith(lists[kLameBitrate], printed("%ld ", s.enc_lam_bitrate));
  selected[kLameSampleRate] = entryBeginningWith(lists[kLameSampleRate], printed("%ld ", s.enc_lam_samplerate));
  selected[kLameMode] = indexOf(kModes, s.enc_lam_mode);
  selected[kLameQuality] = indexOf(kQualities, s.enc_lam_quality);
  selected[kLameMaxBitrate] = entryBeginningWith(lists[kLameMaxBitrate], printed("Max %ld ", s.enc_lam_bitrate_max));
  const int method = s.enc_lam_vbr_method + 1;
  selected[kLameVbrMethod] = inList(method, lists[kLameVbrMethod].size()) ? method : -1;
  const int quality = s.enc_lam_vbr_quality;
  selected[kLameVbrQuality] = inList(quality, lists[kLameVbrQuality].size()) ? quality : -1;
  return selected;
}

bool chooseEncoderListEntry(Settings& s, EncoderList list, int index) {
  switch (list) {
    case kLameBitrate:
    case kLameMaxBitrate: {
      const std::span<const uint16_t> rates = bitrateTable(s);
      if (!inList(index, rates.size())) return false;
      (list == kLameBitrate ? s.enc_lam_bitrate : s.enc_lam_bitrate_max) = rates[index];
      return false;
    }
    case kLameSampleRate:
      if (!inList(index, kSampleRates.size())) return false;
      s.enc_lam_samplerate = kSampleRates[index];
      return true;
    case kLameMode:
      if (inList(index, kModes.size())) s.enc_lam_mode = kModes[index];
      return false;
    case kLameQuality:
      if (inList(index, kQualities.size())) s.enc_lam_quality = kQualities[index];
      return false;
    case kLameVbrMethod:
      if (!inList(index, kVbrMethodNames.size())) return false;
      s.enc_lam_vbr_method = index - 1;
      return true;
    case kLameVbrQuality:
      if (inList(index, kVbrQualityCount)) s.enc_lam_vbr_quality = static_cast<uint8_t>(index);
      return false;
    case kEncoderListCount: break;
  }
  return false;
}

void toggleAddDate(Settings& s) {
  s.rec_adddate = s.rec_adddate ? 0 : 1;
  if (s.rec_adddate) s.rec_appenddata = 0;
}

void toggleAppend(Settings& s) {
  s.rec_appenddata = s.rec_appenddata ? 0 : 1;
  if (s.rec_appenddata) s.rec_adddate = 0;
}

uint16_t abrFromTyped(const std::string& text) {
  return static_cast<uint16_t>(std::clamp<uint64_t>(typedStep(text), kAbrLowest, kAbrHighest));
}

void chooseEncoder(Settings& s, uint8_t encoder, bool recording) {
  if (!recording) s.enc_type = encoder;
}

void applyEncoderProbes(Settings& s, const EncoderProbes& probes) {
  if (s.enc_type == kEncoderLame && !probes.lameFound) s.enc_type = kEncoderNone;
  if (s.enc_type == kEncoderSystem && (probes.systemEncoder.empty() || !probes.systemAcceptsFormat))
    s.enc_type = kEncoderNone;
}

std::string lameSwitchText(const EncoderProbes& probes, const std::string& use, const std::string& notFound) {
  if (!probes.lameFound) return "libmp3lame " + notFound;
  std::string text = use + " libmp3lame: Version " + probes.lameVersion + ", Engine " +
                     std::to_string(probes.lameEngineMajor) + "." + std::to_string(probes.lameEngineMinor);
  if (probes.lameSimd) text += ", MMX";
  return text;
}

std::string systemSwitchText(const EncoderProbes& probes, const std::string& use, const std::string& notFound) {
  if (probes.systemEncoder.empty()) return "FFmpeg " + notFound;
  return use + " FFmpeg (" + probes.systemEncoder + ")";
}

std::string systemFormatText(int32_t bitrate, int32_t sampleRate, int channels) {
  char text[80];
  std::snprintf(text, sizeof text, " %ld kbps, %ld kHz, %s", static_cast<long>(bitrate / 1000),
                static_cast<long>(sampleRate / 1000), channels == 1 ? "Mono" : "Stereo");
  return text;
}

EncoderControls encoderControls(const Settings& s, bool recording, const EncoderProbes& probes) {
  EncoderControls on;
  if (recording) return on;
  on.lameSwitch = probes.lameFound;
  on.systemSwitch = !probes.systemEncoder.empty();
  on.baseName = on.addDate = on.append = true;
  on.systemFormat = on.systemHighQuality = s.enc_type == kEncoderSystem;
  if (s.enc_type == kEncoderLame) {
    on.lists.fill(true);
    on.lists[kLameMaxBitrate] = s.enc_lam_vbr_method != kVbrOff;
    on.lists[kLameVbrQuality] = s.enc_lam_vbr_method != kVbrOff && s.enc_lam_vbr_method != kVbrAbr;
    on.abr = s.enc_lam_vbr_method == kVbrAbr;
  }
  return on;
}

std::string recordBaseName(const std::string& chosen) {
  constexpr size_t kExtensionLength = 4;
  return chosen.size() > kExtensionLength ? chosen.substr(0, chosen.size() - kExtensionLength) : std::string();
}

}  // namespace quillane
