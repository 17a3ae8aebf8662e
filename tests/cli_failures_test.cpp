// Every subcommand of the command-line tool on its ways to fail: a failure exits 1
// with exactly one line on stderr that says what failed, names the file and says
// why, prints nothing on stdout and leaves every file as it was; a usage error
// exits 2 and prints nothing on stdout.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// A folder with an MPEG audio file "a.mp3" (tone_silence_tone.mp3, 6.03 s), a
// Layer II file, files that are no MPEG audio, a folder named like an audio file,
// an unreadable file, a cue sheet and a project file whose audio file is gone,
// and outputs that exist.
struct Workspace {
  test::TempDir dir;

  Workspace() {
    fs::copy_file(test::dataPath("tone_silence_tone.mp3"), dir / "a.mp3");
    fs::copy_file(test::dataPath("layer2_mpeg1.mp2"), dir / "b.mp2");
    test::writeText(dir / "notes.mp3", "notes\n");
    test::writeText(dir / "notes.txt", "notes\n");
    test::writeText(dir / "notes.qlp", "notes\n");
    fs::create_directory(dir / "folder.mp3");
    test::writeBytes(dir / "locked.mp3", test::readBytes(test::dataPath("cbr128_info.mp3")));
    fs::permissions(dir / "locked.mp3", fs::perms::none);
    test::writeText(dir / "gone.cue", "FILE \"gone.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:01:00\r\n");
    test::writeText(dir / "gone.qlp", "filename=gone.mp3\r\ncut_beg=1000\r\ncut_end=2000\r\ncut_type=0\r\n");
    for (const char* name : {"exists.mp3", "exists.wav", "exists.cue", "exists.qlp"}) test::writeText(dir / name, "x");
    fs::create_directory(dir / "pieces");
    test::writeText(dir / "pieces" / "Track 01.mp3", "x");
  }

  test::CommandOutput run(const std::string& args) const {
    return test::runCommand("cd " + test::shellQuote(dir.path().string()) + " && timeout 20 " +
                            test::shellQuote(QUILLANE_CLI_PATH) + " " + args);
  }

  // Every file and folder with its size (folders -1).
  std::map<std::string, int64_t> listing() const {
    std::map<std::string, int64_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      const std::string name = fs::relative(entry.path(), dir.path()).string();
      files[name] = entry.is_directory() ? -1 : static_cast<int64_t>(entry.file_size());
    }
    return files;
  }
};

struct Failure {
  const char* args;
  const char* says;  // within the line; for a failure it starts with the file it names
};

