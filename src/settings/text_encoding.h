#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillane {

// True when `bytes` is well-formed UTF-8: no overlong forms, no surrogates
// (U+D800..U+DFFF), nothing above U+10FFFF, no truncated sequences.
// NUL bytes are valid (U+0000).
bool isValidUtf8(std::string_view bytes);

// The length (1..4) of the well-formed UTF-8 sequence at text[pos], 0 when none
// starts there (a stray continuation byte, an overlong form, a surrogate, a cut-off
// sequence).
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos);

// Converts Windows-1252 bytes to UTF-8. 0x80..0x9F follow the code page's
// table; its five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 controls with the same number, as most converters do. 0xA0..0xFF are
// the Latin-1 characters.
std::string windows1252ToUtf8(std::string_view bytes);

// Text read from a file: a UTF-8 byte order mark at the start is dropped;
// the rest is kept as it is when it is valid UTF-8 and converted as
// Windows-1252 otherwise. The decision is made once for the whole input.
std::string fileTextToUtf8(std::string_view bytes);

// Latin-1 (ISO 8859-1) bytes to UTF-8: every byte is the code point of the
// same number.
std::string latin1ToUtf8(std::string_view bytes);

// UTF-8 to Latin-1: characters U+0000..U+00FF become their byte, every other
// character becomes '?'. Each byte of a malformed sequence also becomes '?'.
std::string utf8ToLatin1(std::string_view text);

}  // namespace quillane
