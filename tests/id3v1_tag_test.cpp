#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "save/id3v1_tag.h"
#include "support/test_files.h"

namespace quillane {
namespace {

// A tag byte for byte: the fields placed at their offsets, the rest zero.
Id3v1Bytes handMadeTag(const std::string& title, const std::string& artist, const std::string& album,
                       const std::string& year, const std::string& comment, int track, int genre) {
  Id3v1Bytes tag{};
  std::memcpy(tag.data(), "TAG", 3);
  std::memcpy(tag.data() + 3, title.data(), title.size());
  std::memcpy(tag.data() + 33, artist.data(), artist.size());
  std::memcpy(tag.data() + 63, album.data(), album.size());
  std::memcpy(tag.data() + 93, year.data(), year.size());
  std::memcpy(tag.data() + 97, comment.data(), comment.size());
  if (track > 0) tag[126] = static_cast<uint8_t>(track);
  tag[127] = static_cast<uint8_t>(genre);
  return tag;
}

TEST(Id3v1Tag, ReadsTheTagOfARealFile) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("id3v1.mp3")));
  ASSERT_TRUE(hasTagHeader(session.stream.id3v1Tag));
  // The file's last 128 bytes are the tag.
  const test::Bytes file = test::readBytes(test::dataPath("id3v1.mp3"));
  ASSERT_EQ(std::memcmp(session.stream.id3v1Tag.data(), file.data() + file.size() - 128, 128), 0);
  ASSERT_EQ(session.stream.id3v1Tag[127], 0);  // Blues

  const Id3v1Fields f = readId3v1Fields(session.stream.id3v1Tag);
  EXPECT_EQ(f.title, "Test Tone One");
  EXPECT_EQ(f.artist, "Ren\xC3\xA9 Tester");  // Latin-1 0xE9 shown as é
  EXPECT_EQ(f.album, "Quillane Test Data");
  EXPECT_EQ(f.year, "2024");
  EXPECT_EQ(f.comment, "ID3v1 test comment");
  EXPECT_EQ(f.track, 7);
  // Genre 0 is shown as 255 and changed to 255 in the tag itself.
  EXPECT_EQ(f.genre, 255);
  EXPECT_EQ(session.stream.id3v1Tag[127], 255);

  // Rebuilt from the fields it is the file's tag again, except for the genre now kept as 255.
  Id3v1Bytes expected{};
  std::memcpy(expected.data(), file.data() + file.size() - 128, 128);
  expected[127] = 255;
  EXPECT_EQ(buildId3v1Tag(f), expected);

  // The other tagged file: track 3, genre 8 (Jazz) stays.
  Session other;
  ASSERT_TRUE(test::openInSession(other, test::dataPath("id3v1v2.mp3")));
  const Id3v1Fields g = readId3v1Fields(other.stream.id3v1Tag);
  EXPECT_EQ(g.title, "Test Tone Three");
  EXPECT_EQ(g.track, 3);
  EXPECT_EQ(g.genre, 8);
  EXPECT_EQ(other.stream.id3v1Tag[127], 8);
}

TEST(Id3v1Tag, LayoutRoundTripWithLatin1Characters) {
  Id3v1Fields f;
  f.title = "Déjà vu";
  f.artist = "Björk Guðmundsdóttir";
  f.album = "Ñandú ©®";
  f.year = "1999";
  f.comment = "Größe ½";
  f.track = 12;
  f.genre = 17;
  const Id3v1Bytes tag = buildId3v1Tag(f);
  const Id3v1Bytes expected = handMadeTag("D\xE9j\xE0 vu", "Bj\xF6rk Gu\xF0mundsd\xF3ttir", "\xD1" "and\xFA \xA9\xAE",
                                          "1999", "Gr\xF6\xDF" "e \xBD", 12, 17);
  EXPECT_EQ(tag, expected);
  Id3v1Bytes copy = tag;
  const Id3v1Fields back = readId3v1Fields(copy);
  EXPECT_EQ(back.title, f.title);
  EXPECT_EQ(back.artist, f.artist);
  EXPECT_EQ(back.album, f.album);
  EXPECT_EQ(back.year, f.year);
  EXPECT_EQ(back.comment, f.comment);
  EXPECT_EQ(back.track, 12);
  EXPECT_EQ(back.genre, 17);
  EXPECT_EQ(copy, tag);
}

TEST(Id3v1Tag, TextsAreCutToTheirFieldsInCharacters) {
  Id3v1Fields f;
  f.title = std::string(35, 'T');
  std::string accents;
  for (int i = 0; i < 31; ++i) accents += "\xC3\xA9";  // 31 × é, 62 UTF-8 bytes
  f.artist = accents;
  f.album = "Euro \xE2\x82\xAC sign";  // outside Latin-1: '?'
  f.year = "20245";
  const Id3v1Bytes tag = buildId3v1Tag(f);
  EXPECT_EQ(tagText(tag, 3, 30), std::string(30, 'T'));
  for (int i = 33; i < 63; ++i) EXPECT_EQ(tag[i], 0xE9) << i;
  EXPECT_EQ(tagText(tag, 63, 30), "Euro ? sign");
  EXPECT_EQ(tagText(tag, 93, 4), "2024");
  EXPECT_EQ(tag[97], 0);  // empty comment
  EXPECT_EQ(tag[127], 255);
}

