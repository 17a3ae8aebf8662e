#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "edit/edit_session.h"
#include "settings/safe_writer.h"

namespace quillane {

// Paths and lines as project files and cue sheets hold them. Such files travel
// between systems, so both '/' and '\\' separate folders when a file is read, and
// a path counts as absolute when it begins with a separator or with a drive
// ("C:"). What this program writes uses '/'.

bool isPathSeparator(char c);

// Absolute as a project file or cue sheet means it: the second character is ':'
// or the first is a separator.
bool isAbsolutePathText(std::string_view path);

// Everything up to and including the last separator; "" when there is none.
std::string directoryPart(std::string_view path);

// The index of the '.' that starts the file name's extension, std::string_view::npos
// when the file name (the part after the last separator) has no '.'.
std::size_t extensionStart(std::string_view path);

// The audio path that `value`, read from the project file or cue sheet at
// documentPath, names. A drive path ("C:\Music\x.mp3") is taken unchanged. Any
// other has its backslashes turned into '/', and a relative one is looked up below
// the document's folder ("sub\x.mp3" beside "/a/p.qlp" is "/a/sub/x.mp3").
std::string resolveDocumentPath(std::string_view value, std::string_view documentPath);

// The audio path as a cue sheet at sheetPath names it: relative when the audio
// file lies in the sheet's folder or below it, else in full. The leading folders
// that both paths share are stripped, each compared with its trailing separator,
// letter case included; when the rest of the sheet's path still holds a folder,
// the full audio path is the answer. Written with '/'.
std::string pathForDocument(std::string_view audioPath, std::string_view sheetPath);

// Every '\\' turned into '/'.
std::string withForwardSlashes(std::string_view path);

// A decimal integer as these files write them: leading white space and a sign
// are accepted, reading stops at the first non-digit, no digits give 0. Values
// beyond the range of int64_t saturate.
int64_t parseDecimalInteger(std::string_view text);

// The same, clamped to the range of int32_t.
int32_t parseDecimalInteger32(std::string_view text);

// A decimal number with an optional fraction ("12", "-1.5", " 3."): leading white
// space and a sign accepted, reading stops at the first character that doesn't
// fit, no digits give 0. No exponents, no "inf" or "nan"; the magnitude is capped
// at 1e15.
double parseDecimalNumber(std::string_view text);

// Files larger than this are not taken for project files or cue sheets.
constexpr int64_t kMaxDocumentBytes = 16 * 1024 * 1024;

// Reads a whole project file or cue sheet as UTF-8 text (fileTextToUtf8: valid
// UTF-8 is kept, anything else is taken as Windows-1252). False when the file
// can't be read or is larger than kMaxDocumentBytes.
bool readDocumentText(const std::string& path, std::string& text);

// Walks the lines of a text. A line ends with "\r\n", "\n" or a lone "\r" (removed);
// the last line needs no line end. The text of a line ends at its first NUL character, and
// only its first maxChars characters are kept (counted as UTF-8 characters, never
// split); the rest of an overlong line is dropped, it does not make a line of its
// own.
class LineReader {
 public:
  LineReader(std::string_view text, std::size_t maxChars) : text_(text), maxChars_(maxChars) {}
  // False at the end of the text.
  bool next(std::string& line);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t maxChars_;
};

// True when path names a folder. Opening one as an audio file must be refused
// before the scan: a folder reads as a file of absurd length.
bool isFolder(const std::string& path);

// Opens the audio file that a project file or cue sheet names (stream.sourcePath)
// and puts it on the recent list, as opening it by hand would. False when it is a
// folder or does not open as audio.
bool openDocumentAudio(AudioStream& stream, Settings& settings);

// Where a project file or cue sheet goes: session.projectPath, never over the open
// source, over an existing file only when session.save.replaceExisting.
WriteTarget documentTarget(const EditSession& session);

// Writes text as the whole of the document at session.projectPath through a
// SafeWriter (documentTarget). False when it could not be written whole; then
// session.save.writeError says which file and why, and any old file of that name
// is as it was.
bool writeDocumentText(EditSession& session, std::string_view text);

}  // namespace quillane
