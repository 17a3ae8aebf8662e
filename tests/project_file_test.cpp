#include "edit/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "edit/edit_model.h"
#include "edit/path_text.h"
#include "settings/text_encoding.h"
#include "stream/open_stream.h"
#include "support/test_files.h"
#include "session/host.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;
using namespace std::string_literals;

// The frame that starts at or after offset.
int64_t frameAt(Session& s, int64_t offset) { return findFrame(s.stream, offset).offset; }

// Reads the project at s.projectPath; what the reader has to say goes to `host`.
bool readProject(Session& s, SilentHost& host) { return readProjectFile(s, host); }
bool readProject(Session& s) { return readProjectFile(s); }

void addRange(Session& s, int64_t beg, int64_t end, uint8_t type = kRangeCut, int32_t gb = 0, int32_t ge = 0,
              const std::string& title = "", const std::string& artist = "") {
  EditRangeTable& t = s.edits;
  t.selection.beg = beg;
  t.selection.end = end;
  t.selection.type = type;
  t.selection.gainbeg = gb;
  t.selection.gainend = ge;
  t.selection.title = title;
  t.selection.artist = artist;
  ASSERT_TRUE(addRangeFromSelection(t, s.selectionUndo, true));
}

// A project folder holding a copy of a test file, opened in a session.
struct Fixture : test::CopiedAudio {
  explicit Fixture(const std::string& name = "cbr128_info.mp3", const std::string& sub = "") : CopiedAudio(name, sub) {}
};

void expectSameModel(const EditRangeTable& a, const EditRangeTable& b) {
  ASSERT_EQ(a.count, b.count);
  for (int i = 0; i < a.count; ++i) {
    SCOPED_TRACE("range " + std::to_string(i));
    EXPECT_EQ(a.ranges[i].type, b.ranges[i].type);
    EXPECT_EQ(a.ranges[i].beg, b.ranges[i].beg);
    EXPECT_EQ(a.ranges[i].end, b.ranges[i].end);
    EXPECT_EQ(a.ranges[i].gainbeg, b.ranges[i].gainbeg);
    EXPECT_EQ(a.ranges[i].gainend, b.ranges[i].gainend);
    EXPECT_EQ(a.ranges[i].title, b.ranges[i].title);
    EXPECT_EQ(a.ranges[i].artist, b.ranges[i].artist);
  }
  EXPECT_EQ(a.sheetTitle, b.sheetTitle);
  EXPECT_EQ(a.sheetArtist, b.sheetArtist);
}

// --- Path text ---------------------------------------------------------------

TEST(PathText, AbsoluteAndRelative) {
  EXPECT_TRUE(isAbsolutePathText("C:\\Music\\x.mp3"));
  EXPECT_TRUE(isAbsolutePathText("d:x.mp3"));
  EXPECT_TRUE(isAbsolutePathText("\\\\server\\share\\x.mp3"));
  EXPECT_TRUE(isAbsolutePathText("/music/x.mp3"));
  EXPECT_FALSE(isAbsolutePathText("x.mp3"));
  EXPECT_FALSE(isAbsolutePathText("sub\\x.mp3"));
  EXPECT_FALSE(isAbsolutePathText(""));

  EXPECT_EQ(resolveDocumentPath("x.mp3", "/p/proj.qlp"), "/p/x.mp3");
  EXPECT_EQ(resolveDocumentPath("sub\\x.mp3", "/p/proj.qlp"), "/p/sub/x.mp3");
  EXPECT_EQ(resolveDocumentPath("sub/deeper\\x.mp3", "/p/proj.qlp"), "/p/sub/deeper/x.mp3");
  EXPECT_EQ(resolveDocumentPath("x.mp3", "proj.qlp"), "x.mp3");
  EXPECT_EQ(resolveDocumentPath("C:\\Music\\x.mp3", "/p/proj.qlp"), "C:\\Music\\x.mp3");
  EXPECT_EQ(resolveDocumentPath("/music/x.mp3", "/p/proj.qlp"), "/music/x.mp3");
  EXPECT_EQ(resolveDocumentPath("\\music\\x.mp3", "/p/proj.qlp"), "/music/x.mp3");

  EXPECT_EQ(directoryPart("/a/b.qlp"), "/a/");
  EXPECT_EQ(directoryPart("a\\b.qlp"), "a\\");
  EXPECT_EQ(directoryPart("b.qlp"), "");
  EXPECT_EQ(extensionStart("/a.b/c"), std::string::npos);
  EXPECT_EQ(extensionStart("/a.b/c.qlp"), 6u);
}

