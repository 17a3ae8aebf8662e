#include "app/dialogs/auto_cue_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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

QLineEdit* field(QDialog& d) { return control<QLineEdit>(d, 681); }

TEST(AutoCueDialogWindow, ShowsTheIntervalAndSetsCuesWithOk) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());  // 6.03 s
  Session& s = w.session;
  ASSERT_EQ(s.settings.autocue, 120);
  ModalScript script([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Auto Cue");
    for (int id : {611, 612, 661, 681}) {
      QWidget* c = control<QWidget>(d, id);
      ASSERT_NE(c, nullptr) << id;
      EXPECT_EQ(c->property("controlId").toInt(), id);
    }
    EXPECT_EQ(control<QLabel>(d, 661)->text(), "Set a Cue every (min:sec)");
    EXPECT_EQ(field(d)->text(), "2:00");
    EXPECT_TRUE(field(d)->hasFocus());
    EXPECT_EQ(field(d)->maxLength(), 19);
    field(d)->selectAll();
    QTest::keyClicks(field(d), "0:02");
    QTest::keyClick(field(d), Qt::Key_Return);  // Enter is OK
  });
  w.window->runCommand(cmd::kAutoCue);
  ASSERT_TRUE(script.ran());
  EXPECT_EQ(s.settings.autocue, 2);
  ASSERT_EQ(s.edits.count, 3);  // about 2, 4 and 6 seconds
  for (int i = 0; i < s.edits.count; ++i) EXPECT_TRUE(s.edits.ranges[i].isCue()) << i;
  const std::vector<QString> menu = listMenuTexts(*w.window);
  EXPECT_EQ(menu, rangeItemTexts(s));
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_TRUE(menu[0].startsWith("01 Cue")) << menu[0].toStdString();

  // The next opening shows the stored interval.
  ModalScript again([](QDialog& d) {
    EXPECT_EQ(field(d)->text(), "0:02");
    control<QPushButton>(d, 612)->click();
  });
  w.window->runCommand(cmd::kAutoCue);
  ASSERT_TRUE(again.ran());
  EXPECT_EQ(s.edits.count, 3);
}

TEST(AutoCueDialogWindow, ATextWithoutAColonKeepsItOpenAndChangesNothing) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());
  Session& s = w.session;
  bool stayedOpen = false;
  ModalScript script([&](QDialog& d) {
    field(d)->setText("90");
    control<QPushButton>(d, 611)->click();
    stayedOpen = d.isVisible();
    // Still there, the text selected for retyping, nothing set.
    EXPECT_EQ(field(d)->text(), "90");
    EXPECT_EQ(field(d)->selectedText(), "90");
    EXPECT_EQ(s.settings.autocue, 120);
    EXPECT_EQ(s.edits.count, 0);
    QTest::keyClick(field(d), Qt::Key_Return);  // Enter likewise
    stayedOpen = stayedOpen && d.isVisible();
    QTest::keyClicks(field(d), "0:03");
    QTest::keyClick(field(d), Qt::Key_Return);
  });
  w.window->runCommand(cmd::kAutoCue);
  ASSERT_TRUE(script.ran());
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(s.settings.autocue, 3);
  EXPECT_EQ(s.edits.count, 2);  // about 3 and 6 seconds
  EXPECT_EQ(listMenuTexts(*w.window), rangeItemTexts(s));
}

TEST(AutoCueDialogWindow, EscapeAndTheCloseBoxChangeNothing) {
  test::StartedWindow w(test::dataPath("tone_silence_tone.mp3").string());
  Session& s = w.session;
  for (const bool closeBox : {false, true}) {
    ModalScript script([closeBox](QDialog& d) {
      field(d)->setText("0:01");
      closeBox ? (void)d.close() : QTest::keyClick(field(d), Qt::Key_Escape);
    });
    w.window->runCommand(cmd::kAutoCue);
    ASSERT_TRUE(script.ran()) << closeBox;
    EXPECT_EQ(s.settings.autocue, 120) << closeBox;
    EXPECT_EQ(s.edits.count, 0) << closeBox;
    EXPECT_FALSE(s.edits.modified) << closeBox;
  }
}

}  // namespace
}  // namespace quillane
