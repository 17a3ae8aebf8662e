#include "app/dialogs/pause_detection_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "audio/pause_detection.h"
#include "dialog_steps.h"
#include "repeated_audio.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::activeModal;
using test::controlIn;
using test::DialogSteps;

QWidget* pauseDialog() { return activeModal("dialog407"); }

template <class Widget = QWidget>
Widget* control(int id) {
  return controlIn<Widget>(pauseDialog(), id);
}

QString valueText(const char* name) { return pauseDialog()->findChild<QLabel*>(name)->text(); }

bool running() { return pauseDialog() && control<QPushButton>(602)->isEnabled(); }
bool ended() { return pauseDialog() && !control<QPushButton>(602)->isEnabled(); }

struct Found {
  int type;
  int64_t beg;
  int64_t end;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << (f.type == kRangeGain ? "gain " : "cut/cue ") << f.beg << ".." << f.end;
}

std::vector<Found> rangesOf(const Session& s) {
  std::vector<Found> found;
  for (int i = 0; i < s.edits.count; ++i) {
    const EditRange& r = s.edits.ranges[static_cast<size_t>(i)];
    found.push_back({r.type, r.beg, r.end});
  }
  return found;
}

std::vector<Found> rangesOfJson(const std::string& json) {
  std::vector<Found> found;
  for (const QJsonValue& v : QJsonDocument::fromJson(QByteArray::fromStdString(json)).array()) {
    const QJsonObject o = v.toObject();
    const int type = o["kind"].toString() == "Gain" ? kRangeGain : kRangeCut;
    found.push_back({type, o["beg"].toInteger(), o["end"].toInteger()});
  }
  return found;
}


struct Search {
  int threshold;
  int duration;
  int offset;
  int skip;
  bool cutWhole;
};

class PausesAgainstCli : public ::testing::TestWithParam<Search> {};

TEST_P(PausesAgainstCli, SetsItsCuesWhereTheCommandLineDoes) {
  const Search& p = GetParam();
  test::TempDir dir;
  // With a skip: three times tone, pause, tone, so that the skip passes over a pause.
  const std::string source =
      p.skip > 0 ? test::repeatedTones(dir, 3).string() : test::dataPath("tone_silence_tone.mp3").string();
  test::StartedWindow w(source);
  Session& s = w.session;
  s.settings.autoselect = 0;  // so that the refresh after the dialog picks no range
  const test::CommandOutput cli = test::runCommand(
      test::shellQuote(QUILLANE_CLI_PATH) + " pauses --json " + test::shellQuote(source) + " --threshold " +
      std::to_string(p.threshold) + " --duration " + std::to_string(p.duration) + " --offset " +
      std::to_string(p.offset) + " --skip " + std::to_string(p.skip) + (p.cutWhole ? " --cut-whole" : ""));
  ASSERT_EQ(cli.status, 0) << cli.err;
  const std::vector<Found> expected = rangesOfJson(cli.out);
  ASSERT_FALSE(expected.empty());

  QString found;
  DialogSteps steps;
  steps
      .then([] { return pauseDialog() != nullptr; },
            [&] {
              control<QSlider>(631)->setValue(p.threshold);
              control<QSlider>(632)->setValue(p.duration);
              control<QSlider>(633)->setValue(p.offset);
              control<QCheckBox>(622)->setChecked(p.cutWhole);
              QLineEdit* skip = control<QLineEdit>(681);
              skip->selectAll();
              QTest::keyClicks(skip, QString::number(p.skip));
              control<QPushButton>(601)->click();
            })
      .then(ended, [&] {
        EXPECT_EQ(control<QProgressBar>(617)->value(), 100);
        found = valueText("foundCount");
        control<QPushButton>(613)->click();
      });
  w.window->runCommand(cmd::kPauseDetection);
  ASSERT_TRUE(steps.done());
  EXPECT_EQ(found.toStdString() + "\n", cli.err);  // with --json the count goes to stderr
  EXPECT_EQ(rangesOf(s), expected);
  EXPECT_EQ(s.edits.currentRange, -1);
  // The sliders are the settings.
  EXPECT_EQ(s.settings.silence_level, p.threshold);
  EXPECT_EQ(s.settings.silence_duration, p.duration);
  EXPECT_EQ(s.settings.silence_offset, p.offset);
  EXPECT_EQ(s.settings.silence_skip, p.skip);
}

