#include "app/qt_dialogs.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace quillane {
namespace {

// Runs `act` on the modal dialog of type W once it is shown (from its own event loop).
template <class W>
void whenShown(std::function<void(W*)> act) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, act] {
    W* dialog = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(dialog);
  });
  poll->start(5);
}

TEST(QtDialogs, FiltersAreWrittenAsQtReadsThem) {
  FileDialogRequest open;
  open.filters = {{"Known types (mp3, mp2, mpa, mus, qlp, cue)", "*.mp3;*.mp2;*.mpa;*.mus;*.qlp;*.cue"},
                  {"MP3 files (*.mp3)", "*.mp3"},
                  {"MP2 files (*.mp2, *.mpa, *.mus)", "*.mp2;*.mpa;*.mus"},
                  {"All files (*.*)", "*.*"}};
  EXPECT_EQ(qtFileFilter(open).toStdString(),
            "Known types (mp3, mp2, mpa, mus, qlp, cue) (*.mp3 *.mp2 *.mpa *.mus *.qlp *.cue);;"
            "MP3 files (*.mp3);;"
            "MP2 files (*.mp2 *.mpa *.mus);;"
            "All files (*)");
  EXPECT_EQ(qtFileFilter({"t", {{"Cue Sheet", "*.cue"}, {"", "*.qlp"}}, "", false, false}).toStdString(),
            "Cue Sheet (*.cue);;*.qlp");
  EXPECT_EQ(qtFileFilter({}), "");
}

TEST(QtDialogs, MessageBoxShowsCaptionIconAndDefault) {
  whenShown<QMessageBox>([](QMessageBox* box) {
    EXPECT_EQ(box->windowTitle(), "Quillane");
    EXPECT_EQ(box->text(), "Really close\nand replace <the> source file?");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(showMessageBox(nullptr, "Really close\nand replace <the> source file?", "Quillane", MessageIcon::Question,
                           MessageButtons::YesNo, MessageAnswer::No),
            MessageAnswer::Yes);

  whenShown<QMessageBox>([](QMessageBox* box) {
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_EQ(showMessageBox(nullptr, "Changes unsaved.", "Error", MessageIcon::Error, MessageButtons::YesNoCancel,
                           MessageAnswer::Yes),
            MessageAnswer::Cancel);
}

TEST(QtDialogs, PriorityIsRaisedOnceAndRestored) {
  const int normal = getpriority(PRIO_PROCESS, 0);
  raiseProcessPriority();
  const int raised = getpriority(PRIO_PROCESS, 0);
  // Without the right to lower the nice value the priority simply stays.
  EXPECT_TRUE(raised == normal - 5 || raised == normal) << raised;
  raiseProcessPriority();
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), raised);
  restoreNormalPriority();
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), normal);
}

}  // namespace
}  // namespace quillane
