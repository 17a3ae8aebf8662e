#include "app/dialogs/split_dialog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "dialog_steps.h"
#include "repeated_audio.h"
#include "session/command_ids.h"
#include "test_main_window.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::activeModal;
using test::controlIn;
using test::DialogSteps;

QWidget* splitDialog() { return activeModal("dialog408"); }

template <class Widget = QWidget>
Widget* control(int id) {
  return controlIn<Widget>(splitDialog(), id);
}

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

std::string withSeparator(const fs::path& folder) { return folder.string() + "/"; }

// The tags ffprobe reads from a file, by name ("title", "artist"...).
std::map<std::string, std::string> tagsOf(const fs::path& file) {
  const test::CommandOutput probe =
      test::runCommand("ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 " +
                       test::shellQuote(file.string()));
  EXPECT_EQ(probe.status, 0) << file << "\n" << probe.err;
  std::map<std::string, std::string> tags;
  std::istringstream lines(probe.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (line.rfind("TAG:", 0) == 0 && equals != std::string::npos)
      tags[line.substr(4, equals - 4)] = line.substr(equals + 1);
  }
  return tags;
}

void expectDecodes(const fs::path& file) {
  const test::CommandOutput decode =
      test::runCommand("ffmpeg -nostdin -v error -i " + test::shellQuote(file.string()) + " -f null -");
  EXPECT_EQ(decode.status, 0) << file << "\n" << decode.err;
  EXPECT_EQ(decode.err, "") << file;
}

void setCues(Session& s, const std::vector<test::DemuxedFrame>& frames, const std::vector<int>& at,
             const std::vector<std::pair<std::string, std::string>>& names = {}) {
  s.edits.count = static_cast<uint16_t>(at.size());
  for (size_t i = 0; i < at.size(); ++i) {
    const int64_t pos = frames.at(static_cast<size_t>(at[i])).pos;
    const auto [title, artist] = i < names.size() ? names[i] : std::pair<std::string, std::string>{};
    s.edits.ranges[i] = EditRange{kRangeCut, pos, pos, 0, 0, title, artist};
  }
}


// The split dialog is open on `folder`: press OK. Anything else: Cancel, so that
// nothing is written where it should not be.
void okWhenFolderIs(DialogSteps& steps, const std::string& folder) {
  steps.then(splitDialog, [folder] {
    QPushButton* button = control<QPushButton>(601);
    EXPECT_EQ(button->toolTip().toStdString(), folder);
    control<QPushButton>(button->toolTip().toStdString() == folder ? 611 : 612)->click();
  });
}

