#include "edit/cue_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "edit/edit_model.h"
#include "settings/text_encoding.h"
#include "stream/open_stream.h"
#include "session/host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;
using namespace std::string_literals;

void addCue(Session& s, int64_t at, const std::string& title = "", const std::string& artist = "") {
  EditRangeTable& t = s.edits;
  t.selection.beg = at;
  t.selection.end = at;
  t.selection.type = kRangeCut;
  t.selection.title = title;
  t.selection.artist = artist;
  ASSERT_TRUE(addRangeFromSelection(t, s.selectionUndo, true));
}

void addSpan(Session& s, int64_t beg, int64_t end, uint8_t type) {
  EditRangeTable& t = s.edits;
  t.selection.beg = beg;
  t.selection.end = end;
  t.selection.type = type;
  ASSERT_TRUE(addRangeFromSelection(t, s.selectionUndo, false));
}

// ffmpeg_cbr.mp3: 126 frames of 576 bytes from offset 0, 24000 bytes a second, so
// frame k starts at 576 k and at 0.024 k seconds.
constexpr int64_t kFrame = 576;

bool readSheet(Session& s) { return readCueSheet(s); }

struct Fixture : test::CopiedAudio {
  explicit Fixture(const std::string& name = "ffmpeg_cbr.mp3", const std::string& sub = "") : CopiedAudio(name, sub) {}

  // Reads a sheet written into the fixture's folder into a fresh session; what the
  // reader has to say goes to `said`.
  bool read(const std::string& text, Session& s, const std::string& name = "s.cue") {
    writeText(dir / name, text);
    s.projectPath = (dir / name).string();
    said.messages.clear();
    return readCueSheet(s, said);
  }
  SilentHost said;
};

// --- Times -------------------------------------------------------------------

TEST(CueTime, TextToOffset) {
  AudioStream st;
  st.avgBitrate = 128000.0f;  // 16000 bytes a second
  st.audioStart = 417;
  st.audioEnd = 48900;
  EXPECT_EQ(cueTimeToOffset(st, "00:00:00"), 417);
  EXPECT_EQ(cueTimeToOffset(st, "00:01:00"), 16417);
  EXPECT_EQ(cueTimeToOffset(st, "01:00:00"), 960417);
  EXPECT_EQ(cueTimeToOffset(st, "1:2:3"), 62 * 16000 + 640 + 417);
  EXPECT_EQ(cueTimeToOffset(st, "00:00:74"), 15786 + 417);  // 74/75 s, truncated
  EXPECT_EQ(cueTimeToOffset(st, "0:1.5:0"), 24000 + 417);   // fractions are read
  EXPECT_EQ(cueTimeToOffset(st, "100:00:00"), 96000000 + 417);
  // Split from the right: one colon is seconds and frames, none is frames.
  EXPECT_EQ(cueTimeToOffset(st, "2:30"), 38400 + 417);
  EXPECT_EQ(cueTimeToOffset(st, "75"), 16417);
  EXPECT_EQ(cueTimeToOffset(st, ""), 48900);
  EXPECT_EQ(cueTimeToOffset(st, "xx:yy:zz"), 417);
  EXPECT_EQ(cueTimeToOffset(st, "00:01:00\r"), 16417);
  // Negative and huge times stay offsets; findFrame takes them to the audio's bounds.
  EXPECT_LT(cueTimeToOffset(st, "-1:00:00"), 417);
  EXPECT_EQ(cueTimeToOffset(st, std::string(400, '9') + ":00:00"), INT64_MAX);
  EXPECT_EQ(cueTimeToOffset(st, "-" + std::string(400, '9') + ":00:00"), INT64_MIN);
  EXPECT_GT(cueTimeToOffset(st, "99999999999999:00:00"), int64_t{1} << 40);
}

