#pragma once

#include <string>

namespace quillane {

// The main fields of an ID3v2 tag, as the file info dialog shows and edits them.
// UTF-8; an empty field is a frame the tag does not have. (Every member has an
// initialiser, so that a table may name only the fields it sets.)
struct Id3v2MainFields {
  std::string title{};    // TIT2
  std::string artist{};   // TPE1
  std::string album{};    // TALB
  std::string year{};     // TDRC (TYER in an ID3v2.3 tag)
  std::string track{};    // TRCK: "n" or "n/total"
  std::string genre{};    // TCON: a name; an ID3v1 genre number is shown as its name
  std::string comment{};  // the COMM frame without a description

  bool operator==(const Id3v2MainFields&) const = default;
};

}  // namespace quillane
