#include <gtest/gtest.h>

#include <algorithm>


#include <cstring>
#include <filesystem>

#include "save/save_job.h"
#include "stream/lame_tag.h"
#include "stream/open_stream.h"
#include "stream/vbr_tag.h"
#include "support/saved_frames.h"
#include "support/scripted_host.h"
#include "support/test_files.h"
#include "support/tiny_disk.h"

namespace quillane {
namespace {

using test::Bytes;
using test::DemuxedFrame;
namespace fs = std::filesystem;

struct Frames {
  Bytes file;
  std::vector<DemuxedFrame> frames;
};

Frames framesOf(const fs::path& path) { return {test::readBytes(path), test::demuxedFrames(path)}; }

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
Bytes slice(const Bytes& b, int64_t from, int64_t to) { return Bytes(b.begin() + from, b.begin() + to); }
Bytes framesBytes(const Frames& f, size_t first, size_t last) {
  return slice(f.file, f.frames[first].pos, f.frames[last - 1].pos + f.frames[last - 1].size);
}

void addRange(Session& s, uint8_t type, int64_t beg, int64_t end, int gain = 0) {
  EditRange& r = s.edits.ranges[s.edits.count++];
  r.type = type;
  r.beg = beg;
  r.end = end;
  r.gainbeg = r.gainend = gain;
}

struct SaveRun {
  SaveJob::Result result;
  std::string report;
  bool warning;
  int steps;
};

SaveRun runSave(Session& s, Host& host, const fs::path& out) {
  s.save.savePath = out.string();
  SaveJob job(s, host);
  if (!job.open()) return {job.result(), job.report(), job.warning(), 0};
  int steps = 0;
  while (!job.step() && steps < 100000) ++steps;
  return {job.result(), job.report(), job.warning(), steps + 1};
}

using test::TinyDisk;

// The message names the file and the system's reason ("No space left on device").
void expectWriteFailure(const SaveRun& run, const test::ScriptedHost& host, const std::string& path = "",
                        const std::string& reason = "") {
  EXPECT_EQ(run.result, SaveJob::Result::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("Could not create/write to file\n", 0), 0u) << host.messages[0].text;
  EXPECT_NE(host.messages[0].text.find(path + ": " + reason), std::string::npos) << host.messages[0].text;
  EXPECT_EQ(host.messages[0].caption, "Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
}

// Both FFmpeg and libmpg123 decode the file without a complaint.
void expectDecodes(const fs::path& path) {
  const auto ff = test::runCommand("ffmpeg -nostdin -v error -i " + test::shellQuote(path.string()) + " -f null -");
  EXPECT_EQ(ff.status, 0) << path;
  EXPECT_EQ(ff.err, "") << path;
  const auto mp = test::runCommand("mpg123 -t " + test::shellQuote(path.string()));
  EXPECT_EQ(mp.status, 0) << path;
  for (const char* bad : {"error", "Illegal", "resync", "Note:"})
    EXPECT_EQ(mp.err.find(bad), std::string::npos) << path << ": " << mp.err;
}

// A save of `expected` with one cut before its frame `junction`: the tag frame
// first (tagSize bytes, 0 for none), then the frames with the reservoir repaired
// at the junction, then what follows the audio (an ID3v1 tag) unchanged.
void expectSavedAudio(const Bytes& written, const Bytes& expected, size_t junction, size_t tagSize) {
  ASSERT_EQ(written.size(), expected.size() + tagSize);
  EXPECT_EQ(test::lameTagFrameSize(written), tagSize);
  const Bytes audio(written.begin() + static_cast<std::ptrdiff_t>(tagSize), written.end());
  EXPECT_EQ(test::savedFramesDiffer(audio, expected, {junction}), "");
}

uint32_t bigEndian(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// A long source: the frames of cbr128_notag.mp3 repeated.
fs::path longSource(const test::TempDir& dir, int copies) {
  const Bytes one = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  Bytes all;
  for (int i = 0; i < copies; ++i) append(all, one);
  const fs::path path = dir / "long.mp3";
  test::writeBytes(path, all);
  return path;
}

TEST(SaveJob, WithoutRangesTheAudioAndTheTagAreCopied) {
  struct Case {
    const char* file;
    int keepId3v2;
    int64_t leading;  // bytes before the first frame expected in the output: the ID3v2 tag, never a tag frame
  };
  for (const Case c : {Case{"cbr128_notag.mp3", 0, 0}, Case{"cbr128_info.mp3", 0, 0}, Case{"id3v1.mp3", 0, 0},
                       Case{"id3v2.mp3", 0, 0}, Case{"id3v2.mp3", 1, 463}, Case{"id3v1v2.mp3", 1, 357},
                       Case{"cbr128_info.mp3", 1, 0}, Case{"layer2_mpeg1.mp2", 0, 0}, Case{"mpeg2_22k.mp3", 0, 0}}) {
    SCOPED_TRACE(std::string(c.file) + " keep_id3v2=" + std::to_string(c.keepId3v2));
    test::TempDir dir;
    Session s;
    s.settings.keep_id3v2 = c.keepId3v2;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(c.file)));
    s.edits.modified = true;
    test::ScriptedHost host;
    const fs::path out = dir / "out.mp3";
    const SaveRun run = runSave(s, host, out);
    ASSERT_EQ(run.result, SaveJob::Result::Finished);
    const Bytes source = test::readBytes(test::dataPath(c.file));
    const Bytes written = test::readBytes(out);
    Bytes expected = slice(source, 0, c.leading);
    // A source with a LAME tag keeps it, rebuilt for the same frames: counts, delay
    // and padding as in the source, and a CRC that matches.
    const auto sourceTag = readLameTag(s.stream.sourceFile, s.stream.firstFrameStart);
    if (sourceTag) {
      const auto tag = parseLameTag(written.data() + c.leading, written.size() - static_cast<size_t>(c.leading));
      ASSERT_TRUE(tag);
      EXPECT_EQ(tag->frame.size(), sourceTag->frame.size());
      EXPECT_EQ(tag->frames, sourceTag->frames);
      EXPECT_EQ(tag->bytes, sourceTag->bytes);
      EXPECT_EQ(tag->delay, sourceTag->delay);
      EXPECT_EQ(tag->padding, sourceTag->padding);
      EXPECT_EQ(tag->musicCrc, sourceTag->musicCrc);
      EXPECT_TRUE(tag->tagCrcMatches);
      append(expected, tag->frame);
    }
    append(expected, slice(source, s.stream.audioStart, s.stream.audioEnd));
    if (s.stream.hasId3v1) append(expected, slice(source, s.stream.fileSize - 128, s.stream.fileSize));
    EXPECT_EQ(written, expected);
    EXPECT_EQ(run.report, "Frames: " + std::to_string(test::demuxedFrames(test::dataPath(c.file)).size()));
    EXPECT_FALSE(run.warning);
    EXPECT_TRUE(host.messages.empty());
    // A whole save: the file goes to the recent list and the edits count as saved.
    EXPECT_EQ(s.settings.file_recent[0], out.string());
    EXPECT_FALSE(s.edits.modified);
    expectDecodes(out);
  }
}

int count(const Bytes& bytes, const std::string& what) {
  int n = 0;
  for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), what.begin(), what.end())) != bytes.end(); ++at) ++n;
  return n;
}