TEST(CueTime, OffsetToText) {
  AudioStream st;
  st.avgBitrate = 128000.0f;
  st.audioStart = 417;
  EXPECT_EQ(cueTimeText(st, 417), "00:00:00");
  EXPECT_EQ(cueTimeText(st, 417 + 16000 * 61 + 8000), "01:01:37");  // 61.5 s: 37.5 frames
  EXPECT_EQ(cueTimeText(st, 417 + 15999), "00:00:74");
  EXPECT_EQ(cueTimeText(st, 417 + 16000 * 6000), "100:00:00");  // minutes above 99
  EXPECT_EQ(cueTimeText(st, 417 + int64_t{16000} * 60 * 1000 + 16000 * 59 + 15999), "1000:59:74");
  EXPECT_EQ(cueTimeText(st, 0), "00:00:00");  // before the audio
  st.avgBitrate = 0.0f;
  EXPECT_EQ(cueTimeText(st, 50000), "00:00:00");
}

// Offsets from anywhere (a project file may hold any) give times within the audio,
// and never overflow.
TEST(CueTime, ExtremeOffsetsGiveTimesWithinTheAudio) {
  AudioStream st;
  st.avgBitrate = 128000.0f;  // 16000 bytes a second
  st.audioStart = 417;
  st.audioEnd = 48900;  // 48483 bytes of audio: 3.030 s
  EXPECT_EQ(cueTimeText(st, INT64_MIN), "00:00:00");
  EXPECT_EQ(cueTimeText(st, -1), "00:00:00");
  EXPECT_EQ(cueTimeText(st, 48900), "00:03:02");
  EXPECT_EQ(cueTimeText(st, 99999999999), "00:03:02");
  EXPECT_EQ(cueTimeText(st, INT64_MAX), "00:03:02");
  st.audioStart = INT64_MAX - 10;  // no difference of offsets may overflow
  st.audioEnd = INT64_MAX;
  EXPECT_EQ(cueTimeText(st, INT64_MIN), "00:00:00");
}

// A time written for a frame reads back as that frame, on every frame of real files.
TEST(CueTime, EveryFrameRoundTrips) {
  for (const char* name : {"ffmpeg_cbr.mp3", "cbr128_info.mp3", "mono.mp3", "mpeg2_22k.mp3", "mpeg25_8k.mp3",
                           "layer2_mpeg1.mp2", "layer2_mpeg2.mp2", "id3v1v2.mp3", "sox_32k.mp3"}) {
    SCOPED_TRACE(name);
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    int frames = 0;
    for (int64_t x = s.stream.audioStart; x >= 0 && x < s.stream.audioEnd; x = findFrame(s.stream, x + 1).offset) {
      // From its own start the last frame lies within a frame length of the end,
      // where findFrame answers with audioEnd: a cue there is not read back.
      if (x + s.stream.currentHeader.frameSize >= s.stream.audioEnd) break;
      const std::string text = cueTimeText(s.stream, x);
      ASSERT_EQ(findFrame(s.stream, cueTimeToOffset(s.stream, text)).offset, x) << text;
      ++frames;
    }
    EXPECT_GT(frames, 25);
  }
}

// --- Writing -------------------------------------------------------------------

TEST(CueSheet, WritesTheExactText) {
  Fixture f;
  Session& s = f.session;
  ASSERT_EQ(findFrame(s.stream, 42 * kFrame).offset, 42 * kFrame);
  // Cut, cue, gain, cue: the tracks are numbered 01 and 02.
  addSpan(s, 10 * kFrame, 20 * kFrame, kRangeCut);
  addCue(s, 42 * kFrame, "One", "Ann");
  addSpan(s, 60 * kFrame, 80 * kFrame, kRangeGain);
  addCue(s, 100 * kFrame);
  s.edits.sheetTitle = "Album";
  s.edits.sheetArtist = "Band";
  s.projectPath = (f.dir / "s.cue").string();
  ASSERT_TRUE(writeCueSheet(s));
  EXPECT_EQ(readText(f.dir / "s.cue"),
            "PERFORMER \"Band\"\r\n"
            "TITLE \"Album\"\r\n"
            "FILE \"ffmpeg_cbr.mp3\" MP3\r\n"
            "  TRACK 01 AUDIO\r\n"
            "    TITLE \"One\"\r\n"
            "    PERFORMER \"Ann\"\r\n"
            "    INDEX 01 00:01:00\r\n"
            "  TRACK 02 AUDIO\r\n"
            "    TITLE \"(Track 02)\"\r\n"
            "    INDEX 01 00:02:30\r\n");
  EXPECT_FALSE(s.edits.modified);
  EXPECT_EQ(s.settings.file_recent[0], s.projectPath);
}

