#include "app/dialogs/about_dialog.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dialogs/first_start.h"
#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"
#include "dialog_steps.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

using test::control;

struct About {
  test::TempDir data;
  Session session;
  test::ScriptedShellHost host{session};

  About() { setBuiltInTexts(session.text); }
  QString shown(AboutDialog& dialog) { return control<QPlainTextEdit>(dialog, 661)->toPlainText(); }
};

TEST(AboutDialog, VersionAndLicenceWithoutATranslationLine) {
  About a;
  AboutDialog dialog(a.session, a.host, a.data.path(), nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Quillane - Lossless cutting and recording MP3");
  const QString text = a.shown(dialog);
  EXPECT_TRUE(text.contains("Quillane Version 1.39"));
  EXPECT_TRUE(text.contains("GPL-3.0-or-later"));
  EXPECT_FALSE(text.contains("translation"));
  EXPECT_TRUE(control<QPushButton>(dialog, 611)->isDefault());
}

TEST(AboutDialog, ALanguageFilesHeaderAddsTheTranslationLine) {
  About a;
  a.session.text.text[ui::kLanguageName] = "Deutsch";
  a.session.text.text[ui::kLanguageEditedBy] = "Anna B.";
  AboutDialog dialog(a.session, a.host, a.data.path(), nullptr);
  EXPECT_TRUE(a.shown(dialog).contains("  Deutsch translation* by Anna B.\n"));
}

TEST(AboutDialog, WhatsNewAndLicenseShowTheirFilesFirstBytes) {
  About a;
  std::string history(25000, 'h');
  test::writeText(a.data / "Version.txt", history);
  test::writeText(a.data / "License.txt", std::string(5000, 'l'));
  AboutDialog dialog(a.session, a.host, a.data.path(), nullptr);
  control<QPushButton>(dialog, 601)->click();
  EXPECT_EQ(a.shown(dialog), QString(20000, 'h'));
  control<QPushButton>(dialog, 602)->click();
  EXPECT_EQ(a.shown(dialog), QString(4000, 'l'));
}

TEST(AboutDialog, AMissingFileKeepsTheTextAndSaysWhichFile) {
  About a;
  AboutDialog dialog(a.session, a.host, a.data.path(), nullptr);
  const QString before = a.shown(dialog);
  control<QPushButton>(dialog, 602)->click();
  const QString after = a.shown(dialog);
  EXPECT_TRUE(after.startsWith(before));
  EXPECT_TRUE(after.contains(QString::fromStdString((a.data / "License.txt").string()) +
                             ": the file is missing or can't be read."));
  // "Homepage" opens the Manual while the program has no web page.
  control<QPushButton>(dialog, 603)->click();
  EXPECT_TRUE(a.host.documentsOpened.empty());
  EXPECT_TRUE(a.shown(dialog).contains("the Manual could not be opened"));
  test::writeText(a.data / "Manual.htm", "<html></html>");
  control<QPushButton>(dialog, 603)->click();
  EXPECT_EQ(a.host.documentsOpened, std::vector<std::string>{(a.data / "Manual.htm").string()});
}

TEST(FirstStart, AboutBoxOfANewVersionThenTheLanguageQuestion) {
  struct Case {
    const char* version;
    const char* recent2;
    bool languageFile;
    std::vector<int> dialogs;
  };
  for (const Case& c : {Case{"", "", true, {dlg::kAbout, dlg::kConfiguration}}, Case{"", "", false, {dlg::kAbout}},
                       Case{"1.20", "/music/b.mp3", true, {dlg::kAbout}}, Case{"1.39", "", true, {}}}) {
    SCOPED_TRACE(std::string("version \"") + c.version + "\"");
    test::TempDir dir;
    if (c.languageFile) test::writeText(dir / "lanDeutsch.ini", "");
    Session s;
    s.settings.version = c.version;
    s.settings.file_recent[1] = c.recent2;
    test::ScriptedShellHost host(s);
    host.dialogHandlers[dlg::kAbout] = [] { return 0; };
    host.dialogHandlers[dlg::kConfiguration] = [] { return 0; };
    showFirstStartDialogs(s, host, {dir.path()});
    EXPECT_EQ(host.dialogsRun, c.dialogs);
    const bool asked = c.dialogs.size() == 2;
    ASSERT_EQ(host.messages().size(), asked ? 1u : 0u);
    if (asked) {
      EXPECT_EQ(host.messages()[0].text, "First start. Please choose a language...");
      EXPECT_EQ(host.messages()[0].caption, "Quillane");
      EXPECT_EQ(s.configTab, 2);
    }
  }
}

}  // namespace
}  // namespace quillane