TEST(PathText, PathForDocumentIsRelativeOnlyAtOrBelowTheSheet) {
  EXPECT_EQ(pathForDocument("/m/a/x.mp3", "/m/a/x.cue"), "x.mp3");
  EXPECT_EQ(pathForDocument("/m/a/sub/x.mp3", "/m/a/x.cue"), "sub/x.mp3");
  EXPECT_EQ(pathForDocument("/m/b/x.mp3", "/m/a/x.cue"), "/m/b/x.mp3");
  EXPECT_EQ(pathForDocument("/m/x.mp3", "/m/a/x.cue"), "/m/x.mp3");
  // Letter case counts; Windows paths and mixed separators are handled alike.
  EXPECT_EQ(pathForDocument("/M/a/x.mp3", "/m/a/x.cue"), "/M/a/x.mp3");
  EXPECT_EQ(pathForDocument("C:\\m\\sub\\x.mp3", "C:/m/x.cue"), "sub/x.mp3");
  EXPECT_EQ(pathForDocument("C:\\m\\x.mp3", "D:\\m\\x.cue"), "C:/m/x.mp3");
}

TEST(PathText, DecimalIntegers) {
  EXPECT_EQ(parseDecimalInteger("123"), 123);
  EXPECT_EQ(parseDecimalInteger("  \t-45"), -45);
  EXPECT_EQ(parseDecimalInteger("+7x9"), 7);
  EXPECT_EQ(parseDecimalInteger("abc"), 0);
  EXPECT_EQ(parseDecimalInteger(""), 0);
  EXPECT_EQ(parseDecimalInteger("-"), 0);
  EXPECT_EQ(parseDecimalInteger("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(parseDecimalInteger("9223372036854775808"), INT64_MAX);
  EXPECT_EQ(parseDecimalInteger("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(parseDecimalInteger(std::string(5000, '9')), INT64_MAX);
  EXPECT_EQ(parseDecimalInteger("-" + std::string(5000, '9')), INT64_MIN);
  EXPECT_EQ(parseDecimalInteger32("99999999999"), INT32_MAX);
  EXPECT_EQ(parseDecimalInteger32("-99999999999"), INT32_MIN);
  EXPECT_DOUBLE_EQ(parseDecimalNumber(" 1.5x"), 1.5);
  EXPECT_DOUBLE_EQ(parseDecimalNumber("-2."), -2.0);
  EXPECT_DOUBLE_EQ(parseDecimalNumber(".25"), 0.25);
  EXPECT_DOUBLE_EQ(parseDecimalNumber("inf"), 0.0);
  EXPECT_DOUBLE_EQ(parseDecimalNumber(std::string(400, '9')), 1e15);
}

TEST(PathText, LinesEndsNulAndLength) {
  std::string line;
  const std::string text = "a=1\r\nb\n\nc\0d\r\n\xC3\xA9\xC3\xA9\xC3\xA9\nlast"s;
  LineReader r(text, 2);
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "a=");
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "b");
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "c");
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "\xC3\xA9\xC3\xA9");  // two characters, four bytes
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "la");
  EXPECT_FALSE(r.next(line));
}

TEST(PathText, EveryKindOfLineEndEndsALine) {
  // CR LF, LF and a lone CR (old Mac files) each end one line; CR LF is one end,
  // LF CR two.
  std::string line;
  LineReader r("a=1\rb=2\r\nc=3\nd=4\n\re=5\r\r\nlast\r", 499);
  for (const char* expected : {"a=1", "b=2", "c=3", "d=4", "", "e=5", "", "last"}) {
    ASSERT_TRUE(r.next(line)) << expected;
    EXPECT_EQ(line, expected);
  }
  EXPECT_FALSE(r.next(line));
}

// --- Writing -------------------------------------------------------------------

