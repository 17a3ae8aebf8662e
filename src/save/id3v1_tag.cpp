#include "save/id3v1_tag.h"

#include <algorithm>
#include <cstring>

#include "settings/text_encoding.h"

namespace quillane {

bool hasTagHeader(const Id3v1Bytes& tag) { return tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G'; }

std::string tagText(const Id3v1Bytes& tag, size_t at, size_t width) {
  if (at >= tag.size()) return {};
  width = std::min(width, tag.size() - at);
  size_t length = 0;
  while (length < width && tag[at + length] != 0) ++length;
  return latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(tag.data() + at), length));
}

void setTagText(Id3v1Bytes& tag, size_t at, size_t width, const std::string& text) {
  if (at >= tag.size()) return;
  width = std::min(width, tag.size() - at);
  const std::string latin1 = utf8ToLatin1(text);
  const size_t length = std::min(width, latin1.size());
  std::fill_n(tag.begin() + static_cast<std::ptrdiff_t>(at), width, uint8_t{0});
  std::memcpy(tag.data() + at, latin1.data(), length);
}

Id3v1Fields readId3v1Fields(Id3v1Bytes& tag) {
  Id3v1Fields fields;
  fields.title = tagText(tag, kId3v1TitleAt, kId3v1TextWidth);
  fields.artist = tagText(tag, kId3v1ArtistAt, kId3v1TextWidth);
  fields.album = tagText(tag, kId3v1AlbumAt, kId3v1TextWidth);
  fields.year = tagText(tag, kId3v1YearAt, kId3v1YearWidth);
  if (tag[kId3v1ZeroByteAt] == 0 && static_cast<int8_t>(tag[kId3v1TrackAt]) > 0) fields.track = tag[kId3v1TrackAt];
  if (tag[kId3v1GenreAt] == 0) tag[kId3v1GenreAt] = kId3v1NoGenre;
  fields.genre = tag[kId3v1GenreAt];
  fields.comment = tagText(tag, kId3v1CommentAt, kId3v1TextWidth);
  return fields;
}

Id3v1Bytes buildId3v1Tag(const Id3v1Fields& fields) {
  Id3v1Bytes tag{};
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  setTagText(tag, kId3v1TitleAt, kId3v1TextWidth, fields.title);
  setTagText(tag, kId3v1ArtistAt, kId3v1TextWidth, fields.artist);
  setTagText(tag, kId3v1AlbumAt, kId3v1TextWidth, fields.album);
  setTagText(tag, kId3v1YearAt, kId3v1YearWidth, fields.year);
  const int track = std::clamp(fields.track, 0, 255);
  setTagText(tag, kId3v1CommentAt, track != 0 ? kId3v11CommentWidth : kId3v1TextWidth, fields.comment);
  if (track != 0) tag[kId3v1TrackAt] = static_cast<uint8_t>(track);
  tag[kId3v1GenreAt] = static_cast<uint8_t>(std::clamp(fields.genre, 0, 255));
  return tag;
}

bool namesFromCurrentCue(const EditRangeTable& edits, Id3v1Fields& fields) {
  const int index = edits.currentRange;
  if (index < 0 || index >= edits.count) return false;
  const EditRange& range = edits.ranges[static_cast<size_t>(index)];
  fields.title = range.title;
  fields.artist = !range.artist.empty() ? range.artist : edits.sheetArtist;
  fields.album = edits.sheetTitle;
  fields.year.clear();
  fields.comment.clear();
  fields.track = index + 1;
  fields.genre = kId3v1NoGenre;
  return true;
}

}  // namespace quillane
