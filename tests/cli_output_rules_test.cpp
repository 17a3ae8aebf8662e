// One rule for every file the command-line tool writes: never over the source,
// never over an existing file without --force, never a part of a file; and every
// failure exits 1 with one line on stderr that names the file and the reason.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// A folder with a copy of a test file as "a.mp3", a link and a hard link to it,
// a few existing outputs and a named pipe.
struct Workspace {
  test::TempDir dir;
  std::map<std::string, Bytes> before;

  Workspace() {
    fs::copy_file(test::dataPath("tone_silence_tone.mp3"), dir / "a.mp3");
    fs::create_symlink(dir / "a.mp3", dir / "link.mp3");
    fs::create_hard_link(dir / "a.mp3", dir / "hard.mp3");
    test::writeBytes(dir / "exists.wav", Bytes(10, 'w'));
    test::writeBytes(dir / "exists.qlp", Bytes(10, 'q'));
    test::writeBytes(dir / "exists.cue", Bytes(10, 'c'));
    test::writeBytes(dir / "notes.mp3", Bytes{'n', 'o', 't', 'e', 's', '\n'});
    fs::create_directory(dir / "pieces");
    test::writeBytes(dir / "pieces" / "Track 01.mp3", Bytes(10, 'p'));
    ::mkfifo((dir / "pipe.mp3").c_str(), 0600);
    const std::string outOfRange = "filename=a.mp3\r\ncut_beg=900000000\r\ncut_end=900000001\r\ncut_type=0\r\n";
    test::writeBytes(dir / "bad.qlp", Bytes(outOfRange.begin(), outOfRange.end()));
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
      if (entry.is_regular_file() && !entry.is_symlink()) before[entry.path().string()] = test::readBytes(entry.path());
  }

  // Runs the tool in the folder, with the words {dir} replaced by the folder. A
  // command that waits (on the pipe, say) is stopped after 20 s and fails the test.
  test::CommandOutput run(std::string args) const {
    for (size_t at; (at = args.find("{dir}")) != std::string::npos;) args.replace(at, 5, dir.path().string());
    return test::runCommand("cd " + test::shellQuote(dir.path().string()) + " && timeout 20 " +
                            test::shellQuote(QUILLANE_CLI_PATH) + " " + args);
  }

  // Every file that was there is there with its bytes; nothing else was added but `added`.
  void expectUnchanged(const std::string& what, const std::vector<std::string>& added = {}) const {
    size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      if (!entry.is_regular_file() || entry.is_symlink()) continue;
      ++count;
      const std::string path = entry.path().string();
      const auto old = before.find(path);
      if (old == before.end()) {
        const std::string name = fs::relative(entry.path(), dir.path()).string();
        EXPECT_NE(std::find(added.begin(), added.end(), name), added.end()) << what << ": made " << name;
      } else {
        EXPECT_EQ(test::readBytes(entry.path()), old->second) << what << ": changed " << path;
      }
    }
    EXPECT_EQ(count, before.size() + added.size()) << what;
  }
};

TEST(CliOutputRules, RefusalsSayWhyAndTouchNothing) {
  struct Case {
    const char* args;
    const char* reason;  // expected within the one line on stderr
  };
  const Case cases[] = {
      // The source, under its own name, through a link and a hard link.
      {"project a.mp3 -o a.mp3 --cue 1", "a.mp3: is the source itself"},
      {"project a.mp3 -o link.mp3 --cue 1 --force", "link.mp3: is the source itself"},
      {"cuesheet a.mp3 -o hard.mp3 --cue 1 --force", "hard.mp3: is the source itself"},
      {"pauses a.mp3 -o a.mp3 --force", "a.mp3: is the source itself"},
      {"decode a.mp3 -o link.mp3 --force", "link.mp3: is the source itself"},
      {"split a.mp3 --dir . --pattern a --cut 0-1 --force", "a.mp3: is the source itself"},  // one piece
      {"save a.mp3 -o link.mp3 --append", "can't append a file to itself"},
      // Existing outputs without --force.
      {"decode a.mp3 -o exists.wav", "exists.wav: exists (use --force to overwrite it)"},
      {"project a.mp3 -o exists.qlp --cue 1", "exists.qlp: exists (use --force"},
      {"cuesheet a.mp3 -o exists.cue --cue 1", "exists.cue: exists (use --force"},
      {"pauses a.mp3 -o exists.cue", "exists.cue: exists (use --force"},
      {"split a.mp3 --dir pieces --cue 1", "Track 01.mp3: exists (use --force"},
      {"save a.mp3 -o a.mp3", "a.mp3: exists (use --force"},
      // Nothing to do, or nothing that can be done.
      {"split a.mp3 --dir pieces", "a.mp3: no cuts or cues to split at"},
      {"save a.mp3 -o out.mp3 --cut 0-100", "Nothing left to save: every frame is cut"},
      {"save a.mp3 -o notes.mp3 --append", "notes.mp3: is not an MPEG audio file"},
      {"save a.mp3 -o missing.mp3 --append", "missing.mp3: the file to append to does not exist"},
      {"save a.mp3 -o no/such/folder.mp3", "no/such/folder.mp3: No such file or directory"},
      // Sources that are not regular files are refused before they are opened.
      {"info pipe.mp3", "pipe.mp3: is not a regular file"},
      {"save pipe.mp3 -o out.mp3", "pipe.mp3: is not a regular file"},
      {"info .", ".: Is a directory"},
      // A project file with nothing usable: its reason, in one line.
      {"ranges bad.qlp", "bad.qlp: Every entry of the project file was out of range"},
  };
  Workspace w;
  for (const Case& c : cases) {
    const auto run = w.run(c.args);
    EXPECT_EQ(run.status, 1) << c.args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.args << "\n" << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.args << "\n" << run.err;
    w.expectUnchanged(c.args);
  }
}

TEST(CliOutputRules, ForceReplacesAndARelativeFolderWorks) {
  Workspace w;
  auto run = w.run("decode a.mp3 -o exists.wav --force --decoder mpg123");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(test::readBytes(w.dir / "exists.wav").size(), 10u);
  w.before.erase((w.dir / "exists.wav").string());
  // A bare folder name, made when missing, relative to where the tool runs.
  run = w.run("split a.mp3 --dir reltest --cue 1");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(w.dir / "reltest" / "Track 01.mp3"));
  EXPECT_TRUE(fs::exists(w.dir / "reltest" / "Track 02.mp3"));
  run = w.run("split a.mp3 --dir pieces --cue 1 --force");
  EXPECT_EQ(run.status, 0) << run.err;
  w.before.erase((w.dir / "pieces" / "Track 01.mp3").string());
  w.expectUnchanged("after --force", {"exists.wav", "reltest/Track 01.mp3", "reltest/Track 02.mp3",
                                      "pieces/Track 01.mp3", "pieces/Track 02.mp3"});
}

}  // namespace
}  // namespace quillane
