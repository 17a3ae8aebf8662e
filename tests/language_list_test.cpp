#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/language_list.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

struct LanguageFolders {
  test::TempDir dir;
  fs::path data = dir / "data" / "Languages";
  fs::path beside = dir / "config" / "Languages";

  LanguageFolders() {
    fs::create_directories(data);
    fs::create_directories(beside);
  }
  std::vector<fs::path> folders() const { return {data, beside}; }
};

TEST(LanguageList, EnglishFirstThenEachLanguageFileOnceSorted) {
  LanguageFolders f;
  for (const char* name : {"lanDeutsch.ini", "lanNederlands.ini", "lanDeutsch.old.ini", "readme.txt",
                           "lanEspañol.txt", "Deutsch.ini", "lan.ini"})
    test::writeText(f.data / name, "");
  test::writeText(f.beside / "lanDeutsch.ini", "");
  test::writeText(f.beside / "lanCatala.ini", "");
  fs::create_directories(f.data / "lanFolder.ini");  // a folder is not a language file

  EXPECT_EQ(languageListEntries(f.folders()),
            (std::vector<std::string>{kEnglishEntry, "Catala", "Deutsch", "Deutsch.old", "Nederlands"}));
  EXPECT_EQ(languageListEntries({f.dir / "missing"}), std::vector<std::string>{kEnglishEntry});
}

TEST(LanguageList, SelectionOfTheSetting) {
  const std::vector<std::string> entries{kEnglishEntry, "Deutsch", "Nederlands"};
  EXPECT_EQ(languageListSelection(entries, ""), 0);
  EXPECT_EQ(languageListSelection(entries, "Nederlands"), 2);
  EXPECT_EQ(languageListSelection(entries, "deutsch"), 0);  // exactly equal only
  EXPECT_EQ(languageListSelection(entries, "Klingon"), 0);   // a file that is gone: the first entry
}

TEST(LanguageList, ChoosingAnEntry) {
  Settings s;
  chooseLanguage(s, "Deutsch");
  EXPECT_EQ(s.language, "Deutsch");
  chooseLanguage(s, kEnglishEntry);
  EXPECT_EQ(s.language, "");
  s.language = "Deutsch";
  chooseLanguage(s, std::string(30, 'x'));  // longer than the setting holds: kept as it was
  EXPECT_EQ(s.language, "Deutsch");
  chooseLanguage(s, std::string(29, 'x'));
  EXPECT_EQ(s.language, std::string(29, 'x'));
}

TEST(LanguageList, FirstStartOfANewVersion) {
  LanguageFolders f;
  Settings s;
  EXPECT_TRUE(aboutDueAtStart(s));  // no settings file
  s.version = "1.20";
  EXPECT_TRUE(aboutDueAtStart(s));
  s.version = kSettingsVersion;
  EXPECT_FALSE(aboutDueAtStart(s));

  Settings fresh;
  EXPECT_FALSE(languageQuestionDueAtStart(fresh, f.folders()));  // no language file
  test::writeText(f.beside / "lanDeutsch.ini", "");
  EXPECT_TRUE(languageQuestionDueAtStart(fresh, f.folders()));
  Settings used = fresh;
  used.file_recent[1] = "/music/b.mp3";
  EXPECT_FALSE(languageQuestionDueAtStart(used, f.folders()));
  Settings german = fresh;
  german.language = "Deutsch";
  EXPECT_FALSE(languageQuestionDueAtStart(german, f.folders()));
}

}  // namespace
}  // namespace quillane