TEST(SplitDialog, ThreeCuesWriteFourTaggedFilesThatDecode) {
  test::TempDir out;
  const std::string source = test::dataPath("tone_silence_tone.mp3").string();
  test::StartedWindow w(source);
  Session& s = w.session;
  setCues(s, test::demuxedFrames(source), {40, 100, 180}, {{"One", "A"}, {"Two: the/second?", ""}, {"Three", "C"}});
  s.edits.sheetTitle = "Album";
  s.edits.sheetArtist = "Band";

  DialogSteps steps;
  steps
      .then(splitDialog,
            [&] {
              QWidget* d = splitDialog();
              EXPECT_EQ(d->windowTitle(), "Split file");
              for (int id : {601, 611, 612, 621, 622, 641, 642, 661, 662, 663, 664, 681, 682}) {
                QWidget* c = control(id);
                ASSERT_NE(c, nullptr) << id;
                EXPECT_EQ(c->property("controlId").toInt(), id);
              }
              // Opened on the source's folder, with the pattern of the settings.
              EXPECT_EQ(control<QPushButton>(601)->toolTip().toStdString(), withSeparator(fs::path(source).parent_path()));
              EXPECT_EQ(control<QLineEdit>(681)->text(), "Track %N");
              EXPECT_EQ(control<QLineEdit>(682)->text(), "1");
              EXPECT_FALSE(control<QCheckBox>(621)->isChecked());
              EXPECT_EQ(control<QCheckBox>(622)->text(), "Sample-accurate split pieces");
              EXPECT_TRUE(control<QCheckBox>(622)->isChecked());  // on in new settings
              EXPECT_EQ(control<QGroupBox>(641)->title(), "Select folder for split files:");
              EXPECT_EQ(control<QGroupBox>(642)->title(), "Filename creation");
              EXPECT_TRUE(control<QLabel>(662)->text().startsWith("%N = Track (cue/cut) number\n"));
              EXPECT_TRUE(control<QLabel>(663)->text().startsWith("IMPORTANT: You should always use %N"));
              control<QLineEdit>(681)->setText("%N %T");
              QLineEdit* first = control<QLineEdit>(682);
              first->selectAll();
              QTest::keyClicks(first, "x3");  // digits only
              EXPECT_EQ(first->text(), "3");
              control<QCheckBox>(621)->setChecked(true);
              control<QCheckBox>(622)->setChecked(false);  // frame-exact pieces, as they are checked below
              DialogSteps::later(d, [] { control<QPushButton>(601)->click(); });
            })
      .then([] { return activeModal("folderChooser") != nullptr; },
            [&] {
              auto* chooser = static_cast<QFileDialog*>(activeModal("folderChooser"));
              EXPECT_EQ(chooser->windowTitle(), "Select folder for split files:");
              EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory);
              chooser->setDirectory(QString::fromStdString(out.path().string()));
              chooser->selectFile(QString::fromStdString(out.path().string()));
              QMetaObject::invokeMethod(chooser, "accept");  // the Choose button
            });
  okWhenFolderIs(steps, withSeparator(out.path()));
  w.window->runCommand(cmd::kSaveSplit);
  ASSERT_TRUE(steps.done());
  EXPECT_TRUE(w.window->messages.empty());

  const std::vector<std::string> names = {"03 .mp3", "04 One.mp3", "05 Two_ the_second_.mp3", "06 Three.mp3"};
  EXPECT_EQ(namesIn(out.path()), std::set<std::string>(names.begin(), names.end()));
  const std::vector<std::map<std::string, std::string>> tags = {
      {{"artist", "Band"}, {"album", "Album"}, {"track", "3"}},
      {{"title", "One"}, {"artist", "A"}, {"album", "Album"}, {"track", "4"}},
      {{"title", "Two: the/second?"}, {"artist", "Band"}, {"album", "Album"}, {"track", "5"}},
      {{"title", "Three"}, {"artist", "C"}, {"album", "Album"}, {"track", "6"}},
  };
  for (size_t i = 0; i < names.size(); ++i) {
    const fs::path file = out / names[i];
    expectDecodes(file);
    std::map<std::string, std::string> found = tagsOf(file);
    for (const char* key : {"title", "artist", "album", "track"}) {
      const auto want = tags[i].find(key);
      EXPECT_EQ(found[key], want == tags[i].end() ? "" : want->second) << names[i] << " " << key;
    }
    const test::Bytes bytes = test::readBytes(file);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(std::string(bytes.end() - 128, bytes.end() - 125), "TAG");
    EXPECT_EQ(bytes[bytes.size() - 2], 3 + i);  // ID3v1.1: the track number at byte 126
  }
  EXPECT_EQ(s.settings.split_name, "%N %T");
  EXPECT_EQ(s.settings.split_id3v11, 1);
  EXPECT_EQ(s.settings.split_sample_accurate, 0);
  EXPECT_EQ(s.edits.count, 3);
  EXPECT_EQ(s.edits.selection.beg, -1);
  EXPECT_EQ(s.edits.selection.end, -1);
  EXPECT_EQ(s.save.savePath, withSeparator(out.path()));
}

TEST(SplitDialog, CancelStoresThePatternAndSplitsNothing) {
  test::TempDir out;
  const std::string source = test::dataPath("tone_silence_tone.mp3").string();
  test::StartedWindow w(source);
  Session& s = w.session;
  setCues(s, test::demuxedFrames(source), {100});
  s.save.savePath = withSeparator(out.path()) + "earlier.mp3";
  for (const bool escape : {false, true}) {
    DialogSteps steps;
    steps.then(splitDialog, [escape] {
      EXPECT_FALSE(control<QPushButton>(601)->toolTip().endsWith("earlier.mp3"));
      control<QLineEdit>(681)->setText(escape ? "%T" : "%A %N");
      control<QCheckBox>(621)->setChecked(true);
      control<QCheckBox>(622)->setChecked(false);
      if (escape)
        QTest::keyClick(splitDialog(), Qt::Key_Escape);
      else
        control<QPushButton>(612)->click();
    });
    w.window->runCommand(cmd::kSaveSplit);
    ASSERT_TRUE(steps.done());
    EXPECT_EQ(s.settings.split_name, escape ? "%T" : "%A %N");
  }
  EXPECT_EQ(s.settings.split_id3v11, 0);
  EXPECT_EQ(s.settings.split_sample_accurate, 1);
  EXPECT_TRUE(namesIn(out.path()).empty());
  EXPECT_EQ(s.edits.count, 1);
}

