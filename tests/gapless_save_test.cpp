#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "save/save_job.h"
#include "save/split_save.h"
#include "stream/lame_tag.h"
#include "stream/layer3_side_info.h"
#include "support/decoded_samples.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;
using test::DemuxedFrame;
namespace fs = std::filesystem;

std::string runSave(Session& s, const fs::path& out) {
  test::ScriptedHost host;
  s.save.savePath = out.string();
  SaveJob job(s, host);
  EXPECT_TRUE(job.open());
  while (!job.step()) {
  }
  EXPECT_EQ(job.result(), SaveJob::Result::Finished);
  return job.report();
}

using test::ffmpegDecode;
using test::mpg123Decode;
using test::Samples;

LameTag tagOf(const fs::path& path) {
  const Bytes bytes = test::readBytes(path);
  const auto tag = parseLameTag(bytes.data(), bytes.size());
  EXPECT_TRUE(tag) << path;
  return tag ? *tag : LameTag{};
}

const char* const kTaggedSources[] = {"cbr128_info.mp3", "vbr_xing.mp3", "ffmpeg_info.mp3", "ffmpeg_vbr.mp3"};

TEST(GaplessSave, AWholeSaveKeepsTheTagAndDecodesToTheSameSamples) {
  for (const char* name : kTaggedSources) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const fs::path out = dir / "out.mp3";
    runSave(s, out);
    const LameTag source = tagOf(test::dataPath(name));
    const LameTag saved = tagOf(out);
    EXPECT_EQ(saved.vbr, source.vbr);
    EXPECT_EQ(saved.frames, source.frames);
    EXPECT_EQ(saved.bytes, source.bytes);
    EXPECT_EQ(saved.delay, source.delay);
    EXPECT_EQ(saved.padding, source.padding);
    EXPECT_EQ(saved.musicCrc, source.musicCrc);
    EXPECT_TRUE(saved.tagCrcMatches);
    EXPECT_EQ(test::readBytes(out).size(), source.bytes);
    EXPECT_EQ(mpg123Decode(out), mpg123Decode(test::dataPath(name)));
    EXPECT_EQ(ffmpegDecode(out), ffmpegDecode(test::dataPath(name)));
  }
}

// Saves frames [first, last] of the open source (the selection save takes the frame at the end).
std::string saveFrames(Session& s, const std::vector<DemuxedFrame>& frames, size_t first, size_t last,
                       const fs::path& out) {
  s.edits.selection.beg = frames[first].pos;
  s.edits.selection.end = frames[last].pos;
  s.save.saveSelection = true;
  return runSave(s, out);
}

TEST(GaplessSave, PiecesCarryDelayAndPaddingOnlyWhereTheyKeepTheEnds) {
  for (const char* name : kTaggedSources) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath(name));
    const LameTag source = tagOf(test::dataPath(name));
    const size_t n = frames.size();
    struct Piece {
      size_t first, last;
    };
    const Piece pieces[] = {{0, 39}, {40, 99}, {100, n - 1}};
    for (const Piece& p : pieces) {
      const fs::path out = dir / ("piece" + std::to_string(p.first) + ".mp3");
      saveFrames(s, frames, p.first, p.last, out);
      const LameTag tag = tagOf(out);
      EXPECT_EQ(tag.frames, p.last - p.first + 1);
      EXPECT_EQ(tag.delay, p.first == 0 ? source.delay : 0);
      EXPECT_EQ(tag.padding, p.last == n - 1 ? source.padding : 0);
      EXPECT_TRUE(tag.tagCrcMatches);
      const Bytes bytes = test::readBytes(out);
      EXPECT_EQ(tag.bytes, bytes.size());
      EXPECT_EQ(tag.musicCrc, lameCrc16(bytes.data() + tag.frame.size(), bytes.size() - tag.frame.size()));
      // A gapless decoder plays frames * 1152 samples less the delay and padding,
      // and skips its own 529 samples of delay at the start; at the end of the
      // source the padding gives them back, at a cut nothing does.
      const size_t played = (p.last - p.first + 1) * 1152 - static_cast<size_t>(tag.delay + tag.padding) -
                            (tag.padding == 0 ? 529 : 0);
      EXPECT_EQ(mpg123Decode(out).size(), 2 * played);
      EXPECT_EQ(ffmpegDecode(out).size(), 2 * played);
    }
  }
}

void addCut(Session& s, int64_t beg, int64_t end) {
  EditRange& r = s.edits.ranges[static_cast<size_t>(s.edits.count++)];
  r.type = kRangeCut;
  r.beg = beg;
  r.end = end;
}

// The largest difference of a's samples [from, to) from b's, b read from bFrom on.
int maxDifference(const Samples& a, size_t from, size_t to, const Samples& b, size_t bFrom) {
  int most = 0;
  for (size_t i = from; i < to && bFrom + (i - from) < b.size() && i < a.size(); ++i)
    most = std::max(most, std::abs(a[i] - b[bFrom + (i - from)]));
  return most;
}

