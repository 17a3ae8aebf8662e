#include <gtest/gtest.h>

#include <string>

#include "settings/about_text.h"
#include "settings/ui_text_ids.h"
#include "support/test_files.h"

namespace quillane {
namespace {

UiText builtIn() {
  UiText table;
  setBuiltInTexts(table);
  return table;
}

TEST(AboutText, VersionLicenceAndNoTranslationWithoutALanguageFile) {
  const std::string text = aboutText(builtIn());
  EXPECT_EQ(text.rfind("  \r\n  Quillane Version 1.39\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("GPL-3.0-or-later"), std::string::npos);
  EXPECT_EQ(text.find("translation"), std::string::npos);
  // Every line begins with two blanks and ends with CR LF.
  for (size_t at = 0; at < text.size();) {
    EXPECT_EQ(text.compare(at, 2, "  "), 0) << at;
    const size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    at = end + 2;
  }
}

TEST(AboutText, TheTranslationLineGrowsWithTheHeaderValues) {
  struct Case {
    const char* language;
    const char* editedBy;
    const char* version;
    const char* line;
  };
  for (const Case c : {Case{"Deutsch", "", "", "  Deutsch translation*\r\n"},
                       Case{"Deutsch", "Anna B.", "", "  Deutsch translation* by Anna B.\r\n"},
                       Case{"Deutsch", "Anna B.", "1.39", "  Deutsch translation* by Anna B. for version 1.39\r\n"},
                       Case{"Deutsch", "", "1.39", "  Deutsch translation*\r\n"}}) {
    UiText table = builtIn();
    table.text[ui::kLanguageName] = c.language;
    table.text[ui::kLanguageEditedBy] = c.editedBy;
    table.text[ui::kLanguageProgramVersion] = c.version;
    const std::string text = aboutText(table);
    const std::string plain = aboutText(builtIn());
    ASSERT_EQ(text.rfind(plain, 0), 0u);
    EXPECT_EQ(text.compare(plain.size(), std::string("\r\n").size() + std::string(c.line).size(),
                           std::string("\r\n") + c.line),
              0)
        << text.substr(plain.size());
    EXPECT_NE(text.find("* Quillane, its licence and its documentation were written in English."), std::string::npos);
  }
}

TEST(AboutText, DocumentsShowTheirFirstBytes) {
  test::TempDir dir;
  std::string history(kChangeHistoryShown + 500, 'a');
  history[kChangeHistoryShown - 1] = 'z';
  test::writeText(dir / "Version.txt", history);
  const std::optional<std::string> shown = readFileStart(dir / "Version.txt", kChangeHistoryShown);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->size(), kChangeHistoryShown);
  EXPECT_EQ(shown->back(), 'z');

  test::writeText(dir / "License.txt", "short");
  EXPECT_EQ(readFileStart(dir / "License.txt", kLicenceShown), "short");
  EXPECT_FALSE(readFileStart(dir / "missing.txt", kLicenceShown));
}

}  // namespace
}  // namespace quillane
