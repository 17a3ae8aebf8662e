// Playback in the window: the Play and prelisten buttons, timer 1809, the notices
// of a scripted output device and what the window shows while it plays.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "session/command_ids.h"
#include "support/scripted_output_device.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::StartedWindow;

struct PlayingWindow : StartedWindow {
  test::ScriptedOutputDevice device;

  PlayingWindow() {
    session.playback.output = &device;
    session.settings.buffer_frm = 4;
    window->openPath = copyOf("tone_silence_tone.mp3");
    window->runCommand(cmd::kOpen);
    EXPECT_TRUE(session.stream.isOpen());
  }
  ~PlayingWindow() { window.reset(); }
  QPushButton* button(int id) const { return window->controlPanel()->button(id); }
  // Waits for timer 1809 to start playback.
  bool waitForPlayback() { return QTest::qWaitFor([this] { return session.playing; }, 2000); }
};

TEST(MainWindowPlayback, PlayButtonStaysPressedWhilePlayingAndStopReleasesIt) {
  PlayingWindow w;
  QPushButton* play = w.button(cmd::kPlay);
  ASSERT_TRUE(play->isEnabled());
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_TRUE(play->isChecked());
  EXPECT_EQ(w.button(cmd::kPrelistenToEnd)->text(), ">> -");
  EXPECT_EQ(w.button(cmd::kPrelistenFromEnd)->text(), ">> +");
  ASSERT_TRUE(w.waitForPlayback());
  EXPECT_EQ(w.device.writes.size(), 4u);

  // A second click while playing leaves it pressed: Play does nothing then.
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_TRUE(play->isChecked());

  // Notices move the position bar and the position field on.
  QLineEdit* field = w.window->controlPanel()->positionField();
  const QString before = field->text();
  for (int i = 0; i < 40; ++i) w.device.returnNext();
  EXPECT_GT(w.session.playPosition, w.session.stream.audioStart);
  EXPECT_GT(w.window->positionBar()->value(), 0);
  EXPECT_NE(field->text(), before);

  // F8 while playing is Fast Play.
  QTest::keyClick(w.window->graphView(), Qt::Key_F8);
  EXPECT_EQ(w.session.fastPlayLevel, 1);

  QTest::mouseClick(w.button(cmd::kStop), Qt::LeftButton);
  EXPECT_FALSE(w.session.playing);
  EXPECT_FALSE(play->isChecked());
  EXPECT_EQ(w.button(cmd::kPrelistenToEnd)->text(), "..=>I");
  EXPECT_EQ(w.button(cmd::kPrelistenFromEnd)->text(), "..I=>");
  EXPECT_EQ(w.session.fastPlayLevel, 1);  // shown only while playing; 0 at the next start
}

TEST(MainWindowPlayback, SpaceTogglesAndTheEndReleasesTheButtons) {
  PlayingWindow w;
  QTest::keyClick(w.window->graphView(), Qt::Key_Space);
  ASSERT_TRUE(w.waitForPlayback());
  w.device.returnAll();
  EXPECT_FALSE(w.session.playing);
  EXPECT_FALSE(w.button(cmd::kPlay)->isChecked());
  // The file played to its end: the position bar shows it.
  EXPECT_GE(w.window->positionBar()->value(), 990);
}

TEST(MainWindowPlayback, PrelistenWithoutSelectionReleasesItsButton) {
  PlayingWindow w;
  QPushButton* f9 = w.button(cmd::kPrelistenAsCut);
  QTest::mouseClick(f9, Qt::LeftButton);
  EXPECT_TRUE(f9->isChecked());
  EXPECT_TRUE(QTest::qWaitFor([f9] { return !f9->isChecked(); }, 2000));
  EXPECT_FALSE(w.session.playing);
  EXPECT_TRUE(w.device.opens.empty());
}

TEST(MainWindowPlayback, ADeviceThatCannotOpenSaysSo) {
  PlayingWindow w;
  w.device.failOpen = true;
  w.window->runCommand(cmd::kPlay);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.window->messages.empty(); }, 2000));
  ASSERT_EQ(w.window->messages.size(), 1u);
  EXPECT_EQ(w.window->messages[0], "Could not open wave/audio device");
  EXPECT_FALSE(w.button(cmd::kPlay)->isChecked());
}

}  // namespace
}  // namespace quillane
