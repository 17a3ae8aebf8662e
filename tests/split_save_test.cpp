#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "save/split_save.h"
#include "stream/vbr_tag.h"
#include "settings/ui_text_ids.h"
#include "support/saved_frames.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

EditRange cut(int64_t beg, int64_t end) { return EditRange{kRangeCut, beg, end, 0, 0, "", ""}; }
EditRange cue(int64_t at, const std::string& title = "", const std::string& artist = "") {
  return EditRange{kRangeCut, at, at, 0, 0, title, artist};
}
EditRange gain(int64_t beg, int64_t end, int steps) {
  return EditRange{kRangeGain, beg, end, steps, steps, "(+0.0...+0.0 dB)", ""};
}

void setRanges(EditRangeTable& edits, const std::vector<EditRange>& ranges) {
  edits.count = static_cast<uint16_t>(ranges.size());
  for (size_t i = 0; i < ranges.size(); ++i) edits.ranges[i] = ranges[i];
}

bool insideCut(const EditRangeTable& edits, int64_t pos) {
  for (int i = 0; i < edits.count; ++i) {
    const EditRange& r = edits.ranges[static_cast<size_t>(i)];
    if (r.isCut() && pos >= r.beg && pos < r.end) return true;
  }
  return false;
}

// The source's frames that a selection save of [beg, end] writes: every frame
// starting in [beg, end], the one at end included, except those inside cuts.
Bytes expectedPiece(const Bytes& source, const std::vector<test::DemuxedFrame>& frames, const EditRangeTable& edits,
                    int64_t beg, int64_t end) {
  Bytes out;
  for (const auto& f : frames) {
    if (f.pos < beg || f.pos > end || insideCut(edits, f.pos)) continue;
    out.insert(out.end(), source.begin() + f.pos, source.begin() + f.pos + f.size);
  }
  return out;
}

// What differs between a piece and the frames it should hold: the source's LAME
// Info/Xing frame (417 bytes in these sources) rebuilt for the piece comes first,
// and the frames whose reservoir lay before the piece's start are silenced.
std::string pieceDiffers(const Bytes& piece, const Bytes& frames) {
  const size_t tagSize = test::lameTagFrameSize(piece);
  if (tagSize != 417) return "a tag frame of " + std::to_string(tagSize) + " bytes";
  return test::savedFramesDiffer(Bytes(piece.begin() + 417, piece.end()), frames, {0});
}

void expectDecodesCleanly(const std::string& path) {
  const auto run = test::runCommand("mpg123 -t " + test::shellQuote(path));
  EXPECT_EQ(run.status, 0) << path << "\n" << run.err;
  EXPECT_EQ(run.err.find("Illegal"), std::string::npos) << path << "\n" << run.err;
  EXPECT_EQ(run.err.find("resync"), std::string::npos) << path << "\n" << run.err;
}

// --- The pieces between the split points --------------------------------------

TEST(SplitPieces, TwoCutsGiveThreePieces) {
  EditRangeTable edits;
  AudioStream stream;
  stream.audioStart = 417;
  stream.audioEnd = 96965;
  setRanges(edits, {cut(10000, 20000), cut(50000, 60000)});
  const auto pieces = splitPieces(edits, stream);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].beg, 417);
  EXPECT_EQ(pieces[0].end, 10000);
  EXPECT_EQ(pieces[0].nameIndex, -1);  // before the first split point: no names
  EXPECT_EQ(pieces[1].beg, 20000);
  EXPECT_EQ(pieces[1].end, 50000);
  EXPECT_EQ(pieces[1].nameIndex, 0);
  EXPECT_EQ(pieces[2].beg, 60000);
  EXPECT_EQ(pieces[2].end, 96965);
  EXPECT_EQ(pieces[2].nameIndex, 1);
}

