#include "settings/recent_files.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace quillane {
namespace {

using List = std::array<std::string, 6>;

Settings withList(const List& list) {
  Settings s;
  s.file_recent = list;
  return s;
}

TEST(AddRecent, FillsFromTheTopNewestFirst) {
  Settings s;
  EXPECT_TRUE(addRecent(s, "/m/a.mp3"));
  EXPECT_TRUE(addRecent(s, "/m/b.mp3"));
  EXPECT_EQ(s.file_recent, (List{"/m/b.mp3", "/m/a.mp3", "", "", "", ""}));
}

TEST(AddRecent, ListedFileKeepsItsPlace) {
  const List full{"/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3", "/5.mp3", "/6.mp3"};
  Settings s = withList(full);
  EXPECT_FALSE(addRecent(s, "/4.mp3"));
  EXPECT_EQ(s.file_recent, full);
  EXPECT_FALSE(addRecent(s, "/6.mp3"));
  EXPECT_FALSE(addRecent(s, "/1.mp3"));
  EXPECT_EQ(s.file_recent, full);
}

TEST(AddRecent, SeventhFilePushesTheOldestOut) {
  Settings s;
  for (int i = 1; i <= 7; ++i) EXPECT_TRUE(addRecent(s, "/" + std::to_string(i) + ".mp3"));
  EXPECT_EQ(s.file_recent, (List{"/7.mp3", "/6.mp3", "/5.mp3", "/4.mp3", "/3.mp3", "/2.mp3"}));
}

TEST(AddRecent, ComparisonRespectsLetterCase) {
  Settings s = withList({"/m/Song.mp3", "", "", "", "", ""});
  EXPECT_TRUE(addRecent(s, "/m/SONG.mp3"));
  EXPECT_EQ(s.file_recent, (List{"/m/SONG.mp3", "/m/Song.mp3", "", "", "", ""}));
  // Neither a prefix nor a longer path counts as the same file.
  EXPECT_TRUE(addRecent(s, "/m/Song.mp3.qlp"));
  EXPECT_EQ(s.file_recent[0], "/m/Song.mp3.qlp");
}

TEST(AddRecent, EmptyPathIsIgnored) {
  Settings s = withList({"/a.mp3", "", "", "", "", ""});
  EXPECT_FALSE(addRecent(s, ""));
  EXPECT_EQ(s.file_recent, (List{"/a.mp3", "", "", "", "", ""}));
}

}  // namespace
}  // namespace quillane
