#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/edit_range.h"

namespace quillane {

// The 128 bytes of an ID3v1 / ID3v1.1 tag at the end of a file:
//   0 "TAG", 3 title (30), 33 artist (30), 63 album (30), 93 year (4),
//   97 comment (30; in ID3v1.1 28 bytes, byte 125 = 0 and byte 126 = track), 127 genre.
// Texts are Latin-1, padded with zero bytes.
constexpr size_t kId3v1Size = 128;
using Id3v1Bytes = std::array<uint8_t, kId3v1Size>;

constexpr size_t kId3v1TitleAt = 3;
constexpr size_t kId3v1ArtistAt = 33;
constexpr size_t kId3v1AlbumAt = 63;
constexpr size_t kId3v1YearAt = 93;
constexpr size_t kId3v1CommentAt = 97;
constexpr size_t kId3v1ZeroByteAt = 125;
constexpr size_t kId3v1TrackAt = 126;
constexpr size_t kId3v1GenreAt = 127;
constexpr size_t kId3v1TextWidth = 30;
constexpr size_t kId3v1YearWidth = 4;
constexpr size_t kId3v11CommentWidth = 28;
constexpr uint8_t kId3v1NoGenre = 255;

// The tag as the "File info" dialog shows and edits it; texts in UTF-8.
struct Id3v1Fields {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string comment;
  int track = 0;  // 0: none (an ID3v1.0 tag)
  int genre = kId3v1NoGenre;
};

// True when the bytes begin with "TAG".
bool hasTagHeader(const Id3v1Bytes& tag);

// The text of a field (up to its first zero byte, at most width bytes) as UTF-8.
std::string tagText(const Id3v1Bytes& tag, size_t at, size_t width);
// Writes text as Latin-1 into a field: at most width characters, the rest zero bytes.
void setTagText(Id3v1Bytes& tag, size_t at, size_t width, const std::string& text);

// The dialog's fields from a tag that begins with "TAG". The track is shown when
// byte 125 is 0 and byte 126 is above 0 as a signed byte. A genre byte of 0 is
// changed to 255 in the tag itself and shown as 255.
Id3v1Fields readId3v1Fields(Id3v1Bytes& tag);

// The tag that "OK" builds from the fields: zero bytes, "TAG", the texts cut to
// their widths, the year to 4; with a track the comment takes at most 28
// characters, byte 125 stays 0 and byte 126 is the track; without one the comment
// takes 30. Track and genre are held within 0..255.
Id3v1Bytes buildId3v1Tag(const Id3v1Fields& fields);

// "Get names from current cue": title and artist of range currentRange (the artist
// falling back to sheetArtist), album sheetTitle, year and comment empty, track the
// range's index + 1, genre 255. With no current range the fields stay as they are
// and false is returned.
bool namesFromCurrentCue(const EditRangeTable& edits, Id3v1Fields& fields);

}  // namespace quillane
