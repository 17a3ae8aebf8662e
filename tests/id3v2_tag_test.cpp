#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "save/id3v2_tag.h"
#include "support/id3v2_tags.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

// The cover picture of id3v2_big.mp3's tag (`big`) came through byte for byte.
void expectCoverKept(const Bytes& big, const Bytes& rewritten) {
  const Bytes png = {0x89, 'P', 'N', 'G'};
  const auto sourcePng = std::search(big.begin(), big.end(), png.begin(), png.end());
  const auto rewrittenPng = std::search(rewritten.begin(), rewritten.end(), png.begin(), png.end());
  ASSERT_NE(sourcePng, big.end());
  ASSERT_NE(rewrittenPng, rewritten.end());
  const size_t pngSize = 60000;  // most of the picture: it is the tag's bulk
  EXPECT_TRUE(std::equal(sourcePng, sourcePng + pngSize, rewrittenPng));
}

TEST(Id3v2Tag, ReadsTheWholeTagWhateverItsSize) {
  struct Case {
    const char* name;
    size_t length;  // measured: 10 + the syncsafe size
  };
  for (const Case& c : {Case{"id3v2.mp3", 463}, Case{"id3v1v2.mp3", 357}, Case{"id3v2_big.mp3", 94500},
                        Case{"cbr128_info.mp3", 0}, Case{"id3v1.mp3", 0}}) {
    SCOPED_TRACE(c.name);
    const Bytes tag = test::id3v2TagOf(c.name);
    EXPECT_EQ(tag.size(), c.length);
    const Bytes file = test::readBytes(test::dataPath(c.name));
    EXPECT_TRUE(std::equal(tag.begin(), tag.end(), file.begin()));
  }
  // A footer adds ten bytes; sizes that are not syncsafe are no tag.
  const uint8_t footer[10] = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 1, 0};
  EXPECT_EQ(id3v2TagLength(footer, 10), 10 + 128 + 10);
  const uint8_t bad[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0};
  EXPECT_EQ(id3v2TagLength(bad, 10), 0);
  EXPECT_EQ(id3v2TagLength(footer, 9), 0);
}

TEST(Id3v2Tag, APieceKeepsEveryFrameWithItsOwnTitleArtistAndTrack) {
  Id3v2PieceFields fields;
  fields.title = "Piece \xC3\xA9";  // UTF-8
  fields.artist = "Someone Else";
  fields.track = 3;
  fields.total = 12;
  for (const char* name : {"id3v2.mp3", "id3v1v2.mp3", "id3v2_big.mp3"}) {
    SCOPED_TRACE(name);
    const Bytes source = test::id3v2TagOf(name);
    const Id3v2Rewrite piece = id3v2TagForPiece(source, fields);
    EXPECT_EQ(piece.problem, "");
    EXPECT_EQ(piece.bytes[3], source[3]);  // the source's version
    std::vector<std::string> frames = id3v2FrameList(piece.bytes);
    std::vector<std::string> before = id3v2FrameList(source);
    // The piece's own fields, and no stale length.
    for (const char* own : {"TIT2=Piece \xC3\xA9", "TPE1=Someone Else", "TRCK=3/12"})
      EXPECT_NE(std::find(frames.begin(), frames.end(), own), frames.end()) << own;
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const std::string& f) { return f.rfind("TLEN", 0) == 0; }),
              0);
    // Everything else as it was.
    const auto replaced = [](const std::string& f) {
      return f.rfind("TIT2", 0) == 0 || f.rfind("TPE1", 0) == 0 || f.rfind("TRCK", 0) == 0 || f.rfind("TLEN", 0) == 0;
    };
    std::erase_if(frames, replaced);
    std::erase_if(before, replaced);
    std::sort(frames.begin(), frames.end());
    std::sort(before.begin(), before.end());
    EXPECT_EQ(frames, before);
  }
  const Bytes big = test::id3v2TagOf("id3v2_big.mp3");
  expectCoverKept(big, id3v2TagForPiece(big, fields).bytes);
}

