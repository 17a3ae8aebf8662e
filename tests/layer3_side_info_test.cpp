#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "save/reservoir_repair.h"
#include "stream/reservoir_bytes.h"
#include "stream/layer3_side_info.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;

struct Frame {
  size_t at;
  FrameHeader header;
};

// The frames of a file from its first header on, in order (a tag frame included).
std::vector<Frame> framesOf(const Bytes& file, size_t from) {
  std::vector<Frame> frames;
  for (size_t at = from; at + 4 <= file.size();) {
    const FrameHeader header = decodeFrameHeader(file.data() + at);
    if (!header.version || at + header.frameSize > file.size()) break;
    frames.push_back({at, header});
    at += header.frameSize;
  }
  return frames;
}

TEST(Layer3SideInfo, EveryFrameOfRealFilesFindsItsMainDataInTheReservoir) {
  // Wrong bit positions would give main_data_begin values that reach before the
  // first frame, or main data longer than the room there is for it.
  struct File {
    const char* name;
    size_t audioAt;  // the first audio frame
    int sideInfoSize;
  };
  for (const File& f : {File{"cbr128_notag.mp3", 0, 32}, File{"vbr_notag.mp3", 0, 32}, File{"mono.mp3", 208, 17},
                        File{"mpeg2_22k.mp3", 208, 17}, File{"mpeg25_8k.mp3", 0, 9}, File{"crc.mp3", 417, 32},
                        File{"ffmpeg_cbr.mp3", 0, 32}, File{"speech_joint.mp3", 417, 32}}) {
    SCOPED_TRACE(f.name);
    const Bytes file = test::readBytes(test::dataPath(f.name));
    const std::vector<Frame> frames = framesOf(file, f.audioAt);
    ASSERT_GT(frames.size(), 40u);
    int reservoir = 0;  // data-area bytes of the frames before
    int reachingBack = 0;
    for (const Frame& frame : frames) {
      Layer3SideInfo info;
      ASSERT_TRUE(readLayer3SideInfo(file.data() + frame.at, file.size() - frame.at, frame.header, info));
      EXPECT_EQ(info.sideInfoSize, f.sideInfoSize);
      EXPECT_LE(info.mainDataBegin, reservoir) << frame.at;
      EXPECT_LE(info.mainDataBytes(), info.mainDataBegin + info.dataSize) << frame.at;
      EXPECT_LE(info.mainDataBegin, maxMainDataBegin(frame.header));
      reachingBack += info.mainDataBegin > 0;
      reservoir += info.dataSize;
    }
    EXPECT_GT(reachingBack, 0);  // the files do use the reservoir
  }
}

TEST(Layer3SideInfo, SilencedFramesTakeNoBitsAndKeepTheirLengthAndData) {
  for (const char* name : {"cbr128_notag.mp3", "mono.mp3", "mpeg2_22k.mp3", "crc.mp3"}) {
    SCOPED_TRACE(name);
    const Bytes file = test::readBytes(test::dataPath(name));
    const std::vector<Frame> frames = framesOf(file, 0);
    const Frame& f = frames[40];
    Bytes frame(file.begin() + static_cast<long>(f.at), file.begin() + static_cast<long>(f.at + f.header.frameSize));
    ASSERT_TRUE(silenceLayer3Frame(frame.data(), frame.size(), f.header));
    Layer3SideInfo info;
    ASSERT_TRUE(readLayer3SideInfo(frame.data(), frame.size(), f.header, info));
    EXPECT_EQ(info.mainDataBegin, 0);
    EXPECT_EQ(info.mainDataBytes(), 0);
    // Header and data area unchanged.
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(frame[i], file[f.at + i]);
    for (size_t i = static_cast<size_t>(info.dataAt); i < frame.size(); ++i) ASSERT_EQ(frame[i], file[f.at + i]) << i;
  }
  // Layer II has no side information of this kind.
  const Bytes layer2 = test::readBytes(test::dataPath("layer2_mpeg1.mp2"));
  Bytes frame(layer2.begin(), layer2.begin() + 626);
  EXPECT_FALSE(silenceLayer3Frame(frame.data(), frame.size(), decodeFrameHeader(frame.data())));
}

TEST(Layer3SideInfo, ASilencedFrameOfAProtectedStreamPassesItsCrc) {
  // ffmpeg checks the CRC with -err_detect crccheck and drops a frame that fails.
  test::TempDir dir;
  const Bytes file = test::readBytes(test::dataPath("crc.mp3"));
  Bytes silenced = file;
  int count = 0;
  for (const Frame& f : framesOf(file, 417)) {
    ASSERT_TRUE(silenceLayer3Frame(silenced.data() + f.at, f.header.frameSize, f.header));
    ++count;
  }
  test::writeBytes(dir / "silenced.mp3", silenced);
  const test::CommandOutput out = test::runCommand(
      "ffmpeg -nostdin -hide_banner -v error -err_detect crccheck+explode -i " +
      test::shellQuote((dir / "silenced.mp3").string()) + " -f s16le -");
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.err, "");
  // Every sample is silent.
  ASSERT_GT(out.out.size(), 100000u);
  for (char c : out.out) ASSERT_EQ(c, 0);
}

