#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "save/file_facts.h"
#include "settings/ui_text_ids.h"
#include "support/test_files.h"

namespace quillane {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

TEST(FileFacts, ThousandsGrouping) {
  EXPECT_EQ(groupThousands(0), "0");
  EXPECT_EQ(groupThousands(7), "7");
  EXPECT_EQ(groupThousands(999), "999");
  EXPECT_EQ(groupThousands(1000), "1.000");
  EXPECT_EQ(groupThousands(48900), "48.900");
  EXPECT_EQ(groupThousands(123456), "123.456");
  EXPECT_EQ(groupThousands(1234567), "1.234.567");
  EXPECT_EQ(groupThousands(1000000), "1.000.000");
  EXPECT_EQ(groupThousands(5000000000LL), "5.000.000.000");  // past 32 bits
  EXPECT_EQ(groupThousands(-1234), "-1.234");
  EXPECT_EQ(groupThousands(std::numeric_limits<int64_t>::min()), "-9.223.372.036.854.775.808");
}

TEST(FileFacts, ValuesOfAVbrFileWithXingTag) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("vbr_xing.mp3")));
  session.stream.cursor = 1234567;  // any position shows grouped
  const auto v = lines(fileFactsText(session));
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[0], "93.202 bytes");
  EXPECT_EQ(v[1], groupThousands(session.stream.audioStart) + " bytes");
  EXPECT_EQ(v[2], "1.234.567 bytes");
  EXPECT_EQ(v[3], std::to_string(session.stream.currentHeader.bitrate) + " kbit/sec");
  char average[64];
  std::snprintf(average, sizeof average, "%3.2f kbit/sec", session.stream.avgBitrate / 1000.0);
  EXPECT_EQ(v[4], average);
  EXPECT_EQ(v[5], std::to_string(session.stream.currentHeader.frameSize) + " bytes");
  EXPECT_EQ(v[7], "Yes (155 frames)");

  // While playing, the play position is shown.
  session.playing = true;
  session.playPosition = 5000;
  EXPECT_EQ(lines(fileFactsText(session))[2], "5.000 bytes");
}

TEST(FileFacts, ValuesOfACbrFile) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_info.mp3")));
  const auto v = lines(fileFactsText(session));
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[0], "48.900 bytes");
  EXPECT_EQ(v[1], "417 bytes");
  EXPECT_EQ(v[4].substr(0, 3), "128");
  EXPECT_EQ(v[4].substr(v[4].size() - 9), " kbit/sec");
  EXPECT_EQ(v[7], "No");
  // The text has no line end after the last value.
  EXPECT_NE(fileFactsText(session).back(), '\n');
}

TEST(FileFacts, LeadingDataShowsTheBytesBeforeTheFirstFrame) {
  Session session;
  const auto path = test::dataPath("id3v2.mp3");
  ASSERT_TRUE(test::openInSession(session, path));
  ASSERT_EQ(session.stream.audioStart, 880);
  session.stream.sourceFile.seek(4321);
  const std::string text = leadingDataText(session);
  EXPECT_EQ(session.stream.sourceFile.tell(), 4321);  // the read position is kept

  const std::string note = uiText(session.text, ui::kFileInfoHeaderNote) + "\r\n\r\n";
  ASSERT_EQ(text.substr(0, note.size()), note);
  const std::string shown = text.substr(note.size());
  ASSERT_EQ(shown.size(), 880u);
  const test::Bytes file = test::readBytes(path);
  for (size_t i = 0; i < shown.size(); ++i) {
    const uint8_t b = file[i];
    EXPECT_EQ(shown[i], b >= 0x20 && b <= 0x7F ? static_cast<char>(b) : '.') << i;
  }
  EXPECT_EQ(shown.substr(0, 3), "ID3");
  EXPECT_NE(shown.find("Test Tone Two"), std::string::npos);
}

TEST(FileFacts, LeadingDataIsCutAt3000Bytes) {
  // 5000 bytes of ID3v2 tag (10-byte header, syncsafe size 4990) before a real stream.
  test::TempDir dir;
  test::Bytes bytes = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
  const int body = 4990;
  bytes[6] = static_cast<uint8_t>((body >> 21) & 0x7F);
  bytes[7] = static_cast<uint8_t>((body >> 14) & 0x7F);
  bytes[8] = static_cast<uint8_t>((body >> 7) & 0x7F);
  bytes[9] = static_cast<uint8_t>(body & 0x7F);
  for (int i = 0; i < body; ++i) bytes.push_back(static_cast<uint8_t>(i % 251));
  const test::Bytes audio = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  bytes.insert(bytes.end(), audio.begin(), audio.end());
  test::writeBytes(dir / "lead.mp3", bytes);

  Session session;
  ASSERT_TRUE(test::openInSession(session, dir / "lead.mp3"));
  ASSERT_EQ(session.stream.audioStart, 5000);
  const std::string note = uiText(session.text, ui::kFileInfoHeaderNote) + "\r\n\r\n";
  const std::string text = leadingDataText(session);
  ASSERT_EQ(text.size(), note.size() + 3000);
  for (size_t i = note.size(); i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    EXPECT_TRUE(c == '.' || (c >= 0x20 && c <= 0x7F)) << i;
  }
}

TEST(FileFacts, NoLeadingDataGivesAnEmptyBox) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_notag.mp3")));
  ASSERT_EQ(session.stream.audioStart, 0);
  EXPECT_EQ(leadingDataText(session), "");
}

TEST(FileFacts, TagWithoutTagThenOk) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("cbr128_info.mp3")));
  const FileInfoTagView view = openFileInfoTag(session);
  EXPECT_FALSE(view.tagPresent);
  EXPECT_FALSE(view.useTag);
  EXPECT_EQ(view.fields.title, "");

  Id3v1Fields typed = view.fields;
  typed.title = "New title";
  applyFileInfoTag(session, true, false, typed);
  EXPECT_TRUE(session.stream.hasId3v1);
  EXPECT_TRUE(hasTagHeader(session.stream.id3v1Tag));
  EXPECT_EQ(tagText(session.stream.id3v1Tag, 3, 30), "New title");
  EXPECT_EQ(session.settings.keep_id3v2, 0);

  applyFileInfoTag(session, false, true, typed);
  EXPECT_FALSE(session.stream.hasId3v1);
  EXPECT_EQ(session.settings.keep_id3v2, 1);
}

TEST(FileFacts, TagOfATaggedFile) {
  Session session;
  ASSERT_TRUE(test::openInSession(session, test::dataPath("id3v1.mp3")));
  const FileInfoTagView view = openFileInfoTag(session);
  EXPECT_TRUE(view.tagPresent);
  EXPECT_TRUE(view.useTag);
  EXPECT_EQ(view.fields.track, 7);
  EXPECT_EQ(view.fields.genre, 255);
  EXPECT_EQ(session.stream.id3v1Tag[127], 255);  // genre 0 kept as 255 from now on
}

}  // namespace
}  // namespace quillane
