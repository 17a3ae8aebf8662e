#include "shell/file_opening.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "stream/open_stream.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::dataPath;
using test::ScriptedShellHost;
using test::TempDir;

// A session about to open `path`, with the host that watches it.
struct Opening {
  Session session;
  ScriptedShellHost host{session};
  explicit Opening(const fs::path& path) {
    session.stream.sourcePath = path.string();
    session.meter.meterMargin = {40, 50};  // what the last file's playback left on the meter
  }
  // Every file, project or cue sheet opened starts the level meter's margin afresh.
  bool meterStartsAfresh() const { return session.meter.meterMargin == std::array<uint8_t, 2>{1, 1}; }
  bool open() { return openByExtension(session, host); }
};

void addRange(Session& s, int64_t beg, int64_t end) {
  s.edits.selection.beg = findFrame(s.stream, beg).offset;
  s.edits.selection.end = findFrame(s.stream, end).offset;
  ASSERT_TRUE(addRangeFromSelection(s.edits, s.selectionUndo, false));
}

TEST(FileOpeningByExtension, AudioFiles) {
  for (const char* name : {"cbr128_info.mp3", "layer2_mpeg1.mp2"}) {
    SCOPED_TRACE(name);
    Opening o(dataPath(name));
    o.session.projectPath = "/old/project.qlp";
    o.session.save.savePath = "/old/saved.mp3";
    ASSERT_TRUE(o.open());
    EXPECT_EQ(o.session.save.savePath, "");  // nothing saved from the new source yet
    EXPECT_TRUE(o.session.stream.isOpen());
    EXPECT_GT(o.session.stream.audioEnd, o.session.stream.audioStart);
    EXPECT_EQ(o.session.projectPath, "");
    EXPECT_TRUE(o.meterStartsAfresh());
    EXPECT_EQ(o.session.settings.file_recent[0], dataPath(name).string());
    EXPECT_TRUE(o.host.messages().empty());
  }
}

TEST(FileOpeningByExtension, CapitalExtensionOpensAndKeepsThePath) {
  TempDir dir;
  const fs::path upper = dir / "SONG.MP3";
  fs::copy_file(dataPath("cbr128_info.mp3"), upper);
  Opening o(upper);
  ASSERT_TRUE(o.open());
  EXPECT_EQ(o.session.stream.sourcePath, upper.string());
  EXPECT_EQ(o.session.settings.file_recent[0], upper.string());
}

TEST(FileOpeningByExtension, ProjectFileAndCueSheet) {
  test::CopiedAudio copy("cbr128_info.mp3", "");
  Session& written = copy.session;
  addRange(written, 5000, 9000);
  written.projectPath = (copy.dir / "edit.qlp").string();
  ASSERT_TRUE(writeProjectFile(written));

  Opening project(copy.dir / "edit.qlp");
  ASSERT_TRUE(project.open());
  EXPECT_EQ(project.session.projectPath, (copy.dir / "edit.qlp").string());
  EXPECT_EQ(project.session.stream.sourcePath, copy.audio.string());
  EXPECT_TRUE(project.session.stream.isOpen());
  EXPECT_TRUE(project.meterStartsAfresh());
  ASSERT_EQ(project.session.edits.count, 1);
  EXPECT_EQ(project.session.edits.ranges[0].beg, written.edits.ranges[0].beg);

  // A cue sheet holds the cues only.
  resetEditModel(written, ResetLevel::FileState);
  ASSERT_TRUE(test::openInSession(written, copy.audio));
  addRange(written, 20000, 20000);
  written.projectPath = (copy.dir / "Tracks.CUE").string();
  ASSERT_TRUE(writeCueSheet(written));

  Opening sheet(copy.dir / "Tracks.CUE");
  ASSERT_TRUE(sheet.open());
  EXPECT_EQ(sheet.session.projectPath, (copy.dir / "Tracks.CUE").string());
  EXPECT_TRUE(sheet.session.stream.isOpen());
  EXPECT_TRUE(sheet.meterStartsAfresh());
  ASSERT_EQ(sheet.session.edits.count, 1);
  EXPECT_TRUE(sheet.session.edits.ranges[0].isCue());
}

