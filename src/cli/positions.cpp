#include "cli/positions.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "stream/sample_position.h"
#include "view/typed_positions.h"

namespace quillane::cli {
namespace {

bool allDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// Within the last 1792 bytes the search finds no frame, since it wants to see the
// next frame's sync inside its window. Walk there from a frame found before.
int64_t frameNearEnd(AudioStream& stream, int64_t offset) {
  int64_t at = findFrame(stream, offset - 2 * kSearchSpan).offset;
  while (at >= 0 && at < offset && at < stream.audioEnd) {
    uint8_t raw[4];
    if (stream.sourceFile.readAt(at, raw, 4) != 4) return -1;
    const FrameHeader header = decodeFrameHeader(raw);
    if (!header.version) return -1;
    at += header.frameSize;
  }
  if (at < 0) return -1;
  return at >= stream.audioEnd ? stream.audioEnd : at;
}

}  // namespace

std::optional<int64_t> parsePosition(AudioStream& stream, const std::string& text) {
  int64_t offset = 0;
  if (!text.empty() && text[0] == '@') {
    const std::string digits = text.substr(1);
    if (!allDigits(digits)) return std::nullopt;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), offset);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
  } else {
    const std::optional<double> seconds = parseTypedTime(text);
    if (!seconds) return std::nullopt;
    const double at = static_cast<double>(stream.audioStart) + *seconds * stream.avgBitrate / 8.0;
    if (!std::isfinite(at) || at > 9.0e18) return std::nullopt;
    offset = static_cast<int64_t>(at);
  }
  int64_t frame = findFrame(stream, offset).offset;
  if (frame < 0 && offset < stream.audioEnd) frame = frameNearEnd(stream, offset);
  if (frame < 0) return std::nullopt;
  return frame;
}

int32_t positionSampleOffset(AudioStream& stream, const std::string& text, int64_t frame) {
  if (text.empty() || text[0] == '@' || frame >= stream.audioEnd) return 0;
  const std::optional<double> seconds = parseTypedTime(text);
  if (!seconds) return 0;
  return sampleOffsetFrom(stream, frame, decodedSampleAt(stream, *seconds));
}

std::string positionProblem(const AudioStream& stream, const std::string& option, const std::string& text,
                            const std::string& why) {
  return stream.sourcePath + ": " + option + " \"" + text + "\": " + why;
}

bool splitRange(const std::string& text, std::string& a, std::string& b) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos || dash == 0 || dash + 1 >= text.size()) return false;
  if (text.find('-', dash + 1) != std::string::npos) return false;
  a = text.substr(0, dash);
  b = text.substr(dash + 1);
  return true;
}

}  // namespace quillane::cli
