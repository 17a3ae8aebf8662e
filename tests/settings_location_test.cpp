#include "settings/settings_location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace quillane {
namespace {

namespace fs = std::filesystem;

class SettingsLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quillane-location-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ / "bin");
    exe_ = dir_ / "bin" / "quillane";
    std::ofstream(exe_) << "fake";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path dir_;
  fs::path exe_;
};

TEST_F(SettingsLocationTest, PortableFileBesideExecutableWins) {
  std::ofstream(dir_ / "bin" / "quillane.ini") << "[Quillane]\r\n";
  EXPECT_EQ(settingsFilePath(exe_, "/xdg", "/home/u"), dir_ / "bin" / "quillane.ini");
  EXPECT_EQ(settingsFilePath(exe_, nullptr, nullptr), dir_ / "bin" / "quillane.ini");
}

TEST_F(SettingsLocationTest, PortableFolderOfThatNameIsNoSettingsFile) {
  fs::create_directory(dir_ / "bin" / "quillane.ini");
  EXPECT_EQ(settingsFilePath(exe_, nullptr, "/home/u"),
            fs::path("/home/u/.config/quillane/quillane.ini"));
}

TEST_F(SettingsLocationTest, XdgConfigHomeWhenAbsolute) {
  EXPECT_EQ(settingsFilePath(exe_, "/tmp/cfg", "/home/u"),
            fs::path("/tmp/cfg/quillane/quillane.ini"));
}

TEST_F(SettingsLocationTest, HomeFallbackWhenXdgMissingEmptyOrRelative) {
  const fs::path expected("/home/u/.config/quillane/quillane.ini");
  EXPECT_EQ(settingsFilePath(exe_, nullptr, "/home/u"), expected);
  EXPECT_EQ(settingsFilePath(exe_, "", "/home/u"), expected);
  EXPECT_EQ(settingsFilePath(exe_, "relative/cfg", "/home/u"), expected);
  EXPECT_EQ(settingsFilePath(exe_, "./cfg", "/home/u"), expected);
}

TEST_F(SettingsLocationTest, NoHomeFallsBackBesideExecutable) {
  EXPECT_EQ(settingsFilePath(exe_, nullptr, nullptr), dir_ / "bin" / "quillane.ini");
  EXPECT_EQ(settingsFilePath(exe_, "rel", ""), dir_ / "bin" / "quillane.ini");
}

TEST_F(SettingsLocationTest, EnvironmentOverloadGivesAnAbsoluteIniPath) {
  const fs::path p = settingsFilePath(exe_);
  EXPECT_EQ(p.filename(), "quillane.ini");
  EXPECT_FALSE(p.empty());
}

TEST_F(SettingsLocationTest, DataFolderInstalledOrSourceTree) {
  EXPECT_EQ(dataFolder(exe_), fs::path(QUILLANE_SOURCE_DATA_DIR));
  fs::create_directories(dir_ / "share" / "quillane");
  EXPECT_EQ(dataFolder(exe_), dir_ / "share" / "quillane");
}

TEST_F(SettingsLocationTest, SourceDataFolderHoldsLanguages) {
  EXPECT_TRUE(fs::is_directory(fs::path(QUILLANE_SOURCE_DATA_DIR) / "Languages"));
}

TEST_F(SettingsLocationTest, LanguageFoldersDataFirstThenBesideSettings) {
  const auto folders = languageFolders("/usr/share/quillane", "/home/u/.config/quillane/quillane.ini");
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], fs::path("/usr/share/quillane/Languages"));
  EXPECT_EQ(folders[1], fs::path("/home/u/.config/quillane/Languages"));

  // Portable use from one folder: that folder is searched once.
  const auto once = languageFolders(dir_ / "bin", dir_ / "bin" / "quillane.ini");
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0], dir_ / "bin" / "Languages");
}

TEST(ExecutablePath, IsThisTestProgram) {
  const fs::path exe = executablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_TRUE(exe.is_absolute());
  EXPECT_TRUE(fs::is_regular_file(exe));
  EXPECT_TRUE(fs::equivalent(exe, "/proc/self/exe"));
}

}  // namespace
}  // namespace quillane