TEST(CueSheet, WritesDefaultsTypeWordsAndPaths) {
  // No names, no cues; a Layer II file is "MP2".
  Fixture f("layer2_mpeg1.mp2");
  Session& s = f.session;
  s.projectPath = (f.dir / "s.cue").string();
  ASSERT_TRUE(writeCueSheet(s));
  EXPECT_EQ(readText(f.dir / "s.cue"), "TITLE \"(Title N.N.)\"\r\nFILE \"layer2_mpeg1.mp2\" MP2\r\n");

  // A sheet in another folder names the audio file in full; one above it relatively.
  fs::create_directories(f.dir / "other");
  s.projectPath = (f.dir / "other" / "s.cue").string();
  ASSERT_TRUE(writeCueSheet(s));
  EXPECT_EQ(readText(f.dir / "other" / "s.cue"),
            "TITLE \"(Title N.N.)\"\r\nFILE \"" + f.audio.string() + "\" MP2\r\n");

  Fixture g("cbr128_info.mp3", "music/album");
  g.session.projectPath = (g.dir / "music" / "s.cue").string();
  ASSERT_TRUE(writeCueSheet(g.session));
  EXPECT_EQ(readText(g.dir / "music" / "s.cue"), "TITLE \"(Title N.N.)\"\r\nFILE \"album/cbr128_info.mp3\" MP3\r\n");
}

TEST(CueSheet, WriteFailure) {
  Fixture f;
  addCue(f.session, 42 * kFrame);
  f.session.projectPath = (f.dir / "missing" / "s.cue").string();
  const auto recent = f.session.settings.file_recent;
  EXPECT_FALSE(writeCueSheet(f.session));
  EXPECT_TRUE(f.session.edits.modified);
  EXPECT_EQ(f.session.settings.file_recent, recent);
}

// --- Reading -------------------------------------------------------------------

TEST(CueSheet, RoundTripOnRealFiles) {
  for (const char* name : {"ffmpeg_cbr.mp3", "cbr128_info.mp3", "layer2_mpeg2.mp2", "mpeg2_22k.mp3", "id3v1.mp3"}) {
    SCOPED_TRACE(name);
    Fixture f(name);
    Session& s = f.session;
    const int64_t start = s.stream.audioStart;
    const int64_t len = s.stream.audioEnd - start;
    const int64_t c1 = findFrame(s.stream, start).offset;
    const int64_t c2 = findFrame(s.stream, start + len / 4).offset;
    const int64_t c3 = findFrame(s.stream, start + len / 2).offset;
    const int64_t c4 = findFrame(s.stream, start + len * 3 / 4).offset;
    addCue(s, c1, "Opening", "Ann");
    addCue(s, c2);
    addSpan(s, findFrame(s.stream, start + len / 3).offset, findFrame(s.stream, start + len * 2 / 5).offset, kRangeCut);
    addCue(s, c3, "Same", "Same");
    addCue(s, c4, "Ünïcode \"quoted\"", "Ärtist");
    s.edits.sheetArtist = "Band";
    s.projectPath = (f.dir / "r.cue").string();
    ASSERT_TRUE(writeCueSheet(s));

    Session back;
    back.projectPath = s.projectPath;
    ASSERT_TRUE(readSheet(back));
    EXPECT_EQ(back.stream.sourcePath, f.audio.string());
    EXPECT_EQ(back.edits.sheetTitle, "(Title N.N.)");
    EXPECT_EQ(back.edits.sheetArtist, "Band");
    ASSERT_EQ(back.edits.count, 4);
    const auto& r = back.edits.ranges;
    EXPECT_EQ(r[0].beg, c1);
    EXPECT_EQ(r[1].beg, c2);
    EXPECT_EQ(r[2].beg, c3);
    EXPECT_EQ(r[3].beg, c4);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(r[i].end, r[i].beg);
      EXPECT_EQ(r[i].type, kRangeCut);
    }
    EXPECT_EQ(r[0].title, "Opening");
    EXPECT_EQ(r[0].artist, "Ann");
    EXPECT_EQ(r[1].title, "(Track 02)");
    EXPECT_EQ(r[1].artist, "");
    EXPECT_EQ(r[2].title, "Same");
    EXPECT_EQ(r[2].artist, "");  // a performer equal to the title is dropped
    EXPECT_EQ(r[3].title, "Ünïcode \"quoted\"");
    EXPECT_EQ(r[3].artist, "Ärtist");
    EXPECT_FALSE(back.edits.modified);
    EXPECT_FALSE(back.edits.hasSelection());
    EXPECT_TRUE(back.edits.selection.title.empty());
    EXPECT_EQ(back.settings.file_recent[0], back.projectPath);
  }
}

