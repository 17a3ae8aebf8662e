#include <gtest/gtest.h>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "shell/dispatch_command.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::ScriptedHost;

// ffmpeg_cbr.mp3: frames of exactly 576 bytes from offset 0.
constexpr int64_t kFrame = 576;

struct Window {
  Session session;
  test::ScriptedShellHost host{session};

  explicit Window(const char* file = "ffmpeg_cbr.mp3") {
    EXPECT_TRUE(test::openInSession(session, test::dataPath(file)));
  }
  void run(int id, int notification = cmd::kNotifyNone) { dispatchCommand(session, host, id, notification); }
  const EditRange& selection() const { return session.edits.selection; }
  void select(int64_t begFrame, int64_t endFrame) {
    session.edits.selection.beg = begFrame * kFrame;
    session.edits.selection.end = endFrame * kFrame;
  }
  void expectRefusal(const std::string& text) const {
    ASSERT_FALSE(host.messages().empty());
    const ScriptedHost::Message& m = host.messages().back();
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.caption, "Not possible");
    EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
};

TEST(SelectionCommand, BeginAndEndAtTheCursorAndTheirUndo) {
  Window w;
  w.session.stream.cursor = 10 * kFrame;
  w.run(cmd::kSetBegin);
  EXPECT_EQ(w.selection().beg, 10 * kFrame);
  EXPECT_EQ(w.selection().end, 10 * kFrame);
  w.session.stream.cursor = 20 * kFrame;
  w.run(cmd::kSetEnd);
  EXPECT_EQ(w.selection().end, 20 * kFrame);
  EXPECT_EQ(w.host.lastRefresh(), 2);

  w.run(cmd::kUndoSelection);
  EXPECT_EQ(w.selection().end, 10 * kFrame);
  w.run(cmd::kUndoSelection);
  EXPECT_FALSE(w.session.edits.hasSelection());
  EXPECT_EQ(w.host.scripted.beeps, 0);
  w.run(cmd::kUndoSelection);  // the history is empty
  EXPECT_EQ(w.host.scripted.beeps, 1);

  w.run(cmd::kSelectAll);
  EXPECT_EQ(w.selection().beg, w.session.stream.audioStart);
  EXPECT_EQ(w.selection().end, w.session.stream.audioEnd);
  w.run(cmd::kRemoveSelection);
  EXPECT_FALSE(w.session.edits.hasSelection());
}

TEST(SelectionCommand, FrameStepsOfTheSelectionsEnds) {
  Window w;
  w.select(10, 20);
  w.run(cmd::kBeginBackOneFrame);
  EXPECT_EQ(w.selection().beg, 9 * kFrame);
  w.run(cmd::kBeginForwardOneFrame);
  w.run(cmd::kBeginForwardOneFrame);
  EXPECT_EQ(w.selection().beg, 11 * kFrame);
  w.run(cmd::kEndBackOneFrame);
  EXPECT_EQ(w.selection().end, 19 * kFrame);
  w.run(cmd::kEndForwardOneFrame);
  EXPECT_EQ(w.selection().end, 20 * kFrame);

  w.run(cmd::kBothBackOneFrame);
  EXPECT_EQ(w.selection().beg, 10 * kFrame);
  EXPECT_EQ(w.selection().end, 19 * kFrame);
  w.run(cmd::kBothForwardOneFrame);
  EXPECT_EQ(w.selection().beg, 11 * kFrame);
  EXPECT_EQ(w.selection().end, 20 * kFrame);
}

TEST(SelectionCommand, TheSelectionFieldsFocusStartsASelection) {
  Window w;
  w.session.stream.cursor = 30 * kFrame;
  w.run(cmd::kSelectionFieldFocus);  // another notice of the field
  EXPECT_FALSE(w.session.edits.hasSelection());
  EXPECT_TRUE(w.host.refreshes.empty());
  w.run(cmd::kSelectionFieldFocus, cmd::kNotifySetFocus);
  EXPECT_EQ(w.selection().beg, 30 * kFrame);
  EXPECT_EQ(w.selection().end, 30 * kFrame);

  w.select(5, 8);  // an existing selection stays
  w.run(cmd::kSelectionFieldFocus, cmd::kNotifySetFocus);
  EXPECT_EQ(w.selection().beg, 5 * kFrame);
}

