#include "shell/dispatch_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "shell/window_input.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::ScriptedHost;

// A copy of ffmpeg_cbr.mp3 in a fresh folder, opened, with one cut that is not saved.
struct EditedCopy {
  test::CopiedAudio copy{"ffmpeg_cbr.mp3", ""};
  Session& session = copy.session;
  test::ScriptedShellHost host{session};

  EditedCopy() {
    session.edits.selection.beg = 576;
    session.edits.selection.end = 5760;
    EXPECT_TRUE(addRangeFromSelection(session.edits, session.selectionUndo, false));
    EXPECT_TRUE(session.edits.modified);
  }
  void run(int id) { dispatchCommand(session, host, id); }
  const ScriptedHost::Message& lastMessage() const { return host.messages().back(); }
};

TEST(DispatchGuards, RequireIdleRefusesWhilePlayingOrRecording) {
  Session s;
  test::ScriptedShellHost host(s);
  EXPECT_TRUE(requireIdle(s, host));
  s.recordInitialised = true;
  EXPECT_FALSE(requireIdle(s, host));
  s.recordInitialised = false;
  s.playing = true;
  EXPECT_FALSE(requireIdle(s, host));
  ASSERT_EQ(host.messages().size(), 2u);
  const ScriptedHost::Message& m = host.messages()[1];
  EXPECT_EQ(m.text, "Please stop play/rec first");
  EXPECT_EQ(m.caption, "Not possible");
  EXPECT_EQ(m.icon, MessageIcon::Error);
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

TEST(DispatchGuards, ConfirmUnsavedAsksOnlyAboutModifiedEdits) {
  EditedCopy w;
  w.session.settings.warn = 0;
  EXPECT_TRUE(confirmUnsaved(w.session, w.host));
  w.session.settings.warn = 1;
  w.session.edits.modified = false;
  EXPECT_TRUE(confirmUnsaved(w.session, w.host));
  EXPECT_TRUE(w.host.messages().empty());

  w.session.edits.modified = true;
  EXPECT_FALSE(confirmUnsaved(w.session, w.host));  // Cancel is the default
  ASSERT_EQ(w.host.messages().size(), 1u);
  EXPECT_EQ(w.lastMessage().text, "Changes unsaved. Save modified Project?");
  EXPECT_EQ(w.lastMessage().caption, "Quillane");
  EXPECT_EQ(w.lastMessage().icon, MessageIcon::Question);
  EXPECT_EQ(w.lastMessage().buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(w.lastMessage().defaultAnswer, MessageAnswer::Cancel);
  EXPECT_TRUE(w.session.edits.modified);

  w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_TRUE(confirmUnsaved(w.session, w.host));
  EXPECT_FALSE(w.session.edits.modified);
  EXPECT_EQ(w.session.edits.count, 1);  // forgotten, not removed

  // Yes saves the project; a cancelled name dialog refuses.
  w.session.edits.modified = true;
  w.host.scripted.messageAnswers = {MessageAnswer::Yes, MessageAnswer::Yes};
  w.host.scripted.saveAnswers = {std::nullopt, (w.copy.dir / "song.qlp").string()};
  EXPECT_FALSE(confirmUnsaved(w.session, w.host));
  EXPECT_TRUE(confirmUnsaved(w.session, w.host));
  EXPECT_TRUE(fs::exists(w.copy.dir / "song.qlp"));
  EXPECT_FALSE(w.session.edits.modified);
}

TEST(DispatchGuards, CloseFollowsTheAnswer) {
  EditedCopy w;
  w.run(cmd::kClose);  // Cancel
  EXPECT_TRUE(w.session.stream.isOpen());
  EXPECT_TRUE(w.host.refreshes.empty());

  w.session.playing = true;
  w.run(cmd::kClose);
  EXPECT_EQ(w.lastMessage().text, "Please stop play/rec first");
  w.session.playing = false;

  w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
  w.run(cmd::kClose);
  EXPECT_FALSE(w.session.stream.isOpen());
  EXPECT_EQ(w.host.rangeMenuRebuilds, 1);
  EXPECT_EQ(w.host.refreshes, std::vector<int>{0});
}

// An Open that does not go ahead leaves the file, its changes and the modified
// mark exactly as they were, whatever was answered to the question before: so the
// next command that drops the file still asks.
TEST(DispatchGuards, AnOpenThatDoesNotGoAheadKeepsTheChanges) {
  EditedCopy w;
  const std::string source = w.session.stream.sourcePath;
  const fs::path dir = w.copy.dir.path();
  test::writeText(dir / "notes.mp3", std::string(20000, 'x'));
  fs::create_directory(dir / "folder.mp3");
  fs::create_directory(dir / "folder.qlp");

  struct Case {
    const char* what;
    std::optional<std::string> chosen;  // nullopt: the open dialog is cancelled
    std::string reason;                 // what the failure box ends with; empty: no box
  };
  const Case cases[] = {
      {"cancelled dialog", std::nullopt, ""},
      {"not MPEG", (dir / "notes.mp3").string(), (dir / "notes.mp3").string() + ": is not an MPEG audio file"},
      {"a folder", (dir / "folder.mp3").string(), (dir / "folder.mp3").string() + ": Is a directory"},
      {"missing", (dir / "gone.mp3").string(), (dir / "gone.mp3").string() + ": No such file or directory"},
      {"project folder", (dir / "folder.qlp").string(), (dir / "folder.qlp").string() + ": Is a directory"},
      {"unknown type", (dir / "x.wav").string(), "Unsupported file extension"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = w.host.messages().size();
    w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
    w.host.scripted.openAnswers.push_back(c.chosen);
    w.run(cmd::kOpen);
    EXPECT_TRUE(w.session.stream.isOpen());
    EXPECT_EQ(w.session.stream.sourcePath, source);
    EXPECT_TRUE(w.session.edits.modified);
    EXPECT_EQ(w.session.edits.count, 1);
    if (c.reason.empty()) {
      EXPECT_EQ(w.host.messages().size(), before + 1);  // the question only
    } else {
      ASSERT_EQ(w.host.messages().size(), before + 2);
      EXPECT_EQ(w.lastMessage().caption, "File open failed");
      const std::string& text = w.lastMessage().text;
      EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.reason.size())), c.reason) << text;
    }
  }

  // A dropped file that can't be opened is refused the same way.
  w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
  dropFiles(w.session, w.host, {(dir / "notes.mp3").string()});
  EXPECT_TRUE(w.session.stream.isOpen());
  EXPECT_TRUE(w.session.edits.modified);
  EXPECT_EQ(w.lastMessage().caption, "File open failed");

  // Still modified: closing asks, and Cancel keeps the file.
  const size_t before = w.host.messages().size();
  w.run(cmd::kClose);
  EXPECT_EQ(w.host.messages().size(), before + 1);
  EXPECT_EQ(w.lastMessage().text, "Changes unsaved. Save modified Project?");
  EXPECT_TRUE(w.session.stream.isOpen());

  // An Open that goes ahead after "No" forgets the changes.
  const std::string mono = test::dataPath("mono.mp3").string();
  w.host.scripted.messageAnswers.push_back(MessageAnswer::No);
  w.host.scripted.openAnswers.push_back(mono);
  w.run(cmd::kOpen);
  EXPECT_EQ(w.session.stream.sourcePath, mono);
  EXPECT_FALSE(w.session.edits.modified);
  EXPECT_EQ(w.session.edits.count, 0);
}

