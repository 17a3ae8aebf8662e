#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "save/id3v2_tag.h"
#include "save/save_job.h"
#include "save/split_save.h"
#include "support/scripted_host.h"
#include "support/id3v2_tags.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

std::vector<std::string> framesOfFile(const std::string& path) {
  BinaryFile file;
  EXPECT_TRUE(file.open(path, "rb"));
  return id3v2FrameList(readId3v2Tag(file));
}

bool has(const std::vector<std::string>& frames, const std::string& frame) {
  return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

// Saves the whole open file to `path`.
void saveWhole(Session& s, const std::filesystem::path& path) {
  test::ScriptedHost host;
  s.save.savePath = path.string();
  SaveJob job(s, host);
  ASSERT_TRUE(job.open());
  while (!job.step()) {
  }
  ASSERT_EQ(job.result(), SaveJob::Result::Finished);
}

// The tag at the start of a saved file.
Bytes tagOfFile(const std::filesystem::path& path) {
  BinaryFile file;
  EXPECT_TRUE(file.open(path.string(), "rb"));
  return readId3v2Tag(file);
}

TEST(Id3v2Save, ASaveWritesTheEditedFieldsAndEveryOtherFrameAsItWas) {
  struct Case {
    const char* name;
    uint8_t version;  // of the saved tag
  };
  for (const Case& c : {Case{"id3v2_big.mp3", 3}, Case{"id3v1v2.mp3", 3}, Case{"id3v24.mp3", 4},
                        Case{"cbr128_info.mp3", 4}}) {  // no tag: a new one
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(c.name)));
    saveWhole(s, dir / "plain.mp3");
    s.save.id3v2Edits = test::kEditedMainFields;
    saveWhole(s, dir / "edited.mp3");

    const Bytes tag = tagOfFile(dir / "edited.mp3");
    ASSERT_GT(tag.size(), 10u);
    EXPECT_EQ(tag[3], c.version);
    EXPECT_EQ(id3v2MainFields(tag).fields, test::kEditedMainFields);
    EXPECT_EQ(test::framesBesideMainFields(tag), test::framesBesideMainFields(test::id3v2TagOf(c.name)));
    // The audio behind the tag is what a save without changes writes.
    const Bytes plain = test::readBytes(dir / "plain.mp3");
    const Bytes edited = test::readBytes(dir / "edited.mp3");
    const size_t plainTag = tagOfFile(dir / "plain.mp3").size();
    ASSERT_EQ(edited.size() - tag.size(), plain.size() - plainTag);
    EXPECT_TRUE(std::equal(edited.begin() + static_cast<std::ptrdiff_t>(tag.size()), edited.end(),
                           plain.begin() + static_cast<std::ptrdiff_t>(plainTag)));
  }
}

TEST(Id3v2Save, EditedFieldsNeedKeepId3v2AndNeverMakeADamagedTagFail) {
  test::TempDir dir;
  {
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v24.mp3")));
    s.settings.keep_id3v2 = 0;
    s.save.id3v2Edits = test::kEditedMainFields;
    saveWhole(s, dir / "dropped.mp3");
    EXPECT_EQ(test::readBytes(dir / "dropped.mp3")[0], 0xFF);  // a frame first
  }
  // The second frame's ID broken: the tag TagLib cannot read whole is kept as bytes.
  Bytes damaged = test::readBytes(test::dataPath("id3v1v2.mp3"));
  damaged[10 + 10 + 4 + 44] = 0x01;
  test::writeBytes(dir / "damaged.mp3", damaged);
  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "damaged.mp3"));
  s.save.id3v2Edits = test::kEditedMainFields;
  saveWhole(s, dir / "out.mp3");
  const Bytes out = test::readBytes(dir / "out.mp3");
  const size_t tagLength = test::id3v2TagOf("id3v1v2.mp3").size();
  ASSERT_GT(out.size(), tagLength);
  EXPECT_TRUE(std::equal(damaged.begin(), damaged.begin() + static_cast<std::ptrdiff_t>(tagLength), out.begin()));
}