TEST(ReservoirRepair, WithoutTheSourcesReservoirSilencesOnlyFramesThatReachBehindAJunction) {
  const Bytes file = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const std::vector<Frame> frames = framesOf(file, 0);
  // Frames 0..29 joined to frames 60..end, in blocks as the reader hands them out.
  Bytes before(file.begin(), file.begin() + static_cast<long>(frames[30].at));
  Bytes after(file.begin() + static_cast<long>(frames[60].at), file.end());
  ReservoirRepair repair;
  EXPECT_TRUE(repair.repairBlock(before.data(), before.size(), 0).empty());
  EXPECT_EQ(repair.silencedFrames(), 0);  // the first frame of the file needs nothing before it
  EXPECT_EQ(before, Bytes(file.begin(), file.begin() + static_cast<long>(frames[30].at)));
  EXPECT_TRUE(repair.repairBlock(after.data(), after.size(), static_cast<int64_t>(frames[60].at)).empty());

  // Exactly the frames behind the junction whose reservoir reached past it.
  int expected = 0;
  int behind = 0;
  for (size_t i = 60; i < frames.size() && behind < 511; ++i) {
    Layer3SideInfo info;
    ASSERT_TRUE(readLayer3SideInfo(file.data() + frames[i].at, 1792, frames[i].header, info));
    const bool reaches = info.mainDataBegin > behind;
    expected += reaches;
    Layer3SideInfo now;
    const size_t at = frames[i].at - frames[60].at;
    ASSERT_TRUE(readLayer3SideInfo(after.data() + at, after.size() - at, frames[i].header, now));
    // A silenced frame begins its (empty) main data as far back as the sound bytes go.
    EXPECT_EQ(now.mainDataBegin, reaches ? behind : info.mainDataBegin) << i;
    if (reaches) {
      EXPECT_EQ(now.mainDataBytes(), 0);
    }
    behind += info.dataSize;
  }
  EXPECT_GT(expected, 0);
  EXPECT_EQ(repair.silencedFrames(), expected);
  // Past the reach of the reservoir nothing changes.
  const size_t tail = frames[70].at - frames[60].at;
  EXPECT_TRUE(std::equal(after.begin() + static_cast<long>(tail), after.end(),
                         file.begin() + static_cast<long>(frames[70].at)));
}

TEST(ReservoirRepair, CarriesTheSourcesReservoirIntoTheBytesNoKeptFrameReads) {
  const Bytes file = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const std::vector<Frame> frames = framesOf(file, 0);
  BinaryFile source;
  ASSERT_TRUE(source.open(test::dataPath("cbr128_notag.mp3").string(), "rb"));
  ReservoirRepair repair([&source](int64_t frameStart, int maxBytes) {
    return reservoirBefore(source, 0, frameStart, maxBytes);
  });
  Bytes output(file.begin(), file.begin() + static_cast<long>(frames[30].at));
  EXPECT_TRUE(repair.repairBlock(output.data(), output.size(), 0).empty());
  Bytes after(file.begin() + static_cast<long>(frames[60].at), file.end());
  const std::vector<WrittenPatch> patches =
      repair.repairBlock(after.data(), after.size(), static_cast<int64_t>(frames[60].at));
  ASSERT_FALSE(patches.empty());
  EXPECT_EQ(repair.carriedJunctions(), 1);
  EXPECT_EQ(repair.silencedFrames(), 0);  // 128 kbit/s leaves room enough before the junction
  for (const WrittenPatch& patch : patches)
    std::copy(patch.bytes.begin(), patch.bytes.end(), output.begin() + patch.at);
  output.insert(output.end(), after.begin(), after.end());

  // The frames behind the junction are the source's, and every one finds in the
  // output's data areas the same main_data_begin bytes it found in the source.
  EXPECT_TRUE(std::equal(after.begin(), after.end(), file.begin() + static_cast<long>(frames[60].at)));
  const auto dataAreas = [](const Bytes& bytes, size_t end) {
    Bytes data;
    for (const Frame& f : framesOf(bytes, 0)) {
      if (f.at >= end) break;
      Layer3SideInfo info;
      readLayer3SideInfo(bytes.data() + f.at, bytes.size() - f.at, f.header, info);
      data.insert(data.end(), bytes.begin() + static_cast<long>(f.at) + info.dataAt,
                  bytes.begin() + static_cast<long>(f.at + f.header.frameSize));
    }
    return data;
  };
  const Bytes sourceData = dataAreas(file, frames[60].at);
  const Bytes outputData = dataAreas(output, frames[30].at);
  Layer3SideInfo first;
  ASSERT_TRUE(readLayer3SideInfo(after.data(), after.size(), frames[60].header, first));
  ASSERT_GT(first.mainDataBegin, 0);
  const auto want = static_cast<long>(first.mainDataBegin);
  EXPECT_TRUE(std::equal(outputData.end() - want, outputData.end(), sourceData.end() - want));
  // The frames before the junction keep their own main data: only bytes behind it changed.
  for (const WrittenPatch& patch : patches) EXPECT_GE(patch.at, static_cast<int64_t>(frames[27].at));
}

}  // namespace
}  // namespace quillane
