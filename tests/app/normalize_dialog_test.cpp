#include "app/dialogs/normalize_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <sstream>
#include <string>

#include "dialog_steps.h"
#include "repeated_audio.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::activeModal;
using test::controlIn;
using test::DialogSteps;

QWidget* normalizeDialog() { return activeModal("dialog406"); }

QString valueText(const char* name) { return normalizeDialog()->findChild<QLabel*>(name)->text(); }

bool scanEnded() {
  QWidget* d = normalizeDialog();
  return d && !controlIn<QPushButton>(d, 601)->isEnabled();
}

bool scanHalfWay() {
  QWidget* d = normalizeDialog();
  if (!d) return false;
  const int progress = controlIn<QProgressBar>(d, 617)->value();
  return progress > 0 && progress < 100 && controlIn<QPushButton>(d, 601)->isEnabled();
}

void click(int controlId) { controlIn<QPushButton>(normalizeDialog(), controlId)->click(); }


struct Measured {
  std::string file;
  int fromFrame;  // -1: no selection (the whole audio)
  int toFrame;
};

class NormalizeAgainstCli : public ::testing::TestWithParam<Measured> {};

TEST_P(NormalizeAgainstCli, ProposesWhatTheCommandLinePrints) {
  const Measured& m = GetParam();
  const std::string source = test::dataPath(m.file).string();
  test::StartedWindow w(source);
  Session& s = w.session;
  std::string selection;
  if (m.fromFrame >= 0) {
    const auto frames = test::demuxedFrames(source);
    s.edits.selection.beg = findFrame(s.stream, frames.at(static_cast<size_t>(m.fromFrame)).pos).offset;
    s.edits.selection.end = findFrame(s.stream, frames.at(static_cast<size_t>(m.toFrame)).pos).offset;
    selection = " --selection @" + std::to_string(s.edits.selection.beg) + "-@" + std::to_string(s.edits.selection.end);
  }
  const test::CommandOutput cli =
      test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " normalize " + test::shellQuote(source) + selection);
  ASSERT_EQ(cli.status, 0) << cli.err;

  QString peak, change;
  int slider = -1;
  DialogSteps steps;
  steps.then(scanEnded, [&] {
    peak = valueText("peakValue");
    change = valueText("levelChangeValue");
    slider = controlIn<QSlider>(normalizeDialog(), 631)->value();
    EXPECT_EQ(controlIn<QProgressBar>(normalizeDialog(), 617)->value(), 100);
    click(611);
  });
  w.window->runCommand(cmd::kNormalize);
  ASSERT_TRUE(steps.done());
  EXPECT_EQ("Peak found: " + peak.toStdString() + "\nLevel change: " + change.toStdString() + "\n", cli.out);

  // OK: a gain range of the proposed steps over the selection, which stays.
  ASSERT_EQ(s.edits.count, 1);
  const EditRange& range = s.edits.ranges[0];
  EXPECT_EQ(range.type, kRangeGain);
  EXPECT_EQ(range.beg, s.edits.selection.beg);
  EXPECT_EQ(range.end, s.edits.selection.end);
  EXPECT_EQ(range.gainbeg, 32 - slider);
  EXPECT_EQ(range.gainend, 32 - slider);
  EXPECT_EQ(QString::asprintf("%+2.1f dB", range.gainbeg * 1.5), change);
}

INSTANTIATE_TEST_SUITE_P(Files, NormalizeAgainstCli,
                         ::testing::Values(Measured{"tone_silence_tone.mp3", -1, -1}, Measured{"speech.mp3", -1, -1},
                                           Measured{"tone_steps.mp3", 100, 200}, Measured{"mono.mp3", 10, 60}));

TEST(NormalizeDialog, ControlsSliderKeysAndEnter) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());
  Session& s = w.session;
  DialogSteps steps;
  steps.then(scanEnded, [&] {
    QWidget* d = normalizeDialog();
    EXPECT_EQ(d->windowTitle(), "Normalize selection");
    for (int id : {601, 611, 612, 617, 631, 661, 662, 663}) {
      QWidget* c = controlIn<QWidget>(d, id);
      ASSERT_NE(c, nullptr) << id;
      EXPECT_EQ(c->property("controlId").toInt(), id);
    }
    QSlider* slider = controlIn<QSlider>(d, 631);
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 48);
    EXPECT_EQ(controlIn<QLabel>(d, 662)->text(), "Peak found:");
    EXPECT_EQ(controlIn<QLabel>(d, 663)->text(), "Level change:");
    EXPECT_EQ(valueText("levelChangeValue"), "+6.0 dB");  // a tone at -6 dBFS
    EXPECT_EQ(slider->value(), 28);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Up);  // the thumb up: more gain
    EXPECT_EQ(slider->value(), 27);
    EXPECT_EQ(valueText("levelChangeValue"), "+7.5 dB");
    slider->setValue(48);
    EXPECT_EQ(valueText("levelChangeValue"), "-24.0 dB");
    slider->setValue(33);
    QTest::keyClick(d, Qt::Key_Return);  // Enter is OK
  });
  w.window->runCommand(cmd::kNormalize);
  ASSERT_TRUE(steps.done());
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].gainbeg, -1);
}

TEST(NormalizeDialog, CancelInTheMiddleLeavesTheModelAsItWas) {
  test::TempDir dir;
  const auto source = test::repeatedTones(dir, 30);
  test::StartedWindow w(source.string());
  Session& s = w.session;
  const auto frames = test::demuxedFrames(source);
  s.edits.selection.beg = frames.at(10).pos;
  s.edits.selection.end = frames.at(6000).pos;
  s.stream.cursor = frames.at(5).pos;
  const EditRangeTable before = s.edits;
  for (const bool escape : {false, true}) {
    int progress = -1;
    DialogSteps steps;
    steps.then(scanHalfWay, [&] {
      progress = controlIn<QProgressBar>(normalizeDialog(), 617)->value();
      if (escape)
        QTest::keyClick(normalizeDialog(), Qt::Key_Escape);
      else
        click(612);
    });
    w.window->runCommand(cmd::kNormalize);
    ASSERT_TRUE(steps.done());
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 100);
    EXPECT_EQ(s.edits.count, 0);
    EXPECT_EQ(s.edits.selection.beg, before.selection.beg);
    EXPECT_EQ(s.edits.selection.end, before.selection.end);
    EXPECT_EQ(s.stream.cursor, frames.at(5).pos);  // back where it was
  }
}

TEST(NormalizeDialog, StopKeepsTheProposalMeasuredSoFar) {
  test::TempDir dir;
  const auto source = test::repeatedTones(dir, 30);
  test::StartedWindow w(source.string());
  Session& s = w.session;
  const int64_t cursor = s.stream.cursor;
  int stoppedAt = -1;
  QString change;
  DialogSteps steps;
  steps.then(scanHalfWay, [&] { click(601); })
      .then(
          [] { return normalizeDialog() != nullptr; },
          [&] {
            QWidget* d = normalizeDialog();
            EXPECT_FALSE(controlIn<QPushButton>(d, 601)->isEnabled());
            stoppedAt = controlIn<QProgressBar>(d, 617)->value();
            change = valueText("levelChangeValue");
            EXPECT_EQ(s.stream.cursor, cursor);  // the measuring has let go of the cursor
            click(611);
          });
  w.window->runCommand(cmd::kNormalize);
  ASSERT_TRUE(steps.done());
  EXPECT_GT(stoppedAt, 0);
  EXPECT_LT(stoppedAt, 100);
  EXPECT_EQ(change, "+6.0 dB");
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].gainbeg, 4);
}

}  // namespace
}  // namespace quillane
