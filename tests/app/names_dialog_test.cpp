#include "app/dialogs/names_dialog.h"

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

QLineEdit* artist(QDialog& d) { return control<QLineEdit>(d, 681); }
QLineEdit* title(QDialog& d) { return control<QLineEdit>(d, 682); }

// The window on tone_silence_tone.mp3 with three cues, the cursor on the second one,
// which is current (as "Autoselect edit ranges" keeps it).
struct CuedWindow : test::StartedWindow {
  CuedWindow() : StartedWindow(test::dataPath("tone_silence_tone.mp3").string()) {
    Session& s = session;
    for (int64_t at : {10000, 40000, 70000}) {
      s.edits.selection.beg = s.edits.selection.end = findFrame(s.stream, s.stream.audioStart + at).offset;
      s.edits.selection.type = kRangeCut;
      EXPECT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
    }
    s.edits.currentRange = 1;
    s.stream.cursor = s.edits.ranges[1].beg;
    s.edits.modified = false;
    window->rebuildRangeMenu();
  }
};

TEST(NamesDialogWindow, OkNamesTheCurrentCueAndTheListShowsIt) {
  CuedWindow w;
  Session& s = w.session;
  ModalScript script([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Names for Cue #2");
    for (int id : {611, 612, 661, 662, 681, 682}) {
      QWidget* c = control<QWidget>(d, id);
      ASSERT_NE(c, nullptr) << id;
      EXPECT_EQ(c->property("controlId").toInt(), id);
    }
    EXPECT_EQ(control<QLabel>(d, 661)->text(), "Artist");
    EXPECT_EQ(control<QLabel>(d, 662)->text(), "Title");
    EXPECT_TRUE(artist(d)->hasFocus());
    EXPECT_EQ(artist(d)->maxLength(), 199);
    EXPECT_TRUE(artist(d)->text().isEmpty());
    QTest::keyClicks(artist(d), "The Band");
    QTest::keyClick(artist(d), Qt::Key_Tab);
    QTest::keyClicks(title(d), " Second Song ");  // kept as typed
    QTest::keyClick(title(d), Qt::Key_Return);
  });
  w.window->runCommand(cmd::kNamesForCue);
  ASSERT_TRUE(script.ran());
  EXPECT_EQ(s.edits.ranges[1].artist, "The Band");
  EXPECT_EQ(s.edits.ranges[1].title, " Second Song ");
  EXPECT_TRUE(s.edits.ranges[0].title.empty());
  EXPECT_TRUE(s.edits.modified);
  EXPECT_EQ(s.edits.currentRange, 1);
  const std::vector<QString> menu = listMenuTexts(*w.window);
  EXPECT_EQ(menu, rangeItemTexts(s));
  EXPECT_TRUE(menu.at(1).contains("Second Song")) << menu.at(1).toStdString();

  // Opened again: the names are there; clearing both and OK removes them.
  ModalScript clear([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Names for Cue #2");
    EXPECT_EQ(artist(d)->text(), "The Band");
    EXPECT_EQ(title(d)->text(), " Second Song ");
    artist(d)->clear();
    title(d)->clear();
    control<QPushButton>(d, 611)->click();
  });
  w.window->runCommand(cmd::kNamesForCue);
  ASSERT_TRUE(clear.ran());
  EXPECT_TRUE(s.edits.ranges[1].artist.empty());
  EXPECT_TRUE(s.edits.ranges[1].title.empty());
  EXPECT_EQ(listMenuTexts(*w.window), rangeItemTexts(s));
}

TEST(NamesDialogWindow, CancelEscapeAndTheCloseBoxLeaveTheNames) {
  CuedWindow w;
  Session& s = w.session;
  s.edits.ranges[1].title = "Kept";
  for (int how = 0; how < 3; ++how) {
    ModalScript script([how](QDialog& d) {
      title(d)->setText("Typed");
      if (how == 0) control<QPushButton>(d, 612)->click();
      if (how == 1) QTest::keyClick(title(d), Qt::Key_Escape);
      if (how == 2) d.close();
    });
    w.window->runCommand(cmd::kNamesForCue);
    ASSERT_TRUE(script.ran()) << how;
    EXPECT_EQ(s.edits.ranges[1].title, "Kept") << how;
    EXPECT_FALSE(s.edits.modified) << how;
  }
}

TEST(NamesDialogWindow, TheCueSheetsNamesAndRangeOneCurrentAfterwards) {
  CuedWindow w;
  Session& s = w.session;
  s.settings.autoselect = 0;  // otherwise the range at the cursor becomes current again
  ModalScript cancel([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Names for Cue sheet");
    control<QPushButton>(d, 612)->click();
  });
  w.window->runCommand(cmd::kNamesForCueSheet);
  ASSERT_TRUE(cancel.ran());
  EXPECT_EQ(s.edits.currentRange, 0);  // range 1 current after Cancel

  ModalScript ok([](QDialog& d) {
    QTest::keyClicks(artist(d), "Various");
    QTest::keyClicks(title(d), "Album");
    control<QPushButton>(d, 611)->click();
  });
  w.window->runCommand(cmd::kNamesForCueSheet);
  ASSERT_TRUE(ok.ran());
  EXPECT_EQ(s.edits.sheetArtist, "Various");
  EXPECT_EQ(s.edits.sheetTitle, "Album");
  EXPECT_EQ(s.edits.currentRange, 0);
  EXPECT_TRUE(s.edits.modified);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(s.edits.ranges[i].title.empty()) << i;
}

TEST(NamesDialogWindow, NoCurrentRangeIsRefusedWithoutADialog) {
  CuedWindow w;
  w.session.edits.currentRange = -1;
  ModalScript script([](QDialog& d) { d.reject(); });
  w.window->runCommand(cmd::kNamesForCue);
  EXPECT_FALSE(script.ran());
  ASSERT_EQ(w.window->messages.size(), 1u);
  EXPECT_EQ(w.window->messages[0], "No active edit range (cut/cue/gain)");
}

}  // namespace
}  // namespace quillane