// A kept ID3v2 tag is copied without the source's Xing/Info frame behind it: a
// save has exactly one tag frame, the new one with the right count (the source's
// LAME Info frame rebuilt for a constant bit rate).
TEST(SaveJob, AKeptId3v2TagBringsNoStaleTagFrame) {
  test::TempDir dir;
  const Bytes tagged = test::readBytes(test::dataPath("id3v2.mp3"));
  const Bytes tag = slice(tagged, 0, 463);  // the ID3v2 tag: 10 + its syncsafe size
  Bytes vbr = tag;
  append(vbr, test::readBytes(test::dataPath("vbr_xing.mp3")));
  test::writeBytes(dir / "vbr_tagged.mp3", vbr);
  struct Case {
    fs::path source;
    int xingFrames;  // expected in the output
  };
  for (const Case& c : {Case{test::dataPath("id3v2.mp3"), 1}, Case{dir / "vbr_tagged.mp3", 1}}) {
    SCOPED_TRACE(c.source.string());
    Session s;
    s.settings.keep_id3v2 = 1;
    ASSERT_TRUE(test::openInSession(s, c.source));
    test::ScriptedHost host;
    const fs::path out = dir / "out.mp3";
    fs::remove(out);
    ASSERT_EQ(runSave(s, host, out).result, SaveJob::Result::Finished);
    const Bytes written = test::readBytes(out);
    EXPECT_EQ(slice(written, 0, 463), tag);
    EXPECT_EQ(count(written, "Xing") + count(written, "Info"), c.xingFrames);
    expectDecodes(out);
  }
}