TEST(FileOpeningByExtension, UnsupportedExtensionShowsBothPaths) {
  Opening o("/music/take.wav");
  o.session.projectPath = "/music/old.qlp";
  EXPECT_FALSE(o.open());
  EXPECT_EQ(o.session.projectPath, "");
  ASSERT_EQ(o.host.messages().size(), 1u);
  const auto& m = o.host.messages()[0];
  EXPECT_EQ(m.text, "Audio file:\n   /music/take.wav\n\nProject file:\n   \n\nUnsupported file extension");
  EXPECT_EQ(m.caption, "File open failed");
  EXPECT_EQ(m.icon, MessageIcon::Warning);

  // No extension at all, or a '.' only in a folder name.
  for (const char* path : {"/music/take", "/music.mp3/take"}) {
    Opening other(path);
    EXPECT_FALSE(other.open()) << path;
    ASSERT_EQ(other.host.messages().size(), 1u);
    EXPECT_NE(other.host.messages()[0].text.find("Unsupported file extension"), std::string::npos);
  }
}

TEST(FileOpeningByExtension, MissingFileFails) {
  TempDir dir;
  Opening o(dir / "gone.mp3");
  EXPECT_FALSE(o.open());
  EXPECT_FALSE(o.session.stream.isOpen());
  ASSERT_EQ(o.host.messages().size(), 1u);
  // The box says why below the two paths.
  EXPECT_EQ(o.host.messages()[0].text, "Audio file:\n   " + (dir / "gone.mp3").string() + "\n\nProject file:\n   " +
                                           "\n\n" + (dir / "gone.mp3").string() + ": No such file or directory");
  EXPECT_EQ(o.session.settings.file_recent[0], "");
}

// The failure box ends with the file that failed and why: the project file when
// it can't be read, else the audio file it names.
TEST(FileOpeningByExtension, TheFailureSaysWhichFileAndWhy) {
  TempDir dir;
  test::writeText(dir / "text.mp3", std::string(5000, 't'));
  test::writeText(dir / "p.qlp", "filename=text.mp3\r\n");
  fs::create_directory(dir / "folder.cue");
  struct Case {
    fs::path open;
    std::string ending;
  };
  const Case cases[] = {
      {dataPath("layer1.mp1"), "Unsupported file extension"},
      {dir / "text.mp3", (dir / "text.mp3").string() + ": is not an MPEG audio file"},
      {dir / "p.qlp", (dir / "text.mp3").string() + ": is not an MPEG audio file"},
      {dir / "folder.cue", (dir / "folder.cue").string() + ": Is a directory"},
      {dir / "none.qlp", (dir / "none.qlp").string() + ": No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.open.string());
    Opening o(c.open);
    EXPECT_FALSE(o.open());
    ASSERT_FALSE(o.host.messages().empty());
    const std::string& text = o.host.messages().back().text;
    EXPECT_EQ(o.host.messages().back().caption, "File open failed");
    const std::string ending = "\n\n" + c.ending;
    ASSERT_GE(text.size(), ending.size()) << text;
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending) << text;
  }
}

TEST(FileOpeningShow, SuccessRebuildsMenusAndRefreshes) {
  Opening o(dataPath("cbr128_info.mp3"));
  ASSERT_TRUE(openAndShow(o.session, o.host));
  EXPECT_EQ(o.host.refreshes, std::vector<int>{3});
  EXPECT_EQ(o.host.rangeMenuRebuilds, 1);
  EXPECT_EQ(o.host.recentMenuRebuilds, 1);

  // Opened again: the recent list stays, so does its menu.
  closeStream(o.session.stream);
  ASSERT_TRUE(openAndShow(o.session, o.host));
  EXPECT_EQ(o.host.recentMenuRebuilds, 1);
  EXPECT_EQ(o.host.rangeMenuRebuilds, 2);
}

