#include "view/typed_positions.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"
#include "view/time_format.h"

namespace quillane {
namespace {

constexpr std::size_t kPositionFieldChars = 59;
constexpr std::size_t kSelectionFieldChars = 79;
// Changes of this many bytes or fewer lie below the precision of the shown times.
constexpr int64_t kUnchangedBytes = 50;
// A length that differs by no more than one largest frame is the shown one.
constexpr int64_t kUnchangedLength = kMaxFrameSize;
// Digits in one field of a typed time: enough for years of audio, few enough
// that every such number is exact in a double.
constexpr std::size_t kMaxTypedDigits = 9;

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A run of digits; nothing when empty, too long or holding anything else.
std::optional<double> wholeNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxTypedDigits) return std::nullopt;
  double value = 0.0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10.0 + (c - '0');
  }
  return value;
}

// Digits with an optional fraction after a point or a comma ("90", "90.5", "90,5").
std::optional<double> decimalNumber(std::string_view text) {
  const std::size_t mark = text.find_first_of(".,");
  const auto whole = wholeNumber(text.substr(0, mark));
  if (!whole || mark == std::string_view::npos) return whole;
  const std::string_view fraction = text.substr(mark + 1);
  const auto digits = wholeNumber(fraction);
  if (!digits) return std::nullopt;
  return *whole + *digits / std::pow(10.0, static_cast<double>(fraction.size()));
}

