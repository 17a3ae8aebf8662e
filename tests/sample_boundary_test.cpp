#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "edit/cue_sheet.h"
#include "save/lead_in.h"
#include "save/save_job.h"
#include "save/split_save.h"
#include "stream/lame_tag.h"
#include "stream/sample_position.h"
#include "support/decoded_samples.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::DemuxedFrame;
namespace fs = std::filesystem;
using test::ffmpegDecode;
using test::maxDifference;
using test::mpg123Decode;
using test::Samples;

struct SourceFacts {
  int samplesPerFrame = 0;
  int channels = 0;
  int skipped = 0;  // decoded samples before the first one a gapless decoder plays
};

SourceFacts factsOf(Session& s) {
  const FrameHeader first = headerAt(s.stream, s.stream.audioStart);
  const auto tag = readLameTag(s.stream.sourceFile, s.stream.firstFrameStart);
  EXPECT_TRUE(tag);
  return {samplesPerFrame(first), first.channelMode == ChannelMode::Mono ? 1 : 2, tag ? tag->delay + kLayer3DecoderDelay : 0};
}

// Splits the open source at cues inside frames, decodes every piece gaplessly
// and checks that each piece holds exactly the samples from its boundary to the
// next (a boundary at `sample` of the decoded frames is sample - skipped of the
// gapless decode), and that the pieces join to the source's gapless decode.
void expectExactPieces(Session& s, const std::vector<int64_t>& boundaries, const fs::path& source,
                       const fs::path& folder) {
  const SourceFacts facts = factsOf(s);
  s.save.savePath = folder.string();
  s.settings.split_name = "%N";
  s.settings.split_sample_accurate = 1;
  // What each piece behind a boundary carries in front of the frame that holds it.
  std::vector<LeadIn> leadIns;
  for (int i = 0; i < s.edits.count; ++i) {
    const EditRange& cue = s.edits.ranges[static_cast<size_t>(i)];
    const auto boundary = boundaryFrom(s.stream, cue.beg, cue.sampleOffset);
    ASSERT_TRUE(boundary);
    leadIns.push_back(leadInBefore(s.stream, boundary->frame, boundary->samplesBefore));
  }
  test::ScriptedHost host;
  const SplitResult result = splitSave(s, host, 1);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.writtenPaths.size(), boundaries.size() + 1);
  for (auto decode : {mpg123Decode, ffmpegDecode}) {
    const Samples whole = decode(source);
    const int64_t total = static_cast<int64_t>(whole.size()) / facts.channels;
    size_t joined = 0;
    for (size_t i = 0; i < result.writtenPaths.size(); ++i) {
      const Samples part = decode(result.writtenPaths[i]);
      const int64_t from = i == 0 ? 0 : boundaries[i - 1] - facts.skipped;
      const int64_t to = i == boundaries.size() ? total : boundaries[i] - facts.skipped;
      EXPECT_EQ(static_cast<int64_t>(part.size()) / facts.channels, to - from) << "piece " << i + 1;
      // One step of rounding where mpg123 decodes mono and MPEG-2 frames: the
      // noise of two clean decodes of the same frames. Where the delay field had
      // no room for every frame the first one needs, its samples differ (and the
      // synthesis window's 512 behind them); past those, the piece is exact.
      const size_t exactFrom =
          i > 0 && !leadIns[i - 1].complete ? static_cast<size_t>(facts.samplesPerFrame + 512) * facts.channels : 0;
      const auto at = whole.begin() + static_cast<std::ptrdiff_t>(joined + std::min(exactFrom, part.size()));
      EXPECT_LE(maxDifference(Samples(part.begin() + static_cast<std::ptrdiff_t>(std::min(exactFrom, part.size())),
                                      part.end()),
                              Samples(at, whole.end())),
                1)
          << "piece " << i + 1;
      joined += part.size();
    }
    EXPECT_EQ(joined, whole.size());
  }
}

