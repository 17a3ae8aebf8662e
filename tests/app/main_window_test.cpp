// The main window's frame: title, menus, check marks, keys and fields, and the
// settings it stores on closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "app/accelerator_table.h"
#include "app/control_panel.h"
#include "app/graph_view.h"
#include "session/command_ids.h"
#include "settings/settings.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::StartedWindow;

QAction* itemOf(QMenu* menu, int commandId) {
  for (QAction* action : menu->actions()) {
    if (action->property("commandId").toInt() == commandId) return action;
  }
  return nullptr;
}

TEST(MainWindow, BuildsTheSixMenusFromTheTextTable) {
  StartedWindow w;
  EXPECT_EQ(w.window->windowTitle(), "Quillane");
  QStringList titles;
  for (QAction* action : w.window->menuBar()->actions()) titles << action->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "S&pecial", "&List", "&Settings", "&?"}));

  const MainMenu& menu = w.window->menu();
  ASSERT_EQ(menu.file->actions().size(), kFileMenuFixedEntries);  // no recent files yet
  EXPECT_EQ(itemOf(menu.file, cmd::kOpen)->text(), "&Open...\tCtrl+O");
  EXPECT_EQ(menu.file->actions()[kFileMenuFixedEntries - 1]->property("commandId").toInt(), cmd::kQuit);
  EXPECT_TRUE(itemOf(menu.file, cmd::kOpen)->shortcut().isEmpty());  // keys go through table 900
  EXPECT_EQ(itemOf(menu.help, cmd::kAbout)->text(), "&About");
  EXPECT_EQ(menu.graphLevel->title(), "MPEG graph level");
  EXPECT_EQ(itemOf(menu.graphLevel, cmd::kGraphLevelHigher)->text(), "Higher\tNum +");
  // Without ranges the "&List" menu holds one greyed item.
  ASSERT_EQ(menu.list->actions().size(), 1);
  EXPECT_EQ(menu.list->actions()[0]->text(), "(No cut/gain/cue present)");
  EXPECT_FALSE(menu.list->actions()[0]->isEnabled());
  // Every dialog is in this build: its items are enabled.
  EXPECT_TRUE(itemOf(menu.file, cmd::kSaveAll)->isEnabled());
  EXPECT_TRUE(itemOf(menu.settings, cmd::kConfigure)->isEnabled());
}

TEST(MainWindow, SettingsCheckMarksFollowTheSettingsAndToggleThem) {
  StartedWindow w;
  const MainMenu& menu = w.window->menu();
  for (int id = cmd::kToggleBigTimer; id <= cmd::kToggleBigRelative; ++id)
    EXPECT_TRUE(menu.items.at(id)->isCheckable()) << id;
  EXPECT_TRUE(menu.items.at(cmd::kToggleAutoselect)->isChecked());  // autoselect is on by default
  EXPECT_FALSE(menu.items.at(cmd::kToggleDbScale)->isChecked());
  EXPECT_FALSE(w.window->controlPanel()->button(cmd::kMargin)->isEnabled());

  menu.items.at(cmd::kToggleDbScale)->trigger();
  EXPECT_EQ(w.session.settings.db_scale, 1);
  EXPECT_TRUE(menu.items.at(cmd::kToggleDbScale)->isChecked());
  menu.items.at(cmd::kToggleMargin)->trigger();
  EXPECT_EQ(w.session.settings.margin, 1);
  menu.items.at(cmd::kToggleDbScale)->trigger();
  EXPECT_EQ(w.session.settings.db_scale, 0);
  EXPECT_FALSE(menu.items.at(cmd::kToggleDbScale)->isChecked());
}

TEST(MainWindow, ControlPanelCarriesTheNumberedControls) {
  StartedWindow w;
  ControlPanel* panel = w.window->controlPanel();
  EXPECT_EQ(panel->buttons().size(), 25u);
  QPushButton* cut = w.window->findChild<QPushButton*>("control152");
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->text(), "&Cut");
  EXPECT_EQ(cut->property("controlId").toInt(), cmd::kCut);
  EXPECT_EQ(cut->focusPolicy(), Qt::TabFocus);  // reached with Tab, never by a click
  EXPECT_TRUE(cut->toolTip().contains("Cut selection   [Del]"));
  EXPECT_TRUE(panel->button(cmd::kPlay)->isCheckable());
  EXPECT_FALSE(panel->button(cmd::kRewind)->isCheckable());
  EXPECT_NE(w.window->findChild<QLineEdit*>("control161"), nullptr);
  EXPECT_NE(w.window->findChild<QLineEdit*>("control160"), nullptr);
  EXPECT_EQ(w.window->positionBar()->objectName(), "Position");
  EXPECT_EQ(w.window->positionBar()->maximum(), 1000);
  // Graph, position bar and panel stacked from the top, the graph filling the rest.
  EXPECT_EQ(w.window->graphView()->y(), 0);
  EXPECT_EQ(w.window->positionBar()->y(), panel->y() - 20);
  EXPECT_EQ(w.window->graphView()->height(), panel->y() - 24);
}