TEST(CueSheet, ReadsHandWrittenSheets) {
  Fixture f;
  Session s;
  // LF line ends, no line end at the end, other commands, an INDEX 00 first.
  ASSERT_TRUE(f.read(
      "REM GENRE Test\n"
      "PERFORMER \"Band\"\n"
      "TITLE \"Album\"\n"
      "FILE \"ffmpeg_cbr.mp3\" MP3\n"
      "  TRACK 01 AUDIO\n"
      "    FLAGS DCP\n"
      "    TITLE \"Pregap\"\n"
      "    INDEX 00 00:01:00\n"
      "    INDEX 01 00:02:00\n"
      "  TRACK 02 AUDIO\n"
      "    TITLE \"No index\"\n"
      "  TRACK 03 AUDIO\n"
      "    TITLE \"Past the end\"\n"
      "    INDEX 01 10:00:00\n"
      "  TRACK 04 AUDIO\n"
      "    PERFORMER \"Last\"\n"
      "    INDEX 01 00:02:30",
      s));
  EXPECT_EQ(s.edits.sheetTitle, "Album");
  EXPECT_EQ(s.edits.sheetArtist, "Band");
  ASSERT_EQ(s.edits.count, 2);
  // 1 s is 24000 bytes: the first frame at or after it starts at 42 * 576.
  EXPECT_EQ(s.edits.ranges[0].beg, 42 * kFrame);
  EXPECT_EQ(s.edits.ranges[0].title, "Pregap");
  EXPECT_EQ(s.edits.ranges[1].beg, 100 * kFrame);
  EXPECT_EQ(s.edits.ranges[1].title, "");
  EXPECT_EQ(s.edits.ranges[1].artist, "Last");
  EXPECT_FALSE(s.edits.modified);

  // The last frames are found too: a track in the last 1792 bytes is kept.
  Session e;
  ASSERT_TRUE(f.read("FILE \"ffmpeg_cbr.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:02:71\n"
                     "TRACK 02 AUDIO\nINDEX 01 00:01:00\n",
                     e));
  ASSERT_EQ(findFrame(e.stream, 123 * kFrame).offset, 123 * kFrame);
  ASSERT_EQ(e.edits.count, 2);
  EXPECT_EQ(e.edits.ranges[0].beg, 42 * kFrame);
  EXPECT_EQ(e.edits.ranges[1].beg, 123 * kFrame);

  // Names only: the sheet's names, no cues. Equal names keep the title only.
  Session n;
  ASSERT_TRUE(f.read("TITLE \"Same\"\r\nPERFORMER \"Same\"\r\nFILE \"ffmpeg_cbr.mp3\" MP3\r\n", n));
  EXPECT_EQ(n.edits.sheetTitle, "Same");
  EXPECT_EQ(n.edits.sheetArtist, "");
  EXPECT_EQ(n.edits.count, 0);

  // Tabs are not skipped: a tab-indented TRACK line is no track.
  Session t;
  ASSERT_TRUE(f.read("FILE \"ffmpeg_cbr.mp3\" MP3\n TRACK 01 AUDIO\n  TITLE \"A\"\n  INDEX 01 00:01:00\n"
                     "\tTRACK 02 AUDIO\n  TITLE \"B\"\n  INDEX 01 00:02:00\n",
                     t));
  ASSERT_EQ(t.edits.count, 1);
  EXPECT_EQ(t.edits.ranges[0].beg, 42 * kFrame);
  EXPECT_EQ(t.edits.ranges[0].title, "B");
}

