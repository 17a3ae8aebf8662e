#include "edit/project_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;

// A host whose save dialog answers with a given path, or cancels.
class DialogHost : public SilentHost {
 public:
  bool answer = true;
  std::string chosen;  // empty: the dialog returns what it was prefilled with
  std::vector<FileDialogRequest> requests;

  bool saveFileDialog(const FileDialogRequest& request, std::string& path) override {
    requests.push_back(request);
    if (!answer) return false;
    if (!chosen.empty()) path = chosen;
    return true;
  }
};

struct Fixture {
  TempDir dir;
  Session session;
  DialogHost host;
  fs::path audio;

  Fixture() {
    audio = dir / "song.mp3";
    fs::copy_file(test::dataPath("ffmpeg_cbr.mp3"), audio);
    EXPECT_TRUE(test::openInSession(session, audio));
    EditRangeTable& t = session.edits;
    t.selection.beg = t.selection.end = 42 * 576;
    t.selection.title = "One";
    EXPECT_TRUE(addRangeFromSelection(t, session.selectionUndo, true));
    EXPECT_TRUE(t.modified);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
};

bool isProjectFile(const fs::path& p) { return readText(p).rfind("filename=", 0) == 0; }
bool isCueSheet(const fs::path& p) { return readText(p).find("FILE \"") != std::string::npos; }

TEST(SaveProject, WithoutAProjectPathTheNameIsAskedFirst) {
  Fixture f;
  f.host.chosen = f.path("song.qlp");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  ASSERT_EQ(f.host.requests.size(), 1u);
  const FileDialogRequest& r = f.host.requests[0];
  EXPECT_EQ(r.title, "Save Project file or Cue sheet");
  EXPECT_EQ(r.initialPath, f.path("song"));  // the audio path without its extension
  EXPECT_TRUE(r.overwritePrompt);
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].description, "Quillane Project (*.qlp)");
  EXPECT_EQ(r.filters[0].pattern, "*.qlp");
  EXPECT_EQ(r.filters[1].description, "Cue Sheet (*.cue)");
  EXPECT_EQ(r.filters[1].pattern, "*.cue");
  EXPECT_EQ(f.session.projectPath, f.path("song.qlp"));
  EXPECT_TRUE(isProjectFile(f.dir / "song.qlp"));
  EXPECT_FALSE(f.session.edits.modified);
  EXPECT_EQ(f.session.settings.file_recent[0], f.path("song.qlp"));
  EXPECT_TRUE(f.host.messages.empty());

  // Known now: Ctrl+S saves without asking.
  f.session.edits.modified = true;
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_EQ(f.host.requests.size(), 1u);
  EXPECT_FALSE(f.session.edits.modified);

  // "Save as" asks, prefilled with the known path.
  f.host.chosen = f.path("other.qlp");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, true, false));
  ASSERT_EQ(f.host.requests.size(), 2u);
  EXPECT_EQ(f.host.requests[1].initialPath, f.path("song.qlp"));
  EXPECT_EQ(f.session.projectPath, f.path("other.qlp"));
  EXPECT_TRUE(isProjectFile(f.dir / "other.qlp"));
}

TEST(SaveProject, CancellingLeavesNoProjectPathBehind) {
  Fixture f;
  f.host.answer = false;
  EXPECT_FALSE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_EQ(f.session.projectPath, "");
  EXPECT_TRUE(f.session.edits.modified);
  EXPECT_FALSE(fs::exists(f.dir / "song"));

  // A known path stays when "Save as" is cancelled.
  f.session.projectPath = f.path("known.qlp");
  EXPECT_FALSE(saveProjectOrCueSheet(f.session, f.host, true, false));
  EXPECT_EQ(f.session.projectPath, f.path("known.qlp"));
  EXPECT_FALSE(fs::exists(f.dir / "known.qlp"));
  EXPECT_TRUE(f.host.messages.empty());
}

TEST(SaveProject, TheExtensionChoosesTheFormat) {
  Fixture f;
  f.session.projectPath = f.path("a.cue");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_TRUE(isCueSheet(f.dir / "a.cue"));

  // Only the lower-case ".cue" selects the cue sheet.
  f.session.projectPath = f.path("b.CUE");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_TRUE(isProjectFile(f.dir / "b.CUE"));

  // Any other extension is a project file.
  f.session.projectPath = f.path("c.txt");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_TRUE(isProjectFile(f.dir / "c.txt"));

  // No extension: a project file under the name with ".qlp", never a bare name.
  f.session.projectPath = f.path("noext");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_FALSE(fs::exists(f.dir / "noext"));
  EXPECT_TRUE(isProjectFile(f.dir / "noext.qlp"));
  EXPECT_EQ(f.session.projectPath, f.path("noext.qlp"));
  fs::create_directory(f.dir / "dotted.dir");
  f.session.projectPath = f.path("dotted.dir/noext");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_TRUE(isProjectFile(f.dir / "dotted.dir/noext.qlp"));
  EXPECT_TRUE(f.host.messages.empty());
}