TEST(MainWindow, AcceleratorTableHoldsItsKeys) {
  EXPECT_EQ(acceleratorCommand(Qt::Key_Delete, Qt::NoModifier), cmd::kCut);
  EXPECT_EQ(acceleratorCommand(Qt::Key_W, Qt::ControlModifier), cmd::kSaveAll);
  EXPECT_EQ(acceleratorCommand(Qt::Key_Left, Qt::ShiftModifier), cmd::kFrameBack);
  EXPECT_EQ(acceleratorCommand(Qt::Key_Left, Qt::KeypadModifier), cmd::kSkipBackSmall);
  EXPECT_EQ(acceleratorCommand(Qt::Key_Plus, Qt::KeypadModifier), cmd::kGraphLevelHigher);
  EXPECT_EQ(acceleratorCommand(Qt::Key_Plus, Qt::NoModifier), 0);  // only the keypad's
  EXPECT_EQ(acceleratorCommand(Qt::Key_1, Qt::NoModifier), cmd::kBeginBackOneFrame);
  EXPECT_EQ(acceleratorCommand(Qt::Key_1, Qt::KeypadModifier), 0);  // only the main row's
  EXPECT_EQ(acceleratorCommand(Qt::Key_I, Qt::ShiftModifier), 0);
  EXPECT_EQ(acceleratorCommand(Qt::Key_F4, Qt::AltModifier), 0);  // the window's close, not a command
}

TEST(MainWindow, KeysRunCommandsButAreTextInTheFields) {
  StartedWindow w;
  w.window->openPath = w.copyOf("cbr128_info.mp3");
  w.window->runCommand(cmd::kOpen);
  ASSERT_TRUE(w.session.stream.isOpen());
  ASSERT_EQ(w.session.settings.zoomlevel, 4);

  QTest::keyClick(w.window->graphView(), Qt::Key_I);
  EXPECT_EQ(w.session.settings.zoomlevel, 8);

  QLineEdit* field = w.window->controlPanel()->positionField();
  QTest::keyClick(w.window->graphView(), Qt::Key_P, Qt::ControlModifier);  // Ctrl+P: into the field
  EXPECT_EQ(w.window->focusWidget(), field);
  field->clear();
  const int64_t begBefore = w.session.edits.selection.beg;
  QTest::keyClicks(field, "1P");
  QTest::keyClick(field, Qt::Key_I);
  EXPECT_EQ(field->text(), "1Pi");
  EXPECT_EQ(w.session.settings.zoomlevel, 8);
  EXPECT_EQ(w.session.edits.selection.beg, begBefore);
  // Enter takes a readable time and hands the keyboard back to the window.
  field->setText("1");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(w.window->focusWidget(), w.window->graphView());
  QTest::keyClick(w.window->graphView(), Qt::Key_O);
  EXPECT_EQ(w.session.settings.zoomlevel, 4);
}

TEST(MainWindow, ClosingStoresTheWindowRectangleAndWritesTheSettings) {
  StartedWindow w;
  w.window->move(70, 80);
  w.window->resize(700, 480);
  w.window->close();
  EXPECT_FALSE(w.window->isVisible());
  // The frame's position and the inside's size.
  EXPECT_EQ(w.session.settings.window_x, w.window->frameGeometry().x());
  EXPECT_EQ(w.session.settings.window_y, w.window->frameGeometry().y());
  EXPECT_EQ(w.session.settings.window_w, 700);
  EXPECT_EQ(w.session.settings.window_h, 480);
  Settings read;
  ASSERT_TRUE(readSettings(read, w.session.settingsFile));
  EXPECT_EQ(read.window_w, w.session.settings.window_w);
  EXPECT_EQ(read.window_h, w.session.settings.window_h);
  EXPECT_EQ(read.version, kSettingsVersion);
}

}  // namespace
}  // namespace quillane