TEST(CliFailures, EveryCommandSaysWhatFailedInOneLine) {
  const bool root = ::geteuid() == 0;
  const Failure failures[] = {
      // info
      {"info missing.mp3", "missing.mp3: No such file or directory"},
      {"info folder.mp3", "folder.mp3: Is a directory"},
      {"info notes.mp3", "notes.mp3: no MPEG audio frames found"},
      {"info notes.txt", "notes.txt: no MPEG audio frames found"},
      {"info locked.mp3", "locked.mp3: Permission denied"},
      // save
      {"save missing.mp3 -o out.mp3", "missing.mp3: No such file or directory"},
      {"save folder.mp3 -o out.mp3", "folder.mp3: Is a directory"},
      {"save notes.mp3 -o out.mp3", "notes.mp3: no MPEG audio frames found"},
      {"save notes.txt -o out.mp3", "notes.txt: Unsupported file extension"},
      {"save locked.mp3 -o out.mp3", "locked.mp3: Permission denied"},
      {"save gone.cue -o out.mp3", "gone.cue: "},
      {"save a.mp3 -o exists.mp3", "exists.mp3: exists (use --force to overwrite it)"},
      {"save a.mp3 -o nofolder/out.mp3", "nofolder/out.mp3: No such file or directory"},
      {"save a.mp3 -o a.mp3/out.mp3", "a.mp3/out.mp3: Not a directory"},
      {"save a.mp3 -o folder.mp3 --force", "folder.mp3: "},
      {"save a.mp3 -o out.mp3 --append", "out.mp3: the file to append to does not exist"},
      {"save a.mp3 -o notes.mp3 --append", "notes.mp3: is not an MPEG audio file"},
      {"save a.mp3 -o out.mp3 --cut 1-x", "a.mp3: --cut \"1-x\": positions are"},
      {"save a.mp3 -o out.mp3 --cut 1", "a.mp3: --cut \"1\": expected a range A-B"},
      {"save a.mp3 -o out.mp3 --cut 3-2", "a.mp3: --cut \"3-2\": Selection range seems to be invalid"},
      {"save a.mp3 -o out.mp3 --cut 1:00-2:00", "a.mp3: --cut \"1:00-2:00\": begins at or past the end of the audio"},
      {"save a.mp3 -o out.mp3 --cut 1-3 --cut 1.5-2", "a.mp3: --cut \"1.5-2\": Selection range seems to be invalid"},
      {"save a.mp3 -o out.mp3 --cue 1:75", "a.mp3: --cue \"1:75\": positions are"},
      {"save a.mp3 -o out.mp3 --cue 99", "a.mp3: --cue \"99\": lies at or past the end of the audio (0'06.03)"},
      {"save a.mp3 -o out.mp3 --gain 1-2", "a.mp3: --gain \"1-2\": expected A-B:STEPS or A-B:BEG:END"},
      {"save a.mp3 -o out.mp3 --gain 1-2:+40", "a.mp3: --gain \"1-2:+40\": gain steps lie within -32..+32"},
      {"save b.mp2 -o out.mp2 --gain 1-2:+2", "b.mp2: --gain \"1-2:+2\": Can't change the volume of Layer 2 files"},
      {"save a.mp3 -o out.mp3 --selection 4-1", "a.mp3: --selection \"4-1\": Selection range seems to be invalid"},
      {"save a.mp3 -o out.mp3 --cut 0-7", "out.mp3: Not possible: Nothing left to save: every frame is cut"},
      {"save a.mp3 -o out.mp3 --selection 1-1", "out.mp3: Not possible: "},
      // split
      {"split missing.mp3 --dir pieces --cue 1", "missing.mp3: No such file or directory"},
      {"split notes.mp3 --dir pieces --cue 1", "notes.mp3: no MPEG audio frames found"},
      {"split a.mp3 --dir pieces", "a.mp3: no cuts or cues to split at"},
      {"split a.mp3 --dir a.mp3 --cue 1", "a.mp3: not a folder that can be written to"},
      {"split a.mp3 --dir pieces --cue 1", "pieces/Track 01.mp3: exists (use --force"},
      {"split a.mp3 --dir new --cue 1 --cue 2 --pattern same", "new/same.mp3: two pieces would get this name"},
      {"split a.mp3 --dir new --cue x", "a.mp3: --cue \"x\": positions are"},
      // cuesheet and project
      {"cuesheet missing.mp3 -o x.cue --cue 1", "missing.mp3: No such file or directory"},
      {"cuesheet folder.mp3 -o x.cue --cue 1", "folder.mp3: Is a directory"},
      {"cuesheet a.mp3 -o exists.cue --cue 1", "exists.cue: exists (use --force"},
      {"cuesheet a.mp3 -o nofolder/x.cue --cue 1", "nofolder/x.cue: No such file or directory"},
      {"cuesheet a.mp3 -o x.cue --auto-cue 1:xx", "--auto-cue \"1:xx\": expected M:SS"},
      {"cuesheet a.mp3 -o x.cue --auto-cue 0:00", "--auto-cue \"0:00\": expected M:SS"},
      {"project a.mp3 -o x.qlp --auto-cue 2000:00", "--auto-cue \"2000:00\": expected M:SS"},
      {"project gone.qlp -o x.qlp", "gone.qlp: "},
      {"project notes.qlp -o x.qlp", "notes.qlp: "},
      {"project a.mp3 -o exists.qlp", "exists.qlp: exists (use --force"},
      {"project a.mp3 -o x.qlp --cut 2-1", "a.mp3: --cut \"2-1\": Selection range seems to be invalid"},
      // ranges
      {"ranges missing.qlp", "missing.qlp: No such file or directory"},
      {"ranges notes.txt", "notes.txt: Unsupported file extension"},
      {"ranges gone.cue", "gone.cue: "},
      {"ranges locked.mp3", "locked.mp3: Permission denied"},
      {"ranges a.mp3 --cut @99999999-@100000000", "a.mp3: --cut \"@99999999-@100000000\": begins at or past the end"},
      // decode
      {"decode missing.mp3 -o x.wav", "missing.mp3: No such file or directory"},
      {"decode notes.mp3 -o x.wav", "notes.mp3: no MPEG audio frames found"},
      {"decode a.mp3 -o exists.wav", "exists.wav: exists (use --force"},
      {"decode a.mp3 -o nofolder/x.wav", "nofolder/x.wav: No such file or directory"},
      {"decode a.mp3 -o folder.mp3 --force", "folder.mp3: is not a regular file"},
      {"decode a.mp3 -o x.wav --selection 4-1", "a.mp3: --selection \"4-1\": Selection range seems to be invalid"},
      // normalize: OUT is refused before the scan, which would print its findings
      {"normalize missing.mp3", "missing.mp3: No such file or directory"},
      {"normalize folder.mp3", "folder.mp3: Is a directory"},
      {"normalize a.mp3 --selection 5-1", "a.mp3: --selection \"5-1\": Selection range seems to be invalid"},
      {"normalize a.mp3 -o exists.mp3", "exists.mp3: exists (use --force"},
      {"normalize a.mp3 -o nofolder/x.mp3", "nofolder/x.mp3: No such file or directory"},
      {"normalize b.mp2 -o x.mp2", "b.mp2: normalize with -o: Can't change the volume of Layer 2 files"},
      // pauses: likewise
      {"pauses missing.mp3", "missing.mp3: No such file or directory"},
      {"pauses notes.mp3", "notes.mp3: no MPEG audio frames found"},
      {"pauses a.mp3 -o exists.cue", "exists.cue: exists (use --force"},
      {"pauses a.mp3 -o nofolder/x.cue", "nofolder/x.cue: No such file or directory"},
      {"pauses a.mp3 --selection x-1", "a.mp3: --selection \"x-1\": positions are"},
  };
  // Only with the sound output built in; all of these fail before a device is opened.
  const Failure playFailures[] = {
      {"play missing.mp3", "missing.mp3: No such file or directory"},
      {"play notes.mp3", "notes.mp3: no MPEG audio frames found"},
      {"play a.mp3 --from 1:7x", "a.mp3: --from \"1:7x\": positions are"},
      {"play a.mp3 --cut 2-1", "a.mp3: --cut \"2-1\": Selection range seems to be invalid"},
      {"play a.mp3 --selection 4-1 --prelisten 1", "a.mp3: --selection \"4-1\": Selection range seems to be invalid"},
  };
  // "record" comes with the sound output too; these fail before an input is opened.
  const Failure recordUsageErrors[] = {
      {"record -o ''", "--output: the file name is empty"},
      {"record -o take --encoder bogus", "--encoder"},
      {"record -o take --rate 5", "--rate"},
  };
  const Failure usageErrors[] = {
      {"info ''", "FILE: the file name is empty"},
      {"save a.mp3 -o ''", "--output: the file name is empty"},
      {"save '' -o out.mp3", "SOURCE: the file name is empty"},
      {"split a.mp3 --dir '' --cue 1", "--dir: the file name is empty"},
      {"split a.mp3 --dir new --cue 1 --first -1", "--first"},
      {"cuesheet a.mp3 -o '' --cue 1", "--output: the file name is empty"},
      {"project a.mp3 -o '' --cue 1", "--output: the file name is empty"},
      {"ranges ''", "SOURCE: the file name is empty"},
      {"decode a.mp3 -o ''", "--output: the file name is empty"},
      {"decode a.mp3 -o x.wav --decoder lame", "--decoder"},
      {"normalize a.mp3 -o ''", "--output: the file name is empty"},
      {"pauses a.mp3 -o ''", "--output: the file name is empty"},
      {"pauses a.mp3 --threshold 500", "--threshold"},
      {"save a.mp3", "--output is required"},
      {"save a.mp3 -o out.mp3 --bogus", "--bogus"},
      {"bogus a.mp3", "A subcommand is required"},
  };

  Workspace w;
  const auto before = w.listing();
  // A build without sound has no "play": "play --help" is then the tool's own help.
  const bool withPlay = w.run("play --help").out.find("--prelisten") != std::string::npos;
  auto check = [&](const Failure& f, int status) {
    const auto run = w.run(f.args);
    EXPECT_EQ(run.status, status) << f.args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << f.args;
    EXPECT_NE(run.err.find(f.says), std::string::npos) << f.args << "\n" << run.err;
    if (status == 1) {
      // One line: "quillane-cli: " and what was said, naming the file first.
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << f.args << "\n" << run.err;
      EXPECT_EQ(run.err.back(), '\n') << f.args;
      EXPECT_EQ(run.err.rfind("quillane-cli: ", 0), 0u) << f.args << "\n" << run.err;
      EXPECT_GT(run.err.size(), std::string("quillane-cli: \n").size()) << f.args;
    }
    EXPECT_EQ(w.listing(), before) << f.args;
  };
  for (const Failure& f : failures) {
    // Root reads every file: "locked.mp3" can't be made unreadable then.
    if (root && std::string(f.args).find("locked.mp3") != std::string::npos) continue;
    check(f, 1);
  }
  if (withPlay) {
    for (const Failure& f : playFailures) check(f, 1);
    for (const Failure& f : recordUsageErrors) check(f, 2);
  }
  for (const Failure& f : usageErrors) check(f, 2);
}

}  // namespace
}  // namespace quillane