TEST(SaveJob, CutsAndGainAreWrittenAndDecode) {
  test::TempDir dir;
  const Frames f = framesOf(test::dataPath("id3v1.mp3"));
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v1.mp3")));
  addRange(s, kRangeCut, f.frames[5].pos, f.frames[9].pos);
  addRange(s, kRangeGain, f.frames[20].pos, f.frames[40].pos, -6);
  addRange(s, kRangeCut, f.frames[50].pos + 3, f.frames[60].pos + 3);  // frames 51..60 start inside
  addRange(s, kRangeCut, f.frames[70].pos, f.frames[70].pos);             // a cue
  test::ScriptedHost host;
  const fs::path out = dir / "cut.mp3";
  const SaveRun run = runSave(s, host, out);
  ASSERT_EQ(run.result, SaveJob::Result::Finished);
  const Bytes written = test::readBytes(out);

  // The source's Info frame first, then the kept frames, in order; the gain range
  // differs from the source only in the four global_gain bytes' bits, and the
  // frames at the two junctions as the bit reservoir's repair rewrites them.
  std::vector<size_t> kept;
  for (size_t i = 0; i < f.frames.size(); ++i)
    if (!(i >= 5 && i < 9) && !(i >= 51 && i <= 60)) kept.push_back(i);
  EXPECT_EQ(run.report, "Frames: " + std::to_string(kept.size()) +
                            "\nRe-syncs: 1"  // the search after the cut at 60+3
                            "\nFrames silenced at cuts: 3");
  EXPECT_TRUE(run.warning);
  const size_t tagSize = test::lameTagFrameSize(written);
  EXPECT_EQ(tagSize, 417u);
  Bytes expected;
  for (size_t i : kept) {
    const DemuxedFrame& fr = f.frames[i];
    Bytes frame = slice(f.file, fr.pos, fr.pos + fr.size);
    const size_t at = tagSize + expected.size();
    ASSERT_LE(at + frame.size(), written.size());
    if (i >= 20 && i < 40) {
      for (int64_t k = 0; k < fr.size; ++k) {
        if (k < 9 || k > 32) {
          ASSERT_EQ(frame[k], written[at + k]) << "frame " << i << " byte " << k;
        }
      }
      std::copy(written.begin() + at + 9, written.begin() + at + 33, frame.begin() + 9);  // the fields lie in bytes 9..32
    }
    append(expected, frame);
  }
  const Bytes audio = slice(written, static_cast<int64_t>(tagSize), static_cast<int64_t>(tagSize + expected.size()));
  EXPECT_EQ(test::savedFramesDiffer(audio, expected, {5, 47}), "");  // behind frames 4 and 50
  EXPECT_EQ(slice(written, tagSize + expected.size(), written.size()), slice(f.file, f.file.size() - 128, f.file.size()));
  expectDecodes(out);
  const auto outFrames = test::demuxedFrames(out);
  EXPECT_EQ(outFrames.size(), kept.size());
}

TEST(SaveJob, SelectionSaveIncludesTheFrameAtTheEnd) {
  test::TempDir dir;
  const Frames f = framesOf(test::dataPath("cbr128_info.mp3"));
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_info.mp3")));
  s.edits.selection.beg = f.frames[10].pos;
  s.edits.selection.end = f.frames[20].pos;
  s.save.saveSelection = true;
  s.edits.modified = true;
  test::ScriptedHost host;
  const fs::path out = dir / "sel.mp3";
  const SaveRun run = runSave(s, host, out);
  ASSERT_EQ(run.result, SaveJob::Result::Finished);
  // The source's Info frame for the 11 frames, without the delay and padding of the
  // ends it does not keep; the frames whose reservoir lay before frame 10 silenced.
  const Bytes written = test::readBytes(out);
  const auto tag = parseLameTag(written.data(), written.size());
  ASSERT_TRUE(tag);
  EXPECT_FALSE(tag->vbr);
  EXPECT_EQ(tag->frames, 11u);
  EXPECT_EQ(tag->bytes, written.size());
  EXPECT_EQ(tag->delay, 0);
  EXPECT_EQ(tag->padding, 0);
  EXPECT_TRUE(tag->tagCrcMatches);
  EXPECT_EQ(test::savedFramesDiffer(slice(written, static_cast<int64_t>(tag->frame.size()),
                                          static_cast<int64_t>(written.size())),
                                    framesBytes(f, 10, 21), {0}),
            "");
  EXPECT_EQ(run.report, "Frames: 11\nFrames silenced at cuts: 2");
  EXPECT_FALSE(s.save.saveSelection);  // cleared at the end
  EXPECT_TRUE(s.edits.modified);       // a selection save leaves both alone
  EXPECT_NE(s.settings.file_recent[0], out.string());
  expectDecodes(out);
}