TEST(Id3v1Tag, CommentTakes28CharactersWithATrackAnd30Without) {
  const std::string comment30 = "abcdefghijklmnopqrstuvwxyz0123";
  ASSERT_EQ(comment30.size(), 30u);
  Id3v1Fields f;
  f.comment = comment30;
  f.genre = 12;
  f.track = 5;
  Id3v1Bytes tag = buildId3v1Tag(f);
  EXPECT_EQ(tagText(tag, 97, 30), comment30.substr(0, 28));
  EXPECT_EQ(tag[125], 0);
  EXPECT_EQ(tag[126], 5);
  EXPECT_EQ(tag[127], 12);
  EXPECT_EQ(readId3v1Fields(tag).track, 5);

  f.track = 0;
  tag = buildId3v1Tag(f);
  EXPECT_EQ(std::memcmp(tag.data() + 97, comment30.data(), 30), 0);
  EXPECT_EQ(tag[127], 12);  // the genre byte as entered
  const Id3v1Fields back = readId3v1Fields(tag);
  EXPECT_EQ(back.comment, comment30);
  EXPECT_EQ(back.track, 0);  // byte 125 is not zero: an ID3v1.0 tag
}

TEST(Id3v1Tag, TrackShownOnlyForAPositiveSignedByteAfterAZero) {
  Id3v1Bytes tag = handMadeTag("t", "", "", "", "c", 0, 3);
  tag[126] = 99;
  EXPECT_EQ(readId3v1Fields(tag).track, 99);
  tag[126] = 127;
  EXPECT_EQ(readId3v1Fields(tag).track, 127);
  tag[126] = 128;
  EXPECT_EQ(readId3v1Fields(tag).track, 0);
  tag[126] = 200;
  EXPECT_EQ(readId3v1Fields(tag).track, 0);
  tag[126] = 4;
  tag[125] = 'x';
  EXPECT_EQ(readId3v1Fields(tag).track, 0);
}

TEST(Id3v1Tag, GenreZeroBecomes255AndStays) {
  Id3v1Bytes tag = handMadeTag("t", "", "", "", "", 1, 0);
  const Id3v1Fields f = readId3v1Fields(tag);
  EXPECT_EQ(f.genre, 255);
  EXPECT_EQ(tag[127], 255);
  EXPECT_EQ(buildId3v1Tag(f)[127], 255);
  // Genre numbers are held within one byte.
  Id3v1Fields g;
  g.genre = 300;
  EXPECT_EQ(buildId3v1Tag(g)[127], 255);
  g.genre = 0;
  EXPECT_EQ(buildId3v1Tag(g)[127], 0);
}

TEST(Id3v1Tag, NamesFromCurrentCue) {
  EditRangeTable edits;
  edits.count = 3;
  edits.ranges[0] = EditRange{kRangeCut, 100, 100, 0, 0, "First", "Artist One"};
  edits.ranges[1] = EditRange{kRangeCut, 200, 300, 0, 0, "Second", ""};
  edits.ranges[2] = EditRange{kRangeCut, 400, 400, 0, 0, "", ""};
  edits.sheetTitle = "The Album";
  edits.sheetArtist = "The Band";

  Id3v1Fields f;
  f.title = "old";
  f.year = "1980";
  f.comment = "keep?";
  f.track = 9;
  f.genre = 4;
  edits.currentRange = -1;
  EXPECT_FALSE(namesFromCurrentCue(edits, f));
  EXPECT_EQ(f.title, "old");
  EXPECT_EQ(f.genre, 4);

  edits.currentRange = 0;
  ASSERT_TRUE(namesFromCurrentCue(edits, f));
  EXPECT_EQ(f.title, "First");
  EXPECT_EQ(f.artist, "Artist One");
  EXPECT_EQ(f.album, "The Album");
  EXPECT_EQ(f.year, "");
  EXPECT_EQ(f.comment, "");
  EXPECT_EQ(f.track, 1);
  EXPECT_EQ(f.genre, 255);

  edits.currentRange = 1;
  ASSERT_TRUE(namesFromCurrentCue(edits, f));
  EXPECT_EQ(f.artist, "The Band");  // no artist of its own
  EXPECT_EQ(f.track, 2);

  edits.currentRange = 2;
  edits.sheetArtist.clear();
  edits.sheetTitle.clear();
  ASSERT_TRUE(namesFromCurrentCue(edits, f));
  EXPECT_EQ(f.title, "");
  EXPECT_EQ(f.artist, "");
  EXPECT_EQ(f.album, "");
  EXPECT_EQ(f.track, 3);

  edits.currentRange = 3;  // past the table
  EXPECT_FALSE(namesFromCurrentCue(edits, f));
}

}  // namespace
}  // namespace quillane
