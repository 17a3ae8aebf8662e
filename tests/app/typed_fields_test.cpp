// Times typed into the control panel's two fields, with the keyboard, in the
// window on the offscreen platform.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/control_panel.h"
#include "app/graph_view.h"
#include "session/command_ids.h"
#include "stream/audio_stream.h"
#include "test_main_window.h"

namespace quillane {
namespace {

using test::StartedWindow;

// A started window with tone_silence_tone.mp3 (6 s) open.
struct OpenWindow : StartedWindow {
  OpenWindow() {
    window->openPath = copyOf("tone_silence_tone.mp3");
    window->runCommand(cmd::kOpen);
    if (!session.stream.isOpen()) ADD_FAILURE() << "the file did not open";
  }

  QLineEdit* positionField() const { return window->controlPanel()->positionField(); }
  QLineEdit* selectionField() const { return window->controlPanel()->selectionField(); }

  // Ctrl+P or Ctrl+L into the field, the text typed over what it shows, then Enter.
  void type(int focusKey, QLineEdit* field, const char* text) {
    QTest::keyClick(window->graphView(), static_cast<Qt::Key>(focusKey), Qt::ControlModifier);
    ASSERT_EQ(window->focusWidget(), field);
    field->selectAll();
    QTest::keyClicks(field, text);
    ASSERT_EQ(field->text(), text);
    QTest::keyClick(field, Qt::Key_Return);
  }

  int64_t frameAtSeconds(double seconds) {
    AudioStream& s = session.stream;
    return findFrame(s, s.audioStart + static_cast<int64_t>(static_cast<double>(s.avgBitrate) / 8.0 * seconds)).offset;
  }
};

TEST(TypedFields, ATypedTimeAndEnterMoveTheCursor) {
  OpenWindow w;
  w.type(Qt::Key_P, w.positionField(), "0:02");
  EXPECT_EQ(w.session.stream.cursor, w.frameAtSeconds(2.0));
  EXPECT_TRUE(w.positionField()->text().contains("Now: 0'02.0")) << w.positionField()->text().toStdString();
  EXPECT_EQ(w.window->focusWidget(), w.window->graphView());

  // 1:30 lies past the end of these 6 s: the cursor goes to the end.
  w.type(Qt::Key_P, w.positionField(), "1:30");
  EXPECT_EQ(w.session.stream.cursor, w.session.stream.audioEnd);
  EXPECT_TRUE(w.positionField()->text().endsWith("(100%)")) << w.positionField()->text().toStdString();

  w.type(Qt::Key_P, w.positionField(), "3,5");
  EXPECT_EQ(w.session.stream.cursor, w.frameAtSeconds(3.5));
}

TEST(TypedFields, ATypedRangeSetsTheSelection) {
  OpenWindow w;
  w.type(Qt::Key_L, w.selectionField(), "0:01-0:04.5");
  EXPECT_EQ(w.session.edits.selection.beg, w.frameAtSeconds(1.0));
  EXPECT_EQ(w.session.edits.selection.end, w.frameAtSeconds(4.5));
  EXPECT_TRUE(w.selectionField()->text().startsWith(" Selection: 0'01.0")) << w.selectionField()->text().toStdString();
  EXPECT_EQ(w.window->focusWidget(), w.window->graphView());
}

// A refused text beeps and stays in its field, selected, with the focus there.
TEST(TypedFields, TextNotUnderstoodStaysSelectedForRetyping) {
  OpenWindow w;
  const int64_t cursor = w.session.stream.cursor;
  w.type(Qt::Key_P, w.positionField(), "1:7x");
  EXPECT_EQ(w.window->focusWidget(), w.positionField());
  EXPECT_EQ(w.positionField()->text(), "1:7x");
  EXPECT_EQ(w.positionField()->selectedText(), "1:7x");
  EXPECT_EQ(w.session.stream.cursor, cursor);

  // Typing goes on in the field: the retyped time replaces the selected text.
  QTest::keyClicks(w.positionField(), "0:03");
  QTest::keyClick(w.positionField(), Qt::Key_Return);
  EXPECT_EQ(w.session.stream.cursor, w.frameAtSeconds(3.0));
  EXPECT_EQ(w.window->focusWidget(), w.window->graphView());

  // The selection field, reached with an empty selection, selects the cursor's frame.
  w.type(Qt::Key_L, w.selectionField(), "1:30");  // a single time is no range
  EXPECT_EQ(w.window->focusWidget(), w.selectionField());
  EXPECT_EQ(w.selectionField()->selectedText(), "1:30");
  EXPECT_EQ(w.session.edits.selection.beg, w.session.stream.cursor);
  EXPECT_EQ(w.session.edits.selection.end, w.session.stream.cursor);
}

}  // namespace
}  // namespace quillane
