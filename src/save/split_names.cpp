#include "save/split_names.h"

#include <cstdio>

namespace quillane {

bool isSavePathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

char savePathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

namespace {

size_t lastSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (isSavePathSeparator(path[i - 1])) return i - 1;
  return std::string::npos;
}

// Length of the UTF-8 sequence that starts with lead (1 for anything malformed),
// so that a pattern character is never split.
size_t sequenceLength(const std::string& text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 1;
  if (lead >= 0xF0 && lead <= 0xF7)
    length = 4;
  else if (lead >= 0xE0 && lead < 0xF0)
    length = 3;
  else if (lead >= 0xC0 && lead < 0xE0)
    length = 2;
  if (at + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

std::string savePathFolder(const std::string& path) {
  const size_t at = lastSeparator(path);
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string sourceExtension(const std::string& path) {
  const size_t separator = lastSeparator(path);
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  return path.substr(dot);
}

std::string formatTrackNumber(int64_t number, bool threeDigits) {
  char text[32];
  std::snprintf(text, sizeof text, threeDigits ? "%.3lld" : "%.2lld", static_cast<long long>(number));
  return text;
}

std::string replaceFileNameCharacters(std::string name) {
  for (char& c : name) {
    switch (c) {
      case '*':
      case '|':
      case '/':
      case '\\':
      case '?':
      case ':':
      case '"':
      case '<':
      case '>':
        c = '_';
        break;
      default:
        break;
    }
  }
  return name;
}

std::string splitPiecePath(const std::string& folder, const std::string& pattern, const SplitNameFields& fields,
                           const std::string& sourcePath) {
  std::string name;
  size_t at = 0;
  while (at < pattern.size() && folder.size() + name.size() <= kSplitPathLimit) {
    if (pattern[at] == '%' && at + 1 < pattern.size()) {
      const std::string* value = nullptr;
      std::string number;
      switch (pattern[at + 1]) {
        case 'N':
          number = formatTrackNumber(fields.trackNumber, fields.threeDigits);
          value = &number;
          break;
        case 'T':
          value = &fields.title;
          break;
        case 'A':
          value = &fields.artist;
          break;
        case 'C':
          value = &fields.albumTitle;
          break;
        case 'D':
          value = &fields.albumArtist;
          break;
        default:
          break;
      }
      if (value != nullptr) {
        name += *value;
        at += 2;
        continue;
      }
    }
    const size_t length = sequenceLength(pattern, at);
    name.append(pattern, at, length);
    at += length;
  }
  return folder + replaceFileNameCharacters(name) + sourceExtension(sourcePath);
}

}  // namespace quillane