TEST(Id3v2Save, ASaveKeepsATagOfAnySize) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v2_big.mp3")));
  test::ScriptedHost host;
  s.save.savePath = (dir / "out.mp3").string();
  SaveJob job(s, host);
  ASSERT_TRUE(job.open());
  while (!job.step()) {
  }
  ASSERT_EQ(job.result(), SaveJob::Result::Finished);
  const Bytes written = test::readBytes(dir / "out.mp3");
  const Bytes tag = test::id3v2TagOf("id3v2_big.mp3");
  ASSERT_GT(written.size(), tag.size());
  EXPECT_TRUE(std::equal(tag.begin(), tag.end(), written.begin()));
}

TEST(Id3v2Save, SplitPiecesGetTheSourcesTagWithTheirOwnNamesAndNumbers) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v2_big.mp3")));
  const std::vector<test::DemuxedFrame> frames = test::demuxedFrames(test::dataPath("id3v2_big.mp3"));
  for (size_t at : {40u, 80u}) {
    EditRange& cue = s.edits.ranges[s.edits.count++];
    cue.beg = cue.end = frames[at].pos;
    cue.title = "Part at " + std::to_string(at);
    cue.artist = "Artist " + std::to_string(at);
  }
  s.save.savePath = dir.path().string();
  s.settings.split_name = "%N";
  test::ScriptedHost host;
  const SplitResult result = splitSave(s, host, 1);
  ASSERT_EQ(result.ok, 1);
  ASSERT_EQ(result.writtenPaths.size(), 3u);
  EXPECT_EQ(result.id3v2Problem, "");
  const std::vector<std::string> source = framesOfFile(test::dataPath("id3v2_big.mp3").string());
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const std::vector<std::string> piece = framesOfFile(result.writtenPaths[i]);
    for (const char* kept : {"TALB=Quillane Test Data", "TXXX", "APIC"}) EXPECT_TRUE(has(piece, kept)) << kept;
    EXPECT_TRUE(has(piece, "TRCK=" + std::to_string(i + 1) + "/3"));
    if (i == 0) {
      EXPECT_FALSE(has(piece, "TIT2=Big Tag"));  // the piece before the first cue has no title
      EXPECT_TRUE(has(piece, "TPE1=Quillane Tester"));
    } else {
      const std::string at = i == 1 ? "40" : "80";
      EXPECT_TRUE(has(piece, "TIT2=Part at " + at));
      EXPECT_TRUE(has(piece, "TPE1=Artist " + at));
    }
    EXPECT_EQ(piece.size(), source.size() - (i == 0 ? 1 : 0));
  }
}

TEST(Id3v2Save, SplitPiecesAreBuiltOnTheEditedTag) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v1v2.mp3")));
  s.save.id3v2Edits = test::kEditedMainFields;
  const std::vector<test::DemuxedFrame> frames = test::demuxedFrames(test::dataPath("id3v1v2.mp3"));
  EditRange& cue = s.edits.ranges[s.edits.count++];
  cue.beg = cue.end = frames[50].pos;
  cue.title = "Second Piece";
  s.save.savePath = dir.path().string();
  s.settings.split_name = "%N";
  test::ScriptedHost host;
  const SplitResult result = splitSave(s, host, 1);
  ASSERT_EQ(result.ok, 1);
  ASSERT_EQ(result.writtenPaths.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const Id3v2MainFields piece = id3v2MainFields(tagOfFile(result.writtenPaths[i])).fields;
    // The piece's own title and number; the rest as edited.
    EXPECT_EQ(piece.title, i == 0 ? "" : "Second Piece");
    EXPECT_EQ(piece.track, std::to_string(i + 1) + "/2");
    EXPECT_EQ(piece.artist, test::kEditedMainFields.artist);
    EXPECT_EQ(piece.album, test::kEditedMainFields.album);
    EXPECT_EQ(piece.year, test::kEditedMainFields.year);
    EXPECT_EQ(piece.genre, test::kEditedMainFields.genre);
    EXPECT_EQ(piece.comment, test::kEditedMainFields.comment);
  }
  EXPECT_EQ(s.save.id3v2Edits, test::kEditedMainFields);  // the split leaves the changes for the next save
}

}  // namespace
}  // namespace quillane
