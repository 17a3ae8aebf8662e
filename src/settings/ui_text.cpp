#include "settings/ui_text.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

#include "settings/text_encoding.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

// A line holds at most this many characters, its line end included.
constexpr std::size_t kMaxLineChars = 799;
// Language files are a few tens of kilobytes; anything this large is not one.
constexpr std::uintmax_t kMaxFileBytes = 16u * 1024u * 1024u;

struct KeyGroup {
  std::string_view prefix;
  int base;
};

constexpr KeyGroup kKeyGroups[] = {
    {"men", ui::kMenuBase},    {"win", ui::kWindowBase}, {"ttp", ui::kTooltipBase},
    {"cfg", ui::kConfigBase},  {"msg", ui::kMessageBase}, {"dlg", ui::kDialogBase},
};

struct HeaderLabel {
  std::string_view label;  // compared over its full length, blanks included
  int index;
};

constexpr HeaderLabel kHeaderLabels[] = {
    {"  Language:", ui::kLanguageName},
    {"  Edited by:", ui::kLanguageEditedBy},
    {"  Current program version:", ui::kLanguageProgramVersion},
};

bool isUtf8Continuation(char c) {
  return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80;
}

// Length in bytes of the next line of `text` starting at `pos`: up to and
// including the first "\n", but no more than kMaxLineChars characters. The
// text is UTF-8, so a character is a lead byte with its continuation bytes.
std::size_t nextLineLength(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  std::size_t chars = 0;
  while (end < text.size() && chars < kMaxLineChars) {
    const char c = text[end++];
    while (end < text.size() && isUtf8Continuation(text[end])) ++end;
    ++chars;
    if (c == '\n') break;
  }
  return end - pos;
}

// Reads the decimal number of a key the way atoi does: leading white space,
// an optional sign, then digits; no digits give 0. Values whose magnitude
// exceeds `limit` are reported as `limit` + 1 with their sign, so that a
// huge number can never wrap into the table's range.
long long parseKeyNumber(std::string_view s, long long limit) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\v' ||
                          s[i] == '\f' || s[i] == '\r'))
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > limit) {
      value = limit + 1;
      break;
    }
  }
  return negative ? -value : value;
}

void setLoaded(UiText& table, int index, std::string value) {
  table.text[index] = std::move(value);
  table.loaded[index] = true;
}

// Applies one line (its line end already removed) to the table.
void applyLine(UiText& table, std::string_view line) {
  for (const HeaderLabel& header : kHeaderLabels) {
    if (line.substr(0, header.label.size()) == header.label) {
      std::string_view value = line.substr(header.label.size());
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
      setLoaded(table, header.index, std::string(value));
      return;
    }
  }

  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;  // sections, comments, blank lines
  const std::string_view key = line.substr(0, equals);
  if (key.size() < 3) return;

  const KeyGroup* group = nullptr;
  for (const KeyGroup& g : kKeyGroups)
    if (key.substr(0, 3) == g.prefix) group = &g;
  if (group == nullptr) return;

  const long long index = group->base + parseKeyNumber(key.substr(3), kUiTextCount);
  if (index < 0 || index >= kUiTextCount) return;

  std::string value(line.substr(equals + 1));
  for (char& c : value)
    if (c == '#') c = '\n';
  setLoaded(table, static_cast<int>(index), std::move(value));
}

void applyLanguageText(UiText& table, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = nextLineLength(text, pos);
    std::string_view line = text.substr(pos, length);
    pos += length;

    if (!line.empty() && line.back() == '\n') {
      line.remove_suffix(1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    } else if (!line.empty() && line.back() == '\r' && pos < text.size() && text[pos] == '\n') {
      // The limit fell between the CR and the LF of a CR LF line end: drop
      // the CR here, the lone LF that follows makes an empty line.
      line.remove_suffix(1);
    }

    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) line = line.substr(0, nul);

    applyLine(table, line);
  }
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() && bytes.size() <= kMaxFileBytes;
}

}  // namespace

bool loadLanguageFile(UiText& table, const std::string& name,
                      const std::vector<std::filesystem::path>& folders) {
  if (name.empty() || name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
    return false;
  const std::string fileName = "lan" + name + ".ini";
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path path = folder / fileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    std::string bytes;
    if (!readWholeFile(path, bytes)) return false;
    applyLanguageText(table, fileTextToUtf8(bytes));
    return true;
  }
  return false;
}

void loadUiText(UiText& table, std::string& language,
                const std::vector<std::filesystem::path>& folders) {
  setBuiltInTexts(table);
  if (!loadLanguageFile(table, language, folders)) language.clear();
}

void releaseUiText(UiText& table) {
  for (int i = 0; i < kUiTextCount; ++i) {
    if (!table.loaded[i]) continue;
    table.text[i].clear();
    table.text[i].shrink_to_fit();
    table.loaded[i] = false;
  }
}

const std::string& uiText(const UiText& table, int index) {
  static const std::string kEmpty;
  if (index < 0 || index >= kUiTextCount) return kEmpty;
  return table.text[index];
}

std::string withNumbers(std::string_view format, std::initializer_list<int64_t> numbers) {
  std::string text;
  const int64_t* next = numbers.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 'd' && next != numbers.end()) {
        text += std::to_string(*next++);
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        text += '%';
        ++i;
        continue;
      }
    }
    text += format[i];
  }
  return text;
}

}  // namespace quillane
