#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "edit/id3v2_main_fields.h"
#include "stream/binary_file.h"

namespace quillane {

// The length of the ID3v2 tag whose 10-byte header is `header`: the header, the
// size it gives (syncsafe) and the footer when it has one; 0 when it is none.
int64_t id3v2TagLength(const uint8_t* header, size_t size);

// The bytes of the ID3v2 tag at the file's start, whatever its size; empty when
// the file has none (or it runs past the end of the file).
std::vector<uint8_t> readId3v2Tag(BinaryFile& file);

// What a split piece's tag says of the piece.
struct Id3v2PieceFields {
  std::string title;   // UTF-8; empty: the source's title is removed
  std::string artist;  // UTF-8; empty: the source's artist stays
  std::string album;   // UTF-8; empty: the source's album stays
  int64_t track = 0;
  int64_t total = 0;   // the number of pieces
};

struct Id3v2Rewrite {
  std::vector<uint8_t> bytes;  // the tag to write; the source's bytes when it could not be read
  std::string problem;         // why the source's tag could not be read: empty when it could
};

// The source's tag (`tag`, as readId3v2Tag gives it) for one piece, read and written
// by TagLib: every frame of the source kept (pictures, comments and the frames
// TagLib does not interpret included), the title, artist, album and track
// ("n/total") of `fields` set, written in the source's version (2.3 or 2.4). A tag
// TagLib cannot read is left as it was, with the reason in `problem`.
Id3v2Rewrite id3v2TagForPiece(const std::vector<uint8_t>& tag, const Id3v2PieceFields& fields);

// The main fields of a tag (as readId3v2Tag gives it) as TagLib reads them.
struct Id3v2Reading {
  Id3v2MainFields fields;  // all empty for no tag or one that cannot be read
  std::string problem;     // why the tag cannot be read or written again: empty when it can
};
Id3v2Reading id3v2MainFields(const std::vector<uint8_t>& tag);

// The tag with the main fields set to `fields`, read and written by TagLib: only
// the fields that differ from the tag's are changed (an empty one removes its
// frame), every other frame is kept and the tag's version (2.3 or 2.4) too. No
// tag (`tag` empty) gives a new ID3v2.4 tag, or none when every field is empty.
// A tag TagLib cannot read is left as it was, with the reason in `problem`.
Id3v2Rewrite id3v2TagWithFields(const std::vector<uint8_t>& tag, const Id3v2MainFields& fields);

// The frames of a tag as TagLib reads them: "ID=text" for text frames, "ID" for
// the others, in order. Empty for a tag it cannot read.
std::vector<std::string> id3v2FrameList(const std::vector<uint8_t>& tag);

}  // namespace quillane
