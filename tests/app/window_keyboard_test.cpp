// The keyboard in the main window: Tab walks its parts as in any window, a
// button reached with Tab is pressed with Space, and a menu closed with Escape
// gives the navigation keys back to the graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <set>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::StartedWindow;

// The window with a file open and the cursor some way into it.
struct OpenWindow : StartedWindow {
  OpenWindow() {
    window->openPath = copyOf("cbr128_info.mp3");
    window->runCommand(cmd::kOpen);
    EXPECT_TRUE(session.stream.isOpen());
    window->graphView()->setFocus();
  }
};

TEST(WindowKeyboard, TabWalksTheGraphTheFieldsAndTheButtons) {
  OpenWindow w;
  ControlPanel* panel = w.window->controlPanel();
  QWidget* graph = w.window->graphView();
  EXPECT_EQ(QApplication::focusWidget(), graph);

  QTest::keyClick(graph, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), panel->positionField());
  QTest::keyClick(panel->positionField(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), panel->selectionField());
  QTest::keyClick(panel->selectionField(), Qt::Key_Tab);
  auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
  ASSERT_NE(button, nullptr) << "Tab left the fields for no button";

  // Every button is reached, each once, and the walk comes back to the graph.
  std::set<QPushButton*> reached;
  QWidget* at = button;
  for (int step = 0; step < 40 && at != graph; ++step) {
    if (auto* b = qobject_cast<QPushButton*>(at)) {
      EXPECT_TRUE(reached.insert(b).second);
    }
    QTest::keyClick(at, Qt::Key_Tab);
    at = QApplication::focusWidget();
  }
  EXPECT_EQ(at, graph);
  size_t enabled = 0;  // a disabled button is passed over
  for (QPushButton* b : panel->findChildren<QPushButton*>()) enabled += b->isEnabled() ? 1 : 0;
  EXPECT_EQ(reached.size(), enabled);

  // Shift+Tab goes back.
  QTest::keyClick(graph, Qt::Key_Backtab);
  EXPECT_NE(QApplication::focusWidget(), graph);
  EXPECT_TRUE(qobject_cast<QPushButton*>(QApplication::focusWidget()));
}

TEST(WindowKeyboard, ATypedTimeIsTakenWhenTabLeavesTheField) {
  OpenWindow w;
  QLineEdit* field = w.window->controlPanel()->positionField();
  // The text the field shows at a later position, typed back in at the start.
  w.window->runCommand(cmd::kSkipForwardLarge);
  const int64_t later = w.session.stream.cursor;
  const QString shownLater = field->text();
  w.window->runCommand(cmd::kRewind);
  ASSERT_NE(w.session.stream.cursor, later);

  QTest::keyClick(w.window->graphView(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), field);
  field->selectAll();
  QTest::keyClicks(field, shownLater);
  QTest::keyClick(field, Qt::Key_Tab);
  EXPECT_EQ(w.session.stream.cursor, later);
  EXPECT_EQ(QApplication::focusWidget(), w.window->controlPanel()->selectionField());
}

TEST(WindowKeyboard, SpaceOnAButtonReachedWithTabPressesIt) {
  OpenWindow w;
  QPushButton* end = w.window->controlPanel()->button(cmd::kSetEnd);
  ASSERT_NE(end, nullptr);
  // Move the cursor on, then press "Set end" from the keyboard.
  w.window->runCommand(cmd::kSkipForwardLarge);
  const int64_t cursor = w.session.stream.cursor;
  end->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), end);
  QTest::keyClick(end, Qt::Key_Space);
  QTest::qWait(250);  // the click is animated
  EXPECT_EQ(w.session.edits.selection.end, cursor);
  EXPECT_FALSE(w.session.playing);  // Space pressed the button, it did not start playback
}

TEST(WindowKeyboard, EscapeFromAMenuGivesTheArrowKeysBackToTheGraph) {
  OpenWindow w;
  QMenuBar* bar = w.window->menuBar();
  // Alt+F opens "&File" from the keyboard; Escape closes it.
  QTest::keyClick(w.window->graphView(), Qt::Key_F, Qt::AltModifier);
  QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
  QTest::qWait(20);
  EXPECT_NE(QApplication::focusWidget(), bar);
  EXPECT_EQ(bar->activeAction(), nullptr);

  // The arrow key moves the cursor, as the navigation table says.
  const int64_t before = w.session.stream.cursor;
  QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : w.window.get();
  QTest::keyClick(focus, Qt::Key_Right);
  EXPECT_GT(w.session.stream.cursor, before);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
}  // namespace quillane
