#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/saved_frames.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using json = nlohmann::ordered_json;
using test::Bytes;

test::CommandOutput cli(const std::string& args) {
  return test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " " + args);
}

std::string q(const std::filesystem::path& p) { return test::shellQuote(p.string()); }

json rangesOf(const std::string& source, const std::string& edits) {
  const auto run = cli("ranges --json " + source + " " + edits);
  EXPECT_EQ(run.status, 0) << run.err;
  return json::parse(run.out);
}

// The source's audio frames (ffprobe's list, with the first frame it may drop).
std::vector<test::DemuxedFrame> framesOf(const std::filesystem::path& path, int64_t audioStart) {
  auto frames = test::demuxedFrames(path);
  if (!frames.empty() && frames.front().pos != audioStart)
    frames.insert(frames.begin(), {audioStart, frames.front().pos - audioStart});
  return frames;
}

TEST(CliSave, WithoutEditsWritesTheAudioBytes) {
  test::TempDir dir;
  const auto source = test::dataPath("id3v1.mp3");
  const auto run = cli("save " + q(source) + " -o " + q(dir / "out.mp3"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Frames: 116\n");
  const Bytes in = test::readBytes(source);
  const Bytes out = test::readBytes(dir / "out.mp3");
  // The source's LAME Info frame is kept, rebuilt for the same frames (the same
  // length); the audio and the ID3v1 tag behind it are copied.
  ASSERT_EQ(out.size(), in.size());
  EXPECT_EQ(test::lameTagFrameSize(out), 417u);
  EXPECT_EQ(Bytes(out.begin() + 417, out.end()), Bytes(in.begin() + 417, in.end()));
}

// A source's ID3v2 tag (the bytes before its first frame) is kept unless
// --drop-id3v2 asks otherwise: a save loses no title, artist or picture by itself.
TEST(CliSave, TheId3v2TagIsKeptUnlessDropped) {
  test::TempDir dir;
  const auto source = test::dataPath("id3v2.mp3");
  const Bytes in = test::readBytes(source);
  ASSERT_EQ(std::string(in.begin(), in.begin() + 3), "ID3");
  const auto kept = cli("save " + q(source) + " -o " + q(dir / "kept.mp3"));
  ASSERT_EQ(kept.status, 0) << kept.err;
  const Bytes out = test::readBytes(dir / "kept.mp3");
  ASSERT_GE(out.size(), 10u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), Bytes(in.begin(), in.begin() + 10));

  const auto dropped = cli("save " + q(source) + " -o " + q(dir / "dropped.mp3") + " --drop-id3v2");
  ASSERT_EQ(dropped.status, 0) << dropped.err;
  const Bytes without = test::readBytes(dir / "dropped.mp3");
  ASSERT_GE(without.size(), 2u);
  EXPECT_EQ(without[0], 0xFF);  // the first frame's sync comes first
  EXPECT_LT(without.size(), out.size());
  EXPECT_EQ(cli("save " + q(source) + " -o " + q(dir / "x.mp3") + " --drop-id3v2 --keep-id3v2").status, 2);
}

TEST(CliSave, CutsDropExactlyTheFramesStartingInTheRange) {
  test::TempDir dir;
  const auto source = test::dataPath("cbr128_notag.mp3");
  const json ranges = rangesOf(q(source), "--cut 1-2");
  ASSERT_EQ(ranges.size(), 1u);
  const int64_t beg = ranges[0]["beg"], end = ranges[0]["end"];
  const auto run = cli("save " + q(source) + " -o " + q(dir / "cut.mp3") + " --cut 1-2");
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes in = test::readBytes(source);
  Bytes expected;
  int kept = 0;
  size_t junction = 0;  // the first frame behind the cut, whose reservoir the save repairs
  for (const auto& f : framesOf(source, 0)) {
    if (f.pos >= beg && f.pos < end) {
      junction = static_cast<size_t>(kept);
      continue;
    }
    expected.insert(expected.end(), in.begin() + f.pos, in.begin() + f.pos + f.size);
    ++kept;
  }
  EXPECT_EQ(test::savedFramesDiffer(test::readBytes(dir / "cut.mp3"), expected, {junction}), "");
  EXPECT_EQ(run.out.rfind("Frames: " + std::to_string(kept) + "\n", 0), 0u) << run.out;
  EXPECT_EQ(test::runCommand("mpg123 -q -t " + q(dir / "cut.mp3")).status, 0);
}

TEST(CliSave, SelectionIncludesTheFrameAtItsEnd) {
  test::TempDir dir;
  const auto source = test::dataPath("cbr128_notag.mp3");
  const auto run = cli("save " + q(source) + " -o " + q(dir / "sel.mp3") + " --selection @4000-@8000");
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes in = test::readBytes(source);
  const auto frames = framesOf(source, 0);
  Bytes expected;
  int64_t first = -1, last = -1;
  for (const auto& f : frames) {
    if (first < 0 && f.pos >= 4000) first = f.pos;
    if (f.pos >= 8000 && last < 0) last = f.pos + f.size;
  }
  expected.assign(in.begin() + first, in.begin() + last);
  // The frames whose reservoir lay before the selection are rewritten to silence.
  EXPECT_EQ(test::savedFramesDiffer(test::readBytes(dir / "sel.mp3"), expected, {0}), "");
}

TEST(CliSave, GainChangesOnlyTheFramesInItsRange) {
  test::TempDir dir;
  const auto source = test::dataPath("cbr128_notag.mp3");
  const auto run = cli("save " + q(source) + " -o " + q(dir / "gain.mp3") + " --gain 1-2:+4");
  ASSERT_EQ(run.status, 0) << run.err;
  const json ranges = rangesOf(q(source), "--gain 1-2:+4");
  EXPECT_EQ(ranges[0]["kind"], "Gain");
  EXPECT_EQ(ranges[0]["title"], "(+6.0...+6.0 dB)");
  const int64_t beg = ranges[0]["beg"], end = ranges[0]["end"];
  const Bytes in = test::readBytes(source);
  const Bytes out = test::readBytes(dir / "gain.mp3");
  ASSERT_EQ(out.size(), in.size());
  for (const auto& f : framesOf(source, 0)) {
    const bool inside = f.pos >= beg && f.pos < end;
    const bool same = std::equal(in.begin() + f.pos, in.begin() + f.pos + f.size, out.begin() + f.pos);
    EXPECT_EQ(same, !inside) << "frame at " << f.pos;
  }
  EXPECT_EQ(test::runCommand("mpg123 -q -t " + q(dir / "gain.mp3")).status, 0);
}

TEST(CliPositions, TimesAsTheWindowsFieldsTakeThem) {
  // One grammar of typed times: the shown m'ss.ff, a comma, hours.
  const auto source = q(test::dataPath("tone_silence_tone.mp3"));
  const json expected = rangesOf(source, "--cut 1.5-4.25");
  ASSERT_EQ(expected.size(), 1u);
  for (const char* cut : {"0:01.5-0:04.25", "0'01.50-0'04.25", "1,5-4,25", "0:00:01.5-0:00:04.25"})
    EXPECT_EQ(rangesOf(source, std::string("--cut \"") + cut + "\""), expected) << cut;
}

TEST(CliSave, RefusalsLeaveNothingWritten) {
  test::TempDir dir;
  const auto source = q(test::dataPath("cbr128_notag.mp3"));
  const auto out = dir / "out.mp3";
  // A range inside another is refused with the table's message.
  auto inside = cli("save " + source + " -o " + q(out) + " --cut 1-3 --cut 1.5-2");
  EXPECT_EQ(inside.status, 1);
  EXPECT_NE(inside.err.find("Selection range seems to be invalid"), std::string::npos) << inside.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  auto badPosition = cli("save " + source + " -o " + q(out) + " --cut 1-x");
  EXPECT_EQ(badPosition.status, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(cli("save " + source + " --cut 1-2").status, 2);  // no -o
  EXPECT_EQ(cli("save " + source + " -o " + q(out) + " --bogus").status, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
  // Layer II files can't take gain.
  auto layer2 = cli("save " + q(test::dataPath("layer2_mpeg1.mp2")) + " -o " + q(out) + " --gain 1-2:+2");
  EXPECT_EQ(layer2.status, 1);
  EXPECT_NE(layer2.err.find("Can't change the volume of Layer 2 files"), std::string::npos);
  // An existing OUT is kept unless --force.
  test::writeBytes(out, Bytes{1, 2, 3});
  EXPECT_EQ(cli("save " + source + " -o " + q(out)).status, 1);
  EXPECT_EQ(test::readBytes(out), (Bytes{1, 2, 3}));
  EXPECT_EQ(cli("save " + source + " -o " + q(out) + " --force").status, 0);
  EXPECT_EQ(test::readBytes(out).size(), 48483u);
  EXPECT_EQ(cli("save " + source + " -o " + q(dir / "none.mp3") + " --append").status, 1);
}

TEST(CliSave, AppendAndReplaceTheSource) {
  test::TempDir dir;
  const auto source = test::dataPath("id3v1.mp3");
  const auto target = dir / "target.mp3";
  std::filesystem::copy_file(source, target);
  const auto run = cli("save " + q(test::dataPath("cbr128_notag.mp3")) + " -o " + q(target) + " --append");
  ASSERT_EQ(run.status, 0) << run.err;
  // The old ID3v1 tag is overwritten by the appended audio; the appended source has none.
  const Bytes in = test::readBytes(source);
  const Bytes add = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  Bytes expected(in.begin(), in.end() - 128);
  expected.insert(expected.end(), add.begin(), add.end());
  EXPECT_EQ(test::readBytes(target), expected);

  // Naming the source as OUT replaces it (with --force) and leaves no temporary file.
  const auto own = dir / "own.mp3";
  std::filesystem::copy_file(test::dataPath("cbr128_notag.mp3"), own);
  EXPECT_EQ(cli("save " + q(own) + " -o " + q(own) + " --cut 1-2").status, 1);  // refused without --force
  EXPECT_EQ(test::readBytes(own), add);
  std::filesystem::permissions(own, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                        std::filesystem::perms::group_read);
  const auto replaced = cli("save " + q(own) + " -o " + q(own) + " --cut 1-2 --force");
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_LT(test::readBytes(own).size(), add.size());
  EXPECT_FALSE(std::filesystem::exists(own.string() + ".~~~"));
  EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

TEST(CliSheets, ProjectAndCueSheetRoundTrips) {
  test::TempDir dir;
  const auto source = test::dataPath("tone_silence_tone.mp3");
  std::filesystem::copy_file(source, dir / "tst.mp3");
  const std::string edits = "--cut 1-1.5 --gain 2-3:-4:+0 --cue 4.5";
  const json direct = rangesOf(q(dir / "tst.mp3"), edits);
  ASSERT_EQ(cli("project " + q(dir / "tst.mp3") + " -o " + q(dir / "tst.qlp") + " " + edits).status, 0);
  EXPECT_EQ(rangesOf(q(dir / "tst.qlp"), ""), direct);

  const auto sheet = cli("cuesheet " + q(dir / "tst.mp3") + " -o " + q(dir / "tst.cue") + " --auto-cue 0:02");
  ASSERT_EQ(sheet.status, 0) << sheet.err;
  const Bytes text = test::readBytes(dir / "tst.cue");
  const std::string written(text.begin(), text.end());
  EXPECT_EQ(written,
            "TITLE \"(Title N.N.)\"\r\nFILE \"tst.mp3\" MP3\r\n"
            "  TRACK 01 AUDIO\r\n    TITLE \"(Track 01)\"\r\n    INDEX 01 00:02:00\r\n"
            "  TRACK 02 AUDIO\r\n    TITLE \"(Track 02)\"\r\n    INDEX 01 00:04:01\r\n"
            // The 6 s target lies on the last frame, in the file's last 1792 bytes.
            "  TRACK 03 AUDIO\r\n    TITLE \"(Track 03)\"\r\n    INDEX 01 00:06:00\r\n");
  const json cues = rangesOf(q(dir / "tst.cue"), "");
  ASSERT_EQ(cues.size(), 3u);
  EXPECT_EQ(cues[0]["kind"], "Cue");
  EXPECT_EQ(cues[1]["title"], "(Track 02)");

  const auto listed = cli("ranges " + q(dir / "tst.qlp"));
  EXPECT_EQ(listed.out.substr(0, 7), "01 Cut\t");
  EXPECT_EQ(cli("ranges " + q(dir / "tst.wav")).status, 1);
}

TEST(CliSplit, PiecesAtCuesWithNamesAndTags) {
  test::TempDir dir;
  const auto source = test::dataPath("tone_silence_tone.mp3");
  const auto run = cli("split " + q(source) + " --dir " + q(dir / "parts") + " --cue 2 --cue 4 --id3v11 --first 7");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string folder = (dir / "parts").string();
  EXPECT_EQ(run.out, folder + "/Track 07.mp3\n" + folder + "/Track 08.mp3\n" + folder + "/Track 09.mp3\n");
  int64_t total = 0;
  for (const char* name : {"Track 07.mp3", "Track 08.mp3", "Track 09.mp3"}) {
    const Bytes piece = test::readBytes(dir / "parts" / name);
    ASSERT_GT(piece.size(), 128u);
    EXPECT_EQ(std::string(piece.end() - 128, piece.end() - 125), "TAG") << name;
    total += static_cast<int64_t>(piece.size()) - 128;
    EXPECT_EQ(test::runCommand("mpg123 -q -t " + q(dir / "parts" / name)).status, 0) << name;
  }
  EXPECT_EQ(test::readBytes(dir / "parts" / "Track 08.mp3")[128 * 0 + test::readBytes(dir / "parts" / "Track 08.mp3").size() - 2], 8);
  // Every audio byte once, plus the frame at each cue that ends one piece and starts
  // the next, and in front of each piece the source's LAME Info frame rebuilt.
  EXPECT_EQ(total, 96965 - 417 + 2 * 418 + 3 * 417);
  EXPECT_EQ(cli("split " + q(source) + " --dir " + q(dir / "none")).status, 1);  // no ranges
}

// A damaged ID3v2 tag fails nothing: every piece gets it byte for byte, and one
// line on stderr says so.
TEST(CliSplit, ADamagedId3v2TagGoesToThePiecesUnchanged) {
  test::TempDir dir;
  Bytes damaged = test::readBytes(test::dataPath("id3v2.mp3"));
  damaged[10] = '#';  // the first frame's ID
  test::writeBytes(dir / "damaged.mp3", damaged);
  const auto run = cli("split " + q(dir / "damaged.mp3") + " --dir " + q(dir / "parts") + " --cue 1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "quillane-cli: " + (dir / "damaged.mp3").string() +
                         ": the ID3v2 tag was copied unchanged into every piece (the ID3v2 tag is damaged)\n");
  for (const char* name : {"Track 01.mp3", "Track 02.mp3"}) {
    const Bytes piece = test::readBytes(dir / "parts" / name);
    ASSERT_GT(piece.size(), 463u);
    EXPECT_EQ(Bytes(piece.begin(), piece.begin() + 463), Bytes(damaged.begin(), damaged.begin() + 463)) << name;
  }
}

// With --sample-accurate the pieces, each decoded gaplessly by mpg123, join to the
// source's own gapless decode sample for sample; without it each split point
// loses and adds samples.
TEST(CliSplit, SampleAccuratePiecesJoinToTheSource) {
  test::TempDir dir;
  const auto source = test::dataPath("vbr_xing.mp3");
  const auto decode = [](const std::filesystem::path& path) {
    const auto run = test::runCommand("mpg123 -q -s " + q(path));
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  };
  for (const bool accurate : {true, false}) {
    const auto folder = dir / (accurate ? "accurate" : "frames");
    const auto run = cli("split " + q(source) + " --dir " + q(folder) + " --cue 0.7 --cue 1.9" +
                         (accurate ? " --sample-accurate" : ""));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string joined;
    for (const char* name : {"Track 01.mp3", "Track 02.mp3", "Track 03.mp3"}) joined += decode(folder / name);
    EXPECT_EQ(joined == decode(source), accurate);
  }
}

}  // namespace
}  // namespace quillane
