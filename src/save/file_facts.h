#pragma once

#include <cstdint>
#include <string>

#include "edit/edit_session.h"
#include "save/id3v1_tag.h"

namespace quillane {

// At most this many bytes before the first audio frame are shown.
constexpr int64_t kLeadingDataShown = 3000;

// A count with "." between groups of three digits: 1234567 gives "1.234.567".
std::string groupThousands(int64_t value);

// The eight values beside the labels of the "File information" box, one a line:
// file size, first audio frame, current position (grouped, "bytes"), current and
// average bit rate, current and average frame size, and "Yes" (with the Xing
// frame count) or "No".
std::string fileFactsText(const EditSession& session);

// What the "File header" box shows: empty when the file starts with a frame;
// otherwise the explanation, a blank line and the first bytes before the first
// frame (at most kLeadingDataShown), each byte outside 0x20..0x7F shown as ".".
// The source's read position is kept.
std::string leadingDataText(EditSession& session);

// The state of the ID3v1 part of the dialog when it opens.
struct FileInfoTagView {
  bool tagPresent = false;  // the tag begins with "TAG"; otherwise the fields stay empty
  bool useTag = false;      // "Use ID3v1 Tag"; also whether the fields are enabled
  Id3v1Fields fields;
};

// Reads the tag for the dialog (a genre byte of 0 becomes 255 in the tag itself).
FileInfoTagView openFileInfoTag(EditSession& session);

// "OK": keep_id3v2 as the dialog decides, hasId3v1 from "Use ID3v1 Tag", and the
// tag rebuilt from the fields.
void applyFileInfoTag(EditSession& session, bool useTag, bool keepId3v2, const Id3v1Fields& fields);

}  // namespace quillane