TEST(ProjectFile, WritesTheExactText) {
  Fixture f;
  Session& s = f.session;
  const int64_t a = frameAt(s, 5000);
  const int64_t b = frameAt(s, 9000);
  const int64_t c = frameAt(s, 20000);
  const int64_t d = frameAt(s, 30000);
  const int64_t e = frameAt(s, 40000);
  addRange(s, a, b);
  addRange(s, c, d, kRangeGain, 4, -6, "(+6.0...-9.0 dB)");
  addRange(s, e, e, kRangeCut, 0, 0, "Track Two", "Zoë");
  s.edits.sheetTitle = "Album";
  s.edits.sheetArtist = "Band";
  s.stream.cursor = c;
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(writeProjectFile(s));

  const std::string n = "\r\n";
  const std::string expected =
      "filename=" + f.audio.string() + n + "position=" + std::to_string(c) + n + "sheet_artist=Band" + n +
      "sheet_title=Album" + n +  //
      "cut_beg=" + std::to_string(a) + n + "cut_end=" + std::to_string(b) + n + "cut_gainbeg=0" + n +
      "cut_gainend=0" + n + "cut_type=0" + n +  //
      "cut_beg=" + std::to_string(c) + n + "cut_end=" + std::to_string(d) + n + "cut_gainbeg=4" + n +
      "cut_gainend=-6" + n + "cut_title=(+6.0...-9.0 dB)" + n + "cut_type=1" + n +  //
      "cut_beg=" + std::to_string(e) + n + "cut_end=" + std::to_string(e) + n + "cut_gainbeg=0" + n +
      "cut_gainend=0" + n + "cut_artist=Zoë" + n + "cut_title=Track Two" + n + "cut_type=0" + n;
  EXPECT_EQ(readText(f.dir / "p.qlp"), expected);
  EXPECT_FALSE(s.edits.modified);
  EXPECT_EQ(s.settings.file_recent[0], s.projectPath);
}

TEST(ProjectFile, WritesThePlayPositionWhilePlaying) {
  Fixture f;
  Session& s = f.session;
  s.playing = true;
  s.playPosition = frameAt(s, 12345);
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(writeProjectFile(s));
  const std::string text = readText(f.dir / "p.qlp");
  EXPECT_NE(text.find("\r\nposition=" + std::to_string(s.playPosition) + "\r\n"), std::string::npos);
  // No sheet names, no ranges: two lines only.
  EXPECT_EQ(text, "filename=" + f.audio.string() + "\r\nposition=" + std::to_string(s.playPosition) + "\r\n");
}

TEST(ProjectFile, WriteFailureChangesNothing) {
  Fixture f;
  Session& s = f.session;
  addRange(s, frameAt(s, 5000), frameAt(s, 9000));
  const auto recent = s.settings.file_recent;
  s.projectPath = (f.dir / "missing" / "p.qlp").string();
  EXPECT_FALSE(writeProjectFile(s));
  EXPECT_TRUE(s.edits.modified);
  EXPECT_EQ(s.settings.file_recent, recent);
  s.projectPath = f.dir.path().string();  // a folder
  EXPECT_FALSE(writeProjectFile(s));
  EXPECT_TRUE(s.edits.modified);
}

// --- Reading ---------------------------------------------------------------------

TEST(ProjectFile, RoundTripOnRealFiles) {
  for (const char* name : {"cbr128_info.mp3", "vbr_xing.mp3", "layer2_mpeg1.mp2", "id3v1v2.mp3"}) {
    SCOPED_TRACE(name);
    Fixture f(name);
    Session& s = f.session;
    const int64_t len = s.stream.audioEnd;
    addRange(s, frameAt(s, len / 10), frameAt(s, len / 5), kRangeCut, 0, 0, "Intro", "Someone");
    addRange(s, frameAt(s, len / 4), frameAt(s, len / 3), kRangeGain, -3, 5, "(-4.5...+7.5 dB)");
    addRange(s, frameAt(s, len / 2), frameAt(s, len / 2), kRangeCut, 0, 0, "Ça va = \"oui\"", "");
    addRange(s, frameAt(s, len * 3 / 4), frameAt(s, len * 3 / 4));
    s.edits.sheetTitle = "Sheet = Title";
    s.edits.sheetArtist = "Ärtist";
    s.stream.cursor = frameAt(s, len / 3);
    s.projectPath = (f.dir / "round.qlp").string();
    ASSERT_TRUE(writeProjectFile(s));
    const EditRangeTable written = s.edits;
    const int64_t cursor = s.stream.cursor;

    Session back;
    back.projectPath = s.projectPath;
    ASSERT_TRUE(readProject(back));
    EXPECT_EQ(back.stream.sourcePath, f.audio.string());
    EXPECT_TRUE(back.stream.isOpen());
    EXPECT_EQ(back.stream.audioStart, s.stream.audioStart);
    EXPECT_EQ(back.stream.cursor, cursor);
    expectSameModel(back.edits, written);
    EXPECT_EQ(back.edits.currentRange, -1);
    EXPECT_FALSE(back.edits.modified);
    EXPECT_FALSE(back.edits.hasSelection());
    EXPECT_EQ(back.settings.file_recent[0], back.projectPath);
    // Written again, the text is the same.
    back.projectPath = (f.dir / "again.qlp").string();
    ASSERT_TRUE(writeProjectFile(back));
    EXPECT_EQ(readText(f.dir / "again.qlp"), readText(f.dir / "round.qlp"));
  }
}