// A source with a LAME tag gets it rebuilt (its own frame: header, length, flags 15
// and the seek table in 256ths of the audio behind it); one without gets the
// 208-byte Xing frame (flags 7, seek table in 255ths of the file).
TEST(SaveJob, VbrSavesGetACompletedXingTag) {
  struct Case {
    const char* name;
    int silenced;  // frames behind the cut whose reservoir could not be carried
  };
  for (const Case& c : {Case{"vbr_xing.mp3", 1}, Case{"vbr_notag.mp3", 1}}) {
    const char* name = c.name;
    SCOPED_TRACE(name);
    test::TempDir dir;
    const Frames f = framesOf(test::dataPath(name));
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    ASSERT_GT(s.stream.vbrMode, 0);
    const auto sourceTag = readLameTag(s.stream.sourceFile, s.stream.firstFrameStart);
    const int64_t tagSize = sourceTag ? static_cast<int64_t>(sourceTag->frame.size()) : 208;
    addRange(s, kRangeCut, f.frames[30].pos, f.frames[50].pos);
    test::ScriptedHost host;
    const fs::path out = dir / "vbr.mp3";
    const SaveRun run = runSave(s, host, out);
    ASSERT_EQ(run.result, SaveJob::Result::Finished);
    const uint32_t frames = static_cast<uint32_t>(f.frames.size() - 20);
    EXPECT_EQ(run.report, "Frames: " + std::to_string(frames) + "\nFrames silenced at cuts: " +
                              std::to_string(c.silenced) + "\nVBR Header... ok");
    EXPECT_FALSE(run.warning);

    const Bytes written = test::readBytes(out);
    ASSERT_GT(written.size(), static_cast<size_t>(tagSize));
    if (sourceTag) {
      EXPECT_EQ(slice(written, 0, 4), slice(sourceTag->frame, 0, 4));
    } else {
      EXPECT_EQ(written[0], 0xFF);
      EXPECT_EQ(written[1], 0xFB);
      EXPECT_EQ(written[2], 0x50);
      EXPECT_EQ(written[3], f.file[f.frames[0].pos + 3]);
    }
    EXPECT_EQ(std::memcmp(&written[36], "Xing", 4), 0);
    EXPECT_EQ(bigEndian(&written[40]), sourceTag ? 15u : 7u);
    EXPECT_EQ(bigEndian(&written[44]), frames);
    EXPECT_EQ(bigEndian(&written[48]), written.size());
    // The seek table points at frame starts.
    std::vector<int64_t> starts = {0};
    for (int64_t p = tagSize; p < static_cast<int64_t>(written.size());) {
      starts.push_back(p);
      const FrameHeader h = decodeFrameHeader(&written[p]);
      ASSERT_GT(h.frameSize, 0) << p;
      p += h.frameSize;
    }
    ASSERT_EQ(starts.size(), frames + 1);
    EXPECT_EQ(written[52], 0);
    for (int k = 1; k < 100; ++k) {
      if (sourceTag) {
        // Entry k at frame floor(k * frames / 100), counted over the audio.
        const int64_t audioStart = starts[1 + static_cast<size_t>(k) * frames / 100] - tagSize;
        const int64_t audioBytes = static_cast<int64_t>(written.size()) - tagSize;
        EXPECT_EQ(written[52 + k], std::min<int64_t>(255, 256 * audioStart / audioBytes)) << "entry " << k;
      } else {
        // Entry k at frame floor(k * frames / 99).
        const int64_t frameStart = starts[static_cast<size_t>(k) * frames / 99];
        EXPECT_EQ(written[52 + k], std::min<int64_t>(255, 255 * frameStart / static_cast<int64_t>(written.size())))
            << "entry " << k;
      }
    }
    // Read back through the reader of the tag, and by opening the file.
    BinaryFile file;
    ASSERT_TRUE(file.open(out.string(), "rb"));
    uint32_t tagFrames = 0, tagBytes = 0;
    EXPECT_EQ(readVbrTag(file, 0, tagFrames, tagBytes), tagSize);
    EXPECT_EQ(tagFrames, frames);
    EXPECT_EQ(tagBytes, written.size());
    Session reopened;
    ASSERT_TRUE(test::openInSession(reopened, out));
    EXPECT_EQ(reopened.stream.vbrMode, kVbrXing);
    EXPECT_EQ(reopened.stream.xingFrames, frames);
    EXPECT_EQ(reopened.stream.audioStart, tagSize);
    EXPECT_EQ(test::demuxedFrames(out).size(), frames);
    expectDecodes(out);

    // With write_xing off no tag frame is written.
    s.settings.write_xing = 0;
    const SaveRun plain = runSave(s, host, dir / "plain.mp3");
    EXPECT_EQ(plain.report, "Frames: " + std::to_string(frames) + "\nFrames silenced at cuts: " +
                                std::to_string(c.silenced));
    const Bytes p = test::readBytes(dir / "plain.mp3");
    EXPECT_EQ(p.size(), written.size() - static_cast<size_t>(tagSize));
  }
}

