// The mouse wheel over the graph window of the running main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QWheelEvent>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "audio/playback_engine.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::StartedWindow;

// ffmpeg_cbr.mp3: 126 frames of exactly 576 bytes from offset 0.
constexpr int64_t kFrame = 576;

// Turns the wheel over the middle of the graph; true when the graph took the event.
bool turnWheel(GraphView* graph, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPointF at(graph->width() / 2.0, graph->height() / 4.0);
  QWheelEvent event(at, graph->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
  event.setAccepted(false);
  QApplication::sendEvent(graph, &event);
  return event.isAccepted();
}

TEST(GraphWheelView, WheelMovesTheCursorAndCtrlWheelZooms) {
  StartedWindow w;
  w.window->openPath = w.copyOf("ffmpeg_cbr.mp3");
  w.window->runCommand(cmd::kOpen);
  ASSERT_TRUE(w.session.stream.isOpen());
  w.session.settings.frameskiplo = 2;
  w.session.settings.frameskiphi = 5;
  seekPlayback(w.session, 60 * kFrame);
  GraphView* graph = w.window->graphView();
  QLineEdit* position = w.window->controlPanel()->positionField();
  const auto frame = [&] { return w.session.stream.cursor / kFrame; };

  const QString before = position->text();
  EXPECT_TRUE(turnWheel(graph, QPoint(0, -120)));  // one notch down: forward
  EXPECT_EQ(frame(), 62);
  EXPECT_NE(position->text(), before) << "the window was refreshed as for the key";
  turnWheel(graph, QPoint(0, 120));  // up: back
  EXPECT_EQ(frame(), 60);
  turnWheel(graph, QPoint(0, -120), Qt::ShiftModifier);
  EXPECT_EQ(frame(), 65);
  turnWheel(graph, QPoint(0, 240), Qt::ShiftModifier);
  EXPECT_EQ(frame(), 55);

  // A high-resolution wheel: quarters of a notch move only once they make one.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(turnWheel(graph, QPoint(0, -30)));
  EXPECT_EQ(frame(), 55);
  turnWheel(graph, QPoint(0, -30));
  EXPECT_EQ(frame(), 57);

  // A sideways turn: to the left is back.
  turnWheel(graph, QPoint(120, 0));
  EXPECT_EQ(frame(), 55);

  ASSERT_EQ(w.session.settings.zoomlevel, 4);
  turnWheel(graph, QPoint(0, 120), Qt::ControlModifier);
  EXPECT_EQ(w.session.settings.zoomlevel, 8);
  turnWheel(graph, QPoint(0, -240), Qt::ControlModifier);
  EXPECT_EQ(w.session.settings.zoomlevel, 2);
  EXPECT_EQ(frame(), 55);
}

}  // namespace
}  // namespace quillane