TEST(ProjectFile, RelativeAudioPathsWithEitherSeparator) {
  Fixture f("cbr128_info.mp3", "sub/deeper");
  for (const std::string value : {"sub/deeper/cbr128_info.mp3", "sub\\deeper\\cbr128_info.mp3",
                                  "sub\\deeper/cbr128_info.mp3"}) {
    SCOPED_TRACE(value);
    writeText(f.dir / "p.qlp", "filename=" + value + "\r\nposition=0\r\n");
    Session s;
    s.projectPath = (f.dir / "p.qlp").string();
    ASSERT_TRUE(readProject(s));
    EXPECT_EQ(s.stream.sourcePath, (f.dir / "sub/deeper/cbr128_info.mp3").string());
  }
  // A bare file name beside the project, with LF line ends.
  writeText(f.dir / "sub/deeper/p.qlp", "filename=cbr128_info.mp3\ncut_beg=1000\ncut_end=2000\ncut_type=0\n");
  Session s;
  s.projectPath = (f.dir / "sub/deeper/p.qlp").string();
  ASSERT_TRUE(readProject(s));
  EXPECT_EQ(s.stream.sourcePath, f.audio.string());
  EXPECT_EQ(s.edits.count, 1);
}

TEST(ProjectFile, AbsoluteAudioPaths) {
  Fixture f;
  TempDir elsewhere;
  // A full path is used unchanged, wherever the project lies.
  writeText(elsewhere / "p.qlp", "filename=" + f.audio.string() + "\r\n");
  Session s;
  s.projectPath = (elsewhere / "p.qlp").string();
  ASSERT_TRUE(readProject(s));
  EXPECT_EQ(s.stream.sourcePath, f.audio.string());

  // A Windows drive path names no file here: a clear failure, nothing open.
  writeText(elsewhere / "w.qlp", "sheet_title=T\r\nfilename=C:\\Music\\x.mp3\r\ncut_beg=1\r\ncut_type=0\r\n");
  Session w;
  w.projectPath = (elsewhere / "w.qlp").string();
  EXPECT_FALSE(readProject(w));
  EXPECT_EQ(w.stream.sourcePath, "C:\\Music\\x.mp3");
  EXPECT_FALSE(w.stream.isOpen());
  EXPECT_EQ(w.edits.sheetTitle, "T");  // lines before it have taken effect
  EXPECT_EQ(w.edits.count, 0);
  EXPECT_EQ(w.settings.file_recent[0], "");
}

TEST(ProjectFile, FailuresOfTheFileAndItsAudio) {
  Fixture f;
  Session s;
  s.projectPath = (f.dir / "none.qlp").string();
  EXPECT_FALSE(readProject(s));

  // Names no audio file at all.
  writeText(f.dir / "p.qlp", "position=5\r\ncut_beg=1\r\ncut_end=2\r\ncut_type=0\r\n");
  s.projectPath = (f.dir / "p.qlp").string();
  EXPECT_FALSE(readProject(s));

  // An audio file that holds no MPEG audio.
  writeText(f.dir / "junk.mp3", std::string(5000, 'x'));
  writeText(f.dir / "p.qlp", "filename=junk.mp3\r\n");
  EXPECT_FALSE(readProject(s));
  EXPECT_FALSE(s.stream.isOpen());

  // A folder is no project file.
  s.projectPath = f.dir.path().string();
  EXPECT_FALSE(readProject(s));
}