// "Yes" whose project save fails stops the Open, as Cancel would: the failure is
// shown, no open dialog follows, and the file stays with its changes.
TEST(DispatchGuards, AFailedProjectSaveStopsTheOpen) {
  EditedCopy w;
  w.session.projectPath = (w.copy.dir.path() / "missing" / "p.qlp").string();
  w.host.scripted.messageAnswers.push_back(MessageAnswer::Yes);
  w.run(cmd::kOpen);
  ASSERT_EQ(w.host.messages().size(), 2u);
  EXPECT_EQ(w.lastMessage().text.rfind("Could not create/write to file\n" + w.session.projectPath + ": ", 0), 0u)
      << w.lastMessage().text;
  EXPECT_TRUE(w.host.scripted.dialogs.empty());
  EXPECT_TRUE(w.session.stream.isOpen());
  EXPECT_TRUE(w.session.edits.modified);
}

TEST(DispatchCommand, OpenAndRecentFiles) {
  Session s;
  test::ScriptedShellHost host(s);
  host.scripted.openAnswers.push_back(std::nullopt);
  dispatchCommand(s, host, cmd::kOpen);
  EXPECT_FALSE(s.stream.isOpen());
  ASSERT_EQ(host.scripted.dialogs.size(), 1u);
  EXPECT_EQ(host.scripted.dialogs[0].request.title, "Open file");

  const std::string mono = test::dataPath("mono.mp3").string();
  host.scripted.openAnswers.push_back(mono);
  dispatchCommand(s, host, cmd::kOpen);
  EXPECT_TRUE(s.stream.isOpen());
  EXPECT_EQ(s.stream.sourcePath, mono);
  EXPECT_EQ(host.lastRefresh(), 3);
  EXPECT_EQ(s.settings.file_recent[0], mono);

  // Recent entry 2 replaces the open file; an empty entry does nothing.
  const std::string speech = test::dataPath("speech.mp3").string();
  s.settings.file_recent[1] = speech;
  dispatchCommand(s, host, cmd::kRecentFileBase + 1);
  EXPECT_EQ(s.stream.sourcePath, speech);
  EXPECT_TRUE(s.stream.isOpen());
  const size_t refreshes = host.refreshes.size();
  dispatchCommand(s, host, cmd::kRecentFileBase + 5);
  EXPECT_EQ(s.stream.sourcePath, speech);
  EXPECT_EQ(host.refreshes.size(), refreshes);
}