TEST(CueSheet, TracksOutsideTheAudioAreLeftOutWithOneWarning) {
  // ffmpeg_cbr.mp3 lasts 3.024 s.
  Fixture f;
  Session s;
  ASSERT_TRUE(f.read("FILE \"ffmpeg_cbr.mp3\" MP3\r\n"
                     "  TRACK 01 AUDIO\r\n    TITLE \"Start\"\r\n    INDEX 01 00:00:00\r\n"
                     "  TRACK 02 AUDIO\r\n    TITLE \"Negative\"\r\n    INDEX 01 -1:00:00\r\n"
                     "  TRACK 03 AUDIO\r\n    TITLE \"One second\"\r\n    INDEX 01 00:01:00\r\n"
                     "  TRACK 04 AUDIO\r\n    TITLE \"Past the end\"\r\n    INDEX 01 00:05:00\r\n"
                     "  TRACK 05 AUDIO\r\n    TITLE \"Huge\"\r\n    INDEX 01 99999999999999:00:00\r\n"
                     "  TRACK 06 AUDIO\r\n    TITLE \"No index\"\r\n",
                     s));
  ASSERT_EQ(s.edits.count, 2);
  EXPECT_EQ(s.edits.ranges[0].title, "Start");
  EXPECT_EQ(s.edits.ranges[1].title, "One second");
  // A track without a time is no value out of range: it is dropped without a word.
  ASSERT_EQ(f.said.messages.size(), 1u);
  EXPECT_EQ(f.said.messages[0].text, "3 tracks of the cue sheet were out of range and have been left out.");
  EXPECT_EQ(f.said.messages[0].caption, "Warning");
  EXPECT_EQ(f.said.messages[0].icon, MessageIcon::Warning);

  // Every track out of range: nothing usable is left, the sheet is refused.
  Session none;
  EXPECT_FALSE(f.read("TITLE \"Album\"\r\nFILE \"ffmpeg_cbr.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    INDEX 01 10:00:00\r\n", none));
  EXPECT_EQ(none.edits.count, 0);
  ASSERT_EQ(f.said.messages.size(), 1u);
  EXPECT_EQ(f.said.messages[0].text, "Every track of the cue sheet was out of range: nothing is left to open.");
  EXPECT_EQ(f.said.messages[0].caption, "Not possible");
}

TEST(CueSheet, OldMacLineEndsReadLikeAnyOther) {
  Fixture f;
  Session s;
  ASSERT_TRUE(f.read("PERFORMER \"Band\"\rTITLE \"Album\"\rFILE \"ffmpeg_cbr.mp3\" MP3\r"
                     "  TRACK 01 AUDIO\r    TITLE \"One\"\r    INDEX 01 00:01:00\r"
                     "  TRACK 02 AUDIO\r    TITLE \"Two\"\r    INDEX 01 00:02:00\r",
                     s));
  EXPECT_EQ(s.stream.sourcePath, f.audio.string());
  EXPECT_EQ(s.edits.sheetTitle, "Album");
  EXPECT_EQ(s.edits.sheetArtist, "Band");
  ASSERT_EQ(s.edits.count, 2);
  EXPECT_EQ(s.edits.ranges[0].beg, 42 * kFrame);
  EXPECT_EQ(s.edits.ranges[0].title, "One");
  EXPECT_EQ(s.edits.ranges[1].beg, 84 * kFrame);
  EXPECT_EQ(s.edits.ranges[1].title, "Two");
  EXPECT_TRUE(f.said.messages.empty());
}

TEST(CueSheet, RelativeAndAbsoluteFilePaths) {
  Fixture f("ffmpeg_cbr.mp3", "sub");
  for (const std::string value : {"sub\\ffmpeg_cbr.mp3", "sub/ffmpeg_cbr.mp3"}) {
    Session s;
    ASSERT_TRUE(f.read("FILE \"" + value + "\" MP3\r\nTRACK 01 AUDIO\r\nINDEX 01 00:01:00\r\n", s)) << value;
    EXPECT_EQ(s.stream.sourcePath, f.audio.string());
    EXPECT_EQ(s.edits.count, 1);
  }
  Session full;
  ASSERT_TRUE(f.read("FILE \"" + f.audio.string() + "\" MP3\r\n", full, "elsewhere.cue"));

  // A Windows drive path: the file can't be opened here, reading fails, no cues.
  Session w;
  EXPECT_FALSE(f.read("TITLE \"T\"\r\nFILE \"C:\\Music\\x.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n",
                      w));
  EXPECT_EQ(w.stream.sourcePath, "C:\\Music\\x.mp3");
  EXPECT_FALSE(w.stream.isOpen());
  EXPECT_EQ(w.edits.count, 0);
  EXPECT_EQ(w.settings.file_recent[0], "");
}

