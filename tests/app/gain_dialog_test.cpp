#include "app/dialogs/gain_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <regex>

#include "edit/edit_model.h"
#include "list_menu_texts.h"
#include "modal_script.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::control;
using test::listMenuTexts;
using test::rangeItemTexts;
using test::ModalScript;

QString textOf(QDialog& dialog, int controlId) { return control<QLabel>(dialog, controlId)->text(); }
QSlider* slider(QDialog& dialog, int controlId) { return control<QSlider>(dialog, controlId); }

void press(QDialog& dialog, int controlId) { control<QPushButton>(dialog, controlId)->click(); }

// A selection of the open file between two frames found near these offsets.
void select(Session& s, int64_t from, int64_t to) {
  s.edits.selection.beg = findFrame(s.stream, s.stream.audioStart + from).offset;
  s.edits.selection.end = findFrame(s.stream, s.stream.audioStart + to).offset;
  ASSERT_LT(s.edits.selection.beg, s.edits.selection.end);
}

TEST(GainDialogWindow, FadeInThroughTheDialogMakesAGainRangeAndItsListItem) {
  test::StartedWindow w(test::dataPath("cbr128_notag.mp3").string());
  Session& s = w.session;
  select(s, 10000, 30000);
  ModalScript script([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Change gain of selection relatively...");
    for (int id : {601, 602, 603, 611, 612, 621, 631, 632, 671, 672}) {
      QWidget* c = control<QWidget>(d, id);
      ASSERT_NE(c, nullptr) << id;
      EXPECT_EQ(c->property("controlId").toInt(), id);
    }
    for (int id : {631, 632}) {
      EXPECT_EQ(slider(d, id)->orientation(), Qt::Vertical);
      EXPECT_EQ(slider(d, id)->minimum(), 0);
      EXPECT_EQ(slider(d, id)->maximum(), 64);
      EXPECT_EQ(slider(d, id)->value(), 32);
    }
    EXPECT_EQ(textOf(d, 671), "from +0.0 dB");
    EXPECT_EQ(textOf(d, 672), "to +0.0 dB");
    EXPECT_EQ(control<QPushButton>(d, 601)->text(), "Fade &in");
    EXPECT_EQ(control<QCheckBox>(d, 621)->text(), "&Lock sliders");
    press(d, 601);
    EXPECT_EQ(textOf(d, 671), "from -48.0 dB");
    EXPECT_EQ(textOf(d, 672), "to +0.0 dB");
    EXPECT_EQ(slider(d, 631)->value(), 64);
    press(d, 611);
  });
  w.window->runCommand(cmd::kGain);
  ASSERT_TRUE(script.ran());
  ASSERT_EQ(s.edits.count, 1);
  const EditRange& r = s.edits.ranges[0];
  EXPECT_EQ(r.type, kRangeGain);
  EXPECT_EQ(r.gainbeg, -32);
  EXPECT_EQ(r.gainend, 0);
  EXPECT_EQ(r.title, "(-48.0...+0.0 dB)");
  EXPECT_EQ(listMenuTexts(*w.window), rangeItemTexts(s));
  EXPECT_TRUE(listMenuTexts(*w.window).at(0).endsWith("(-48.0...+0.0 dB)"));
}

TEST(GainDialogWindow, SlidersStepStopAtTheEndsAndLock) {
  test::StartedWindow w(test::dataPath("cbr128_notag.mp3").string());
  Session& s = w.session;
  select(s, 10000, 30000);
  const EditRange before = s.edits.selection;
  ModalScript script([](QDialog& d) {
    QSlider* begin = slider(d, 631);
    QSlider* end = slider(d, 632);
    EXPECT_TRUE(begin->hasFocus());
    QTest::keyClick(begin, Qt::Key_Up);  // towards the top: more gain
    EXPECT_EQ(textOf(d, 671), "from +1.5 dB");
    EXPECT_EQ(begin->value(), 31);
    QTest::keyClick(begin, Qt::Key_PageUp);  // a page is one step
    EXPECT_EQ(textOf(d, 671), "from +3.0 dB");
    for (int i = 0; i < 40; ++i) QTest::keyClick(begin, Qt::Key_Up);
    EXPECT_EQ(textOf(d, 671), "from +48.0 dB");
    EXPECT_EQ(begin->value(), 0);
    for (int i = 0; i < 40; ++i) end->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(textOf(d, 672), "to -48.0 dB");
    QTest::keyClick(end, Qt::Key_Down);
    EXPECT_EQ(textOf(d, 672), "to -48.0 dB");
    EXPECT_EQ(end->value(), 64);
    EXPECT_EQ(textOf(d, 671), "from +48.0 dB");  // not locked: the other stays

    control<QCheckBox>(d, 621)->setChecked(true);
    end->setSliderPosition(40);  // dragged: -8 steps
    EXPECT_EQ(textOf(d, 672), "to -12.0 dB");
    EXPECT_EQ(textOf(d, 671), "from -12.0 dB");
    EXPECT_EQ(begin->value(), 40);
    QTest::keyClick(end, Qt::Key_Up);
    EXPECT_EQ(textOf(d, 671), "from -10.5 dB");
    press(d, 603);
    EXPECT_EQ(textOf(d, 671), "from +0.0 dB");
    EXPECT_EQ(textOf(d, 672), "to +0.0 dB");
    press(d, 602);
    EXPECT_EQ(textOf(d, 672), "to -48.0 dB");
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  w.window->runCommand(cmd::kGain);
  ASSERT_TRUE(script.ran());
  // Cancelled: no range, and the pending record as it was.
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.selection.type, before.type);
  EXPECT_EQ(s.edits.selection.gainbeg, before.gainbeg);
  EXPECT_EQ(s.edits.selection.gainend, before.gainend);
  EXPECT_EQ(s.edits.selection.beg, before.beg);
  EXPECT_EQ(s.edits.selection.end, before.end);
  EXPECT_EQ(listMenuTexts(*w.window), rangeItemTexts(s));
}

TEST(GainDialogWindow, EnterIsOkAndTheCloseBoxCancels) {
  test::StartedWindow w(test::dataPath("cbr128_notag.mp3").string());
  Session& s = w.session;
  select(s, 10000, 30000);
  {
    ModalScript script([](QDialog& d) {
      QTest::keyClick(slider(d, 632), Qt::Key_Up);
      QTest::keyClick(slider(d, 632), Qt::Key_Return);
    });
    w.window->runCommand(cmd::kGain);
    ASSERT_TRUE(script.ran());
  }
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].title, "(+0.0...+1.5 dB)");

  // Taken back with "&Edit": the dialog opens with its amounts; the close box keeps them.
  s.edits.currentRange = 0;
  w.window->runCommand(cmd::kEditRange);
  ASSERT_EQ(s.edits.count, 0);
  {
    ModalScript script([](QDialog& d) {
      EXPECT_EQ(textOf(d, 672), "to +1.5 dB");
      press(d, 601);
      d.close();
    });
    w.window->runCommand(cmd::kGain);
    ASSERT_TRUE(script.ran());
  }
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.selection.gainbeg, 0);
  EXPECT_EQ(s.edits.selection.gainend, 1);
}

