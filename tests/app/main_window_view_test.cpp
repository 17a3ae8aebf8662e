// The main window over a real file: opening, the texts of the refresh, and the
// colours that painting leaves in the back buffer and on the screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <cmath>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "session/command_ids.h"
#include "test_main_window.h"
#include "view/canvas.h"

namespace quillane {
namespace {

using test::StartedWindow;

QRgb rgbOf(int32_t setting) {
  const Rgb c = rgbFromSetting(setting);
  return qRgb(c.r, c.g, c.b) & 0xFFFFFF;
}

QRgb pixel(const MainWindow& window, int x, int y) { return window.graphView()->backBuffer().pixel(x, y) & 0xFFFFFF; }

// The first back-buffer column of the level graph that shows frame column k.
int xOfColumn(const GraphGeometry& g, int64_t k) {
  return static_cast<int>((k * g.width + g.graphColumns - 1) / g.graphColumns);
}

TEST(MainWindow, OpensTheCommandLineFileAndShowsItsTexts) {
  test::TempDir folder;
  std::filesystem::copy_file(test::dataPath("cbr128_info.mp3"), folder / "tone.mp3");
  StartedWindow w((folder / "tone.mp3").string());
  ASSERT_TRUE(w.session.stream.isOpen());
  EXPECT_EQ(w.window->windowTitle(), "tone.mp3 - Quillane");
  EXPECT_EQ(w.window->statusLabel()->text(), " MPEG1.0 Layer 3, 128 kbps, 44 kHz, Joint Stereo");
  EXPECT_TRUE(w.window->controlPanel()->positionField()->text().startsWith(" Total: "));
  EXPECT_EQ(w.window->controlPanel()->selectionField()->text(), " ");
  // The file went to the recent list: a separator and its entry after the fixed items.
  w.window->rebuildRecentMenu();
  const QList<QAction*> file = w.window->menu().file->actions();
  ASSERT_EQ(file.size(), kFileMenuFixedEntries + 2);
  EXPECT_TRUE(file[kFileMenuFixedEntries]->isSeparator());
  EXPECT_EQ(file[kFileMenuFixedEntries + 1]->property("commandId").toInt(), cmd::kRecentFileBase);
  EXPECT_TRUE(file[kFileMenuFixedEntries + 1]->text().endsWith("tone.mp3"));

  w.window->runCommand(cmd::kClose);
  EXPECT_EQ(w.window->windowTitle(), "Quillane");
  EXPECT_EQ(w.window->statusLabel()->text(), " ");
}

TEST(MainWindow, OpenCommandTakesTheFileOfTheDialog) {
  StartedWindow w;
  w.window->openPath = w.copyOf("mono.mp3");
  w.window->runCommand(cmd::kOpen);
  EXPECT_EQ(w.window->windowTitle(), "mono.mp3 - Quillane");
  EXPECT_EQ(w.window->statusLabel()->text(), " MPEG1.0 Layer 3, 64 kbps, 44 kHz, Mono");
  EXPECT_TRUE(w.window->messages.empty());
}

TEST(MainWindow, PaintsCursorSelectionAndCutIntoTheBackBuffer) {
  StartedWindow w;
  const Settings& s = w.session.settings;
  test::TestMainWindow& window = *w.window;
  // An empty view is the plain background.
  EXPECT_EQ(pixel(window, 5, 5), rgbOf(s.rgb_background));

  window.openPath = w.copyOf("tone_silence_tone.mp3");
  window.runCommand(cmd::kOpen);
  ASSERT_TRUE(w.session.stream.isOpen());
  const GraphGeometry& g = window.graphGeometry();
  ASSERT_EQ(g.width, window.graphView()->backBuffer().width());
  const int centre = xOfColumn(g, g.graphColumns / 2);
  // The dotted cursor line from y = 2 on, in the centre column.
  EXPECT_EQ(pixel(window, centre, 2), rgbOf(s.rgb_cursor));
  EXPECT_EQ(pixel(window, centre, 4), rgbOf(s.rgb_cursor));
  EXPECT_EQ(pixel(window, centre, g.height - 3), rgbOf(s.rgb_background));
  // What the screen shows is the back buffer, inside the sunken frame.
  const QImage shown = window.graphView()->grab().toImage();
  const QPoint inside = window.graphView()->contentsRect().topLeft();
  EXPECT_EQ(shown.pixel(inside + QPoint(centre, 2)) & 0xFFFFFF, rgbOf(s.rgb_cursor));

  // B, a few steps on, N: the selection ends at the cursor.
  QTest::keyClick(window.graphView(), Qt::Key_B);
  for (int i = 0; i < 3; ++i) QTest::keyClick(window.graphView(), Qt::Key_Right);
  QTest::keyClick(window.graphView(), Qt::Key_N);
  const EditRange& sel = w.session.edits.selection;
  ASSERT_LT(sel.beg, sel.end);
  EXPECT_TRUE(window.controlPanel()->selectionField()->text().startsWith(" Selection: "));
  const int64_t frames = std::llround((sel.end - sel.beg) / w.session.stream.avgFrameSize);
  ASSERT_GT(frames, 4);
  const int inSelection = xOfColumn(g, g.graphColumns / 2 - frames / 2);
  EXPECT_EQ(pixel(window, inSelection, 1), rgbOf(s.rgb_selection));
  EXPECT_NE(pixel(window, centre + 20, 1), rgbOf(s.rgb_selection));  // past the selection

  // Delete: the selection becomes a cut, the current range.
  QTest::keyClick(window.graphView(), Qt::Key_Delete);
  ASSERT_EQ(w.session.edits.count, 1);
  EXPECT_EQ(pixel(window, inSelection, 1), rgbOf(s.rgb_actual));
  const QList<QAction*> list = window.menu().list->actions();
  ASSERT_EQ(list.size(), 1);
  EXPECT_TRUE(list[0]->text().startsWith("01 Cut\t"));
  EXPECT_EQ(list[0]->property("commandId").toInt(), cmd::kRangeMenuBase);
}

}  // namespace
}  // namespace quillane
