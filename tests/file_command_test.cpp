#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "shell/dispatch_command.h"
#include "support/saved_frames.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ScriptedHost;

// ffmpeg_cbr.mp3 copied to "song.mp3" in a fresh folder: no tags, no VBR header,
// frames of exactly 576 bytes, so a save of the unedited audio is the file itself.
constexpr int64_t kFrame = 576;

struct Window {
  test::TempDir dir;
  fs::path source = dir / "song.mp3";
  Session session;
  test::ScriptedShellHost host{session};
  Bytes original = test::readBytes(test::dataPath("ffmpeg_cbr.mp3"));

  Window() {
    fs::copy_file(test::dataPath("ffmpeg_cbr.mp3"), source);
    EXPECT_TRUE(test::openInSession(session, source));
  }
  void run(int id) { dispatchCommand(session, host, id); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  void answerSave(const std::string& name) { host.scripted.saveAnswers.push_back(path(name)); }
  Bytes frames(int64_t first, int64_t count) const {
    return Bytes(original.begin() + first * kFrame, original.begin() + (first + count) * kFrame);
  }
};

TEST(SaveCommand, SaveAllWritesTheFileAndUpdatesTheMenus) {
  Window w;
  w.answerSave("copy.mp3");
  w.run(cmd::kSaveAll);
  EXPECT_EQ(w.host.dialogsRun, std::vector<int>{dlg::kSaving});
  EXPECT_EQ(test::readBytes(w.dir / "copy.mp3"), w.original);
  EXPECT_EQ(w.session.settings.file_recent[0], w.path("copy.mp3"));
  EXPECT_GE(w.host.recentMenuRebuilds, 1);
  EXPECT_GE(w.host.rangeMenuRebuilds, 1);
  EXPECT_EQ(w.host.lastRefresh(), 3);
  EXPECT_FALSE(w.session.save.saveSelection);
  EXPECT_FALSE(w.session.save.appendMode);
}

TEST(SaveCommand, SaveSelectionNeedsOne) {
  Window w;
  w.run(cmd::kSaveSelection);
  ASSERT_EQ(w.host.messages().size(), 1u);
  const ScriptedHost::Message& m = w.host.messages()[0];
  EXPECT_EQ(m.text, "No selection or selection too short");
  EXPECT_EQ(m.caption, "Not possible");
  EXPECT_EQ(m.icon, MessageIcon::Error);
  EXPECT_TRUE(w.host.scripted.dialogs.empty());

  // Frames 10 to 20: the frame that starts at the selection's end is saved too.
  w.session.edits.selection.beg = 10 * kFrame;
  w.session.edits.selection.end = 20 * kFrame;
  w.answerSave("part.mp3");
  w.run(cmd::kSaveSelection);
  // The first frames, whose reservoir lay before frame 10, are rewritten to silence.
  EXPECT_EQ(test::savedFramesDiffer(test::readBytes(w.dir / "part.mp3"), w.frames(10, 11), {0}), "");
  EXPECT_FALSE(w.session.save.saveSelection);
  EXPECT_NE(w.session.settings.file_recent[0], w.path("part.mp3"));  // a selection is no new file of its own
}

TEST(SaveCommand, AppendWithoutASelectionAppendsEverything) {
  Window w;
  const Bytes head = w.frames(0, 3);
  test::writeBytes(w.dir / "target.mp3", head);
  w.answerSave("target.mp3");
  w.run(cmd::kAppendTo);
  EXPECT_EQ(w.session.edits.selection.beg, w.session.stream.audioStart);
  EXPECT_EQ(w.session.edits.selection.end, w.session.stream.audioEnd);
  ASSERT_FALSE(w.host.refreshes.empty());
  EXPECT_EQ(w.host.refreshes.front(), 2);  // the selection is shown before the dialog
  Bytes expected = head;
  expected.insert(expected.end(), w.original.begin(), w.original.end());
  EXPECT_EQ(test::readBytes(w.dir / "target.mp3"), expected);
  EXPECT_FALSE(w.session.save.appendMode);
}

TEST(SaveCommand, CancelledDialogsClearTheFlags) {
  Window w;
  w.session.edits.selection.beg = 0;
  w.session.edits.selection.end = 10 * kFrame;
  w.host.scripted.saveAnswers.push_back(std::nullopt);
  w.run(cmd::kAppendTo);
  EXPECT_FALSE(w.session.save.appendMode);
  EXPECT_FALSE(w.session.save.saveSelection);
  EXPECT_TRUE(w.host.dialogsRun.empty());

  // The progress dialog cancelled: the flags go as well and the file stays open.
  w.host.dialogHandlers[dlg::kSaving] = [] { return 1; };
  w.answerSave("copy.mp3");
  w.run(cmd::kSaveSelection);
  EXPECT_EQ(w.host.dialogsRun, std::vector<int>{dlg::kSaving});
  EXPECT_FALSE(w.session.save.saveSelection);
  EXPECT_TRUE(w.session.stream.isOpen());
}

TEST(SaveCommand, SavingOntoTheSourceAsksAndReplacesIt) {
  Window w;
  w.session.edits.selection.beg = 0;
  w.session.edits.selection.end = 10 * kFrame;
  w.session.edits.selection.type = kRangeCut;
  ASSERT_TRUE(addRangeFromSelection(w.session.edits, w.session.selectionUndo, false));

  // A name that only ends like the source's is another file.
  w.answerSave("xsong.mp3");
  w.run(cmd::kSaveAll);
  EXPECT_TRUE(w.host.messages().empty());
  EXPECT_TRUE(fs::exists(w.dir / "xsong.mp3"));

  // The source's name in other letter case is the source; No (the default) stops.
  w.answerSave("SONG.MP3");
  w.run(cmd::kSaveAll);
  ASSERT_EQ(w.host.messages().size(), 1u);
  const ScriptedHost::Message& m = w.host.messages()[0];
  EXPECT_EQ(m.text, "Really close and replace the source file?");
  EXPECT_EQ(m.caption, "Quillane");
  EXPECT_EQ(m.icon, MessageIcon::Question);
  EXPECT_EQ(m.buttons, MessageButtons::YesNo);
  EXPECT_EQ(m.defaultAnswer, MessageAnswer::No);
  EXPECT_EQ(w.host.dialogsRun.size(), 1u);
  EXPECT_FALSE(fs::exists(w.dir / "SONG.MP3"));

  // Yes: the save goes to "song.mp3.~~~", which then replaces the source, and the file is closed.
  w.answerSave("song.mp3");
  w.host.scripted.messageAnswers.push_back(MessageAnswer::Yes);
  w.run(cmd::kSaveAll);
  EXPECT_EQ(test::savedFramesDiffer(test::readBytes(w.source), w.frames(10, 116), {0}), "");
  EXPECT_FALSE(fs::exists(w.path("song.mp3.~~~")));
  EXPECT_FALSE(w.session.stream.isOpen());
  EXPECT_EQ(w.host.lastRefresh(), 0);
}

TEST(SaveCommand, ProjectFileAndCueSheet) {
  Window w;
  w.session.edits.selection.beg = w.session.edits.selection.end = 42 * kFrame;
  ASSERT_TRUE(addRangeFromSelection(w.session.edits, w.session.selectionUndo, false));

  w.answerSave("song.qlp");
  w.run(cmd::kSaveProject);  // no project path yet: the name is asked
  EXPECT_TRUE(fs::exists(w.dir / "song.qlp"));
  EXPECT_FALSE(w.session.edits.modified);
  EXPECT_EQ(w.session.settings.file_recent[0], w.path("song.qlp"));
  EXPECT_EQ(w.host.recentMenuRebuilds, 1);
  EXPECT_EQ(w.host.lastRefresh(), 3);

  w.run(cmd::kSaveProject);  // now it is known
  EXPECT_EQ(w.host.scripted.dialogs.size(), 1u);
  w.answerSave("song.cue");
  w.run(cmd::kSaveProjectAs);
  EXPECT_EQ(w.host.scripted.dialogs.size(), 2u);
  EXPECT_NE(test::readText(w.dir / "song.cue").find("INDEX 01"), std::string::npos);
}

TEST(SaveCommand, EditCueSheetStartsTheEditorAndReloadsOnYes) {
  Window w;
  w.session.projectPath = w.path("song.qlp");
  w.session.edits.selection.beg = w.session.edits.selection.end = 42 * kFrame;
  ASSERT_TRUE(addRangeFromSelection(w.session.edits, w.session.selectionUndo, false));
  const std::string sheet = w.path("song.cue");
  w.host.editor = [&](const std::string& path) {
    std::string text = test::readText(path);
    const std::string placeholder = "(Track 01)";
    const size_t at = text.find(placeholder);
    ASSERT_NE(at, std::string::npos);
    test::writeText(path, text.replace(at, placeholder.size(), "Edited"));
  };

  // No: the sheet is written and edited, the model stays.
  w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
  w.run(cmd::kEditCueSheet);
  EXPECT_EQ(w.host.editorsStarted, std::vector<std::string>{sheet});
  ASSERT_EQ(w.host.messages().size(), 1u);
  EXPECT_EQ(w.host.messages()[0].text, "Reload Cue sheet?");
  EXPECT_EQ(w.host.messages()[0].caption, "Quillane");
  EXPECT_EQ(w.host.messages()[0].icon, MessageIcon::Question);
  EXPECT_EQ(w.host.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(w.session.edits.ranges[0].title, "");

  // Yes: the edited sheet is read back with its audio file.
  w.host.scripted.messageAnswers.push_back(MessageAnswer::Yes);
  w.run(cmd::kEditCueSheet);
  EXPECT_TRUE(w.session.stream.isOpen());
  EXPECT_EQ(w.session.stream.sourcePath, w.source.string());
  ASSERT_EQ(w.session.edits.count, 1);
  EXPECT_EQ(w.session.edits.ranges[0].title, "Edited");
  EXPECT_EQ(w.session.edits.ranges[0].beg, 42 * kFrame);
  EXPECT_FALSE(w.host.pressedButtons.at(cmd::kPlay));
  EXPECT_EQ(w.host.lastRefresh(), 3);

  // Without an editor there is nothing to reload and nothing to ask; the user is
  // told that no editor started and where the saved sheet is.
  w.host.editorStarts = false;
  w.run(cmd::kEditCueSheet);
  ASSERT_EQ(w.host.messages().size(), 3u);
  EXPECT_EQ(w.host.messages()[2].text, "No text editor could be started. The cue sheet was saved as:\n" + sheet);
  EXPECT_EQ(w.host.messages()[2].caption, "Warning");
  EXPECT_EQ(w.host.messages()[2].buttons, MessageButtons::Ok);
  EXPECT_TRUE(fs::exists(sheet));
}

TEST(SaveCommand, SplitNeedsRanges) {
  Window w;
  w.run(cmd::kSaveSplit);
  ASSERT_EQ(w.host.messages().size(), 1u);
  EXPECT_EQ(w.host.messages()[0].text, "No edit ranges present");
  EXPECT_EQ(w.host.messages()[0].caption, "Not possible");
  w.session.edits.selection.beg = w.session.edits.selection.end = 42 * kFrame;
  ASSERT_TRUE(addRangeFromSelection(w.session.edits, w.session.selectionUndo, false));
  w.run(cmd::kSaveSplit);
  EXPECT_EQ(w.host.dialogsRun, std::vector<int>{dlg::kSplit});
}

}  // namespace
}  // namespace quillane