TEST(ProjectFile, ReadingReplacesTheOpenModel) {
  Fixture f;
  Session& s = f.session;
  addRange(s, frameAt(s, 5000), frameAt(s, 9000), kRangeCut, 0, 0, "old");
  s.edits.sheetArtist = "old";
  s.edits.selection.beg = 100;
  s.edits.selection.end = 200;
  writeText(f.dir / "p.qlp", "filename=cbr128_info.mp3\r\n");
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(readProject(s));
  EXPECT_EQ(s.edits.count, 0);
  EXPECT_EQ(s.edits.ranges[0].title, "");
  EXPECT_EQ(s.edits.sheetArtist, "");
  EXPECT_FALSE(s.edits.hasSelection());
  EXPECT_EQ(s.stream.cursor, s.stream.audioStart);
}

TEST(ProjectFile, GroupsKeysAndNumbers) {
  Fixture f;
  const std::string text =
      "\r\n"
      "; a comment without the sign\r\n"
      "filename=cbr128_info.mp3\r\n"
      "FILENAME=nothing.mp3\r\n"
      "unknown=1\r\n"
      "position=  +4321junk\r\n"
      // Any order before cut_type; a missing value is 0.
      "cut_title=first = one\r\n"
      "cut_end=3000\r\n"
      "cut_beg=1000\r\n"
      "cut_type=1\r\n"
      // Case counts: this group is completed by nothing.
      "cut_beg=7000\r\n"
      "Cut_type=0\r\n"
      "cut_end=8000\r\n"
      "cut_type=0\r\n"
      // Huge and negative numbers: out of range, left out.
      "cut_beg=-5\r\n"
      "cut_end=99999999999999999999999999\r\n"
      "cut_gainbeg=-99999999999\r\n"
      "cut_type=0\r\n"
      // Odd numbers: blanks, signs, junk after the digits; a kind of 7 is a cut.
      "cut_beg=  +9000x\r\n"
      "cut_end=9500abc\r\n"
      "cut_gainbeg=-3junk\r\n"
      "cut_gainend=12abc\r\n"
      "cut_type=7\r\n"
      // An uncompleted group at the end leaves nothing.
      "cut_beg=1\r\ncut_end=2\r\ncut_title=dangling\r\n";
  writeText(f.dir / "p.qlp", text);
  Session s;
  s.projectPath = (f.dir / "p.qlp").string();
  SilentHost host;
  ASSERT_TRUE(readProject(s, host));
  EXPECT_EQ(s.stream.sourcePath, f.audio.string());
  EXPECT_EQ(s.stream.cursor, 4321);
  ASSERT_EQ(s.edits.count, 3);
  const auto& r = s.edits.ranges;
  EXPECT_EQ(r[0].beg, 1000);
  EXPECT_EQ(r[0].end, 3000);
  EXPECT_EQ(r[0].gainbeg, 0);
  EXPECT_EQ(r[0].type, kRangeGain);
  EXPECT_EQ(r[0].title, "first = one");
  EXPECT_EQ(r[1].beg, 7000);
  EXPECT_EQ(r[1].end, 8000);
  EXPECT_EQ(r[1].type, kRangeCut);
  EXPECT_EQ(r[2].beg, 9000);
  EXPECT_EQ(r[2].end, 9500);
  EXPECT_EQ(r[2].gainbeg, -3);
  EXPECT_EQ(r[2].gainend, 12);
  EXPECT_EQ(r[2].type, kRangeCut);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "1 entries of the project file were out of range and have been left out.");
  for (int i = s.edits.count; i < kMaxRanges; ++i) {
    EXPECT_TRUE(r[i].title.empty());
    EXPECT_TRUE(r[i].artist.empty());
  }
}

TEST(ProjectFile, ThreeHundredRangesKeepTheFirstTwoHundred) {
  Fixture f;
  std::string text = "filename=cbr128_info.mp3\r\n";
  for (int i = 0; i < 300; ++i)
    text += "cut_beg=" + std::to_string(1000 + 100 * i) + "\r\ncut_end=" + std::to_string(1050 + 100 * i) +
            "\r\ncut_title=T" + std::to_string(i) + "\r\ncut_type=0\r\n";
  text += "sheet_title=after the ranges\r\n";
  writeText(f.dir / "p.qlp", text);
  Session s;
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(readProject(s));
  ASSERT_EQ(s.edits.count, kMaxRanges);
  EXPECT_EQ(s.edits.ranges[0].beg, 1000);
  EXPECT_EQ(s.edits.ranges[199].beg, 1000 + 100 * 199);
  EXPECT_EQ(s.edits.ranges[199].title, "T199");
  EXPECT_EQ(s.edits.sheetTitle, "after the ranges");
}

