#include "edit/path_text.h"

#include <filesystem>
#include <limits>

#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "settings/recent_files.h"
#include "settings/text_encoding.h"
#include "stream/binary_file.h"
#include "stream/open_stream.h"

namespace quillane {
namespace {

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// One folder of a path with its trailing separator, or the last part without one.
std::string_view componentAt(std::string_view path, std::size_t pos) {
  std::size_t end = pos;
  while (end < path.size() && !isPathSeparator(path[end])) ++end;
  if (end < path.size()) ++end;  // the separator belongs to the folder
  return path.substr(pos, end - pos);
}

bool sameComponent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (isPathSeparator(a[i]) && isPathSeparator(b[i])) continue;
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

bool isAbsolutePathText(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && isPathSeparator(path[0]));
}

std::string directoryPart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (isPathSeparator(path[i - 1])) return std::string(path.substr(0, i));
  return {};
}

std::size_t extensionStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return i - 1;
    if (isPathSeparator(c)) break;
  }
  return std::string_view::npos;
}

std::string withForwardSlashes(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string resolveDocumentPath(std::string_view value, std::string_view documentPath) {
  if (value.size() >= 2 && value[1] == ':') return std::string(value);  // a drive path
  std::string path = withForwardSlashes(value);
  if (isAbsolutePathText(path)) return path;
  return directoryPart(documentPath) + path;
}

std::string pathForDocument(std::string_view audioPath, std::string_view sheetPath) {
  std::size_t a = 0;
  std::size_t s = 0;
  while (a < audioPath.size() && s < sheetPath.size()) {
    const std::string_view ca = componentAt(audioPath, a);
    const std::string_view cs = componentAt(sheetPath, s);
    if (!sameComponent(ca, cs)) break;
    a += ca.size();
    s += cs.size();
  }
  const std::string_view sheetRest = sheetPath.substr(s);
  const std::string_view audioRest = audioPath.substr(a);
  for (char c : sheetRest)
    if (isPathSeparator(c)) return withForwardSlashes(audioPath);
  if (audioRest.empty()) return withForwardSlashes(audioPath);
  return withForwardSlashes(audioRest);
}

int64_t parseDecimalInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative number, whose range is one larger.
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    const int digit = text[i] - '0';
    if (saturated) continue;
    if (value < (kMin + digit) / 10) {
      saturated = true;
      value = kMin;
      continue;
    }
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == kMin) return std::numeric_limits<int64_t>::max();
  return -value;
}

int32_t parseDecimalInteger32(std::string_view text) {
  const int64_t v = parseDecimalInteger(text);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

double parseDecimalNumber(std::string_view text) {
  constexpr double kCap = 1e15;
  std::size_t i = 0;
  while (i < text.size() && isWhite(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double value = 0.0;
  for (; i < text.size() && isDigit(text[i]); ++i)
    if (value < kCap) value = value * 10.0 + (text[i] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && isDigit(text[i]); ++i) {
      if (scale > 1e-20) value += (text[i] - '0') * scale;
      scale *= 0.1;
    }
  }
  if (value > kCap) value = kCap;
  return negative ? -value : value;
}

bool readDocumentText(const std::string& path, std::string& text) {
  text.clear();
  BinaryFile file;  // refuses a pipe or a device without waiting on it
  if (!file.open(path, "rb")) return false;
  const int64_t size = file.size();
  if (size < 0 || size > kMaxDocumentBytes) return false;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (file.readDirect(0, bytes.data(), bytes.size()) != bytes.size()) return false;
  text = fileTextToUtf8(bytes);
  return true;
}

bool LineReader::next(std::string& line) {
  if (pos_ >= text_.size()) return false;
  // "\r\n", "\n" and a lone "\r" (old Mac files) each end a line.
  std::size_t end = text_.find_first_of("\r\n", pos_);
  std::size_t after = text_.size();
  if (end == std::string_view::npos)
    end = text_.size();
  else
    after = text_.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
  std::string_view raw = text_.substr(pos_, end - pos_);
  pos_ = after;
  const std::size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  line = firstCharacters(raw, maxChars_);
  return true;
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool openDocumentAudio(AudioStream& stream, Settings& settings) {
  if (isFolder(stream.sourcePath) || !openStream(stream)) return false;
  addRecent(settings, stream.sourcePath);
  return true;
}

WriteTarget documentTarget(const EditSession& session) {
  WriteTarget target;
  target.path = session.projectPath;
  target.existing = session.save.replaceExisting ? ExistingFile::Replace : ExistingFile::Refuse;
  target.source = identityOf(session.stream.sourceFile.descriptor());
  return target;
}

bool writeDocumentText(EditSession& session, std::string_view text) {
  session.save.writeError.clear();
  return writeWholeFile(documentTarget(session), text, &session.save.writeError);
}

}  // namespace quillane