// A constant bit rate gets no Xing frame; its LAME Info frame, where the source has
// one, is kept (as "Info") with the audio behind it.
TEST(SaveJob, ConstantBitRateNeverGetsATagFrame) {
  test::TempDir dir;
  for (const char* name : {"cbr128_notag.mp3", "cbr128_info.mp3"}) {
    SCOPED_TRACE(name);
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    s.settings.write_xing = 1;
    test::ScriptedHost host;
    const SaveRun run = runSave(s, host, dir / "out.mp3");
    EXPECT_EQ(run.report, "Frames: 116");
    const Bytes written = test::readBytes(dir / "out.mp3");
    const size_t tagSize = test::lameTagFrameSize(written);
    EXPECT_EQ(tagSize, std::string(name) == "cbr128_info.mp3" ? 417u : 0u);
    if (tagSize > 0) {
      EXPECT_EQ(std::memcmp(&written[36], "Info", 4), 0);
    }
    EXPECT_EQ(slice(written, static_cast<int64_t>(tagSize), static_cast<int64_t>(written.size())),
              test::readBytes(test::dataPath("cbr128_notag.mp3")));
  }
}

TEST(SaveJob, AppendReplacesAnOldId3v1Tag) {
  struct Case {
    const char* target;
    const char* source;
  };
  for (const Case c : {Case{"cbr128_notag.mp3", "cbr128_notag.mp3"}, Case{"id3v1.mp3", "cbr128_info.mp3"},
                       Case{"id3v1.mp3", "id3v1v2.mp3"}, Case{"cbr128_info.mp3", "id3v1.mp3"}}) {
    SCOPED_TRACE(std::string(c.source) + " onto " + c.target);
    test::TempDir dir;
    const fs::path target = dir / "target.mp3";
    fs::copy_file(test::dataPath(c.target), target);
    const Bytes before = test::readBytes(target);
    Session s;
    s.settings.keep_id3v2 = 1;  // never applies to an append
    ASSERT_TRUE(test::openInSession(s, test::dataPath(c.source)));
    s.edits.selection.beg = s.stream.audioStart;
    s.edits.selection.end = s.stream.audioEnd;
    s.save.appendMode = true;
    s.save.saveSelection = true;
    test::ScriptedHost host;
    const SaveRun run = runSave(s, host, target);
    ASSERT_EQ(run.result, SaveJob::Result::Finished);
    const Bytes source = test::readBytes(test::dataPath(c.source));
    const bool oldTag = std::memcmp(&before[before.size() - 128], "TAG", 3) == 0;
    Bytes expected = slice(before, 0, static_cast<int64_t>(before.size()) - (oldTag ? 128 : 0));
    append(expected, slice(source, s.stream.audioStart, s.stream.audioEnd));
    if (s.stream.hasId3v1) append(expected, slice(source, s.stream.fileSize - 128, s.stream.fileSize));
    EXPECT_EQ(test::readBytes(target), expected);
    EXPECT_EQ(run.report, "Frames: 116");
    expectDecodes(target);
  }
}

TEST(SaveJob, AppendToAVbrFileAddsToItsTagCount) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("vbr_xing.mp3")));
  test::ScriptedHost host;
  const fs::path target = dir / "vbr.mp3";
  ASSERT_EQ(runSave(s, host, target).result, SaveJob::Result::Finished);

  s.edits.selection.beg = s.stream.audioStart;
  s.edits.selection.end = s.stream.audioEnd;
  s.save.appendMode = true;
  s.save.saveSelection = true;
  const SaveRun run = runSave(s, host, target);
  EXPECT_EQ(run.report, "Frames: 155\nVBR Header... ok");
  const Bytes written = test::readBytes(target);
  EXPECT_EQ(bigEndian(&written[44]), 310u);
  EXPECT_EQ(bigEndian(&written[48]), written.size());
  expectDecodes(target);

  // Appending to a file without a tag frame at its start: the tag can't be completed.
  const fs::path plain = dir / "plain.mp3";
  fs::copy_file(test::dataPath("cbr128_notag.mp3"), plain);
  const SaveRun bad = runSave(s, host, plain);
  EXPECT_EQ(bad.result, SaveJob::Result::Finished);
  EXPECT_EQ(bad.report, "Frames: 155\nVBR Header... Error");
  EXPECT_TRUE(bad.warning);
}