TEST(SplitPieces, CutsAtTheEdgesMakeNoEmptyPieces) {
  EditRangeTable edits;
  AudioStream stream;
  stream.audioStart = 417;
  stream.audioEnd = 96965;
  setRanges(edits, {cut(417, 5000), cut(40000, 41000), cut(90000, 96965)});
  auto pieces = splitPieces(edits, stream);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].beg, 5000);
  EXPECT_EQ(pieces[0].end, 40000);
  EXPECT_EQ(pieces[0].nameIndex, 0);  // the first piece begins at the opening cut and takes its names
  EXPECT_EQ(pieces[1].beg, 41000);
  EXPECT_EQ(pieces[1].end, 90000);
  EXPECT_EQ(pieces[1].nameIndex, 1);

  // A cut reaching past the end, and one starting before audioStart.
  setRanges(edits, {cut(0, 5000), cut(90000, 200000)});
  pieces = splitPieces(edits, stream);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].beg, 5000);
  EXPECT_EQ(pieces[0].end, 90000);

  // One cut over everything: nothing to save.
  setRanges(edits, {cut(417, 96965)});
  EXPECT_TRUE(splitPieces(edits, stream).empty());
}

TEST(SplitPieces, CuePointsAndGainRanges) {
  EditRangeTable edits;
  AudioStream stream;
  stream.audioStart = 417;
  stream.audioEnd = 96965;
  setRanges(edits, {cue(30000, "One"), gain(35000, 40000, 4), cue(60000, "Two")});
  const auto pieces = splitPieces(edits, stream);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].beg, 417);
  EXPECT_EQ(pieces[0].end, 30000);
  EXPECT_EQ(pieces[0].nameIndex, -1);
  EXPECT_EQ(pieces[1].beg, 30000);
  EXPECT_EQ(pieces[1].end, 60000);
  EXPECT_EQ(pieces[1].nameIndex, 0);
  EXPECT_EQ(pieces[2].beg, 60000);
  EXPECT_EQ(pieces[2].end, 96965);
  EXPECT_EQ(pieces[2].nameIndex, 2);

  // Only gain ranges: one piece, the whole audio, without the gain label as a name.
  setRanges(edits, {gain(417, 9000, 2), gain(20000, 30000, -2)});
  const auto whole = splitPieces(edits, stream);
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0].beg, 417);
  EXPECT_EQ(whole[0].end, 96965);
  EXPECT_EQ(whole[0].nameIndex, -1);

  setRanges(edits, {});
  EXPECT_TRUE(splitPieces(edits, stream).empty());
}

TEST(SplitPieces, NameFieldsAndTrackNumbers) {
  EditRangeTable edits;
  setRanges(edits, {cue(1000, "T1", "A1"), cue(2000, "T2", "")});
  edits.sheetTitle = "Album";
  edits.sheetArtist = "Band";
  const SplitPiece named{1000, 2000, 0};
  const SplitNameFields f = splitNameFields(edits, named, 2, 7);
  EXPECT_EQ(f.trackNumber, 8);
  EXPECT_FALSE(f.threeDigits);
  EXPECT_EQ(f.title, "T1");
  EXPECT_EQ(f.artist, "A1");
  EXPECT_EQ(f.albumTitle, "Album");
  EXPECT_EQ(f.albumArtist, "Band");
  const SplitNameFields none = splitNameFields(edits, SplitPiece{0, 1000, -1}, 1, 7);
  EXPECT_EQ(none.trackNumber, 7);
  EXPECT_EQ(none.title, "");
  EXPECT_EQ(none.artist, "");
  EXPECT_EQ(none.albumTitle, "Album");

  std::vector<std::string> names;
  for (int piece = 1; piece <= 3; ++piece)
    names.push_back(splitPiecePath("/d/", "%N", splitNameFields(edits, named, piece, 7), "/m/src.mp3"));
  EXPECT_EQ(names, (std::vector<std::string>{"/d/07.mp3", "/d/08.mp3", "/d/09.mp3"}));

  edits.count = 100;
  EXPECT_EQ(splitPiecePath("/d/", "%N", splitNameFields(edits, named, 1, 7), "/m/src.mp3"), "/d/007.mp3");
}

// --- The ID3v1.1 tag of a piece ------------------------------------------------

