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

}  // namespace
}  // namespace quillane
