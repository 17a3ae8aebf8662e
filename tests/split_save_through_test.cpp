#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "save/split_save.h"
#include "support/test_files.h"

namespace quillane {
namespace {

// What the piece saver found prepared in the session for one piece.
struct Prepared {
  int64_t beg = 0;
  int64_t end = 0;
  std::string path;
  bool saveSelection = false;
  bool holdOnWarnings = true;
  bool hasId3v1 = false;
  int track = 0;
};

struct SplitThrough : ::testing::Test {
  test::TempDir dir;
  Session session;
  SilentHost host;
  std::vector<Prepared> seen;

  void SetUp() override {
    ASSERT_TRUE(test::openInSession(session, test::dataPath("tone_silence_tone.mp3")));
    const auto frames = test::demuxedFrames(test::dataPath("tone_silence_tone.mp3"));
    EditRangeTable& edits = session.edits;
    edits.count = 2;
    edits.ranges[0] = EditRange{kRangeCut, frames[60].pos, frames[60].pos, 0, 0, "One", "A"};
    edits.ranges[1] = EditRange{kRangeCut, frames[150].pos, frames[150].pos, 0, 0, "Two", "B"};
    session.save.savePath = dir.path().string() + "/";
    session.settings.split_name = "%N %T";
    session.settings.split_id3v11 = 1;
  }

  SplitPieceSaver recorder(int failAt, int resyncsEach) {
    return [this, failAt, resyncsEach] {
      seen.push_back({session.edits.selection.beg, session.edits.selection.end, session.save.savePath,
                      session.save.saveSelection, session.save.holdOnWarnings, session.stream.hasId3v1,
                      session.stream.id3v1Tag[126]});
      session.stream.resyncCount = resyncsEach;
      return static_cast<int>(seen.size()) != failAt;
    };
  }
};

TEST_F(SplitThrough, EveryPieceIsPreparedForTheSaverInTurn) {
  const std::vector<SplitPiece> pieces = splitPieces(session.edits, session.stream);
  ASSERT_EQ(pieces.size(), 3u);
  const bool hadId3v1 = session.stream.hasId3v1;
  const SplitResult result = splitSaveThrough(session, host, 4, recorder(0, 0));
  EXPECT_TRUE(result.ok);
  ASSERT_EQ(seen.size(), 3u);
  const std::string folder = dir.path().string() + "/";
  const std::vector<std::string> names = {folder + "04 .mp3", folder + "05 One.mp3", folder + "06 Two.mp3"};
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].beg, pieces[i].beg) << i;
    EXPECT_EQ(seen[i].end, pieces[i].end) << i;
    EXPECT_EQ(seen[i].path, names[i]);
    EXPECT_TRUE(seen[i].saveSelection);
    EXPECT_FALSE(seen[i].holdOnWarnings);  // each piece's progress closes by itself
    EXPECT_TRUE(seen[i].hasId3v1);
    EXPECT_EQ(seen[i].track, static_cast<int>(4 + i));
  }
  EXPECT_EQ(result.writtenPaths, names);
  EXPECT_TRUE(host.messages.empty());
  // Afterwards: no selection, the folder and the flags as they were.
  EXPECT_EQ(session.edits.selection.beg, -1);
  EXPECT_EQ(session.edits.selection.end, -1);
  EXPECT_FALSE(session.save.saveSelection);
  EXPECT_TRUE(session.save.holdOnWarnings);
  EXPECT_EQ(session.save.savePath, folder);
  EXPECT_EQ(session.stream.hasId3v1, hadId3v1);
}

TEST_F(SplitThrough, APieceThatIsNotSavedEndsTheSplit) {
  const SplitResult result = splitSaveThrough(session, host, 1, recorder(2, 0));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(result.pieces, 2);
  EXPECT_EQ(result.writtenPaths, std::vector<std::string>{dir.path().string() + "/01 .mp3"});
  EXPECT_EQ(session.edits.selection.beg, -1);
  EXPECT_FALSE(session.save.saveSelection);
  EXPECT_EQ(session.edits.count, 2);  // the split points stay
}

TEST_F(SplitThrough, ReSyncsOfAllPiecesAreReportedOnce) {
  session.stream.resyncCount = 9;  // left from before: not counted
  const SplitResult result = splitSaveThrough(session, host, 1, recorder(0, 2));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.resyncTotal, 6);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "While saving 3 file(s) 6 sync error(s) occured.");
  EXPECT_EQ(host.messages[0].caption, "Warning");
}

}  // namespace
}  // namespace quillane
