// Recording in the window with a scripted input: Rec, Play, Set cue (B) and Stop
// from the keyboard and the buttons, what the window shows meanwhile, and the
// recording opened with its cues at the end.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "list_menu_texts.h"
#include "session/command_ids.h"
#include "support/scripted_input_device.h"
#include "test_main_window.h"

namespace quillane {
namespace {

struct RecordingWindow : test::StartedWindow {
  test::ScriptedInputDevice input;
  test::SineSource sine{1000, 20000, 44100, 2};

  RecordingWindow() {
    session.recording.input = &input;
    session.settings.enc_type = 2;
    session.settings.file_savepath = (dir / "take").string();
  }
  ~RecordingWindow() { window.reset(); }
  QPushButton* button(int id) const { return window->controlPanel()->button(id); }
  void key(Qt::Key k) { QTest::keyClick(window.get(), k); }
  void capture(int buffers) {
    for (int i = 0; i < buffers; ++i) ASSERT_TRUE(input.deliver([this](int16_t* s, std::size_t n) { sine(s, n); }));
  }
  QString positionField() const { return window->controlPanel()->positionField()->text(); }
  QString selectionField() const { return window->controlPanel()->selectionField()->text(); }
};

TEST(MainWindowRecording, RecPlaySetCueAndStopGiveTheRecordingWithItsCues) {
  RecordingWindow w;
  w.key(Qt::Key_R);
  ASSERT_TRUE(w.session.recordInitialised);
  EXPECT_TRUE(w.button(cmd::kRecord)->isChecked());
  EXPECT_EQ(w.positionField(), " Press Play to start recording... ");
  EXPECT_EQ(w.window->statusLabel()->text(), "Encoder = Lame: 128 kbps, 44 kHz, Joint Stereo");
  w.capture(3);
  EXPECT_EQ(w.window->windowTitle(), "Quillane");

  QTest::mouseClick(w.button(cmd::kPlay), Qt::LeftButton);
  ASSERT_TRUE(w.session.recordWriting);
  EXPECT_TRUE(w.button(cmd::kPlay)->isChecked());
  EXPECT_EQ(w.positionField(), QString::fromStdString(" Writing '" + (w.dir / "take.mp3").string() + "'"));
  EXPECT_EQ(w.selectionField(), " Press 'Set cue' to set cues");
  for (int mark = 0; mark < 3; ++mark) {
    w.capture(10);
    w.key(Qt::Key_B);
  }
  EXPECT_TRUE(w.selectionField().startsWith(" Cue (3): "));
  w.capture(5);

  w.key(Qt::Key_Space);  // Stop while writing
  EXPECT_FALSE(w.session.recordInitialised);
  EXPECT_FALSE(w.input.isOpen());
  ASSERT_TRUE(w.session.stream.isOpen()) << (w.window->messages.empty() ? "" : w.window->messages.back());
  EXPECT_EQ(w.window->windowTitle(), "take.mp3 - Quillane");
  EXPECT_FALSE(w.button(cmd::kRecord)->isChecked());
  EXPECT_FALSE(w.button(cmd::kPlay)->isChecked());
  EXPECT_EQ(w.session.edits.count, 3);
  EXPECT_TRUE(w.session.edits.modified);
  EXPECT_EQ(test::listMenuTexts(*w.window).size(), 3u);
  EXPECT_TRUE(w.selectionField().startsWith(" Range (1/3): "));
  EXPECT_EQ(test::runCommand("mpg123 -q -t " + test::shellQuote((w.dir / "take.mp3").string())).status, 0);
}

TEST(MainWindowRecording, StopWhileCapturingLeavesTheWindowEmpty) {
  RecordingWindow w;
  w.window->runCommand(cmd::kRecord);
  w.capture(2);
  QTest::mouseClick(w.button(cmd::kStop), Qt::LeftButton);
  EXPECT_FALSE(w.session.recordInitialised);
  EXPECT_FALSE(w.session.stream.isOpen());
  EXPECT_EQ(w.positionField(), " ");
  EXPECT_EQ(w.window->statusLabel()->text(), " ");
  EXPECT_FALSE(std::filesystem::exists(w.dir / "take.mp3"));
}

TEST(MainWindowRecording, TheGraphShowsTheRecordingDisplayWithTheTurboNotice) {
  RecordingWindow w;
  w.window->answer = MessageAnswer::Ok;
  w.window->runCommand(cmd::kTurboGrabber);
  ASSERT_TRUE(w.session.recordInitialised);
  ASSERT_FALSE(w.window->messages.empty());
  w.window->runCommand(cmd::kPlay);
  w.capture(4);
  const QImage picture = w.window->graphView()->grab().toImage();
  // The recording values are drawn in the cursor colour (yellow), the turbo notice
  // in the selection colour: both are on the picture.
  bool yellow = false;
  bool cyan = false;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width() * 3 / 4; ++x) {
      const QColor c = picture.pixelColor(x, y);
      yellow = yellow || (c.red() > 240 && c.green() > 240 && c.blue() < 40);
      cyan = cyan || (c.red() > 100 && c.red() < 160 && c.green() > 240 && c.blue() > 240);
    }
  EXPECT_TRUE(yellow);
  EXPECT_TRUE(cyan);
  w.window->runCommand(cmd::kStop);
  EXPECT_FALSE(w.session.recording.turboGrabber);
}

TEST(MainWindowRecording, ClosingTheWindowWhileWritingKeepsWhatWasRecorded) {
  RecordingWindow w;
  w.window->runCommand(cmd::kRecord);
  w.window->runCommand(cmd::kPlay);
  w.capture(20);
  w.window->close();
  EXPECT_FALSE(w.session.recordInitialised);
  ASSERT_TRUE(std::filesystem::exists(w.dir / "take.mp3"));
  const test::CommandOutput probe = test::runCommand(
      "ffprobe -v error -show_entries format=duration -of csv=p=0 " + test::shellQuote((w.dir / "take.mp3").string()));
  EXPECT_NEAR(std::stod(probe.out), 20.0 * w.session.recording.lameChunkSamples / 2 / 44100, 0.1);
}

}  // namespace
}  // namespace quillane