TEST(CueSheet, MalformedSheetsStopReading) {
  Fixture f;
  const std::string head = "FILE \"ffmpeg_cbr.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:01:00\r\n";
  struct Case {
    const char* what;
    std::string text;
    int cuesLeft;
  };
  const Case cases[] = {
      {"no such file", "FILE \"nothing.mp3\" MP3\r\n", 0},
      {"FILE without quotes", "FILE ffmpeg_cbr.mp3 MP3\r\n", 0},
      {"FILE with one quote", "FILE \"ffmpeg_cbr.mp3 MP3\r\n", 0},
      {"second FILE", head + "FILE \"ffmpeg_cbr.mp3\" MP3\r\n  TRACK 02 AUDIO\r\n", 0},
      {"title without quotes", head + "  TRACK 02 AUDIO\r\n    TITLE Two\r\n", 1},
      {"performer with one quote", head + "  TRACK 02 AUDIO\r\n    PERFORMER \"Two\r\n", 1},
      {"INDEX with one blank", head + "  TRACK 02 AUDIO\r\n    INDEX 01\r\n", 1},
      {"two tracks at one time", head + "  TRACK 02 AUDIO\r\n    INDEX 01 00:01:00\r\n  TRACK 03 AUDIO\r\n", 1},
      {"track before FILE", "  TRACK 01 AUDIO\r\n    INDEX 01 00:01:00\r\n  TRACK 02 AUDIO\r\n", 0},
      {"no FILE at all", "TITLE \"x\"\r\n", 0},
      {"empty file", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Session s;
    EXPECT_FALSE(f.read(c.text, s));
    EXPECT_EQ(s.edits.count, c.cuesLeft);
    EXPECT_FALSE(s.edits.modified);
    EXPECT_TRUE(s.edits.selection.title.empty());
    EXPECT_NE(s.settings.file_recent[0], (f.dir / "s.cue").string());
  }
  Session none;
  none.projectPath = (f.dir / "absent.cue").string();
  EXPECT_FALSE(readSheet(none));
}

TEST(CueSheet, ThreeHundredTracksFillTheTable) {
  // 348 frames of 128 kbit/s: the frames of cbr128_notag.mp3 three times over.
  TempDir dir;
  test::Bytes frames = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  test::Bytes audio;
  for (int i = 0; i < 3; ++i) audio.insert(audio.end(), frames.begin(), frames.end());
  test::writeBytes(dir / "long.mp3", audio);
  Session src;
  ASSERT_TRUE(test::openInSession(src, dir / "long.mp3"));
  std::string text = "FILE \"long.mp3\" MP3\r\n";
  int64_t x = src.stream.audioStart;
  for (int n = 1; n <= 300; ++n) {
    text += "  TRACK " + std::to_string(n) + " AUDIO\r\n    TITLE \"T" + std::to_string(n) + "\"\r\n    INDEX 01 " +
            cueTimeText(src.stream, x) + "\r\n";
    x = findFrame(src.stream, x + 1).offset;
    ASSERT_LT(x, src.stream.audioEnd);
  }
  writeText(dir / "long.cue", text);
  Session s;
  s.projectPath = (dir / "long.cue").string();
  // The 201st cue is refused by the table: reading stops there and fails.
  EXPECT_FALSE(readSheet(s));
  ASSERT_EQ(s.edits.count, kMaxRanges);
  EXPECT_EQ(s.edits.ranges[199].title, "T200");
  for (int i = 1; i < kMaxRanges; ++i) EXPECT_GT(s.edits.ranges[i].beg, s.edits.ranges[i - 1].beg);
}

TEST(CueSheet, LongLinesNamesAndEncodings) {
  Fixture f;
  const std::string head = "FILE \"ffmpeg_cbr.mp3\" MP3\r\n";
  // A 10 KB comment is ignored; a long title is cut to 199 characters.
  Session s;
  std::string title;
  for (int i = 0; i < 150; ++i) title += "ßx";  // 300 characters, 450 bytes
  ASSERT_TRUE(f.read("REM " + std::string(10000, 'r') + "\r\n" + head + "  TRACK 01 AUDIO\r\n    TITLE \"" + title +
                         "\"\r\n    INDEX 01 00:01:00" + std::string(100, ' ') + "junk\r\n",
                     s));
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].beg, 42 * kFrame);  // the time is cut to 15 characters
  EXPECT_EQ(s.edits.ranges[0].title, firstCharacters(title, kCueNameChars));
  EXPECT_EQ(s.edits.ranges[0].title.size(), 299u);

  // A 10 KB title line loses its closing quote to the line limit: a malformed line.
  Session l;
  EXPECT_FALSE(f.read(head + "TITLE \"" + std::string(10000, 't') + "\"\r\n", l));

  // NUL ends a line's text; Windows-1252 bytes are converted.
  Session n;
  ASSERT_TRUE(f.read(head + "  TRACK 01 AUDIO\r\n    TITLE \"Caf\xE9\" \0 ignored\r\n    INDEX 01 00:01:00\r\n"s +
                         "    PERFORMER \"A\"\0\"B\"\r\n"s,
                     n));
  ASSERT_EQ(n.edits.count, 1);
  EXPECT_EQ(n.edits.ranges[0].title, "Café");
  EXPECT_EQ(n.edits.ranges[0].artist, "A");
}