// Cues inside frames, each given as the frame found for it and a sample offset
// from that frame's first sample: within the frame (1, spf - 1, spf / 2), in the
// frame before (-5), in the frame after (spf + 7), and at the frame itself (0).
TEST(SampleBoundary, CuesInsideFramesSplitAtTheirExactSample) {
  for (const char* name : {"cbr128_info.mp3", "vbr_xing.mp3", "ffmpeg_info.mp3", "ffmpeg_vbr.mp3", "mono.mp3",
                           "mpeg2_22k.mp3", "speech_joint.mp3"}) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath(name));
    ASSERT_GT(frames.size(), 101u);
    const int spf = factsOf(s).samplesPerFrame;
    struct Cue {
      size_t frame;
      int32_t offset;
    };
    std::vector<int64_t> boundaries;
    for (const Cue& c : {Cue{3, 1}, Cue{13, spf - 1}, Cue{40, spf / 2}, Cue{42, -5}, Cue{77, spf + 7}, Cue{100, 0}}) {
      EditRange& cue = s.edits.ranges[static_cast<size_t>(s.edits.count++)];
      cue.type = kRangeCut;
      cue.beg = cue.end = frames[c.frame].pos;
      cue.sampleOffset = c.offset;
      boundaries.push_back(static_cast<int64_t>(c.frame) * spf + c.offset);
    }
    expectExactPieces(s, boundaries, test::dataPath(name), dir.path());
  }
}

// A time names the sample a gapless player plays at it; the offset from any frame
// leads back to the frame that holds that sample.
TEST(SampleBoundary, ATimeFindsTheFrameAndSampleThatHoldIt) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("vbr_xing.mp3")));
  const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath("vbr_xing.mp3"));
  const SourceFacts facts = factsOf(s);
  for (double seconds : {0.0, 0.5, 1.0 / 44100, 1.23456, 2.0}) {
    SCOPED_TRACE(seconds);
    const int64_t sample = decodedSampleAt(s.stream, seconds);
    EXPECT_EQ(sample, std::llround(seconds * 44100) + facts.skipped);
    const size_t holding = static_cast<size_t>(sample / facts.samplesPerFrame);
    for (size_t from : {holding, holding + 1, holding + 3, holding > 2 ? holding - 2 : 0}) {
      const int32_t offset = sampleOffsetFrom(s.stream, frames[from].pos, sample);
      EXPECT_EQ(offset, sample - static_cast<int64_t>(from) * facts.samplesPerFrame);
      const auto boundary = boundaryFrom(s.stream, frames[from].pos, offset);
      ASSERT_TRUE(boundary);
      EXPECT_EQ(boundary->frame, frames[holding].pos);
      EXPECT_EQ(boundary->samplesBefore, sample % facts.samplesPerFrame);
    }
  }
  EXPECT_FALSE(boundaryFrom(s.stream, frames[1].pos, -3 * facts.samplesPerFrame));  // before the audio
}

// Frames are numbered by walking on from the last one numbered: in any order of
// asking, every frame gets its own number, and a position inside a frame none.
TEST(SampleBoundary, FramesAreNumberedAlikeInAnyOrder) {
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("vbr_xing.mp3")));
  const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath("vbr_xing.mp3"));
  std::vector<size_t> order;
  for (size_t i = frames.size(); i-- > 0;) order.push_back(i);                  // from the end back
  for (size_t i = 0; i < frames.size(); i += 7) order.push_back(i);             // then on again
  for (size_t i = 0; i < frames.size(); i += 13) order.push_back(frames.size() - 1 - i);
  for (size_t i : order) {
    EXPECT_EQ(frameNumberAt(s.stream, frames[i].pos), static_cast<int64_t>(i)) << i;
    EXPECT_FALSE(frameNumberAt(s.stream, frames[i].pos + 1)) << i;
  }
}