TEST(FileOpeningShow, FailureClosesAndShowsTheEmptyState) {
  Opening o(dataPath("layer1.mp1"));
  EXPECT_FALSE(openAndShow(o.session, o.host));
  EXPECT_EQ(o.host.refreshes, std::vector<int>{0});
  EXPECT_EQ(o.host.rangeMenuRebuilds, 0);
  EXPECT_EQ(o.host.recentMenuRebuilds, 0);
  EXPECT_EQ(o.session.stream.audioEnd, 0);

  TempDir dir;
  o.session.stream.sourcePath = (dir / "missing.qlp").string();
  EXPECT_FALSE(openAndShow(o.session, o.host));
  EXPECT_FALSE(o.session.stream.isOpen());
  EXPECT_EQ(o.host.lastRefresh(), 0);
}

TEST(FileOpeningDialog, TitleFiltersAndStart) {
  Session s;
  s.settings.file_recent[0] = "/home/me/music/a.mp3";
  FileDialogRequest r = openFileDialogRequest(s);
  EXPECT_EQ(r.title, "Open file");
  ASSERT_EQ(r.filters.size(), 6u);
  EXPECT_EQ(r.filters[0].description, "Known types (mp3, mp2, mpa, mus, qlp, cue)");
  EXPECT_EQ(r.filters[0].pattern, "*.mp3;*.mp2;*.mpa;*.mus;*.qlp;*.cue");
  EXPECT_EQ(r.filters[5].pattern, "*.*");
  EXPECT_TRUE(r.mustExist);
  EXPECT_FALSE(r.overwritePrompt);
  EXPECT_EQ(r.initialPath, "/home/me/music/");

  ASSERT_TRUE(test::openInSession(s, dataPath("mono.mp3")));
  EXPECT_EQ(openFileDialogRequest(s).initialPath, dataPath("mono.mp3").string());
}

TEST(FileOpeningRecentMenu, EntryTexts) {
  Settings settings;
  settings.file_recent = {"/music/short.mp3",
                          "/home/someone/music/albums/x.mp3",       // folder of 27 characters
                          "no-folder.mp3",                          // no "/": no item
                          "",                                       // empty: no item
                          "/music/a name of thirty character.mp3",  // name shown alone
                          "/exactly/twenty/chr/Tom & Jerry.mp3"};   // folder of 20 characters
  const std::vector<RecentMenuItem> items = recentMenuItems(settings);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].commandId, 1100);
  EXPECT_EQ(items[0].text, "&1 /music/short.mp3");
  EXPECT_EQ(items[1].commandId, 1101);
  EXPECT_EQ(items[1].text, "&2 /home/someone/music/.../x.mp3");
  EXPECT_EQ(items[2].commandId, 1104);
  EXPECT_EQ(items[2].text, "&5 a name of thirty character.mp3");
  EXPECT_EQ(items[3].commandId, 1105);
  EXPECT_EQ(items[3].text, "&6 /exactly/twenty/chr/.../Tom && Jerry.mp3");

  // A name one character shorter keeps its folder; folders are cut at
  // characters, not in the middle of one.
  settings.file_recent = {"/music/name of twenty-nine chars.mp3", "/Müsik/Ünterordner/äöü/x.mp3", "", "", "", ""};
  ASSERT_EQ(recentMenuItems(settings).size(), 2u);
  EXPECT_EQ(recentMenuItems(settings)[0].text, "&1 /music/name of twenty-nine chars.mp3");
  EXPECT_EQ(recentMenuItems(settings)[1].text, "&2 /Müsik/Ünterordner/ä.../x.mp3");

  settings.file_recent = {"", "/music/second.mp3", "", "", "", ""};
  EXPECT_TRUE(recentMenuItems(settings).empty());
}

}  // namespace
}  // namespace quillane