bool contains(const Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(Id3v2Tag, TheMainFieldsOfTagsWrittenByLameAndFfmpeg) {
  struct Case {
    const char* name;
    Id3v2MainFields fields;
  };
  const Case cases[] = {
      {"id3v2.mp3",
       {.title = "Test Tone Two",
        .artist = "Quillane Tester",
        .comment = "ID3v2 test comment: a few words so that the tag is not tiny."}},
      {"id3v1v2.mp3",
       {.title = "Test Tone Three",
        .artist = "Quillane Tester",
        .album = "Quillane Test Data",
        .year = "2024",  // TYER in this ID3v2.3 tag
        .track = "3",
        .genre = "Jazz",
        .comment = "both tags"}},
      {"id3v2_big.mp3", {.title = "Big Tag", .artist = "Quillane Tester", .album = "Quillane Test Data", .track = "4"}},
      {"id3v24.mp3",
       {.title = "Gr\xC3\xBC\xC3\x9F" "e f\xC3\xBCr 5 \xE2\x82\xAC",
        .artist = "Quillane Tester",
        .album = "Quillane Test Data",
        .year = "2025",
        .track = "2/9",
        .genre = "Ambient"}},
      {"cbr128_info.mp3", {}},  // no tag
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Id3v2Reading reading = id3v2MainFields(test::id3v2TagOf(c.name));
    EXPECT_EQ(reading.problem, "");
    EXPECT_EQ(reading.fields.title, c.fields.title);
    EXPECT_EQ(reading.fields.artist, c.fields.artist);
    EXPECT_EQ(reading.fields.album, c.fields.album);
    EXPECT_EQ(reading.fields.year, c.fields.year);
    EXPECT_EQ(reading.fields.track, c.fields.track);
    EXPECT_EQ(reading.fields.genre, c.fields.genre);
    EXPECT_EQ(reading.fields.comment, c.fields.comment);
  }
}

TEST(Id3v2Tag, EditedFieldsChangeOnlyTheirFramesInTheTagsOwnVersion) {
  const Id3v2MainFields& edited = test::kEditedMainFields;
  for (const char* name : {"id3v2.mp3", "id3v1v2.mp3", "id3v2_big.mp3", "id3v24.mp3"}) {
    SCOPED_TRACE(name);
    const Bytes source = test::id3v2TagOf(name);
    const Id3v2Rewrite rewrite = id3v2TagWithFields(source, edited);
    ASSERT_EQ(rewrite.problem, "");
    EXPECT_EQ(rewrite.bytes[3], source[3]);
    EXPECT_EQ(id3v2MainFields(rewrite.bytes).fields, edited);
    EXPECT_EQ(test::framesBesideMainFields(rewrite.bytes), test::framesBesideMainFields(source));
    // An ID3v2.3 tag gets its year as TYER, which TagLib reads as TDRC.
    EXPECT_EQ(contains(rewrite.bytes, "TYER"), source[3] == 3);
    EXPECT_EQ(contains(rewrite.bytes, "TDRC"), source[3] == 4);
  }

  // One field changed, one emptied: the other fields' frames keep their text.
  const Bytes source = test::id3v2TagOf("id3v1v2.mp3");
  Id3v2MainFields some = id3v2MainFields(source).fields;
  some.title = "Only the title";
  some.comment.clear();
  const Bytes changed = id3v2TagWithFields(source, some).bytes;
  std::vector<std::string> before = id3v2FrameList(source);
  std::vector<std::string> after = id3v2FrameList(changed);
  std::erase_if(before, [](const std::string& f) { return f.rfind("TIT2", 0) == 0 || f == "COMM"; });
  EXPECT_EQ(std::erase(after, "TIT2=Only the title"), 1u);
  EXPECT_EQ(std::count(after.begin(), after.end(), "COMM"), 0);
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before);

  const Bytes big = test::id3v2TagOf("id3v2_big.mp3");
  expectCoverKept(big, id3v2TagWithFields(big, test::kEditedMainFields).bytes);
}

TEST(Id3v2Tag, FieldsForAFileWithoutATagMakeAVersion4Tag) {
  const Id3v2MainFields fields = {.title = "New", .year = "2026", .track = "1/2", .comment = "made here"};
  const Bytes tag = id3v2TagWithFields({}, fields).bytes;
  ASSERT_GT(tag.size(), 10u);
  EXPECT_EQ(std::string(tag.begin(), tag.begin() + 4), "ID3\x04");
  const Id3v2Reading reading = id3v2MainFields(tag);
  EXPECT_EQ(reading.problem, "");
  EXPECT_EQ(reading.fields, fields);
  // Nothing filled in: no tag.
  EXPECT_TRUE(id3v2TagWithFields({}, Id3v2MainFields{}).bytes.empty());
}

TEST(Id3v2Tag, ADamagedTagIsReportedAndLeftAsItWas) {
  Id3v2PieceFields fields;
  fields.title = "Piece";
  fields.track = 1;
  const Bytes source = test::id3v2TagOf("id3v1v2.mp3");
  struct Case {
    const char* what;
    size_t at;
    uint8_t value;
  };
  // The second frame's ID, a frame size past the end, and whole-tag unsynchronisation.
  for (const Case& c : {Case{"bad frame id", 10 + 10 + 4 + 44, 0x01}, Case{"size past the end", 10 + 4, 0x7F},
                        Case{"unsynchronised", 5, 0x80}}) {
    SCOPED_TRACE(c.what);
    Bytes damaged = source;
    damaged[c.at] = c.value;
    const Id3v2Rewrite piece = id3v2TagForPiece(damaged, fields);
    EXPECT_NE(piece.problem, "");
    EXPECT_EQ(piece.bytes, damaged);
    const Id3v2Rewrite edited = id3v2TagWithFields(damaged, {.title = "Edited"});
    EXPECT_EQ(edited.problem, piece.problem);
    EXPECT_EQ(edited.bytes, damaged);
    const Id3v2Reading reading = id3v2MainFields(damaged);
    EXPECT_EQ(reading.problem, piece.problem);
    EXPECT_EQ(reading.fields, Id3v2MainFields{});
  }
  const Bytes garbage(200, 0x41);
  EXPECT_NE(id3v2TagForPiece(garbage, fields).problem, "");
  EXPECT_NE(id3v2MainFields(garbage).problem, "");
}

}  // namespace
}  // namespace quillane
