#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

constexpr int kUiTextCount = 313;

// The table of user-interface texts, index 0..312. An entry holds a built-in
// text, a text from the language file (loaded[i] is true) or nothing.
struct UiText {
  std::array<std::string, kUiTextCount> text;
  std::array<bool, kUiTextCount> loaded{};  // true where a language file supplied the entry
};

// Clears every entry, then sets the built-in English texts.
void setBuiltInTexts(UiText& table);

// Reads "lan" + name + ".ini" from the first folder of `folders` (in order)
// that holds such a regular file and applies its lines to the table.
// Returns false, and changes nothing, when the name is empty or contains a
// path separator or NUL, when no folder holds the file, or when the first
// file found can't be read (later folders are then not tried; files over
// 16 MiB are refused as well).
//
// The file's bytes are taken as UTF-8 when the whole file is valid UTF-8 and
// as Windows-1252 otherwise (a UTF-8 byte order mark is dropped). Lines are
// read as by a reader with a buffer of 800: a line is at most 799 characters
// including its line end, and a longer physical line continues as further
// lines. A line end is "\n" or "\r\n" and is removed; a piece without a line
// end (cut at 799 characters or the last line of the file) is kept whole.
// A NUL character ends the text of its line, as it would in a C string.
bool loadLanguageFile(UiText& table, const std::string& name,
                      const std::vector<std::filesystem::path>& folders);

// Start-up: the built-in texts, then the language named by `language`. On an
// empty name or a file that can't be read the built-ins stay and `language`
// is cleared.
void loadUiText(UiText& table, std::string& language,
                const std::vector<std::filesystem::path>& folders);

// Empties every entry that a language file supplied. Built-in texts stay.
void releaseUiText(UiText& table);

// The text of an entry; an empty string for an unset or out-of-range index.
const std::string& uiText(const UiText& table, int index);

// A text of the table with its "%d"s replaced by `numbers` in order (a "%d" beyond
// them stays as it is) and every "%%" by "%". A language file's text is never
// handed to printf, whatever it holds.
std::string withNumbers(std::string_view format, std::initializer_list<int64_t> numbers);

}  // namespace quillane
