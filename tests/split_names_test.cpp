#include <gtest/gtest.h>

#include <string>

#include "save/split_names.h"

namespace quillane {
namespace {

SplitNameFields allNames() {
  SplitNameFields f;
  f.trackNumber = 7;
  f.title = "Song";
  f.artist = "Singer";
  f.albumTitle = "Album";
  f.albumArtist = "Band";
  return f;
}

TEST(SplitNames, EveryCodeIsExpanded) {
  EXPECT_EQ(splitPiecePath("/out/", "%N-%T-%A-%C-%D", allNames(), "/music/source.mp3"),
            "/out/07-Song-Singer-Album-Band.mp3");
  // The example of the dialog's help text.
  EXPECT_EQ(splitPiecePath("/out/", "%A (%C %N) - %T", allNames(), "/music/a.mp2"), "/out/Singer (Album 07) - Song.mp2");
  // Codes written next to each other.
  EXPECT_EQ(splitPiecePath("/out/", "%N%T%N", allNames(), "x.mp3"), "/out/07Song07.mp3");
}

TEST(SplitNames, MissingNamesGiveNothing) {
  SplitNameFields f;
  f.trackNumber = 1;
  EXPECT_EQ(splitPiecePath("/out/", "%N-%T-%A-%C-%D", f, "/music/source.mp3"), "/out/01----.mp3");
  EXPECT_EQ(splitPiecePath("/out/", "%T", f, "/music/source.mp3"), "/out/.mp3");
}

TEST(SplitNames, OtherPercentSequencesAreCopied) {
  EXPECT_EQ(splitPiecePath("/out/", "100% %x %n %%N %", allNames(), "s.mp3"), "/out/100% %x %n %07 %.mp3");
}

TEST(SplitNames, ForbiddenCharactersBecomeUnderscores) {
  SplitNameFields f = allNames();
  f.title = "AC/DC: Who?";
  EXPECT_EQ(splitPiecePath("/out/", "%T", f, "s.mp3"), "/out/AC_DC_ Who_.mp3");
  f.title = "a*b|c\\d\"e<f>g";
  EXPECT_EQ(splitPiecePath("/out/", "%T", f, "s.mp3"), "/out/a_b_c_d_e_f_g.mp3");
  // In the pattern too, but never in the folder.
  EXPECT_EQ(splitPiecePath("/o:u?t/", "<%N>", f, "s.mp3"), "/o:u?t/_07_.mp3");
  EXPECT_EQ(replaceFileNameCharacters("plain name.txt"), "plain name.txt");
}

TEST(SplitNames, TrackNumberDigits) {
  EXPECT_EQ(formatTrackNumber(1, false), "01");
  EXPECT_EQ(formatTrackNumber(9, false), "09");
  EXPECT_EQ(formatTrackNumber(123, false), "123");
  EXPECT_EQ(formatTrackNumber(7, true), "007");
  EXPECT_EQ(formatTrackNumber(1000, true), "1000");
  SplitNameFields f;
  f.trackNumber = 8;
  f.threeDigits = true;
  EXPECT_EQ(splitPiecePath("/d/", "%N", f, "s.mp3"), "/d/008.mp3");
}

TEST(SplitNames, ExtensionComesFromTheFileName) {
  EXPECT_EQ(sourceExtension("/music/song.mp3"), ".mp3");
  EXPECT_EQ(sourceExtension("/music/song.tar.MP2"), ".MP2");
  EXPECT_EQ(sourceExtension("/music.d/song"), "");
  EXPECT_EQ(sourceExtension("song"), "");
  EXPECT_EQ(sourceExtension("song."), ".");
  EXPECT_EQ(splitPiecePath("/d/", "%N", allNames(), "/a.b/noext"), "/d/07");
}

TEST(SplitNames, Folders) {
  EXPECT_EQ(savePathFolder("/music/song.mp3"), "/music/");
  EXPECT_EQ(savePathFolder("/music/"), "/music/");
  EXPECT_EQ(savePathFolder("song.mp3"), "");
  EXPECT_TRUE(isSavePathSeparator(savePathSeparator()));
}

TEST(SplitNames, AddingStopsPastTheLengthLimit) {
  const std::string folder = "/" + std::string(238, 'f') + "/";  // 240 bytes
  SplitNameFields f;
  f.title = "0123456789";
  // 240 + 10 = 250 is not yet past the limit, so the second title is added, the third not.
  EXPECT_EQ(splitPiecePath(folder, "%T%T%T", f, "s.mp3"), folder + "01234567890123456789.mp3");
  // Plain characters are added one by one; a multi-byte character stays whole.
  const std::string full = "/" + std::string(248, 'f') + "/";  // 250 bytes
  EXPECT_EQ(splitPiecePath(full, "\xC3\xA9\xC3\xA9", f, "s.mp3"), full + "\xC3\xA9.mp3");
  const std::string over = "/" + std::string(250, 'f') + "/";
  EXPECT_EQ(splitPiecePath(over, "%N%T", f, "s.mp3"), over + ".mp3");
}

TEST(SplitNames, Utf8NamesPassUnchanged) {
  SplitNameFields f;
  f.title = "Ça va – déjà vu";
  EXPECT_EQ(splitPiecePath("/d/", "%T", f, "s.mp3"), "/d/Ça va – déjà vu.mp3");
}

}  // namespace
}  // namespace quillane