TEST(SplitPieceTag, ExactBytesOnZeroAndOnASourceTag) {
  SplitNameFields f;
  f.trackNumber = 3;
  f.title = "Caf\xC3\xA9";  // é
  f.albumTitle = "Album";
  f.albumArtist = "Band";
  Id3v1Bytes expected{};
  std::memcpy(expected.data(), "TAG", 3);
  std::memcpy(expected.data() + 3, "Caf\xE9", 4);
  std::memcpy(expected.data() + 33, "Band", 4);  // no artist of its own: the sheet's
  std::memcpy(expected.data() + 63, "Album", 5);
  expected[126] = 3;
  EXPECT_EQ(splitPieceTag(Id3v1Bytes{}, f), expected);

  // On a source tag: year, comment and genre carry over; the title is cleared when
  // the piece has none, artist and album stay when there is nothing to put there.
  Id3v1Fields source;
  source.title = "Source title";
  source.artist = "Source artist";
  source.album = "Source album";
  source.year = "2024";
  source.comment = "A comment of exactly 30 chars";
  source.genre = 8;
  Id3v1Bytes base = buildId3v1Tag(source);
  SplitNameFields bare;
  bare.trackNumber = 258;  // modulo 256
  const Id3v1Bytes tag = splitPieceTag(base, bare);
  Id3v1Bytes want = base;
  std::memset(want.data() + 3, 0, 30);
  want[125] = 0;
  want[126] = 2;
  EXPECT_EQ(tag, want);
  EXPECT_EQ(tagText(tag, 33, 30), "Source artist");
  EXPECT_EQ(tagText(tag, 93, 4), "2024");
  EXPECT_EQ(tag[127], 8);

  SplitNameFields own;
  own.trackNumber = 1;
  own.artist = "Own artist";
  own.albumArtist = "Band";
  EXPECT_EQ(tagText(splitPieceTag(base, own), 33, 30), "Own artist");
}

// --- Whole splits on real files --------------------------------------------------

struct SplitFixture : ::testing::Test {
  Session session;
  SilentHost host;
  test::TempDir dir;
  std::vector<test::DemuxedFrame> frames;
  Bytes source;

  // Frame-exact pieces (the frame at a split point ends one piece and starts the
  // next); gapless_save_test.cpp tests the sample-accurate ones.
  SplitFixture() { session.settings.split_sample_accurate = 0; }

  void open(const std::filesystem::path& path) {
    ASSERT_TRUE(test::openInSession(session, path));
    frames = test::demuxedFrames(path);
    source = test::readBytes(path);
    ASSERT_GT(frames.size(), 100u);
    session.save.savePath = dir.path().string();  // no trailing separator: one is added
  }
};

TEST_F(SplitFixture, TwoCutsOfARealFile) {
  open(test::dataPath("tone_silence_tone.mp3"));
  const auto& F = frames;
  setRanges(session.edits, {cut(F[40].pos, F[60].pos), cut(F[120].pos, F[150].pos)});
  session.settings.split_name = "Track %N";
  const SplitResult result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.pieces, 3);
  EXPECT_EQ(result.resyncTotal, 0);
  EXPECT_TRUE(host.messages.empty());
  const std::string folder = dir.path().string() + "/";
  ASSERT_EQ(result.writtenPaths,
            (std::vector<std::string>{folder + "Track 01.mp3", folder + "Track 02.mp3", folder + "Track 03.mp3"}));

  const int64_t bounds[3][2] = {{session.stream.audioStart, F[40].pos},
                                {F[60].pos, F[120].pos},
                                {F[150].pos, session.stream.audioEnd}};
  const size_t frameCounts[3] = {40, 60, F.size() - 150};
  for (int i = 0; i < 3; ++i) {
    const Bytes piece = test::readBytes(result.writtenPaths[static_cast<size_t>(i)]);
    const Bytes expected = expectedPiece(source, F, session.edits, bounds[i][0], bounds[i][1]);
    EXPECT_EQ(pieceDiffers(piece, expected), "") << i;
    EXPECT_EQ(test::demuxedFrames(result.writtenPaths[static_cast<size_t>(i)]).size(), frameCounts[i]) << i;
    expectDecodesCleanly(result.writtenPaths[static_cast<size_t>(i)]);
  }

  // The state afterwards.
  EXPECT_EQ(session.edits.selection.beg, -1);
  EXPECT_EQ(session.edits.selection.end, -1);
  EXPECT_FALSE(session.save.saveSelection);
  EXPECT_FALSE(session.save.appendMode);
  EXPECT_TRUE(session.save.holdOnWarnings);
  EXPECT_EQ(session.save.savePath, folder);
  EXPECT_EQ(session.edits.count, 2);
}