TEST(ProjectFile, OverlongLinesNulBytesAndEncodings) {
  Fixture f;
  const std::string longTitle(10000, 'a');
  std::string umlauts;
  for (int i = 0; i < 600; ++i) umlauts += "\xC3\xBC";  // ü, two bytes each
  std::string text = "filename=cbr128_info.mp3\r\n";
  // The rest of an overlong line is no line of its own, even when it looks like one.
  text += "cut_beg=1000\r\ncut_end=2000\r\ncut_title=" + longTitle + "cut_type=1\r\ncut_type=0\r\n";
  text += "cut_beg=3000\r\ncut_end=4000\r\ncut_artist=" + umlauts + "\r\ncut_title=ab" + std::string(1, '\0') +
          "cd\r\ncut_type=0\r\n";
  text += "sheet_title=" + std::string(10000, '=') + "\r\n";
  writeText(f.dir / "p.qlp", text);
  Session s;
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(readProject(s));
  ASSERT_EQ(s.edits.count, 2);
  EXPECT_EQ(s.edits.ranges[0].type, kRangeCut);
  EXPECT_EQ(s.edits.ranges[0].title, std::string(kProjectLineChars - 10, 'a'));
  EXPECT_EQ(s.edits.ranges[1].artist.size(), 2 * (kProjectLineChars - 11));
  EXPECT_TRUE(isValidUtf8(s.edits.ranges[1].artist));
  EXPECT_EQ(s.edits.ranges[1].title, "ab");
  EXPECT_EQ(s.edits.sheetTitle, std::string(kProjectLineChars - 12, '='));

  // A file that isn't UTF-8 is read as Windows-1252.
  writeText(f.dir / "w.qlp", "filename=cbr128_info.mp3\r\nsheet_artist=Ren\xE9 \x80\r\n");
  s.projectPath = (f.dir / "w.qlp").string();
  ASSERT_TRUE(readProject(s));
  EXPECT_EQ(s.edits.sheetArtist, "René €");
}

TEST(ProjectFile, SurvivesGarbage) {
  Fixture f;
  Session& s = f.session;
  const int64_t len = s.stream.audioEnd;
  addRange(s, frameAt(s, len / 10), frameAt(s, len / 5), kRangeCut, 0, 0, "Intro", "Someone");
  addRange(s, frameAt(s, len / 4), frameAt(s, len / 3), kRangeGain, -3, 5, "(-4.5...+7.5 dB)");
  addRange(s, frameAt(s, len / 2), frameAt(s, len / 2));
  s.edits.sheetTitle = "T";
  s.projectPath = (f.dir / "good.qlp").string();
  ASSERT_TRUE(writeProjectFile(s));
  const std::string good = readText(f.dir / "good.qlp");

  // Every truncation of a good file reads without harm; each one names its audio
  // file once the path of its first line is whole.
  const fs::path cut = f.dir / "cut.qlp";
  for (std::size_t n = 0; n <= good.size(); ++n) {
    writeText(cut, good.substr(0, n));
    Session r;
    r.projectPath = cut.string();
    const bool ok = readProject(r);
    EXPECT_EQ(ok, n >= good.find('\r')) << n;
    EXPECT_LE(r.edits.count, 3);
  }

  // Random bytes, alone and after a good first line.
  std::mt19937 random(20240601u);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 3000);
  const std::string keys[] = {"filename=", "position=", "cut_beg=",   "cut_end=", "cut_gainbeg=",
                              "cut_type=", "cut_title=", "cut_artist=", "sheet_title=", "="};
  for (int round = 0; round < 200; ++round) {
    std::string text = round % 2 ? "filename=cbr128_info.mp3\n" : "";
    const int pieces = 1 + round % 40;
    for (int p = 0; p < pieces; ++p) {
      if (p % 3 == 0) text += keys[(round + p) % 10];
      const int n = length(random) / (p % 5 + 1);
      for (int i = 0; i < n; ++i) text.push_back(static_cast<char>(byte(random)));
      if (p % 2 == 0) text += "\r\n";
    }
    writeText(cut, text);
    Session r;
    r.projectPath = cut.string();
    readProject(r);
    EXPECT_LE(r.edits.count, kMaxRanges);
    EXPECT_TRUE(isValidUtf8(r.edits.sheetTitle));
    for (int i = 0; i < r.edits.count; ++i) {
      EXPECT_LE(r.edits.ranges[i].title.size(), 4 * kProjectLineChars);
      EXPECT_TRUE(isValidUtf8(r.edits.ranges[i].title));
    }
  }
}

