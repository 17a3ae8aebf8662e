#include "settings/settings.h"

#include <cstdio>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "settings/safe_writer.h"
#include "settings/text_encoding.h"

namespace quillane {
namespace {

// Calls visit(key, member, longest) for every key in the order of the file;
// `longest` is the number of bytes a text keeps when read (0 for numbers).
template <typename S, typename Visit>
void forEachSetting(S& s, Visit&& visit) {
  visit("file_recent1", s.file_recent[0], kSettingsPathMax);
  visit("file_recent2", s.file_recent[1], kSettingsPathMax);
  visit("file_recent3", s.file_recent[2], kSettingsPathMax);
  visit("file_recent4", s.file_recent[3], kSettingsPathMax);
  visit("file_recent5", s.file_recent[4], kSettingsPathMax);
  visit("file_recent6", s.file_recent[5], kSettingsPathMax);
  visit("window_x", s.window_x, 0);
  visit("window_y", s.window_y, 0);
  visit("window_w", s.window_w, 0);
  visit("window_h", s.window_h, 0);
  visit("device_out", s.device_out, 0);
  visit("buffer_max", s.buffer_max, 0);
  visit("buffer_frm", s.buffer_frm, 0);
  visit("use_mpglib", s.use_mpglib, 0);
  visit("high_pri", s.high_pri, 0);
  visit("warn", s.warn, 0);
  visit("showtt", s.showtt, 0);
  visit("language", s.language, kSettingsLanguageMax);
  visit("keep_id3v2", s.keep_id3v2, 0);
  visit("write_xing", s.write_xing, 0);
  visit("big_timer", s.big_timer, 0);
  visit("big_relative", s.big_relative, 0);
  visit("show_milisec", s.show_milisec, 0);
  visit("db_scale", s.db_scale, 0);
  visit("bitrate_graph", s.bitrate_graph, 0);
  visit("level_height", s.level_height, 0);
  visit("margin", s.margin, 0);
  visit("autoselect", s.autoselect, 0);
  visit("mouse_method", s.mouse_method, 0);
  visit("zoomlevel", s.zoomlevel, 0);
  visit("frameskiplo", s.frameskiplo, 0);
  visit("frameskiphi", s.frameskiphi, 0);
  visit("autocue", s.autocue, 0);
  visit("silence_level", s.silence_level, 0);
  visit("silence_duration", s.silence_duration, 0);
  visit("silence_skip", s.silence_skip, 0);
  visit("silence_offset", s.silence_offset, 0);
  visit("rgb_background", s.rgb_background, 0);
  visit("rgb_mpeg", s.rgb_mpeg, 0);
  visit("rgb_cuts", s.rgb_cuts, 0);
  visit("rgb_cursor", s.rgb_cursor, 0);
  visit("rgb_vumeter", s.rgb_vumeter, 0);
  visit("rgb_selection", s.rgb_selection, 0);
  visit("rgb_actual", s.rgb_actual, 0);
  visit("file_savepath", s.file_savepath, kSettingsPathMax);
  visit("split_name", s.split_name, kSettingsSplitNameMax);
  visit("split_id3v11", s.split_id3v11, 0);
  visit("version", s.version, kSettingsVersionMax);
  visit("rec_adddate", s.rec_adddate, 0);
  visit("rec_appenddata", s.rec_appenddata, 0);
  visit("device_in", s.device_in, 0);
  visit("peakbeep", s.peakbeep, 0);
  visit("enc_type", s.enc_type, 0);
  visit("enc_acm_bitrate", s.enc_acm_bitrate, 0);
  visit("enc_acm_samplerate", s.enc_acm_samplerate, 0);
  visit("enc_acm_channels", s.enc_acm_channels, 0);
  visit("enc_acm_highquality", s.enc_acm_highquality, 0);
  visit("enc_acm_blocksize", s.enc_acm_blocksize, 0);
  visit("enc_lam_samplerate", s.enc_lam_samplerate, 0);
  visit("enc_lam_mode", s.enc_lam_mode, 0);
  visit("enc_lam_bitrate", s.enc_lam_bitrate, 0);
  visit("enc_lam_bitrate_max", s.enc_lam_bitrate_max, 0);
  visit("enc_lam_quality", s.enc_lam_quality, 0);
  visit("enc_lam_vbr_method", s.enc_lam_vbr_method, 0);
  visit("enc_lam_vbr_quality", s.enc_lam_vbr_quality, 0);
  visit("enc_lam_abr_bitrate", s.enc_lam_abr_bitrate, 0);
}

// Decimal number in the manner of C's atoi: leading blanks, an optional sign,
// digits up to the first other character, 0 without digits. The value is
// accumulated modulo 2^64, so that its low bits are always exact.
uint64_t parseNumberLowBits(std::string_view text) {
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
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint64_t>(text[i] - '0');
  }
  return negative ? (0u - value) : value;
}

template <typename Int>
void storeLowBits(Int& member, uint64_t bits) {
  using Unsigned = std::make_unsigned_t<Int>;
  member = static_cast<Int>(static_cast<Unsigned>(bits));
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
  forEachSetting(settings, [&](const char* name, auto& member, std::size_t longest) {
    if (found || key != name) return;
    found = true;
    using Member = std::remove_reference_t<decltype(member)>;
    if constexpr (std::is_same_v<Member, std::string>) {
      // A text ends at a NUL byte, as it would in a C string.
      const std::size_t nul = value.find('\0');
      if (nul != std::string_view::npos) value = value.substr(0, nul);
      member = fileTextToUtf8(value);
      cutUtf8(member, longest);
    } else {
      storeLowBits(member, parseNumberLowBits(value));
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
  forEachSetting(settings, [&](const char* name, const auto& member, std::size_t) {
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
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return false;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return false;
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
