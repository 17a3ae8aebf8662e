#include "save/file_facts.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "edit/edit_session.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

std::string groupThousands(int64_t value) {
  const bool negative = value < 0;
  // Work on the magnitude as unsigned so that the smallest value works too.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  const size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  grouped.append(digits, 0, first);
  for (size_t at = first; at < digits.size(); at += 3) {
    grouped += '.';
    grouped.append(digits, at, 3);
  }
  return negative ? "-" + grouped : grouped;
}

std::string fileFactsText(const EditSession& session) {
  const AudioStream& stream = session.stream;
  std::string text;
  text += groupThousands(stream.fileSize) + " bytes\n";
  text += groupThousands(stream.audioStart) + " bytes\n";
  text += groupThousands(currentPosition(session)) + " bytes\n";
  char rest[256];
  std::snprintf(rest, sizeof rest, "%d kbit/sec\n%3.2f kbit/sec\n%d bytes\n%3.2f bytes\n%s",
                static_cast<int>(stream.currentHeader.bitrate), static_cast<double>(stream.avgBitrate) / 1000.0,
                static_cast<int>(stream.currentHeader.frameSize), static_cast<double>(stream.avgFrameSize),
                stream.vbrMode == kVbrXing ? "Yes" : "No");
  text += rest;
  if (stream.vbrMode == kVbrXing) text += " (" + groupThousands(stream.xingFrames) + " frames)";
  return text;
}

std::string leadingDataText(EditSession& session) {
  AudioStream& stream = session.stream;
  if (stream.audioStart <= 0 || !stream.sourceFile.isOpen()) return {};
  const size_t length = static_cast<size_t>(std::min(stream.audioStart, kLeadingDataShown));
  std::vector<char> bytes(length);
  const int64_t kept = stream.sourceFile.tell();
  const size_t got = stream.sourceFile.readAt(0, bytes.data(), length);
  if (kept >= 0) stream.sourceFile.seek(kept);
  std::string text = uiText(session.text, ui::kFileInfoHeaderNote);
  text += "\r\n\r\n";
  for (size_t i = 0; i < got; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    text += byte >= 0x20 && byte <= 0x7F ? static_cast<char>(byte) : '.';
  }
  return text;
}

FileInfoTagView openFileInfoTag(EditSession& session) {
  FileInfoTagView view;
  AudioStream& stream = session.stream;
  if (hasTagHeader(stream.id3v1Tag)) {
    view.tagPresent = true;
    view.fields = readId3v1Fields(stream.id3v1Tag);
  }
  view.useTag = stream.hasId3v1;
  return view;
}

void applyFileInfoTag(EditSession& session, bool useTag, bool keepId3v2, const Id3v1Fields& fields) {
  session.settings.keep_id3v2 = keepId3v2 ? 1 : 0;
  session.stream.hasId3v1 = useTag;
  session.stream.id3v1Tag = buildId3v1Tag(fields);
}

}  // namespace quillane