INSTANTIATE_TEST_SUITE_P(Settings, PausesAgainstCli,
                         ::testing::Values(Search{30, 5, 50, 0, false}, Search{20, 3, 60, 0, false},
                                           Search{40, 6, 0, 0, true}, Search{30, 5, 60, 7, false}));

TEST(PauseDetectionDialog, ControlsAndTheirTexts) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());
  Session& s = w.session;
  s.settings.silence_level = 100;
  s.settings.silence_duration = 3;
  s.settings.silence_offset = 0;
  s.settings.silence_skip = 12;
  DialogSteps steps;
  steps.then([] { return pauseDialog() != nullptr; }, [&] {
    QWidget* d = pauseDialog();
    EXPECT_EQ(d->windowTitle(), "Pause detection");
    for (int id : {601, 602, 613, 617, 622, 631, 632, 633, 641, 661, 662, 663, 664, 665, 681}) {
      QWidget* c = control(id);
      ASSERT_NE(c, nullptr) << id;
      EXPECT_EQ(c->property("controlId").toInt(), id);
    }
    const struct {
      int id, low, high, value;
    } sliders[] = {{631, 1, 100, 100}, {632, 1, 30, 3}, {633, 0, 100, 0}};
    for (const auto& expected : sliders) {
      QSlider* slider = control<QSlider>(expected.id);
      EXPECT_EQ(slider->minimum(), expected.low) << expected.id;
      EXPECT_EQ(slider->maximum(), expected.high) << expected.id;
      EXPECT_EQ(slider->value(), expected.value) << expected.id;
    }
    EXPECT_EQ(valueText("thresholdValue"), "-10.3 dB");
    EXPECT_EQ(valueText("durationValue"), "> 0.8 sec");  // 30 frames of 26 ms
    EXPECT_EQ(valueText("offsetValue"), "-60 frames");
    EXPECT_EQ(control<QLineEdit>(681)->text(), "12");
    EXPECT_EQ(valueText("foundCount"), "Found: 0");
    EXPECT_FALSE(control<QPushButton>(602)->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(622)->isChecked());

    control<QSlider>(631)->setValue(1);
    EXPECT_EQ(valueText("thresholdValue"), "-90.3 dB");
    control<QSlider>(632)->setValue(30);
    EXPECT_EQ(valueText("durationValue"), "> 7.8 sec");
    control<QSlider>(633)->setValue(60);
    EXPECT_EQ(valueText("offsetValue"), "0 frames");
    // The skip field takes digits only.
    QLineEdit* skip = control<QLineEdit>(681);
    skip->clear();
    QTest::keyClicks(skip, "-4x5");
    EXPECT_EQ(skip->text(), "45");
    QTest::keyClick(d, Qt::Key_Escape);
  });
  w.window->runCommand(cmd::kPauseDetection);
  ASSERT_TRUE(steps.done());
  EXPECT_EQ(s.settings.silence_level, 1);
  EXPECT_EQ(s.settings.silence_duration, 30);
  EXPECT_EQ(s.settings.silence_offset, 60);
  EXPECT_EQ(s.settings.silence_skip, 12);  // the field is read by "&Start" only
}

