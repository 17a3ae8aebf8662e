// Every dialog of the window, in English and in German (the longer texts): each
// opens over a window with a file, a selection and ranges, and no text of it is
// cut off — a label, a button, a check box or a group title narrower than its
// text fails. With QUILLANE_DIALOG_PICTURES set to a folder, a picture of each
// dialog (and of each page of the configuration dialog) is saved there too;
// scripts/screenshot runs this on a virtual screen with the real fonts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "settings/settings_location.h"
#include "settings/ui_text.h"
#include "test_main_window.h"

namespace quillane {
namespace {

// Texts of `dialog` that do not fit their widgets, as "objectName: text".
std::vector<std::string> clippedTexts(QWidget* dialog) {
  std::vector<std::string> clipped;
  auto note = [&](QWidget* widget, const QString& text) {
    clipped.push_back(widget->objectName().toStdString() + " (" + widget->metaObject()->className() +
                      "): \"" + text.toStdString() + "\" needs " + std::to_string(widget->sizeHint().width()) +
                      " px, has " + std::to_string(widget->width()));
  };
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(dialog)) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull()) continue;
      if (label->sizeHint().width() > label->width() || label->sizeHint().height() > label->height())
        note(label, label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (button->text().isEmpty()) continue;
      if (button->sizeHint().width() > button->width()) note(button, button->text());
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      const int title = group->fontMetrics().horizontalAdvance(group->title());
      if (!group->title().isEmpty() && title > group->width()) note(group, group->title());
    }
  }
  return clipped;
}

// The window of the test: a copy of a LAME file open, a cue and a cut set, and a
// selection, all in the language asked for.
struct DialogWindow {
  test::TempDir dir;
  Session session;
  std::unique_ptr<test::TestMainWindow> window;

  explicit DialogWindow(const std::string& language) {
    session.settingsFile = dir / "quillane.ini";
    session.settings.language = language;
    loadUiText(session.text, session.settings.language,
               languageFolders(dataFolder(executablePath()), session.settingsFile));
    window = std::make_unique<test::TestMainWindow>(session);
    window->start({});
    const std::filesystem::path copy = dir / "tone_silence_tone.mp3";
    std::filesystem::copy_file(test::dataPath("tone_silence_tone.mp3"), copy);
    window->openPath = copy.string();
    window->runCommand(cmd::kOpen);
    EditRangeTable& edits = session.edits;
    const int64_t length = session.stream.audioEnd - session.stream.audioStart;
    edits.selection.beg = edits.selection.end = findFrame(session.stream, session.stream.audioStart + length / 4).offset;
    EXPECT_TRUE(addRangeFromSelection(edits, session.selectionUndo, false));  // a cue
    edits.selection.beg = findFrame(session.stream, session.stream.audioStart + length / 2).offset;
    edits.selection.end = findFrame(session.stream, session.stream.audioStart + length * 3 / 4).offset;
    edits.currentRange = 0;
    window->refreshView(3);
  }
};

struct DialogCase {
  int id;
  const char* name;
};

const DialogCase kDialogs[] = {
    {dlg::kConfiguration, "configuration"}, {dlg::kAbout, "about"},       {dlg::kFileInfo, "file-info"},
    {dlg::kNames, "names"},                 {dlg::kAutoCue, "auto-cue"},  {dlg::kGain, "gain"},
    {dlg::kNormalize, "normalize"},         {dlg::kPauseDetection, "pause-detection"},
    {dlg::kSplit, "split"},
};

// Saves a picture of `widget` when pictures are asked for.
void picture(QWidget* widget, const std::string& name) {
  const QString folder = qEnvironmentVariable("QUILLANE_DIALOG_PICTURES");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  widget->grab().save(folder + "/" + QString::fromStdString(name) + ".png");
}

// Opens dialog `c` as its command would and, once it is on the screen, checks it
// (every page of a tabbed dialog) and closes it with Escape.
void checkDialog(DialogWindow& w, const DialogCase& c, const std::string& language) {
  SCOPED_TRACE(std::string(c.name) + " in " + (language.empty() ? "English" : language));
  bool shown = false;
  auto* poll = new QTimer(w.window.get());
  QObject::connect(poll, &QTimer::timeout, w.window.get(), [&, poll] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    shown = true;
    const std::string base = (language.empty() ? std::string("en") : std::string("de")) + "-" +
                             std::to_string(c.id) + "-" + c.name;
    if (auto* tabs = dialog->findChild<QTabWidget*>()) {
      for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QApplication::processEvents();
        SCOPED_TRACE("page " + tabs->tabText(page).toStdString());
        for (const std::string& text : clippedTexts(dialog)) ADD_FAILURE() << text;
        picture(dialog, base + "-" + std::to_string(page + 1));
      }
    } else {
      for (const std::string& text : clippedTexts(dialog)) ADD_FAILURE() << text;
      picture(dialog, base);
    }
    dialog->reject();
  });
  poll->start(10);
  // Stops a dialog that never shows from holding the test.
  QTimer::singleShot(10000, w.window.get(), [poll] { poll->stop(); });
  w.window->runDialog(c.id);
  EXPECT_TRUE(shown) << "dialog " << c.id << " did not show";
}

class DialogLayout : public ::testing::TestWithParam<std::string> {};

TEST_P(DialogLayout, EveryDialogShowsItsTextsWhole) {
  DialogWindow w(GetParam());
  ASSERT_TRUE(w.session.stream.isOpen());
  if (!GetParam().empty()) {
    ASSERT_EQ(w.session.settings.language, GetParam()) << "the language file did not load";
  }
  for (const DialogCase& c : kDialogs) {
    checkDialog(w, c, GetParam());
    // A dialog may have changed the ranges or the selection: the next starts as the first did.
    w.window->refreshView(3);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogLayout, ::testing::Values(std::string(), std::string("Deutsch")),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param.empty() ? std::string("English") : info.param;
                         });

}  // namespace
}  // namespace quillane