TEST(GainDialogWindow, NothingOpensWithoutASelectionLength) {
  test::StartedWindow w(test::dataPath("cbr128_notag.mp3").string());
  Session& s = w.session;
  s.edits.selection.beg = s.edits.selection.end = findFrame(s.stream, s.stream.audioStart + 10000).offset;
  ModalScript script([](QDialog& d) { d.reject(); });
  w.window->runCommand(cmd::kGain);
  EXPECT_FALSE(script.ran());
  EXPECT_EQ(s.edits.count, 0);
}

// The window with its "Save all" destination scripted.
class SavingWindow : public test::TestMainWindow {
 public:
  using TestMainWindow::TestMainWindow;
  std::string destination;
  bool saveFileDialog(const FileDialogRequest&, std::string& path) override {
    path = destination;
    return true;
  }
};

int64_t jsonNumber(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\":\\s*(-?[0-9]+)"))) return -1;
  return std::stoll(m[1]);
}

TEST(GainDialogWindow, AFadeSavedFromTheWindowEqualsTheCommandLinesBytes) {
  test::TempDir dir;
  const std::string source = test::dataPath("cbr128_notag.mp3").string();
  const std::string cli = test::shellQuote(QUILLANE_CLI_PATH);
  // A fade out over the second second (a sign on the first gain, or "1-2:0" reads as a range to 2:00).
  const std::string gain = " --gain 1-2:+0:-32";
  const test::CommandOutput ranges = test::runCommand(cli + " ranges --json " + test::shellQuote(source) + gain);
  ASSERT_EQ(ranges.status, 0) << ranges.err;
  const std::string cliOut = (dir / "cli.mp3").string();
  const test::CommandOutput saved =
      test::runCommand(cli + " save " + test::shellQuote(source) + " -o " + test::shellQuote(cliOut) + gain);
  ASSERT_EQ(saved.status, 0) << saved.err;

  Session s;
  s.settingsFile = dir / "quillane.ini";
  SavingWindow window(s);
  window.destination = (dir / "window.mp3").string();
  window.start(source);
  s.edits.selection.beg = jsonNumber(ranges.out, "beg");
  s.edits.selection.end = jsonNumber(ranges.out, "end");
  ASSERT_GT(s.edits.selection.beg, 0);
  ASSERT_GT(s.edits.selection.end, s.edits.selection.beg);
  {
    ModalScript script([](QDialog& d) {
      press(d, 602);
      press(d, 611);
    });
    window.runCommand(cmd::kGain);
    ASSERT_TRUE(script.ran());
  }
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].gainbeg, jsonNumber(ranges.out, "gainbeg"));
  EXPECT_EQ(s.edits.ranges[0].gainend, jsonNumber(ranges.out, "gainend"));
  EXPECT_EQ(s.edits.ranges[0].end, jsonNumber(ranges.out, "end"));
  EXPECT_NE(ranges.out.find("\"title\": \"" + s.edits.ranges[0].title + "\""), std::string::npos) << ranges.out;
  window.runCommand(cmd::kSaveAll);
  EXPECT_TRUE(window.messages.empty()) << window.messages.front();
  const test::Bytes fromWindow = test::readBytes(window.destination);
  ASSERT_FALSE(fromWindow.empty());
  EXPECT_TRUE(fromWindow == test::readBytes(cliOut)) << "the window's save differs from quillane-cli's";
  EXPECT_FALSE(fromWindow == test::readBytes(source));  // the fade changed something
}

}  // namespace
}  // namespace quillane
