#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "save/split_save.h"
#include "stream/sample_position.h"
#include "support/decoded_samples.h"
#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::DemuxedFrame;
namespace fs = std::filesystem;
using test::Samples;

// Layer II keeps no bit reservoir and carries no LAME tag: mpg123 decodes every
// frame to its 1152 samples and drops nothing.
Samples decode(const fs::path& path) {
  const Samples samples = test::mpg123Decode(path);
  EXPECT_FALSE(samples.empty()) << path;
  return samples;
}

// The samples behind a joint where the pieces may differ from the source: the
// synthesis filterbank starts each piece from silence, and its 512-tap window
// reaches 480 samples into the first frame (measured with mpg123 1.31 on
// TwoLAME's files: they differ from the first to at most the 480th sample behind
// each joint, by up to about a third of full scale, and nowhere else).
constexpr size_t kSynthesisReach = 480;

// A split of a TwoLAME file at cues: the pieces hold exactly the source's frames,
// and decoded one after the other they give the source's samples, exactly, but
// for the filterbank's start behind each joint. (No piece is a single frame:
// mpg123 decodes nothing from a file of one Layer II frame.)
TEST(Layer2Split, PiecesJoinToTheSourceButForTheFilterbankAtEachJoint) {
  for (const char* name : {"layer2_mpeg1.mp2", "layer2_mpeg2.mp2"}) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    Session s;
    ASSERT_TRUE(test::openInSession(s, test::dataPath(name)));
    const std::vector<DemuxedFrame> frames = test::demuxedFrames(test::dataPath(name));
    ASSERT_GT(frames.size(), 60u);
    const std::vector<size_t> cues = {2, 17, 19, 40, frames.size() - 2};
    for (size_t at : cues) {
      EditRange& cue = s.edits.ranges[static_cast<size_t>(s.edits.count++)];
      cue.type = kRangeCut;
      cue.beg = cue.end = frames[at].pos;
    }
    s.save.savePath = dir.path().string();
    s.settings.split_name = "%N";
    s.settings.split_sample_accurate = 1;  // nothing to do without a LAME tag: frame-exact pieces
    test::ScriptedHost host;
    const SplitResult result = splitSave(s, host, 1);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.writtenPaths.size(), cues.size() + 1);

    const Samples source = decode(test::dataPath(name));
    const auto frameNumber = [&s](int64_t at) { return static_cast<size_t>(frameNumberAt(s.stream, at).value_or(0)); };
    const size_t channels = headerAt(s.stream, s.stream.audioStart).channelMode == ChannelMode::Mono ? 1 : 2;
    ASSERT_EQ(source.size(), frameNumber(s.stream.audioEnd) * 1152 * channels);
    Samples joined;
    std::vector<size_t> joints;
    for (const std::string& piece : result.writtenPaths) {
      if (!joined.empty()) joints.push_back(joined.size());
      const Samples part = decode(piece);
      joined.insert(joined.end(), part.begin(), part.end());
    }
    ASSERT_EQ(joined.size(), source.size());
    for (size_t i = 0; i < cues.size(); ++i) EXPECT_EQ(joints[i], frameNumber(frames[cues[i]].pos) * 1152 * channels);

    size_t joint = 0;
    for (size_t i = 0; i < joined.size(); ++i) {
      while (joint < joints.size() && joints[joint] + kSynthesisReach * channels <= i) ++joint;
      const bool nearJoint = joint < joints.size() && i >= joints[joint];
      if (!nearJoint && joined[i] != source[i]) {
        ADD_FAILURE() << "sample " << i / channels << " differs away from a joint";
        break;
      }
    }
  }
}

}  // namespace
}  // namespace quillane
