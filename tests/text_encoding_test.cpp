#include "settings/text_encoding.h"

#include <iconv.h>

#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace quillane {
namespace {

// glibc's converter as an independent reference; empty when it rejects the input.
std::string iconvToUtf8(const char* from, const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string input = in;
  std::string out(16 * in.size() + 16, '\0');
  char* inPtr = input.data();
  size_t inLeft = input.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

TEST(Utf8Validation, AcceptsWellFormedText) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("plain ASCII =#[]"));
  EXPECT_TRUE(isValidUtf8(std::string("with\0NUL", 8)));
  EXPECT_TRUE(isValidUtf8("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"));          // äöüß
  EXPECT_TRUE(isValidUtf8("\xE2\x82\xAC"));                              // €
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x8E\xB5"));                          // U+1F3B5
  EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));                          // U+10FFFF
  EXPECT_TRUE(isValidUtf8("\xED\x9F\xBF"));                              // U+D7FF
  EXPECT_TRUE(isValidUtf8("\xEE\x80\x80"));                              // U+E000
  EXPECT_TRUE(isValidUtf8("\xEF\xBB\xBF" "BOM"));
}

TEST(Utf8Validation, RejectsMalformedText) {
  EXPECT_FALSE(isValidUtf8("\xE4"));                  // Windows-1252 ä
  EXPECT_FALSE(isValidUtf8("M\xF6glich"));            // ö in Windows-1252
  EXPECT_FALSE(isValidUtf8("\x80"));                  // lone continuation byte
  EXPECT_FALSE(isValidUtf8("\xC3"));                  // truncated at the end
  EXPECT_FALSE(isValidUtf8("\xE2\x82"));
  EXPECT_FALSE(isValidUtf8("\xE2\x82x"));             // continuation missing
  EXPECT_FALSE(isValidUtf8("\xC0\x80"));              // overlong NUL
  EXPECT_FALSE(isValidUtf8("\xC1\xBF"));
  EXPECT_FALSE(isValidUtf8("\xE0\x80\x80"));          // overlong 3-byte
  EXPECT_FALSE(isValidUtf8("\xF0\x80\x80\x80"));      // overlong 4-byte
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));          // surrogate U+D800
  EXPECT_FALSE(isValidUtf8("\xED\xBF\xBF"));          // surrogate U+DFFF
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));      // above U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xF5\x80\x80\x80"));
  EXPECT_FALSE(isValidUtf8("\xFF"));
  EXPECT_FALSE(isValidUtf8("\xFE"));
}

TEST(Windows1252, EveryDefinedByteMatchesTheSystemConverter) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
    const std::string in(1, static_cast<char>(b));
    const std::string expected = iconvToUtf8("WINDOWS-1252", in);
    ASSERT_FALSE(expected.empty()) << "iconv rejected byte " << b;
    EXPECT_EQ(windows1252ToUtf8(in), expected) << "byte " << b;
  }
}