TEST(SplitDialog, CancelInTheSecondPieceKeepsTheFirstAndLeavesNoPart) {
  test::TempDir dir;
  const fs::path source = test::repeatedTones(dir, 100);  // 9.6 MB: pieces of several slices
  const fs::path out = dir / "out";
  fs::create_directory(out);
  test::StartedWindow w(source.string());
  Session& s = w.session;
  const auto frames = test::demuxedFrames(source);
  setCues(s, frames, {static_cast<int>(frames.size() / 3), static_cast<int>(frames.size() * 2 / 3)});
  const EditRangeTable before = s.edits;
  s.settings.split_name = "%N";
  s.save.savePath = withSeparator(out);
  DialogSteps steps;
  okWhenFolderIs(steps, withSeparator(out));
  int cancelledAt = -1;
  steps.then(
      [&] {
        QWidget* saving = activeModal("dialog400");
        // The pieces go into place together at the end: while the second is written,
        // the folder holds the first's temporary file and its own.
        return saving && namesIn(out).size() == 2 && controlIn<QProgressBar>(saving, 617)->value() > 0;
      },
      [&] {
        QWidget* saving = activeModal("dialog400");
        cancelledAt = controlIn<QProgressBar>(saving, 617)->value();
        controlIn<QPushButton>(saving, 612)->click();
      });
  w.window->runCommand(cmd::kSaveSplit);
  ASSERT_TRUE(steps.done());
  EXPECT_LT(cancelledAt, 100);
  EXPECT_TRUE(w.window->messages.empty());
  // The first piece whole, nothing of the second.
  EXPECT_EQ(namesIn(out), std::set<std::string>{"01.mp3"});
  expectDecodes(out / "01.mp3");
  EXPECT_EQ(s.edits.count, before.count);
  for (int i = 0; i < s.edits.count; ++i) EXPECT_EQ(s.edits.ranges[i].beg, before.ranges[i].beg);
  EXPECT_EQ(s.edits.selection.beg, -1);
  EXPECT_FALSE(s.save.saveSelection);
}

TEST(SplitDialog, AFolderThatCannotBeWrittenSaysWhyAndWritesNothing) {
  test::TempDir dir;
  const std::string source = test::dataPath("tone_silence_tone.mp3").string();
  test::StartedWindow w(source);
  Session& s = w.session;
  setCues(s, test::demuxedFrames(source), {100});
  // A file where the folder should be: no file can be made in it, not even by root.
  const fs::path notAFolder = dir / "not a folder";
  test::writeText(notAFolder, "text");
  s.save.savePath = withSeparator(notAFolder);
  DialogSteps steps;
  okWhenFolderIs(steps, withSeparator(notAFolder));
  w.window->runCommand(cmd::kSaveSplit);
  ASSERT_TRUE(steps.done());
  ASSERT_EQ(w.window->messages.size(), 1u);
  EXPECT_EQ(w.window->messages[0],
            "Could not create/write to file\n" + withSeparator(notAFolder) + "Track 01.mp3: Not a directory");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"not a folder"});
  EXPECT_EQ(test::readText(notAFolder), "text");
  EXPECT_EQ(s.edits.count, 1);
}

// A source whose ID3v2 tag TagLib can't read splits all the same: every piece gets
// the tag as it is, and the window says so once, after the pieces.
TEST(SplitDialog, ADamagedId3v2TagIsReportedOnceAndFailsNothing) {
  test::TempDir dir;
  test::Bytes damaged = test::readBytes(test::dataPath("id3v2.mp3"));
  damaged[10] = '#';  // the first frame's ID
  const fs::path source = dir / "damaged.mp3";
  test::writeBytes(source, damaged);
  test::StartedWindow w(source.string());
  Session& s = w.session;
  setCues(s, test::demuxedFrames(source.string()), {20});
  const fs::path out = dir / "pieces";
  fs::create_directory(out);
  s.save.savePath = withSeparator(out);
  DialogSteps steps;
  okWhenFolderIs(steps, withSeparator(out));
  w.window->runCommand(cmd::kSaveSplit);
  ASSERT_TRUE(steps.done());
  ASSERT_EQ(w.window->messages.size(), 1u);
  EXPECT_EQ(w.window->messages[0],
            source.string() + ": the ID3v2 tag was copied unchanged into every piece (the ID3v2 tag is damaged)");
  EXPECT_EQ(namesIn(out), (std::set<std::string>{"Track 01.mp3", "Track 02.mp3"}));
}

// A file-size limit for this process: a write past it fails with EFBIG, as one
// fails with ENOSPC when the disk is full; put back when the guard ends.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(SplitDialog, AFullDiskStopsTheSplitWithWholePiecesOnly) {
  test::TempDir out;
  const std::string source = test::dataPath("tone_silence_tone.mp3").string();
  test::StartedWindow w(source);
  Session& s = w.session;
  setCues(s, test::demuxedFrames(source), {30, 60});  // pieces of 12 kB, 12 kB and 70 kB
  s.settings.split_name = "%N";
  s.save.savePath = withSeparator(out.path());
  {
    FileSizeLimit limit(32 * 1024);
    DialogSteps steps;
    okWhenFolderIs(steps, withSeparator(out.path()));
    w.window->runCommand(cmd::kSaveSplit);
    EXPECT_TRUE(steps.done());
  }
  ASSERT_EQ(w.window->messages.size(), 1u);
  EXPECT_EQ(w.window->messages[0],
            "Could not create/write to file\n" + withSeparator(out.path()) + "03.mp3: File too large");
  EXPECT_EQ(namesIn(out.path()), (std::set<std::string>{"01.mp3", "02.mp3"}));
  expectDecodes(out / "01.mp3");
  expectDecodes(out / "02.mp3");
  EXPECT_EQ(s.edits.count, 2);
}

}  // namespace
}  // namespace quillane