// Reads text[pos..] up to `terminator` as a decimal number and moves pos past
// the terminator; nothing when the terminator is missing.
std::optional<double> readNumber(std::string_view text, std::size_t& pos, char terminator) {
  if (pos > text.size()) return std::nullopt;
  const std::size_t stop = text.find(terminator, pos);
  if (stop == std::string_view::npos) return std::nullopt;
  const std::string piece(text.substr(pos, stop - pos));
  pos = stop + 1;
  const double value = std::strtod(piece.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

// Minutes up to an apostrophe and seconds up to `terminator`, as seconds.
std::optional<double> readTime(std::string_view text, std::size_t& pos, char terminator) {
  const auto minutes = readNumber(text, pos, '\'');
  if (!minutes) return std::nullopt;
  const auto seconds = readNumber(text, pos, terminator);
  if (!seconds) return std::nullopt;
  return 60.0 * *minutes + *seconds;
}

// The seconds a shown time stands for, read back as a typed one is.
double shownSeconds(const Session& session, int64_t bytes) {
  const std::string shown = formatTime(bytes, session.stream.avgBitrate, session.settings.show_milisec != 0) + " ";
  std::size_t pos = 0;
  return readTime(shown, pos, ' ').value_or(0.0);
}

int64_t bytesOf(const Session& session, double seconds) {
  const double bytes = std::trunc(static_cast<double>(session.stream.avgBitrate) / 8.0 * seconds);
  constexpr double kLimit = 9e18;
  if (!(bytes < kLimit)) return static_cast<int64_t>(kLimit);
  if (!(bytes > -kLimit)) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(bytes);
}

int64_t distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

// The offset `percent` of the way through the audio.
int64_t offsetAtShare(const AudioStream& s, double percent) {
  const double share = std::trunc(static_cast<double>(s.audioEnd - s.audioStart) * percent / 100.0);
  return s.audioStart + static_cast<int64_t>(std::fmax(std::fmin(share, 9e18), -9e18));
}

// A position typed alone: a time, or a share of the audio ("50%").
std::optional<int64_t> typedPosition(const Session& session, std::string_view field) {
  field = trimmed(field);
  if (!field.empty() && field.back() == '%') {
    const auto percent = decimalNumber(trimmed(field.substr(0, field.size() - 1)));
    if (!percent) return std::nullopt;
    return offsetAtShare(session.stream, *percent);
  }
  const auto seconds = parseTypedTime(field);
  if (!seconds) return std::nullopt;
  return session.stream.audioStart + bytesOf(session, *seconds);
}

// Two times typed alone, "b-e": the selection from the frame at b to the frame
// at e. False, changing nothing, for other text or where a frame isn't found.
bool typedRange(Session& session, std::string_view field, SelectionFieldChange& change) {
  const std::size_t dash = field.find('-');
  if (dash == std::string_view::npos) return false;
  const auto from = parseTypedTime(field.substr(0, dash));
  const auto to = parseTypedTime(field.substr(dash + 1));
  if (!from || !to) return false;
  AudioStream& s = session.stream;
  int64_t beg = findCurrentFrame(s, s.audioStart + bytesOf(session, *from));
  int64_t end = findCurrentFrame(s, s.audioStart + bytesOf(session, *to));
  if (beg < 0 || end < 0) return false;
  if (end < beg) std::swap(beg, end);
  EditRangeTable& t = session.edits;
  change.read = true;
  change.begin = beg != t.selection.beg;
  change.end = end != t.selection.end;
  setSelectionBegin(t, beg);
  setSelectionEnd(t, end);
  return true;
}

}  // namespace

std::optional<double> parseTypedTime(std::string_view text) {
  text = trimmed(text);
  // From the right: the seconds, after ':' or an apostrophe the minutes, after
  // another ':' the hours.
  const std::size_t secondsMark = text.find_last_of(":'");
  const auto seconds =
      decimalNumber(secondsMark == std::string_view::npos ? text : text.substr(secondsMark + 1));
  if (!seconds || secondsMark == std::string_view::npos) return seconds;
  if (*seconds >= 60.0) return std::nullopt;
  const std::string_view rest = text.substr(0, secondsMark);
  const std::size_t minutesMark = rest.rfind(':');
  const auto minutes = wholeNumber(minutesMark == std::string_view::npos ? rest : rest.substr(minutesMark + 1));
  if (!minutes) return std::nullopt;
  if (minutesMark == std::string_view::npos) return 60.0 * *minutes + *seconds;
  const auto hours = wholeNumber(rest.substr(0, minutesMark));
  if (!hours || *minutes >= 60.0) return std::nullopt;
  return 3600.0 * *hours + 60.0 * *minutes + *seconds;
}

std::optional<int64_t> parsePositionField(const Session& session, std::string_view field) {
  if (const auto typed = typedPosition(session, field)) return typed;
  field = field.substr(0, kPositionFieldChars);
  const std::string& now = uiText(session.text, ui::kStatusNow);
  if (field.size() < 5 || now.empty()) return std::nullopt;
  const std::size_t at = field.find(now);
  if (at == std::string_view::npos) return std::nullopt;

  const AudioStream& s = session.stream;
  std::size_t pos = at + now.size() + 1;  // past the colon
  const auto seconds = readTime(field, pos, ' ');
  if (!seconds) return std::nullopt;
  int64_t p = s.audioStart + bytesOf(session, *seconds);

  // The shown time is rounded to its last decimal, which at higher rates is
  // worth more than the 50 bytes, so the time as shown counts as unchanged too.
  const bool unchanged = distance(p, s.cursor) < kUnchangedBytes ||
                         *seconds == shownSeconds(session, s.cursor - s.audioStart);
  if (unchanged) {
    const std::size_t open = field.find('(', pos);
    if (open == std::string_view::npos) return std::nullopt;
    pos = open + 1;
    const auto percent = readNumber(field, pos, '%');
    if (!percent) return std::nullopt;
    p = offsetAtShare(s, *percent);
  }
  return p;
}

SelectionFieldChange parseSelectionField(Session& session, std::string_view field) {
  SelectionFieldChange change;
  if (typedRange(session, field, change)) return change;
  field = field.substr(0, kSelectionFieldChars);
  const std::string& label = uiText(session.text, ui::kStatusSelection);
  if (label.empty() || field.find(label) == std::string_view::npos) return change;

  std::size_t pos = field.find(':');
  if (pos == std::string_view::npos) return change;
  ++pos;
  const auto begSeconds = readTime(field, pos, '-');
  if (!begSeconds) return change;
  const auto endSeconds = readTime(field, pos, '(');
  if (!endSeconds) return change;
  const auto lengthSeconds = readTime(field, pos, ')');
  if (!lengthSeconds) return change;
  change.read = true;

  AudioStream& s = session.stream;
  EditRangeTable& t = session.edits;
  const int64_t b = s.audioStart + bytesOf(session, *begSeconds);
  const int64_t e = s.audioStart + bytesOf(session, *endSeconds);
  const int64_t n = bytesOf(session, *lengthSeconds);

  // As in the position field, a time that reads as the one shown is unchanged.
  const bool has = t.hasSelection();
  const bool lengthShown = has && *lengthSeconds == shownSeconds(session, t.selection.end - t.selection.beg);
  const bool begShown = has && *begSeconds == shownSeconds(session, t.selection.beg - s.audioStart);
  const bool endShown = has && *endSeconds == shownSeconds(session, t.selection.end - s.audioStart);

  if (!lengthShown && distance(n, t.selection.end - t.selection.beg) > kUnchangedLength) {
    const int64_t frame = findCurrentFrame(s, b + n);
    if (frame >= 0) {
      setSelectionEnd(t, frame);
      change.end = true;
      change.lengthApplied = true;
    }
  }
  if (!begShown && distance(b, t.selection.beg) > kUnchangedBytes) {
    const int64_t frame = findCurrentFrame(s, b);
    if (frame >= 0) {
      setSelectionBegin(t, frame);
      change.begin = true;
    }
  }
  if (!endShown && !change.lengthApplied && distance(e, t.selection.end) > kUnchangedBytes) {
    const int64_t frame = findCurrentFrame(s, e);
    if (frame >= 0) {
      setSelectionEnd(t, frame);
      change.end = true;
    }
  }
  return change;
}

}  // namespace quillane