// The pieces take their names together at the end. Two pieces of one name, where
// no file may be replaced: the first takes it, the second is refused then, with
// the message of a failed save, and leaves nothing behind.
TEST_F(SplitFixture, APieceThatCannotTakeItsNameAtTheEndIsReportedAndLeavesNothing) {
  open(test::dataPath("tone_silence_tone.mp3"));
  setRanges(session.edits, {cue(frames[100].pos, "Same")});
  session.settings.split_name = "Piece";
  session.save.replaceExisting = false;
  const SplitResult result = splitSave(session, host, 1);
  EXPECT_FALSE(result.ok);
  const std::string first = dir.path().string() + "/Piece.mp3";
  EXPECT_EQ(result.writtenPaths, std::vector<std::string>{first});
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(first), std::string::npos) << host.messages[0].text;
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {})), 1u);
  expectDecodesCleanly(first);
}

TEST_F(SplitFixture, CutsAtBothEndsOfARealFile) {
  open(test::dataPath("tone_silence_tone.mp3"));
  const auto& F = frames;
  setRanges(session.edits, {cut(session.stream.audioStart, F[10].pos), cue(F[100].pos, "Middle"),
                            cut(F[200].pos, session.stream.audioEnd)});
  session.edits.ranges[0].title = "Opening";
  session.settings.split_name = "%N %T";
  const SplitResult result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  const std::string folder = dir.path().string() + "/";
  // No empty first or last file; the first piece takes the names of the opening cut.
  ASSERT_EQ(result.writtenPaths, (std::vector<std::string>{folder + "01 Opening.mp3", folder + "02 Middle.mp3"}));
  EXPECT_EQ(pieceDiffers(test::readBytes(result.writtenPaths[0]),
                         expectedPiece(source, F, session.edits, F[10].pos, F[100].pos)),
            "");
  EXPECT_EQ(pieceDiffers(test::readBytes(result.writtenPaths[1]),
                         expectedPiece(source, F, session.edits, F[100].pos, F[200].pos)),
            "");
  EXPECT_EQ(test::demuxedFrames(result.writtenPaths[1]).size(), 100u);  // F[200] lies in the cut
  for (const auto& path : result.writtenPaths) expectDecodesCleanly(path);
}

TEST_F(SplitFixture, CuePointsWithNamesAndTags) {
  open(test::dataPath("tone_silence_tone.mp3"));
  const auto& F = frames;
  const Id3v1Bytes tagBefore = session.stream.id3v1Tag;
  setRanges(session.edits, {cue(F[50].pos, "Tone: one/two?", "Ren\xC3\xA9"), gain(F[70].pos, F[80].pos, 0),
                            cue(F[100].pos, "Silence", "")});
  session.edits.sheetTitle = "Test Album";
  session.edits.sheetArtist = "Sheet Artist";
  session.settings.split_name = "%N %T";
  session.settings.split_id3v11 = 1;
  const SplitResult result = splitSave(session, host, 5);
  ASSERT_TRUE(result.ok);
  const std::string folder = dir.path().string() + "/";
  ASSERT_EQ(result.writtenPaths, (std::vector<std::string>{folder + "05 .mp3", folder + "06 Tone_ one_two_.mp3",
                                                           folder + "07 Silence.mp3"}));
  const int64_t bounds[3][2] = {
      {session.stream.audioStart, F[50].pos}, {F[50].pos, F[100].pos}, {F[100].pos, session.stream.audioEnd}};
  for (int i = 0; i < 3; ++i) {
    const Bytes piece = test::readBytes(result.writtenPaths[static_cast<size_t>(i)]);
    const Bytes audio = expectedPiece(source, F, session.edits, bounds[i][0], bounds[i][1]);
    ASSERT_EQ(piece.size(), 417 + audio.size() + 128) << i;
    EXPECT_EQ(pieceDiffers(Bytes(piece.begin(), piece.end() - 128), audio), "") << i;
    const uint8_t* tag = piece.data() + piece.size() - 128;
    EXPECT_EQ(std::memcmp(tag, "TAG", 3), 0);
    EXPECT_EQ(tag[125], 0);
    EXPECT_EQ(tag[126], 5 + i);
    expectDecodesCleanly(result.writtenPaths[static_cast<size_t>(i)]);
  }
  // The second piece's tag byte for byte: the names of the cue it begins at.
  const Bytes second = test::readBytes(result.writtenPaths[1]);
  Id3v1Bytes expected{};
  std::memcpy(expected.data(), "TAG", 3);
  std::memcpy(expected.data() + 3, "Tone: one/two?", 14);
  std::memcpy(expected.data() + 33, "Ren\xE9", 4);
  std::memcpy(expected.data() + 63, "Test Album", 10);
  expected[126] = 6;
  EXPECT_EQ(std::memcmp(second.data() + second.size() - 128, expected.data(), 128), 0);
  // The first piece has no names: the title stays empty, the artist is the sheet's.
  const Bytes first = test::readBytes(result.writtenPaths[0]);
  Id3v1Bytes firstTag{};
  std::memcpy(firstTag.data(), first.data() + first.size() - 128, 128);
  EXPECT_EQ(tagText(firstTag, 3, 30), "");
  EXPECT_EQ(tagText(firstTag, 33, 30), "Sheet Artist");
  // The third cue has no artist: the sheet's again, not the piece before's.
  const Bytes third = test::readBytes(result.writtenPaths[2]);
  Id3v1Bytes thirdTag{};
  std::memcpy(thirdTag.data(), third.data() + third.size() - 128, 128);
  EXPECT_EQ(tagText(thirdTag, 3, 30), "Silence");
  EXPECT_EQ(tagText(thirdTag, 33, 30), "Sheet Artist");

  // The source had no tag and still has none.
  EXPECT_FALSE(session.stream.hasId3v1);
  EXPECT_EQ(session.stream.id3v1Tag, tagBefore);
}