// A cue sheet's INDEX times (1/75 s) become the boundaries of a sample-accurate split.
TEST(SampleBoundary, CueSheetTimesSplitAtTheirExactSample) {
  for (const char* name : {"cbr128_info.mp3", "ffmpeg_vbr.mp3"}) {
    SCOPED_TRACE(name);
    test::CopiedAudio copy(name, "");
    Session& s = copy.session;
    const fs::path sheet = copy.dir / "album.cue";
    const char* const times[] = {"00:00:07", "00:00:38", "00:01:01", "00:01:50", "00:02:13"};
    std::string text = "TITLE \"Album\"\nFILE \"" + copy.audio.filename().string() + "\" MP3\n";
    for (size_t i = 0; i < std::size(times); ++i) {
      char line[80];
      std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 %s\n", i + 1, times[i]);
      text += line;
    }
    test::writeText(sheet, text);
    s.projectPath = sheet.string();
    ASSERT_TRUE(readCueSheet(s));
    ASSERT_EQ(s.edits.count, std::size(times));
    const FrameHeader first = headerAt(s.stream, s.stream.audioStart);
    std::vector<int64_t> boundaries;
    for (const char* t : times) {
      const int frames75 = std::atoi(t + 6) + 75 * std::atoi(t + 3);
      boundaries.push_back(static_cast<int64_t>(frames75) * first.sampleRate / 75 + factsOf(s).skipped);
    }
    const fs::path folder = copy.dir / "pieces";
    fs::create_directories(folder);
    expectExactPieces(s, boundaries, copy.audio, folder);
  }
}

// A selection that begins and ends inside the same frame saves just the samples between.
TEST(SampleBoundary, ASelectionInsideOneFrameSavesTheSamplesBetween) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_info.mp3")));
  const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath("cbr128_info.mp3"));
  s.edits.selection.beg = s.edits.selection.end = frames[50].pos;
  s.edits.selection.sampleOffset = 100;
  s.edits.selection.endSampleOffset = 1000;
  s.save.saveSelection = true;
  s.save.sampleAccurate = true;
  const fs::path out = dir / "inside.mp3";
  s.save.savePath = out.string();
  test::ScriptedHost host;
  SaveJob job(s, host);
  ASSERT_TRUE(job.open());
  while (!job.step()) {
  }
  ASSERT_EQ(job.result(), SaveJob::Result::Finished);
  const SourceFacts facts = factsOf(s);
  const Samples whole = mpg123Decode(test::dataPath("cbr128_info.mp3"));
  const Samples part = mpg123Decode(out);
  ASSERT_EQ(part.size(), 2u * 900);
  const size_t from = 2 * static_cast<size_t>(50 * facts.samplesPerFrame + 100 - facts.skipped);
  EXPECT_LE(maxDifference(part, Samples(whole.begin() + static_cast<std::ptrdiff_t>(from), whole.end())), 1);
}

// quillane-cli: a selection given as times saves, sample-accurate, exactly the
// samples between them as a gapless player counts time.
TEST(SampleBoundary, CommandLineTimesAreExactSamples) {
  test::TempDir dir;
  const fs::path source = test::dataPath("ffmpeg_info.mp3");
  const Samples whole = mpg123Decode(source);
  struct Row {
    const char* selection;
    int64_t from, to;  // samples of the gapless decode
  };
  for (const Row& row : {Row{"0.5-1.25", 22050, 55125}, Row{"0.000022676-2.0000227", 1, 88201},
                         Row{"1.1-1.1301", 48510, 49837}}) {
    SCOPED_TRACE(row.selection);
    const fs::path out = dir / "piece.mp3";
    const auto run = test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " save " +
                                      test::shellQuote(source.string()) + " --selection " + row.selection +
                                      " --sample-accurate --force -o " + test::shellQuote(out.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const Samples part = mpg123Decode(out);
    ASSERT_EQ(static_cast<int64_t>(part.size()), 2 * (row.to - row.from));
    EXPECT_LE(maxDifference(part, Samples(whole.begin() + 2 * row.from, whole.end())), 1);
  }
}

}  // namespace
}  // namespace quillane
