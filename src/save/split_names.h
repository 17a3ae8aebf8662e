#pragma once

#include <cstdint>
#include <string>

namespace quillane {

// Longest destination path (in bytes) that the pattern may still add to; the
// addition that crosses it is the last one, then the extension follows.
constexpr size_t kSplitPathLimit = 250;

// What the codes of a split file-name pattern stand for. Empty texts are
// missing names and expand to nothing.
struct SplitNameFields {
  int64_t trackNumber = 1;  // %N
  bool threeDigits = false;  // the edit-range list holds more than 99 ranges
  std::string title;         // %T: the title of the split point where the piece begins
  std::string artist;        // %A: its artist
  std::string albumTitle;    // %C: the cue sheet's title
  std::string albumArtist;   // %D: the cue sheet's performer
};

// True for the characters that separate folders in a path on this system.
bool isSavePathSeparator(char c);
// The separator this system writes.
char savePathSeparator();

// The folder part of path, up to and including its last separator ("" when none).
std::string savePathFolder(const std::string& path);

// The extension of the file named by path: from the last "." of its file name,
// the dot included; "" when the file name has no dot.
std::string sourceExtension(const std::string& path);

// The track number as %N writes it: at least two digits, or three when threeDigits.
std::string formatTrackNumber(int64_t number, bool threeDigits);

// Puts an underscore in place of each * | / \ ? : " < > of name.
std::string replaceFileNameCharacters(std::string name);

// The path of one split piece: folder (ending with a separator), the pattern with
// its codes expanded and the forbidden characters of the name replaced, and the
// extension of sourcePath. Expanding stops once the path is longer than
// kSplitPathLimit; a "%" before any other character is copied as it is.
std::string splitPiecePath(const std::string& folder, const std::string& pattern, const SplitNameFields& fields,
                           const std::string& sourcePath);

}  // namespace quillane