// The name proposed for a new project has no extension; a dialog that hands it
// back as it is (or a name typed without one) saves a project file, and the next
// Ctrl+S saves to it without asking.
TEST(SaveProject, ANameWithoutExtensionIsSavedWithOne) {
  Fixture f;
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  ASSERT_EQ(f.host.requests.size(), 1u);
  EXPECT_TRUE(f.host.requests[0].extensionFromType);
  EXPECT_EQ(f.session.projectPath, f.path("song.qlp"));
  EXPECT_TRUE(isProjectFile(f.dir / "song.qlp"));
  EXPECT_FALSE(f.session.edits.modified);

  f.session.edits.modified = true;
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_EQ(f.host.requests.size(), 1u);
  EXPECT_FALSE(f.session.edits.modified);

  // The sheet command's name becomes a cue sheet.
  Fixture g;
  g.host.chosen = g.path("typed");
  ASSERT_TRUE(saveProjectOrCueSheet(g.session, g.host, false, true));
  EXPECT_EQ(g.session.projectPath, g.path("typed.cue"));
  EXPECT_TRUE(isCueSheet(g.dir / "typed.cue"));
  EXPECT_TRUE(g.host.messages.empty());
}

TEST(SaveProject, ForceCueWritesACueSheetBesideTheProject) {
  Fixture f;
  f.session.projectPath = f.path("p.qlp");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, true));
  EXPECT_TRUE(f.host.requests.empty());
  EXPECT_EQ(f.session.projectPath, f.path("p.cue"));
  EXPECT_FALSE(fs::exists(f.dir / "p.qlp"));
  EXPECT_EQ(readText(f.dir / "p.cue"),
            "TITLE \"(Title N.N.)\"\r\nFILE \"song.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n"
            "    INDEX 01 00:01:00\r\n");

  // ".CUE" is replaced too; the sheet reads back.
  f.session.projectPath = f.path("q.CUE");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, true));
  EXPECT_EQ(f.session.projectPath, f.path("q.cue"));
  Session back;
  back.projectPath = f.path("q.cue");
  ASSERT_TRUE(readCueSheet(back, f.host));
  ASSERT_EQ(back.edits.count, 1);
  EXPECT_EQ(back.edits.ranges[0].beg, 42 * 576);
  EXPECT_EQ(back.edits.ranges[0].title, "One");

  // Without a project path the dialog offers cue sheets only.
  Fixture g;
  g.host.chosen = g.path("chosen.qlp");
  ASSERT_TRUE(saveProjectOrCueSheet(g.session, g.host, false, true));
  ASSERT_EQ(g.host.requests.size(), 1u);
  EXPECT_EQ(g.host.requests[0].title, uiText(g.session.text, ui::kMenuEditCueSheet));
  ASSERT_EQ(g.host.requests[0].filters.size(), 1u);
  EXPECT_EQ(g.host.requests[0].filters[0].pattern, "*.cue");
  EXPECT_EQ(g.session.projectPath, g.path("chosen.cue"));
  EXPECT_TRUE(isCueSheet(g.dir / "chosen.cue"));
}

TEST(SaveProject, WriteFailureIsReported) {
  Fixture f;
  f.session.projectPath = f.path("missing/p.qlp");
  EXPECT_FALSE(saveProjectOrCueSheet(f.session, f.host, false, false));
  ASSERT_EQ(f.host.messages.size(), 1u);
  EXPECT_EQ(f.host.messages[0].text,
            "Could not create/write to file\n" + f.path("missing/p.qlp") + ": No such file or directory");
  EXPECT_EQ(f.host.messages[0].caption, "Error");
  EXPECT_EQ(f.host.messages[0].icon, MessageIcon::Error);
  EXPECT_TRUE(f.session.edits.modified);

  f.session.projectPath = f.path("missing/p.cue");
  EXPECT_FALSE(saveProjectOrCueSheet(f.session, f.host, false, false));
  EXPECT_EQ(f.host.messages.size(), 2u);
  EXPECT_TRUE(f.session.edits.modified);
}

TEST(SaveProject, SavedProjectReopensWithItsRanges) {
  Fixture f;
  f.session.edits.sheetTitle = "Album";
  f.session.projectPath = f.path("p.qlp");
  ASSERT_TRUE(saveProjectOrCueSheet(f.session, f.host, false, false));
  Session back;
  back.projectPath = f.path("p.qlp");
  ASSERT_TRUE(readProjectFile(back, f.host));
  ASSERT_EQ(back.edits.count, 1);
  EXPECT_EQ(back.edits.ranges[0].beg, 42 * 576);
  EXPECT_EQ(back.edits.ranges[0].title, "One");
  EXPECT_EQ(back.edits.sheetTitle, "Album");
}

}  // namespace
}  // namespace quillane