TEST(DispatchCommand, CommandsThatNeedAFileDoNothingWithoutOne) {
  Session s;
  test::ScriptedShellHost host(s);
  for (int id : {cmd::kSkipBackSmall, cmd::kSkipForwardSmall, cmd::kRewind, cmd::kGoToAudioEnd, cmd::kCut,
                 cmd::kSetBegin, cmd::kBeginBackOneFrame, cmd::kSelectAll, cmd::kUndoSelection, cmd::kZoomIn,
                 cmd::kSaveAll, cmd::kSaveSelection, cmd::kClose, cmd::kSaveProject, cmd::kEditCueSheet,
                 cmd::kRangeMenuBase})
    dispatchCommand(s, host, id);
  EXPECT_TRUE(host.refreshes.empty());
  EXPECT_TRUE(host.messages().empty());
  EXPECT_TRUE(host.scripted.dialogs.empty());
  EXPECT_EQ(host.scripted.beeps, 0);
  EXPECT_FALSE(s.edits.hasSelection());
  EXPECT_EQ(s.settings.zoomlevel, 4);

  // The commands of stage A work without a file.
  dispatchCommand(s, host, cmd::kGraphLevelHigher);
  dispatchCommand(s, host, cmd::kQuit);
  dispatchCommand(s, host, cmd::kConfigureEncoder);
  EXPECT_EQ(s.settings.level_height, 60);
  EXPECT_EQ(host.closeRequests, 1);
  EXPECT_EQ(host.dialogsRun, std::vector<int>{dlg::kConfiguration});
  EXPECT_EQ(s.configTab, 1);
}

TEST(DispatchCommand, UnavailableCommandsDoNothing) {
  EditedCopy w;
  w.host.unavailableDialogs = {dlg::kGain, dlg::kConfiguration, dlg::kSplit};
  for (int id : {cmd::kGain, cmd::kConfigure, cmd::kConfigureEncoder, cmd::kSaveSplit})
    EXPECT_FALSE(commandAvailable(w.session, w.host, id)) << id;
  EXPECT_TRUE(commandAvailable(w.session, w.host, cmd::kNormalize));
  EXPECT_TRUE(commandAvailable(w.session, w.host, cmd::kCut));

  w.run(cmd::kSelectAll);
  const size_t refreshes = w.host.refreshes.size();
  w.run(cmd::kGain);
  w.run(cmd::kSaveSplit);
  w.run(cmd::kConfigureEncoder);
  EXPECT_TRUE(w.host.dialogsRun.empty());
  EXPECT_EQ(w.session.configTab, 0);
  EXPECT_EQ(w.host.refreshes.size(), refreshes);
}

TEST(DispatchCommand, SettingsToggleAndTheGraphLevelStaysInItsSteps) {
  Session s;
  test::ScriptedShellHost host(s);
  int32_t* toggles[] = {&s.settings.big_timer,     &s.settings.show_milisec,  &s.settings.db_scale,
                        &s.settings.autoselect,    &s.settings.margin,        &s.settings.bitrate_graph,
                        &s.settings.big_relative};
  for (int i = 0; i < 7; ++i) {
    const int32_t before = *toggles[i];
    dispatchCommand(s, host, cmd::kToggleBigTimer + i);
    EXPECT_EQ(*toggles[i], before ? 0 : 1) << i;
    dispatchCommand(s, host, cmd::kToggleBigTimer + i);
    EXPECT_EQ(*toggles[i], before) << i;
  }
  EXPECT_EQ(host.refreshes, std::vector<int>(14, 3));

  for (int i = 0; i < 10; ++i) dispatchCommand(s, host, cmd::kGraphLevelHigher);
  EXPECT_EQ(s.settings.level_height, 160);
  for (int i = 0; i < 10; ++i) dispatchCommand(s, host, cmd::kGraphLevelLower);
  EXPECT_EQ(s.settings.level_height, 0);
  dispatchCommand(s, host, cmd::kGraphLevelDefault);
  EXPECT_EQ(s.settings.level_height, 40);
}

TEST(DispatchCommand, MarginResetsTheMeter) {
  Session s;
  test::ScriptedShellHost host(s);
  s.meter.meterMargin = {90, 127};
  dispatchCommand(s, host, cmd::kMargin);
  EXPECT_EQ(s.meter.meterMargin[0], 1);
  EXPECT_EQ(s.meter.meterMargin[1], 1);
  s.recordInitialised = true;  // the recording displays refresh at -1
  dispatchCommand(s, host, cmd::kMargin);
  EXPECT_EQ(host.refreshes, (std::vector<int>{1, -1}));
}

}  // namespace
}  // namespace quillane