TEST(SaveJob, ReplacingTheSourceRenamesOverIt) {
  test::TempDir dir;
  const fs::path source = dir / "song.mp3";
  fs::copy_file(test::dataPath("id3v1.mp3"), source);
  const Frames f = framesOf(source);
  Session s;
  ASSERT_TRUE(test::openInSession(s, source));
  addRange(s, kRangeCut, f.frames[10].pos, f.frames[30].pos);
  s.edits.modified = true;
  test::ScriptedHost host;
  const SaveRun run = runSave(s, host, source.string() + ".~~~");
  ASSERT_EQ(run.result, SaveJob::Result::Finished);
  EXPECT_EQ(run.report.rfind("Frames: 96", 0), 0u) << run.report;
  EXPECT_FALSE(run.warning);
  Bytes expected = framesBytes(f, 0, 10);
  append(expected, slice(f.file, f.frames[30].pos, static_cast<int64_t>(f.file.size())));
  expectSavedAudio(test::readBytes(source), expected, 10, 417);
  EXPECT_FALSE(fs::exists(source.string() + ".~~~"));
  EXPECT_FALSE(s.stream.isOpen());
  EXPECT_FALSE(s.edits.modified);
  expectDecodes(source);
}

TEST(SaveJob, ASourceReplacedMeanwhileIsNotOverwritten) {
  // Another program replaces the source while the save runs: this save must not
  // throw that file away. It fails with the reason, the other file stays, the
  // source stays open with its edits, and no temporary file is left.
  test::TempDir dir;
  const fs::path source = dir / "song.mp3";
  fs::copy_file(test::dataPath("cbr128_notag.mp3"), source);
  Session s;
  ASSERT_TRUE(test::openInSession(s, source));
  s.edits.modified = true;
  test::ScriptedHost host;
  s.save.savePath = source.string() + ".~~~";
  SaveJob job(s, host);
  ASSERT_TRUE(job.open());
  const Bytes theirs = test::readBytes(test::dataPath("id3v1.mp3"));
  test::writeBytes(dir / "theirs.tmp", theirs);
  fs::rename(dir / "theirs.tmp", source);
  while (!job.step()) {
  }
  expectWriteFailure({job.result(), job.report(), job.warning(), 0}, host, source.string(),
                     "was changed by another program");
  EXPECT_EQ(test::readBytes(source), theirs);
  EXPECT_TRUE(s.stream.isOpen());
  EXPECT_TRUE(s.edits.modified);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);

  // The source's name taken by a folder before the save: refused at once.
  Session t;
  const fs::path other = dir / "other.mp3";
  fs::copy_file(test::dataPath("cbr128_notag.mp3"), other);
  ASSERT_TRUE(test::openInSession(t, other));
  fs::remove(other);
  fs::create_directory(other);
  test::ScriptedHost host2;
  expectWriteFailure(runSave(t, host2, other.string() + ".~~~"), host2, other.string(), "is not a regular file");
  EXPECT_TRUE(fs::is_directory(other));
}

TEST(SaveJob, ATemporaryNamePlantedBesideTheSourceIsNeverFollowed) {
  // A link at the old fixed temporary name pointing outside the folder, and an
  // ordinary file of another such name: a save over the source touches neither.
  test::TempDir dir;
  test::TempDir outside;
  const fs::path source = dir / "song.mp3";
  fs::copy_file(test::dataPath("cbr128_notag.mp3"), source);
  const Bytes victim(5000, 0x77);
  test::writeBytes(outside / "victim", victim);
  fs::create_symlink(outside / "victim", source.string() + ".~~~");
  const Bytes planted(300, 0x11);
  test::writeBytes(dir / "song.mp3.~~~aaaaaaaa", planted);
  Session s;
  ASSERT_TRUE(test::openInSession(s, source));
  const Frames f = framesOf(source);
  addRange(s, kRangeCut, f.frames[10].pos, f.frames[30].pos);
  test::ScriptedHost host;
  const SaveRun run = runSave(s, host, source.string() + ".~~~");
  ASSERT_EQ(run.result, SaveJob::Result::Finished);
  EXPECT_EQ(test::readBytes(outside / "victim"), victim);
  EXPECT_EQ(test::readBytes(dir / "song.mp3.~~~aaaaaaaa"), planted);
  EXPECT_TRUE(fs::is_symlink(source.string() + ".~~~"));
  Bytes expected = framesBytes(f, 0, 10);
  append(expected, slice(f.file, f.frames[30].pos, static_cast<int64_t>(f.file.size())));
  expectSavedAudio(test::readBytes(source), expected, 10, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
}

TEST(SaveJob, EverythingCutLeavesNothingToSave) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("id3v1.mp3")));
  addRange(s, kRangeCut, s.stream.audioStart, s.stream.audioEnd);
  test::ScriptedHost host;
  const SaveRun run = runSave(s, host, dir / "empty.mp3");
  EXPECT_EQ(run.result, SaveJob::Result::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Nothing left to save: every frame is cut");
  EXPECT_EQ(host.messages[0].caption, "Not possible");
  EXPECT_FALSE(fs::exists(dir / "empty.mp3"));
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SaveJob, AFailedAppendLeavesTheDestinationAsItWas) {
  // The destination ends in an ID3v1 tag; the append fails on a full disk. Neither
  // the tag nor the old audio may be touched.
  test::TempDir dir;
  TinyDisk disk(dir / "tiny", "160k");
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here";
  const fs::path destination = disk.path() / "album.mp3";
  fs::copy_file(test::dataPath("id3v1.mp3"), destination);
  const Bytes before = test::readBytes(destination);
  const fs::path big = longSource(dir, 4);
  Session s;
  ASSERT_TRUE(test::openInSession(s, big));
  s.save.appendMode = true;
  test::ScriptedHost host;
  expectWriteFailure(runSave(s, host, destination), host, destination.string(), "No space left on device");
  EXPECT_EQ(test::readBytes(destination), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), {}), 1);
}