// --- Values out of range ----------------------------------------------------------

struct Entry {
  const char* why;
  std::string beg, end, gainbeg, gainend, type;
};

std::string groupText(const Entry& e) {
  return "cut_beg=" + e.beg + "\r\ncut_end=" + e.end + "\r\ncut_gainbeg=" + e.gainbeg + "\r\ncut_gainend=" + e.gainend +
         "\r\ncut_title=" + e.why + "\r\ncut_type=" + e.type + "\r\n";
}

TEST(ProjectFile, EntriesOutOfRangeAreLeftOutWithOneWarning) {
  // cbr128_info.mp3: audio from 417 to 48900.
  Fixture f;
  ASSERT_EQ(f.session.stream.audioStart, 417);
  ASSERT_EQ(f.session.stream.audioEnd, 48900);
  const std::string max64 = "9223372036854775807", min64 = "-9223372036854775808";
  const Entry good[] = {
      {"cut at the first frame", "417", "1000", "0", "0", "0"},
      {"gain at the gain dialog's limits", "5000", "9000", "-32", "32", "1"},
      {"cue", "20000", "20000", "0", "0", "0"},
      {"cut up to the end of the audio", "40000", "48900", "0", "0", "0"},
  };
  const Entry bad[] = {
      {"both ends at the limits of 64 bits", min64, max64, "0", "0", "0"},
      {"end at 2^63 - 1", "1000", max64, "0", "0", "0"},
      {"negative begin", "-5", "2000", "0", "0", "0"},
      {"begins before the audio", "0", "2000", "0", "0", "0"},
      {"ends after the audio", "46000", "48901", "0", "0", "0"},
      {"cue far past the end", "99999999999", "99999999999", "0", "0", "0"},
      {"reversed", "9000", "5000", "0", "0", "0"},
      {"gain of 2^31 - 1", "10000", "11000", "2147483647", "2147483647", "1"},
      {"gain below -32 steps", "12000", "13000", "0", "-33", "1"},
      {"gain above 32 steps on a cut", "14000", "15000", "33", "0", "0"},
      {"gain of -2^31", "16000", "17000", "-2147483648", "0", "1"},
  };
  std::string text = "filename=cbr128_info.mp3\r\nposition=" + max64 + "\r\n";
  // The good entries between the bad ones, in file order.
  for (size_t i = 0; i < std::size(bad); ++i) {
    if (i < std::size(good)) text += groupText(good[i]);
    text += groupText(bad[i]);
  }
  writeText(f.dir / "p.qlp", text);
  Session s;
  SilentHost host;
  s.projectPath = (f.dir / "p.qlp").string();
  ASSERT_TRUE(readProject(s, host));
  ASSERT_EQ(s.edits.count, std::size(good));
  for (size_t i = 0; i < std::size(good); ++i) {
    SCOPED_TRACE(good[i].why);
    EXPECT_EQ(s.edits.ranges[i].title, good[i].why);
    EXPECT_EQ(std::to_string(s.edits.ranges[i].beg), good[i].beg);
    EXPECT_EQ(std::to_string(s.edits.ranges[i].end), good[i].end);
  }
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "11 entries of the project file were out of range and have been left out.");
  EXPECT_EQ(host.messages[0].caption, "Warning");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Warning);
  // The cursor is held within the audio.
  EXPECT_EQ(s.stream.cursor, s.stream.audioEnd);
}