TEST_F(SplitFixture, SourceTagCarriesOverOrIsLeftOut) {
  open(test::dataPath("id3v1.mp3"));
  const auto& F = frames;
  const Id3v1Bytes sourceTag = session.stream.id3v1Tag;
  setRanges(session.edits, {cue(F[60].pos, "Second half", "")});
  session.settings.split_name = "part %N";
  session.settings.split_id3v11 = 1;
  SplitResult result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.writtenPaths.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const Bytes piece = test::readBytes(result.writtenPaths[i]);
    Id3v1Bytes tag{};
    std::memcpy(tag.data(), piece.data() + piece.size() - 128, 128);
    Id3v1Bytes want = sourceTag;
    std::memset(want.data() + 3, 0, 30);
    if (i == 1) std::memcpy(want.data() + 3, "Second half", 11);
    want[126] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(tag, want) << i;  // year, comment, artist, album and genre of the source
  }
  EXPECT_TRUE(session.stream.hasId3v1);
  EXPECT_EQ(session.stream.id3v1Tag, sourceTag);

  // Without split_id3v11 the pieces get no tag, though the source has one.
  session.settings.split_id3v11 = 0;
  result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  const int64_t bounds[2][2] = {{session.stream.audioStart, F[60].pos}, {F[60].pos, session.stream.audioEnd}};
  for (size_t i = 0; i < 2; ++i) {
    const Bytes piece = test::readBytes(result.writtenPaths[i]);
    EXPECT_EQ(pieceDiffers(piece, expectedPiece(source, F, session.edits, bounds[i][0], bounds[i][1])), "") << i;
  }
  EXPECT_TRUE(session.stream.hasId3v1);
  EXPECT_EQ(session.stream.id3v1Tag, sourceTag);
}

TEST_F(SplitFixture, VbrPiecesGetTheirOwnXingFrame) {
  ASSERT_TRUE(test::openInSession(session, test::dataPath("vbr_xing.mp3")));
  frames = test::demuxedFrames(test::dataPath("vbr_xing.mp3"));
  source = test::readBytes(test::dataPath("vbr_xing.mp3"));
  session.save.savePath = dir.path().string() + "/";
  setRanges(session.edits, {cue(frames[70].pos)});
  session.settings.split_name = "%N";
  const SplitResult result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.writtenPaths.size(), 2u);
  const int64_t bounds[2][2] = {{session.stream.audioStart, frames[70].pos},
                                {frames[70].pos, session.stream.audioEnd}};
  for (size_t i = 0; i < 2; ++i) {
    const Bytes piece = test::readBytes(result.writtenPaths[i]);
    const Bytes audio = expectedPiece(source, frames, session.edits, bounds[i][0], bounds[i][1]);
    ASSERT_GT(piece.size(), audio.size());
    // A tag frame first, then exactly the piece's frames.
    EXPECT_EQ(pieceDiffers(piece, audio), "") << i;
    const std::string head(piece.begin(), piece.begin() + 64);
    EXPECT_NE(head.find("Xing"), std::string::npos) << i;
    // The tag frame counts this piece's frames and bytes.
    BinaryFile file;
    ASSERT_TRUE(file.open(result.writtenPaths[i], "rb"));
    uint32_t tagFrames = 0;
    uint32_t tagBytes = 0;
    EXPECT_GT(readVbrTag(file, 0, tagFrames, tagBytes), 0) << i;
    EXPECT_EQ(tagFrames, test::demuxedFrames(result.writtenPaths[i]).size()) << i;
    EXPECT_EQ(tagBytes, piece.size()) << i;
    expectDecodesCleanly(result.writtenPaths[i]);
  }
}