TEST(SaveJob, AppendingToAFileWithoutMpegAudioIsRefused) {
  test::TempDir dir;
  const Bytes text = {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o', '\n'};
  test::writeBytes(dir / "notes.mp3", text);
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("vbr_xing.mp3")));
  s.save.appendMode = true;
  test::ScriptedHost host;
  const SaveRun run = runSave(s, host, dir / "notes.mp3");
  EXPECT_EQ(run.result, SaveJob::Result::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, (dir / "notes.mp3").string() + ": is not an MPEG audio file");
  EXPECT_EQ(host.messages[0].caption, "Not possible");
  EXPECT_EQ(test::readBytes(dir / "notes.mp3"), text);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

TEST(SaveJob, DamagedSourceSavesCleanWithAReSyncLine) {
  test::TempDir dir;
  const Frames f = framesOf(test::dataPath("cbr128_notag.mp3"));
  Bytes damaged = slice(f.file, 0, f.frames[40].pos);
  damaged.insert(damaged.end(), 700, 0x55);
  append(damaged, slice(f.file, f.frames[40].pos, static_cast<int64_t>(f.file.size())));
  test::writeBytes(dir / "damaged.mp3", damaged);
  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "damaged.mp3"));
  test::ScriptedHost host;
  const SaveRun run = runSave(s, host, dir / "clean.mp3");
  ASSERT_EQ(run.result, SaveJob::Result::Finished);
  EXPECT_EQ(run.report, "Frames: 116\nRe-syncs: 1");
  EXPECT_TRUE(run.warning);
  EXPECT_EQ(test::readBytes(dir / "clean.mp3"), f.file);
  expectDecodes(dir / "clean.mp3");
}

TEST(SaveJob, SlicesAreBoundedAndCancelLeavesNothingBehind) {
  test::TempDir dir;
  const fs::path source = longSource(dir, 60);  // 2.9 MB
  Session s;
  ASSERT_TRUE(test::openInSession(s, source));
  test::ScriptedHost host;
  s.save.savePath = source.string() + ".~~~";
  SaveJob job(s, host);
  ASSERT_TRUE(job.open());
  EXPECT_EQ(job.progress(), 0);
  int64_t before = job.readPos();
  EXPECT_FALSE(job.step());
  EXPECT_LE(job.readPos() - before, int64_t{kSaveReadsPerStep} * kFillModeLimit);
  EXPECT_GT(job.readPos() - before, int64_t{kSaveReadsPerStep} * (kFillModeLimit - 2000));
  EXPECT_EQ(job.progress(), static_cast<int>(100 * job.readPos() / s.stream.audioEnd));
  EXPECT_EQ(job.result(), SaveJob::Result::Running);
  // The part written lies in a temporary file beside the source, never under its name.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
  job.cancel();
  EXPECT_EQ(job.result(), SaveJob::Result::Cancelled);
  EXPECT_TRUE(job.step());
  const Bytes original = test::readBytes(source);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
  EXPECT_TRUE(s.stream.isOpen());  // nothing replaced
  EXPECT_EQ(original.size(), 60u * 48483u);
}

