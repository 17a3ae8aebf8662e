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
  // The cover picture comes through byte for byte.
  const Bytes big = test::id3v2TagOf("id3v2_big.mp3");
  const Bytes piece = id3v2TagForPiece(big, fields).bytes;
  const Bytes png = {0x89, 'P', 'N', 'G'};
  const auto sourcePng = std::search(big.begin(), big.end(), png.begin(), png.end());
  const auto piecePng = std::search(piece.begin(), piece.end(), png.begin(), png.end());
  ASSERT_NE(sourcePng, big.end());
  ASSERT_NE(piecePng, piece.end());
  const size_t pngSize = 60000;  // most of the picture: it is the tag's bulk
  EXPECT_TRUE(std::equal(sourcePng, sourcePng + pngSize, piecePng));
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
  }
  const Bytes garbage(200, 0x41);
  EXPECT_NE(id3v2TagForPiece(garbage, fields).problem, "");
}

}  // namespace
}  // namespace quillane