TEST(SelectionCommand, CutAndEdit) {
  Window w;
  w.run(cmd::kCut);  // no selection: nothing but the refresh
  EXPECT_EQ(w.session.edits.count, 0);
  EXPECT_TRUE(w.host.messages().empty());

  w.select(10, 20);
  w.run(cmd::kCut);
  ASSERT_EQ(w.session.edits.count, 1);
  EXPECT_TRUE(w.session.edits.ranges[0].isCut());
  EXPECT_EQ(w.host.rangeMenuRebuilds, 1);

  w.select(12, 15);  // inside the cut
  w.run(cmd::kCut);
  w.expectRefusal("Selection range seems to be invalid");
  EXPECT_EQ(w.session.edits.count, 1);

  w.run(cmd::kEditRange);  // the cut comes back as the selection
  EXPECT_EQ(w.session.edits.count, 0);
  EXPECT_EQ(w.selection().beg, 10 * kFrame);
  EXPECT_EQ(w.selection().end, 20 * kFrame);
  EXPECT_EQ(w.host.rangeMenuRebuilds, 2);
  w.run(cmd::kEditRange);
  w.expectRefusal("No edit ranges present");
  EXPECT_EQ(w.host.lastRefresh(), 2);
}

TEST(SelectionCommand, GainNeedsASelectionAndPassesTheGainCheck) {
  Window plain;
  plain.run(cmd::kGain);  // no selection: nothing, not even a refresh
  EXPECT_TRUE(plain.host.dialogsRun.empty());
  EXPECT_TRUE(plain.host.refreshes.empty());
  plain.select(10, 20);
  plain.run(cmd::kGain);
  EXPECT_EQ(plain.host.dialogsRun, std::vector<int>{dlg::kGain});

  Window layer2("layer2_mpeg1.mp2");
  layer2.session.edits.selection.beg = layer2.session.stream.audioStart;
  layer2.session.edits.selection.end = layer2.session.stream.audioEnd;
  layer2.run(cmd::kGain);
  layer2.run(cmd::kNormalize);
  layer2.expectRefusal("Can't change the volume of Layer 2 files");
  EXPECT_EQ(layer2.host.messages().size(), 2u);
  EXPECT_TRUE(layer2.host.dialogsRun.empty());

  Window crc("crc.mp3");
  crc.run(cmd::kSelectAll);
  crc.run(cmd::kGain);  // the default answer is No
  ASSERT_EQ(crc.host.messages().size(), 1u);
  const ScriptedHost::Message& m = crc.host.messages()[0];
  EXPECT_EQ(m.text,
            "Modifying the gain of error checked frames will produce\nincorrect CRCs which might irritate some "
            "decoders.\nReally proceed?");
  EXPECT_EQ(m.caption, "Warning");
  EXPECT_EQ(m.icon, MessageIcon::Question);
  EXPECT_EQ(m.buttons, MessageButtons::YesNo);
  EXPECT_EQ(m.defaultAnswer, MessageAnswer::No);
  EXPECT_TRUE(crc.host.dialogsRun.empty());
  crc.host.scripted.messageAnswers.push_back(MessageAnswer::Yes);
  crc.run(cmd::kGain);
  EXPECT_EQ(crc.host.dialogsRun, std::vector<int>{dlg::kGain});
}

TEST(SelectionCommand, NormalizeAndPauseDetectionTakeTheWholeAudioWithoutASelection) {
  Window w;
  w.run(cmd::kNormalize);
  EXPECT_EQ(w.selection().beg, w.session.stream.audioStart);
  EXPECT_EQ(w.selection().end, w.session.stream.audioEnd);
  w.run(cmd::kRemoveSelection);
  w.run(cmd::kPauseDetection);
  EXPECT_EQ(w.selection().end, w.session.stream.audioEnd);
  EXPECT_EQ(w.host.dialogsRun, (std::vector<int>{dlg::kNormalize, dlg::kPauseDetection}));

  w.session.playing = true;  // both need idle devices
  w.run(cmd::kNormalize);
  w.run(cmd::kPauseDetection);
  EXPECT_EQ(w.host.dialogsRun.size(), 2u);
  w.expectRefusal("Please stop play/rec first");
}

TEST(SelectionCommand, NamesDialogs) {
  Window w;
  w.run(cmd::kNamesForCue);
  w.expectRefusal("No active edit range (cut/cue/gain)");
  w.select(10, 10);
  w.run(cmd::kCut);
  w.run(cmd::kNamesForCue);
  EXPECT_EQ(w.session.edits.currentRange, 0);
  w.run(cmd::kNamesForCueSheet);  // the sheet's names: no current range
  EXPECT_EQ(w.session.edits.currentRange, -1);
  EXPECT_EQ(w.host.dialogsRun, (std::vector<int>{dlg::kNames, dlg::kNames}));
}

}  // namespace
}  // namespace quillane