TEST(PauseDetectionDialog, ClosedWithoutStartingChangesNothing) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());
  Session& s = w.session;
  const auto frames = test::demuxedFrames(test::dataPath("tone_silence_tone.mp3"));
  s.edits.count = 1;
  s.edits.ranges[0] = EditRange{kRangeCut, frames.at(20).pos, frames.at(20).pos, 0, 0, "Kept", ""};
  s.edits.selection.beg = frames.at(10).pos;
  s.edits.selection.end = frames.at(200).pos;
  s.stream.cursor = frames.at(7).pos;
  DialogSteps steps;
  steps.then([] { return pauseDialog() != nullptr; }, [] { control<QPushButton>(613)->click(); });
  w.window->runCommand(cmd::kPauseDetection);
  ASSERT_TRUE(steps.done());
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].title, "Kept");
  EXPECT_EQ(s.stream.cursor, frames.at(7).pos);
  EXPECT_EQ(s.edits.selection.beg, frames.at(10).pos);
  EXPECT_EQ(s.edits.selection.end, frames.at(200).pos);
}

TEST(PauseDetectionDialog, StopInTheMiddleKeepsWhatWasFoundAndGivesBackTheCursor) {
  test::TempDir dir;
  const auto source = test::repeatedTones(dir, 40);
  test::StartedWindow w(source.string());
  Session& s = w.session;
  const int64_t cursor = s.stream.cursor;
  int stoppedAt = -1;
  QString found;
  DialogSteps steps;
  steps.then([] { return pauseDialog() != nullptr; }, [] { control<QPushButton>(601)->click(); })
      .then(
          [] { return running() && control<QProgressBar>(617)->value() > 0; },
          [] { control<QPushButton>(602)->click(); })
      .then(ended, [&] {
        stoppedAt = control<QProgressBar>(617)->value();
        found = valueText("foundCount");
        EXPECT_EQ(s.stream.cursor, cursor);
        QTest::keyClick(pauseDialog(), Qt::Key_Escape);  // Escape closes
      });
  w.window->runCommand(cmd::kPauseDetection);
  ASSERT_TRUE(steps.done());
  EXPECT_GT(stoppedAt, 0);
  EXPECT_LT(stoppedAt, 100);
  // Every cue found before the stop stays; there are fewer than the 40 pauses.
  EXPECT_EQ(found, QStringLiteral("Found: %1").arg(s.edits.count));
  EXPECT_LT(s.edits.count, 40);
  EXPECT_EQ(s.stream.cursor, cursor);
}

// The threads of this process now.
int threadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

TEST(PauseDetectionDialog, ScansOnEveryCoreWithTheCuesOfOneThreadAndTakesInputMeanwhile) {
  test::TempDir dir;
  const auto source = test::repeatedTones(dir, 150);
  // The one-thread scan, as the model runs it.
  Session one;
  SilentHost quiet;
  ASSERT_TRUE(test::openInSession(one, source));
  {
    PauseDetection detection(one, quiet);
    detection.open();
    ASSERT_TRUE(detection.start());
    while (detection.step()) {
    }
    detection.close();
  }
  ASSERT_EQ(one.edits.count, 150);

  test::StartedWindow w(source.string());
  Session& s = w.session;
  s.settings.autoselect = 0;
  const int before = threadCount();
  int most = before;
  std::set<int> progressShown;
  QString found;
  DialogSteps steps;
  steps.then([] { return pauseDialog() != nullptr; }, [] { control<QPushButton>(601)->click(); })
      .then(
          [&] {
            // Polled from the event loop: every call is the window taking its events.
            if (!running()) return true;
            most = std::max(most, threadCount());
            progressShown.insert(control<QProgressBar>(617)->value());
            return false;
          },
          [] {})
      .then(ended, [&] {
        found = valueText("foundCount");
        control<QPushButton>(613)->click();
      });
  w.window->runCommand(cmd::kPauseDetection);
  ASSERT_TRUE(steps.done());
  if (std::thread::hardware_concurrency() > 1) {
    EXPECT_GE(most, before + 2);
  }
  EXPECT_GE(progressShown.size(), 3u);  // the bar moved while the threads scanned
  EXPECT_EQ(found, "Found: 150");
  EXPECT_EQ(rangesOf(s), rangesOf(one));
}

}  // namespace
}  // namespace quillane