TEST(SaveJob, DestinationThatCannotBeCreated) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  test::ScriptedHost host;
  test::TempDir dir;
  const SaveRun run = runSave(s, host, dir / "no" / "such" / "folder.mp3");
  expectWriteFailure(run, host, (dir / "no" / "such" / "folder.mp3").string(), "No such file or directory");
  // The open source itself is never written to directly.
  host.messages.clear();
  const SaveRun self = runSave(s, host, test::dataPath("cbr128_notag.mp3"));
  EXPECT_EQ(self.result, SaveJob::Result::Failed);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(test::readBytes(test::dataPath("cbr128_notag.mp3")).size(), 48483u);
}

TEST(SaveJob, LeadingDataAndTheId3v1TagFollowTheSettings) {
  test::TempDir dir;
  const Bytes audio = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  // An ID3v2 tag so long that the first frame lies beyond 62000: copied all the same.
  Bytes longTag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
  longTag.resize(63000, 0);
  Bytes file = longTag;
  append(file, audio);
  test::writeBytes(dir / "longtag.mp3", file);
  Session s;
  s.settings.keep_id3v2 = 1;
  ASSERT_TRUE(test::openInSession(s, dir / "longtag.mp3"));
  ASSERT_EQ(s.stream.audioStart, 63000);
  ASSERT_TRUE(s.stream.hasId3v2);
  test::ScriptedHost host;
  ASSERT_EQ(runSave(s, host, dir / "a.mp3").result, SaveJob::Result::Finished);
  EXPECT_EQ(test::readBytes(dir / "a.mp3"), file);

  // The tag as the file-info dialog left it: switched off, or on with new contents.
  Session t;
  ASSERT_TRUE(test::openInSession(t, test::dataPath("id3v1.mp3")));
  t.stream.hasId3v1 = false;
  ASSERT_EQ(runSave(t, host, dir / "b.mp3").result, SaveJob::Result::Finished);
  EXPECT_EQ(test::readBytes(dir / "b.mp3").size(), 49028u - 128u);  // no tag; the Info frame kept
  Session u;
  ASSERT_TRUE(test::openInSession(u, test::dataPath("cbr128_notag.mp3")));
  u.stream.hasId3v1 = true;
  u.stream.id3v1Tag = {};
  std::memcpy(u.stream.id3v1Tag.data(), "TAGNew title", 12);
  ASSERT_EQ(runSave(u, host, dir / "c.mp3").result, SaveJob::Result::Finished);
  const Bytes c = test::readBytes(dir / "c.mp3");
  ASSERT_EQ(c.size(), audio.size() + 128);
  EXPECT_EQ(slice(c, static_cast<int64_t>(audio.size()), static_cast<int64_t>(audio.size()) + 12),
            Bytes({'T', 'A', 'G', 'N', 'e', 'w', ' ', 't', 'i', 't', 'l', 'e'}));
  expectDecodes(dir / "c.mp3");
}

TEST(SaveJob, AFullDiskStopsTheSaveAndLeavesTheSourceAlone) {
  test::TempDir dir;
  TinyDisk disk(dir / "tiny");
  if (disk.mounted()) {
    // A source on the tiny disk, 48 KB of its 64: the temporary copy can't fit.
    const fs::path source = disk.path() / "song.mp3";
    fs::copy_file(test::dataPath("cbr128_notag.mp3"), source);
    Session s;
    ASSERT_TRUE(test::openInSession(s, source));
    test::ScriptedHost host;
    const SaveRun run = runSave(s, host, source.string() + ".~~~");
    expectWriteFailure(run, host, source.string(), "No space left on device");
    EXPECT_EQ(test::readBytes(source), test::readBytes(test::dataPath("cbr128_notag.mp3")));
    EXPECT_TRUE(s.stream.isOpen());
    // The useless partial copy is gone: the source is alone in its folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), {}), 1);

    // A large save from elsewhere onto the tiny disk fails in the middle, over an
    // existing file (the window's dialog asked): the old file stays whole.
    fs::remove(source);
    const Bytes old(10000, 0x42);
    test::writeBytes(disk.path() / "big.mp3", old);
    const fs::path big = longSource(dir, 4);
    Session t;
    ASSERT_TRUE(test::openInSession(t, big));
    test::ScriptedHost host2;
    expectWriteFailure(runSave(t, host2, disk.path() / "big.mp3"), host2, (disk.path() / "big.mp3").string(),
                       "No space left on device");
    EXPECT_EQ(test::readBytes(disk.path() / "big.mp3"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), {}), 1);
    return;
  }
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "neither a tmpfs mount nor /dev/full is available";
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  test::ScriptedHost host;
  expectWriteFailure(runSave(s, host, "/dev/full"), host, "/dev/full", "is not a regular file");
  EXPECT_EQ(test::readBytes(test::dataPath("cbr128_notag.mp3")).size(), 48483u);
}

}  // namespace
}  // namespace quillane