TEST(CueSheet, SurvivesGarbage) {
  Fixture f;
  Session& s = f.session;
  addCue(s, 10 * kFrame, "One", "A");
  addCue(s, 50 * kFrame);
  addCue(s, 90 * kFrame, "Three");
  s.edits.sheetTitle = "Album";
  s.projectPath = (f.dir / "good.cue").string();
  ASSERT_TRUE(writeCueSheet(s));
  const std::string good = readText(f.dir / "good.cue");

  for (std::size_t n = 0; n <= good.size(); ++n) {
    Session r;
    f.read(good.substr(0, n), r, "cut.cue");
    EXPECT_LE(r.edits.count, 3);
    EXPECT_FALSE(r.edits.modified);
  }
  Session whole;
  ASSERT_TRUE(f.read(good, whole, "cut.cue"));
  EXPECT_EQ(whole.edits.count, 3);

  std::mt19937 random(977u);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 2000);
  const std::string pieces[] = {"FILE \"ffmpeg_cbr.mp3\" MP3", "  TRACK 01 AUDIO", "    INDEX 01 ", "TITLE \"",
                                "PERFORMER \"", "\"", "INDEX", ":", " "};
  for (int round = 0; round < 200; ++round) {
    std::string text = round % 2 ? "FILE \"ffmpeg_cbr.mp3\" MP3\n" : "";
    const int parts = 1 + round % 50;
    for (int p = 0; p < parts; ++p) {
      text += pieces[(round * 7 + p) % 9];
      const int n = length(random) / (p % 7 + 1);
      for (int i = 0; i < n; ++i) text.push_back(static_cast<char>(byte(random)));
      if (p % 2 == 0) text += p % 4 ? "\n" : "\r\n";
    }
    Session r;
    f.read(text, r, "fuzz.cue");
    EXPECT_LE(r.edits.count, kMaxRanges);
    EXPECT_TRUE(isValidUtf8(r.edits.sheetTitle));
    EXPECT_TRUE(isValidUtf8(r.edits.sheetArtist));
    for (int i = 0; i < r.edits.count; ++i) {
      const EditRange& range = r.edits.ranges[i];
      EXPECT_EQ(range.beg, range.end);
      EXPECT_GE(range.beg, r.stream.audioStart);
      EXPECT_LT(range.beg, r.stream.audioEnd);
      EXPECT_EQ(firstCharacters(range.title, kCueNameChars), range.title);
      EXPECT_TRUE(isValidUtf8(range.title));
    }
  }
}

}  // namespace
}  // namespace quillane