TEST(Windows1252, HighTableAndUndefinedBytes) {
  EXPECT_EQ(windows1252ToUtf8("\x80"), "\xE2\x82\xAC");        // €
  EXPECT_EQ(windows1252ToUtf8("\x8A"), "\xC5\xA0");            // Š
  EXPECT_EQ(windows1252ToUtf8("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
  EXPECT_EQ(windows1252ToUtf8("\x99"), "\xE2\x84\xA2");        // ™
  EXPECT_EQ(windows1252ToUtf8("\x9F"), "\xC5\xB8");            // Ÿ
  // The undefined bytes become the C1 control of the same number.
  EXPECT_EQ(windows1252ToUtf8("\x81"), "\xC2\x81");
  EXPECT_EQ(windows1252ToUtf8("\x8D"), "\xC2\x8D");
  EXPECT_EQ(windows1252ToUtf8("\x8F"), "\xC2\x8F");
  EXPECT_EQ(windows1252ToUtf8("\x90"), "\xC2\x90");
  EXPECT_EQ(windows1252ToUtf8("\x9D"), "\xC2\x9D");
  EXPECT_EQ(windows1252ToUtf8("Nicht m\xF6glich \xE4\xFC\xDF\xFF"),
            "Nicht m\xC3\xB6glich \xC3\xA4\xC3\xBC\xC3\x9F\xC3\xBF");
  EXPECT_EQ(windows1252ToUtf8(""), "");
}

TEST(Windows1252, AllBytesGiveValidUtf8WithOneCharacterEach) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string out = windows1252ToUtf8(all);
  EXPECT_TRUE(isValidUtf8(out));
  int leadBytes = 0;
  for (char c : out)
    if ((static_cast<std::uint8_t>(c) & 0xC0) != 0x80) ++leadBytes;
  EXPECT_EQ(leadBytes, 256);
}

TEST(FileText, ValidUtf8StaysAndOtherTextIsWindows1252) {
  EXPECT_EQ(fileTextToUtf8("Gr\xC3\xB6\xC3\x9F" "e"), "Gr\xC3\xB6\xC3\x9F" "e");
  EXPECT_EQ(fileTextToUtf8("Gr\xF6\xDF" "e"), "Gr\xC3\xB6\xC3\x9F" "e");
  EXPECT_EQ(fileTextToUtf8(""), "");
  // One invalid byte anywhere decides for the whole text: the UTF-8 pair of
  // the first word is then read as two Windows-1252 characters.
  EXPECT_EQ(fileTextToUtf8("\xC3\xB6\n\xF6"), "\xC3\x83\xC2\xB6\n\xC3\xB6");
}

TEST(FileText, ByteOrderMarkAtTheStartIsDropped) {
  EXPECT_EQ(fileTextToUtf8("\xEF\xBB\xBF" "abc"), "abc");
  EXPECT_EQ(fileTextToUtf8("\xEF\xBB\xBF"), "");
  EXPECT_EQ(fileTextToUtf8("\xEF\xBB\xBF" "\xC3\xA4"), "\xC3\xA4");
  // Dropped also when the rest is not UTF-8.
  EXPECT_EQ(fileTextToUtf8("\xEF\xBB\xBF" "\xE4"), "\xC3\xA4");
  // Only at the start: elsewhere it is an ordinary (valid) character.
  EXPECT_EQ(fileTextToUtf8("a\xEF\xBB\xBF"), "a\xEF\xBB\xBF");
  // An incomplete mark is no mark.
  EXPECT_EQ(fileTextToUtf8("\xEF\xBB"), "\xC3\xAF\xC2\xBB");
}

TEST(Latin1, RoundTripOfEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = latin1ToUtf8(all);
  EXPECT_TRUE(isValidUtf8(utf8));
  EXPECT_EQ(utf8, iconvToUtf8("ISO-8859-1", all));
  EXPECT_EQ(utf8ToLatin1(utf8), all);
  // 0x80..0x9F are C1 controls in Latin-1, not the Windows-1252 letters.
  EXPECT_EQ(latin1ToUtf8("\x80"), "\xC2\x80");
}

TEST(Latin1, CharactersOutsideBecomeQuestionMarks) {
  EXPECT_EQ(utf8ToLatin1("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(utf8ToLatin1("5 \xE2\x82\xAC"), "5 ?");                 // € is not Latin-1
  EXPECT_EQ(utf8ToLatin1("a\xF0\x9F\x8E\xB5" "b"), "a?b");          // one ? per character
  EXPECT_EQ(utf8ToLatin1("\xC5\x81\xC3\xB3" "d\xC5\xBA"), "?\xF3" "d?");  // Łódź
  EXPECT_EQ(utf8ToLatin1(""), "");
  // Malformed input: every stray byte becomes one '?'.
  EXPECT_EQ(utf8ToLatin1("x\xE4y"), "x?y");
  EXPECT_EQ(utf8ToLatin1("\xE2\x82"), "??");
  EXPECT_EQ(utf8ToLatin1("\xC0\x80"), "??");
  EXPECT_EQ(utf8ToLatin1("\xED\xA0\x80"), "???");
}

TEST(Encodings, RandomBytesNeverGiveInvalidOutput) {
  std::mt19937 rng(20240611u);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 300);
  for (int round = 0; round < 2000; ++round) {
    std::string in(static_cast<size_t>(length(rng)), '\0');
    for (char& c : in) c = static_cast<char>(byte(rng));
    EXPECT_TRUE(isValidUtf8(windows1252ToUtf8(in)));
    EXPECT_TRUE(isValidUtf8(fileTextToUtf8(in)));
    const std::string utf8 = latin1ToUtf8(in);
    ASSERT_EQ(utf8ToLatin1(utf8), in);
    const std::string latin = utf8ToLatin1(in);
    EXPECT_LE(latin.size(), in.size());
    if (isValidUtf8(in)) {
      EXPECT_EQ(fileTextToUtf8(in), in.rfind("\xEF\xBB\xBF", 0) == 0 ? in.substr(3) : in);
    }
  }
}

}  // namespace
}  // namespace quillane