// Behind a cut the frames decode as in the source: the carried reservoir gives them
// their main data. Only the filterbank's overlap with the frame before differs: the
// first granule and the synthesis window's 512 samples, within 1152 samples of the
// junction. A frame whose reservoir did not fit is silent, and the overlap follows it.
TEST(GaplessSave, AnInternalCutJoinsWithoutGarbage) {
  struct Case {
    const char* name;
    size_t cutFirst, cutEnd;  // frames cut: [cutFirst, cutEnd)
    size_t silenced;          // frames whose reservoir did not fit before the junction
  };
  for (const Case& c : {Case{"cbr128_notag.mp3", 30, 60, 0}, Case{"vbr_notag.mp3", 40, 77, 0},
                        Case{"vbr_notag.mp3", 20, 21, 1}, Case{"mono.mp3", 33, 50, 0}, Case{"mpeg2_22k.mp3", 25, 44, 0},
                        Case{"speech_joint.mp3", 50, 90, 1}}) {
    SCOPED_TRACE(std::string(c.name) + " cut " + std::to_string(c.cutFirst));
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(c.name)));
    s.settings.write_xing = 0;  // no tag: the decoders drop nothing, so sample i is frame i / 1152
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath(c.name));
    addCut(s, frames[c.cutFirst].pos, frames[c.cutEnd].pos);
    const fs::path out = dir / "cut.mp3";
    const std::string report = runSave(s, out);
    const std::string silenced = "\nFrames silenced at cuts: " + std::to_string(c.silenced);
    EXPECT_EQ(report.find(silenced) != std::string::npos, c.silenced > 0) << report;
    // The frames behind the junction that were rewritten (silenced) and the one after the last.
    size_t settle = 0;
    {
      const Bytes written = test::readBytes(out);
      const Bytes original = test::readBytes(test::dataPath(c.name));
      const std::vector<DemuxedFrame> outFrames = test::demuxedFrames(out);
      for (size_t k = 0; k < 20 && c.cutFirst + k < outFrames.size(); ++k) {
        const DemuxedFrame& o = outFrames[c.cutFirst + k];
        const DemuxedFrame& f = frames[c.cutEnd + k];
        if (!std::equal(written.begin() + o.pos, written.begin() + o.pos + o.size, original.begin() + f.pos))
          settle = k + 1;
      }
      EXPECT_LE(settle, c.silenced + 1);
    }
    const fs::path plain = dir / "plain.mp3";
    {
      Session whole;
      ASSERT_TRUE(test::openInSession(whole, test::dataPath(c.name)));
      whole.settings.write_xing = 0;
      runSave(whole, plain);
    }
    for (auto decode : {mpg123Decode, ffmpegDecode}) {
      const Samples source = decode(plain);
      const Samples cut = decode(out);
      const size_t perFrame = source.size() / frames.size();  // both channels
      // Past the last silenced frame, and the overlap behind it.
      const size_t overlap = settle * perFrame + 1152 * 2;
      const size_t junction = c.cutFirst * perFrame;
      const size_t resume = c.cutEnd * perFrame;
      ASSERT_EQ(cut.size(), source.size() - (resume - junction));
      EXPECT_EQ(maxDifference(cut, 0, junction, source, 0), 0);
      // One step of rounding: the clean-decode noise of a jump.
      EXPECT_LE(maxDifference(cut, junction + overlap, cut.size(), source, resume + overlap), 1);
    }
  }
}

// Sample-accurate pieces, each decoded gaplessly and joined, give the source's
// gapless decode: not a sample lost or added at a split point, and every sample
// as in the source (the frames a piece carries in front decode its first frame
// as the source does). mpg123 differs by one step of rounding here and there in
// mono and MPEG-2 streams: its noise, the pieces' first frames are not where.
TEST(GaplessSave, SampleAccuratePiecesJoinToTheSource) {
  for (const char* name : {"cbr128_info.mp3", "vbr_xing.mp3", "ffmpeg_info.mp3", "ffmpeg_vbr.mp3", "mono.mp3",
                           "mpeg2_22k.mp3", "speech_joint.mp3"}) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath(name));
    ASSERT_GT(frames.size(), 100u);
    for (size_t at : {3u, 13u, 40u, 41u, 77u, 100u}) {
      EditRange& cue = s.edits.ranges[static_cast<size_t>(s.edits.count++)];
      cue.type = kRangeCut;
      cue.beg = cue.end = frames[at].pos;
    }
    s.save.savePath = dir.path().string();
    s.settings.split_name = "%N";
    s.settings.split_sample_accurate = 1;
    test::ScriptedHost host;
    const SplitResult result = splitSave(s, host, 1);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.writtenPaths.size(), 7u);
    for (auto decode : {mpg123Decode, ffmpegDecode}) {
      const Samples source = decode(test::dataPath(name));
      Samples joined;
      for (const std::string& piece : result.writtenPaths) {
        const Samples part = decode(piece);
        joined.insert(joined.end(), part.begin(), part.end());
      }
      ASSERT_EQ(joined.size(), source.size());
      EXPECT_LE(maxDifference(joined, 0, joined.size(), source, 0), 1);
    }
  }
}

}  // namespace
}  // namespace quillane
