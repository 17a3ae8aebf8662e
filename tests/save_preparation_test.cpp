#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "save/save_job.h"
#include "save/save_preparation.h"
#include "support/saved_frames.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::ScriptedHost;

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

TEST(SavePreparation, SaveAllAsksForTheDestination) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  ScriptedHost host;
  host.saveAnswers.push_back("/tmp/elsewhere.mp3");
  ASSERT_TRUE(prepareSave(s, host, SaveCommand::All));
  ASSERT_EQ(host.dialogs.size(), 1u);
  const auto& d = host.dialogs[0];
  EXPECT_EQ(d.kind, ScriptedHost::DialogKind::Save);
  EXPECT_EQ(d.request.title, "Create audio file");
  ASSERT_EQ(d.request.filters.size(), 1u);
  EXPECT_EQ(d.request.filters[0].description, "MP3 files (*.mp3)");
  EXPECT_EQ(d.request.filters[0].pattern, "*.mp3");
  EXPECT_TRUE(d.request.overwritePrompt);
  EXPECT_EQ(d.request.initialPath, s.stream.sourcePath);  // an empty savePath starts at the source
  EXPECT_EQ(s.save.savePath, "/tmp/elsewhere.mp3");
  EXPECT_FALSE(s.save.saveSelection);
  EXPECT_FALSE(s.save.appendMode);
  EXPECT_TRUE(host.messages.empty());

  // The path is remembered for the next save; a folder alone starts at the source again.
  host.saveAnswers.push_back(std::nullopt);
  EXPECT_FALSE(prepareSave(s, host, SaveCommand::All));
  EXPECT_EQ(host.dialogs[1].request.initialPath, "/tmp/elsewhere.mp3");
  s.save.savePath = "C:\\music\\";
  EXPECT_FALSE(prepareSave(s, host, SaveCommand::All));
  EXPECT_EQ(host.dialogs[2].request.initialPath, s.stream.sourcePath);
}

TEST(SavePreparation, TheFilterFollowsTheLayer) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("layer2_mpeg1.mp2")));
  ScriptedHost host;
  EXPECT_FALSE(prepareSave(s, host, SaveCommand::All));
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0].request.filters[0].description, "MP2 files (*.mp2)");
  EXPECT_EQ(host.dialogs[0].request.filters[0].pattern, "*.mp2");
}

TEST(SavePreparation, SelectionNeedsASelection) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  ScriptedHost host;
  for (int64_t at : {int64_t{-1}, int64_t{836}}) {
    s.edits.selection.beg = s.edits.selection.end = at;
    EXPECT_FALSE(prepareSave(s, host, SaveCommand::Selection));
  }
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "No selection or selection too short");
  EXPECT_EQ(host.messages[0].caption, "Not possible");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_FALSE(s.save.saveSelection);

  s.edits.selection.beg = 836;
  s.edits.selection.end = 8360;
  host.saveAnswers.push_back("/tmp/part.mp3");
  ASSERT_TRUE(prepareSave(s, host, SaveCommand::Selection));
  EXPECT_TRUE(s.save.saveSelection);
  EXPECT_FALSE(s.save.appendMode);
  EXPECT_EQ(host.dialogs[0].request.title, "Create audio file");
  endSaveCommand(s);
  EXPECT_FALSE(s.save.saveSelection);
}

TEST(SavePreparation, AppendSelectsEverythingWhenNothingIsSelected) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v1.mp3")));
  ScriptedHost host;
  host.saveAnswers.push_back("/tmp/target.mp3");
  ASSERT_TRUE(prepareSave(s, host, SaveCommand::Append));
  EXPECT_EQ(s.edits.selection.beg, s.stream.audioStart);
  EXPECT_EQ(s.edits.selection.end, s.stream.audioEnd);
  EXPECT_TRUE(s.save.appendMode);
  EXPECT_TRUE(s.save.saveSelection);
  EXPECT_EQ(host.dialogs[0].request.title, "Append current file/selection to audio file");
  EXPECT_FALSE(host.dialogs[0].request.overwritePrompt);

  // A cancelled dialog clears both flags.
  ScriptedHost cancel;
  EXPECT_FALSE(prepareSave(s, cancel, SaveCommand::Append));
  EXPECT_FALSE(s.save.appendMode);
  EXPECT_FALSE(s.save.saveSelection);
}

TEST(SavePreparation, TheSourceIsReplacedOnlyAfterAskingAndThroughATemporaryFile) {
  test::TempDir dir;
  const fs::path source = dir / "Song.mp3";
  fs::copy_file(test::dataPath("cbr128_info.mp3"), source);
  Session s;
  ASSERT_TRUE(test::openInSession(s, source));
  s.edits.selection.beg = s.stream.audioStart;
  s.edits.selection.end = s.stream.audioEnd;

  // The same name in other letter case counts as the source; No stops.
  ScriptedHost host;
  host.saveAnswers.push_back(dir.path().string() + "/" + upper("song.mp3"));
  host.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(prepareSave(s, host, SaveCommand::Selection));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Really close and replace the source file?");
  EXPECT_EQ(host.messages[0].caption, "Quillane");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
  EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(host.messages[0].defaultAnswer, MessageAnswer::No);
  EXPECT_FALSE(s.save.saveSelection);

  // Another spelling of the same file (a "." in the path) is the source too; Yes goes on.
  ScriptedHost yes;
  yes.saveAnswers.push_back((dir.path() / "." / "Song.mp3").string());
  yes.messageAnswers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(prepareSave(s, yes, SaveCommand::All));
  EXPECT_EQ(s.save.savePath, source.string() + ".~~~");

  // The save then replaces the source and leaves it closed.
  SaveJob job(s, yes);
  ASSERT_TRUE(job.open());
  while (!job.step()) {
  }
  endSaveCommand(s);
  EXPECT_EQ(job.result(), SaveJob::Result::Finished);
  // The source's LAME Info frame, kept, and the audio behind it.
  const test::Bytes saved = test::readBytes(source);
  ASSERT_EQ(test::lameTagFrameSize(saved), 417u);
  EXPECT_EQ(test::Bytes(saved.begin() + 417, saved.end()), test::readBytes(test::dataPath("cbr128_notag.mp3")));
  EXPECT_FALSE(fs::exists(source.string() + ".~~~"));
  EXPECT_FALSE(s.stream.isOpen());
  EXPECT_EQ(yes.messages.size(), 1u);
}

TEST(SavePreparation, NothingHappensWithoutAnOpenFile) {
  Session s;
  ScriptedHost host;
  EXPECT_FALSE(prepareSave(s, host, SaveCommand::All));
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace quillane
