#include "app/qt_dialogs.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QTreeView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "support/test_files.h"

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

// A save dialog whose request asks for it adds the extension of the chosen type
// to a name typed without one, so the overwrite question and the caller see the
// whole name.
TEST(QtDialogs, ANameWithoutExtensionGetsThatOfTheChosenType) {
  test::TempDir dir;
  FileDialogRequest request;
  request.title = "Save Project file or Cue sheet";
  request.filters = {{"Quillane Project (*.qlp)", "*.qlp"}, {"Cue Sheet (*.cue)", "*.cue"}};
  request.extensionFromType = true;
  request.initialPath = (dir / "song").string();
  for (int type : {0, 1}) {
    SCOPED_TRACE(type);
    QFileDialog dialog;
    prepareFileDialog(dialog, request, {}, true);
    EXPECT_EQ(dialog.defaultSuffix(), "qlp");
    dialog.show();
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    if (type == 1) {
      types->setFocus();
      QTest::keyClick(types, Qt::Key_Down);  // the user picks the second type
      EXPECT_EQ(dialog.defaultSuffix(), "cue");
    }
    QMetaObject::invokeMethod(&dialog, "accept");  // as the Save button does
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.selectedFiles().size(), 1);
    EXPECT_EQ(dialog.selectedFiles().first().toStdString(), (dir / (type ? "song.cue" : "song.qlp")).string());
  }

  // Without the request's flag a name stays as typed.
  request.extensionFromType = false;
  QFileDialog plain;
  prepareFileDialog(plain, request, {}, true);
  EXPECT_EQ(plain.defaultSuffix(), "");
}

// The columns of the file list are as wide as what they show: whole names,
// sizes and types, not "47....KiB".
TEST(QtDialogs, FileListColumnsShowTheirWholeTexts) {
  test::TempDir dir;
  std::filesystem::copy_file(test::dataPath("cbr128_info.mp3"), dir / "a rather long file name of a song.mp3");
  // A size of four figures before the point ("1023.44 KiB") is among the widest shown.
  std::filesystem::copy_file(test::dataPath("mono.mp3"), dir / "mono.mp3");
  std::filesystem::resize_file(dir / "mono.mp3", 1048000);
  FileDialogRequest request;
  request.title = "Open file";
  request.filters = {{"All files (*.*)", "*.*"}};
  request.initialPath = dir.path().string() + "/";
  QFileDialog dialog;
  prepareFileDialog(dialog, request, {}, false);
  auto* model = dialog.findChild<QFileSystemModel*>();
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  ASSERT_NE(model, nullptr);
  ASSERT_NE(view, nullptr);
  QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
  dialog.show();
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));
  QTest::qWait(50);
  const QModelIndex folder = view->rootIndex();
  ASSERT_EQ(view->model()->rowCount(folder), 2);
  // What each cell needs to be drawn whole: its text, the margins the style
  // keeps on both sides and, in the first column, the icon and its spacing.
  QStyle* style = view->style();
  const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
  const int icon = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view) + margins;
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 3; ++column) {
      const QString text = view->model()->index(row, column, folder).data().toString();
      SCOPED_TRACE(text.toStdString());
      EXPECT_FALSE(text.isEmpty());
      const int needed = view->fontMetrics().horizontalAdvance(text) + margins + (column == 0 ? icon : 0);
      EXPECT_GE(view->header()->sectionSize(column), needed);
    }
  }
  dialog.reject();
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
