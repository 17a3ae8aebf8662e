#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "settings/safe_writer.h"
#include "settings/text_encoding.h"

namespace quillane {
namespace {

// What a numeric value read from the file may be. Every value is first taken
// within its member's type and then brought within these limits.
enum class Rule {
  Clamp,       // held within min..max
  Flag,        // any value but 0 is 1
  Colour,      // a 24-bit colour: only the low 24 bits count
  PowerOfTwo,  // held within min..max, then down to a power of two
};

struct Limits {
  int64_t min;
  int64_t max;
  Rule rule = Rule::Clamp;
};

constexpr Limits kFlag{0, 1, Rule::Flag};
constexpr Limits kColour{0, 0xFFFFFF, Rule::Colour};
// Screen coordinates and window sides: what any screen arrangement can hold
// (the X11 protocol's coordinates are 16-bit). The window fits them to the
// screens that are there when it starts.
constexpr Limits kScreenPosition{-32768, 32767};
constexpr Limits kWindowSide{100, 32767};
constexpr Limits kDeviceIndex{0, 255};
constexpr Limits kSeconds{0, 65535};
constexpr Limits kKbitPerSecond{8, 320};
constexpr Limits kSampleRate{8000, 48000};

// Calls visit(key, member, limits) for every key in the order of the file;
// `limits` is a Limits for numbers and, for texts, the number of bytes a text
// keeps when read.
template <typename S, typename Visit>
void forEachSetting(S& s, Visit&& visit) {
  visit("file_recent1", s.file_recent[0], kSettingsPathMax);
  visit("file_recent2", s.file_recent[1], kSettingsPathMax);
  visit("file_recent3", s.file_recent[2], kSettingsPathMax);
  visit("file_recent4", s.file_recent[3], kSettingsPathMax);
  visit("file_recent5", s.file_recent[4], kSettingsPathMax);
  visit("file_recent6", s.file_recent[5], kSettingsPathMax);
  visit("window_x", s.window_x, kScreenPosition);
  visit("window_y", s.window_y, kScreenPosition);
  visit("window_w", s.window_w, kWindowSide);
  visit("window_h", s.window_h, kWindowSide);
  visit("device_out", s.device_out, kDeviceIndex);
  visit("buffer_max", s.buffer_max, Limits{8, 64});  // KiB, the slider's range
  visit("buffer_frm", s.buffer_frm, Limits{1, 8});    // frames, the slider's range
  visit("use_mpglib", s.use_mpglib, kFlag);
  visit("high_pri", s.high_pri, kFlag);
  visit("warn", s.warn, kFlag);
  visit("showtt", s.showtt, kFlag);
  visit("language", s.language, kSettingsLanguageMax);
  visit("keep_id3v2", s.keep_id3v2, kFlag);
  visit("write_xing", s.write_xing, kFlag);
  visit("big_timer", s.big_timer, kFlag);
  visit("big_relative", s.big_relative, kFlag);
  visit("show_milisec", s.show_milisec, kFlag);
  visit("db_scale", s.db_scale, kFlag);
  visit("bitrate_graph", s.bitrate_graph, kFlag);
  visit("level_height", s.level_height, Limits{0, 160});  // what the graph-level menu reaches
  visit("margin", s.margin, kFlag);
  visit("autoselect", s.autoselect, kFlag);
  visit("mouse_method", s.mouse_method, Limits{0, 1});
  visit("zoomlevel", s.zoomlevel, Limits{1, 8, Rule::PowerOfTwo});
  visit("frameskiplo", s.frameskiplo, Limits{1, 1000});     // the configuration page's ranges
  visit("frameskiphi", s.frameskiphi, Limits{10, 10000});
  visit("autocue", s.autocue, kSeconds);
  visit("silence_level", s.silence_level, Limits{1, 100});  // the pause detection sliders
  visit("silence_duration", s.silence_duration, Limits{1, 30});
  visit("silence_skip", s.silence_skip, kSeconds);
  visit("silence_offset", s.silence_offset, Limits{0, 100});
  visit("rgb_background", s.rgb_background, kColour);
  visit("rgb_mpeg", s.rgb_mpeg, kColour);
  visit("rgb_cuts", s.rgb_cuts, kColour);
  visit("rgb_cursor", s.rgb_cursor, kColour);
  visit("rgb_vumeter", s.rgb_vumeter, kColour);
  visit("rgb_selection", s.rgb_selection, kColour);
  visit("rgb_actual", s.rgb_actual, kColour);
  visit("file_savepath", s.file_savepath, kSettingsPathMax);
  visit("split_name", s.split_name, kSettingsSplitNameMax);
  visit("split_id3v11", s.split_id3v11, kFlag);
  visit("split_sample_accurate", s.split_sample_accurate, kFlag);
  visit("version", s.version, kSettingsVersionMax);
  visit("rec_adddate", s.rec_adddate, kFlag);
  visit("rec_appenddata", s.rec_appenddata, kFlag);
  visit("device_in", s.device_in, kDeviceIndex);
  visit("peakbeep", s.peakbeep, kFlag);
  visit("enc_type", s.enc_type, Limits{0, 2});  // none, system codec, LAME
  visit("enc_acm_bitrate", s.enc_acm_bitrate, Limits{8000, 320000});  // bit/s
  visit("enc_acm_samplerate", s.enc_acm_samplerate, kSampleRate);
  visit("enc_acm_channels", s.enc_acm_channels, Limits{1, 2});
  visit("enc_acm_highquality", s.enc_acm_highquality, kFlag);
  visit("enc_acm_blocksize", s.enc_acm_blocksize, Limits{0, 65535});
  visit("enc_lam_samplerate", s.enc_lam_samplerate, kSampleRate);
  visit("enc_lam_mode", s.enc_lam_mode, Limits{0, 3});  // stereo, joint, (dual), mono
  visit("enc_lam_bitrate", s.enc_lam_bitrate, kKbitPerSecond);
  visit("enc_lam_bitrate_max", s.enc_lam_bitrate_max, kKbitPerSecond);
  visit("enc_lam_quality", s.enc_lam_quality, Limits{0, 5});  // the quality list's values
  visit("enc_lam_vbr_method", s.enc_lam_vbr_method, Limits{-1, 4});
  visit("enc_lam_vbr_quality", s.enc_lam_vbr_quality, Limits{0, 9});
  visit("enc_lam_abr_bitrate", s.enc_lam_abr_bitrate, kKbitPerSecond);
}

// Decimal number in the manner of C's atoi: leading blanks, an optional sign,
// digits up to the first other character, 0 without digits. Values beyond 64
// bits saturate.
int64_t parseNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\v' || text[i] == '\f' || text[i] == '\r')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr int64_t kLargest = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (kLargest - digit) / 10) {
      value = kLargest;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

int64_t withinLimits(int64_t value, const Limits& limits) {
  switch (limits.rule) {
    case Rule::Flag:
      return value != 0 ? 1 : 0;
    case Rule::Colour:
      return value & limits.max;
    case Rule::PowerOfTwo: {
      const int64_t held = std::clamp(value, limits.min, limits.max);
      int64_t power = 1;
      while (power * 2 <= held) power *= 2;
      return power;
    }
    case Rule::Clamp:
      break;
  }
  return std::clamp(value, limits.min, limits.max);
}

// The value within the member's type, then within its limits.
template <typename Int>
void storeNumber(Int& member, int64_t value, const Limits& limits) {
  const int64_t typed = std::clamp<int64_t>(value, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
  member = static_cast<Int>(withinLimits(typed, limits));
}

// Cuts a UTF-8 text to at most `longest` bytes without splitting a character.
void cutUtf8(std::string& text, std::size_t longest) {
  if (text.size() <= longest) return;
  std::size_t end = longest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  text.resize(end);
}

// Reads one line without its line end; false at the end of the file. Lines
// of any length are taken whole, but only their first `keep` bytes are kept.
bool readLine(std::FILE* in, std::string& line, std::size_t keep) {
  line.clear();
  int c = std::getc(in);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() < keep) line.push_back(static_cast<char>(c));
    c = std::getc(in);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Longer than any key, "=" and the longest text kept.
constexpr std::size_t kLineKeep = 4096;

void applyLine(Settings& settings, std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = line.substr(0, eq);
  std::string_view value = line.substr(eq + 1);
  bool found = false;
  forEachSetting(settings, [&](const char* name, auto& member, const auto& limits) {
    if (found || key != name) return;
    found = true;
    using Member = std::remove_reference_t<decltype(member)>;
    if constexpr (std::is_same_v<Member, std::string>) {
      // A text ends at a NUL byte, as it would in a C string.
      const std::size_t nul = value.find('\0');
      if (nul != std::string_view::npos) value = value.substr(0, nul);
      member = fileTextToUtf8(value);
      cutUtf8(member, limits);
    } else {
      storeNumber(member, parseNumber(value), limits);
    }
  });
}

// Line breaks inside a text would split its entry; they are left out.
std::string withoutLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n') out.push_back(c);
  }
  return out;
}

std::string settingsText(const Settings& settings) {
  std::string out = "[Quillane]\r\n";
  forEachSetting(settings, [&](const char* name, const auto& member, const auto&) {
    using Member = std::remove_cv_t<std::remove_reference_t<decltype(member)>>;
    out += name;
    out += '=';
    if constexpr (std::is_same_v<Member, std::string>) {
      if (&member == &settings.version) {
        out += kSettingsVersion;
      } else {
        out += withoutLineBreaks(member);
      }
    } else {
      out += std::to_string(static_cast<long long>(member));
    }
    out += "\r\n";
  });
  return out;
}

}  // namespace

void setDefaultSettings(Settings& settings) {
  // Every member not in the table is empty or 0; the initialisers hold the table.
  settings = Settings{};
}

void resetSettings(Settings& settings, const std::filesystem::path& file) {
  setDefaultSettings(settings);
  readSettings(settings, file);
}

bool readSettings(Settings& settings, const std::filesystem::path& file) {
  // Only a regular file: a folder has no lines, and a pipe would hold the start.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return false;
  // A settings file from before sample-accurate pieces existed has no such key:
  // its user keeps the frame-exact pieces that version made. New settings start
  // with them on.
  settings.split_sample_accurate = 0;
  std::string line;
  while (readLine(in, line, kLineKeep)) applyLine(settings, line);
  std::fclose(in);
  return true;
}

bool writeSettings(const Settings& settings, const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::path folder = file.parent_path();
  if (!folder.empty()) {
    std::filesystem::create_directories(folder, ec);
    if (ec) return false;
  }
  WriteTarget target;
  target.path = file.string();
  target.existing = ExistingFile::Replace;
  return writeWholeFile(target, settingsText(settings));
}

}  // namespace quillane