TEST_F(SplitFixture, ResyncsAreSummedAndReportedOnce) {
  // A copy of the source with 300 bytes of noise between two frames of the second piece.
  const Bytes clean = test::readBytes(test::dataPath("tone_silence_tone.mp3"));
  const auto cleanFrames = test::demuxedFrames(test::dataPath("tone_silence_tone.mp3"));
  Bytes damaged(clean.begin(), clean.begin() + cleanFrames[100].pos);
  uint32_t noise = 12345;
  for (int i = 0; i < 300; ++i) {
    noise = noise * 1103515245u + 12345u;
    damaged.push_back(static_cast<uint8_t>(noise >> 24));
  }
  damaged.insert(damaged.end(), clean.begin() + cleanFrames[100].pos, clean.end());
  test::writeBytes(dir / "damaged.mp3", damaged);
  ASSERT_TRUE(test::openInSession(session, dir / "damaged.mp3"));
  const std::filesystem::path out = dir / "out";
  std::filesystem::create_directory(out);
  session.save.savePath = out.string() + "/";
  setRanges(session.edits, {cue(cleanFrames[50].pos), cue(cleanFrames[150].pos + 300)});
  session.settings.split_name = "%N";
  const SplitResult result = splitSave(session, host, 1);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.writtenPaths.size(), 3u);
  EXPECT_GT(result.resyncTotal, 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "While saving 3 file(s) " + std::to_string(result.resyncTotal) + " sync error(s) occured.");
  EXPECT_EQ(host.messages[0].caption, "Warning");
  // The noise is not written: the second piece holds exactly the clean frames 50..150.
  for (const auto& path : result.writtenPaths) expectDecodesCleanly(path);
  EditRangeTable noCuts;
  EXPECT_EQ(pieceDiffers(test::readBytes(result.writtenPaths[1]),
                         expectedPiece(clean, cleanFrames, noCuts, cleanFrames[50].pos, cleanFrames[150].pos)),
            "");
  EXPECT_TRUE(session.save.holdOnWarnings);
}

TEST_F(SplitFixture, RefusalsAndFailures) {
  open(test::dataPath("tone_silence_tone.mp3"));
  // No ranges.
  EXPECT_FALSE(splitSave(session, host, 1).ok);
  setRanges(session.edits, {cue(frames[100].pos)});
  // A save path without a folder.
  session.save.savePath = "nofolder";
  EXPECT_FALSE(splitSave(session, host, 1).ok);
  session.save.savePath.clear();
  EXPECT_FALSE(splitSave(session, host, 1).ok);
  EXPECT_TRUE(host.messages.empty());

  // A folder that does not exist: the first piece fails with the save engine's message.
  session.save.savePath = (dir / "missing").string() + "/";
  SplitResult result = splitSave(session, host, 1);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.writtenPaths.empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Could not create/write to file\n" + (dir / "missing").string() + "/Track 01.mp3: No such file or directory");
  EXPECT_EQ(session.edits.selection.beg, -1);
  EXPECT_FALSE(session.save.saveSelection);

  // Cancelled in the second piece: the first stays, the split stops.
  session.save.savePath = dir.path().string() + "/";
  session.settings.split_name = "%N";
  int piece = 0;
  result = splitSave(session, host, 1, [&piece](SaveJob& job) {
    if (++piece == 2) {
      job.cancel();
      return;
    }
    while (!job.step()) {
    }
  });
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.writtenPaths, std::vector<std::string>{dir.path().string() + "/01.mp3"});
  EXPECT_EQ(session.edits.selection.beg, -1);
  EXPECT_EQ(session.edits.selection.end, -1);
  EXPECT_FALSE(session.save.saveSelection);
  EXPECT_TRUE(session.save.holdOnWarnings);
}

}  // namespace
}  // namespace quillane