TEST(ProjectFile, PositionIsHeldWithinTheAudio) {
  Fixture f;
  const struct {
    const char* value;
    int64_t cursor;
  } rows[] = {
      {"9223372036854775807", 48900}, {"-9223372036854775808", 417}, {"-1", 417}, {"0", 417},
      {"417", 417},  {"20000", 20000}, {"48900", 48900}, {"48901", 48900}, {"4294967296", 48900},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    writeText(f.dir / "p.qlp", "filename=cbr128_info.mp3\r\nposition=" + std::string(row.value) + "\r\n");
    Session s;
    SilentHost host;
    s.projectPath = (f.dir / "p.qlp").string();
    ASSERT_TRUE(readProject(s, host));
    EXPECT_EQ(s.stream.cursor, row.cursor);
    EXPECT_TRUE(host.messages.empty());  // nothing was left out
  }
}

TEST(ProjectFile, NothingUsableLeftIsRefused) {
  Fixture f;
  writeText(f.dir / "p.qlp",
            "filename=cbr128_info.mp3\r\n" + groupText({"huge", "0", "9223372036854775807", "0", "0", "0"}) +
                groupText({"loud", "1000", "2000", "2147483647", "0", "1"}));
  Session s;
  SilentHost host;
  s.projectPath = (f.dir / "p.qlp").string();
  EXPECT_FALSE(readProject(s, host));
  EXPECT_EQ(s.edits.count, 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Every entry of the project file was out of range: nothing is left to open.");
  EXPECT_EQ(host.messages[0].caption, "Not possible");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);

  // A project without any entry is no such case: its audio file is what it holds.
  writeText(f.dir / "p.qlp", "filename=cbr128_info.mp3\r\nposition=5000\r\n");
  SilentHost quiet;
  EXPECT_TRUE(readProject(s, quiet));
  EXPECT_TRUE(quiet.messages.empty());
}

TEST(ProjectFile, OldMacLineEndsReadLikeAnyOther) {
  Fixture f;
  Session& s = f.session;
  addRange(s, frameAt(s, 5000), frameAt(s, 9000), kRangeCut, 0, 0, "Intro", "Someone");
  addRange(s, frameAt(s, 20000), frameAt(s, 30000), kRangeGain, -3, 5, "(-4.5...+7.5 dB)");
  s.edits.sheetTitle = "Album";
  s.stream.cursor = frameAt(s, 12345);
  s.projectPath = (f.dir / "crlf.qlp").string();
  ASSERT_TRUE(writeProjectFile(s));
  std::string crOnly = readText(f.dir / "crlf.qlp");
  for (std::size_t at = crOnly.find("\r\n"); at != std::string::npos; at = crOnly.find("\r\n", at))
    crOnly.erase(at + 1, 1);
  ASSERT_EQ(crOnly.find('\n'), std::string::npos);
  writeText(f.dir / "cr.qlp", crOnly);

  Session back;
  SilentHost host;
  back.projectPath = (f.dir / "cr.qlp").string();
  ASSERT_TRUE(readProject(back, host));
  EXPECT_EQ(back.stream.sourcePath, f.audio.string());
  EXPECT_EQ(back.stream.cursor, s.stream.cursor);
  expectSameModel(back.edits, s.edits);
  EXPECT_TRUE(host.messages.empty());
}

// The command-line tool shows the warning on stderr and goes on.
TEST(ProjectFile, CommandLineToolShowsTheWarning) {
  Fixture f;
  writeText(f.dir / "p.qlp", "filename=cbr128_info.mp3\r\n" + groupText({"kept", "5000", "9000", "0", "0", "0"}) +
                                 groupText({"huge", "0", "9223372036854775807", "0", "0", "0"}));
  const auto r = test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " ranges " +
                                  test::shellQuote((f.dir / "p.qlp").string()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "quillane-cli: Warning: 1 entries of the project file were out of range and have been left out.\n");
  EXPECT_NE(r.out.find("kept"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("huge"), std::string::npos) << r.out;
}

// A file that is one long line (old Mac line ends before they were read) never
// has its content echoed whole in a message: the path shown is cut short.
TEST(ProjectFile, MessagesEchoNoMoreThanTwoHundredCharactersOfAFile) {
  Fixture f;
  const std::string value = "missing" + std::string(450, 'x') + ".mp3";
  writeText(f.dir / "p.qlp", "filename=" + value + "\r\n");
  const auto r = test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " ranges " +
                                  test::shellQuote((f.dir / "p.qlp").string()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.find(std::string(201, 'x')), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(std::string(150, 'x')), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quillane
