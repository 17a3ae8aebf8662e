#include "stream/open_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "stream/vbr_tag.h"

namespace quillane {
namespace {

constexpr int64_t kConstantScanBytes = 100000;  // a CBR file is measured over this much
constexpr int64_t kVariableScanLimit = 2000000;  // a VBR file without Xing average, at most
constexpr int64_t kVariableSampleJump = 50000;   // VBR is sampled ten frames at a time
constexpr int kXingPlausibility = 1000;

bool sameStream(const FrameHeader& a, const FrameHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

// Takes the average frame size from a Xing tag at audioStart and steps over any
// tag frame there. False when no audio frame follows the tag frame.
bool readLeadingTag(AudioStream& stream) {
  uint32_t frames = 0;
  uint32_t bytes = 0;
  const int length = readVbrTag(stream.sourceFile, stream.audioStart, frames, bytes);
  if (length <= 0) return true;
  stream.audioStart = findCurrentFrame(stream, stream.audioStart + length);
  if (stream.audioStart < 0 || stream.audioStart >= stream.audioEnd) return false;
  if (frames == 0) return true;

  const int64_t measured = stream.audioEnd - stream.audioStart;
  int64_t byteCount = bytes;
  if (std::llabs(byteCount - measured) > kXingPlausibility) byteCount = measured;
  const float average = static_cast<float>(byteCount) / static_cast<float>(frames);
  // A frame count that gives no possible frame length is damage, not an average.
  if (average < kMinFrameSize || average > kMaxFrameSize) return true;
  stream.avgFrameSize = average;
  stream.vbrMode = kVbrXing;
  stream.xingFrames = frames;
  return true;
}

}  // namespace

namespace {

// The first frame of the file: windows of the search span, one after another,
// accepting a frame of any stream.
FoundFrame firstFrame(AudioStream& stream) {
  FoundFrame found;
  int64_t p = 0;
  do {
    found = findFrame(stream, p);
    p += kSearchSpan;
  } while (p < stream.audioEnd && found.offset < 0);
  return found;
}

// The average frame size and whether the bit rate varies, measured from the
// cursor (the first frame found, a tag frame included). The measuring stops a
// search span (1792 bytes) short of the end; a file too short for even one
// measurement that way is measured up to its end. Each frame found becomes the
// current one, which the next search must agree with. False when no frame counted.
bool measureFrames(AudioStream& stream, FrameHeader reference) {
  int64_t sum = 0;
  uint16_t count = 0;
  int64_t p = stream.cursor;
  int64_t measureEnd = stream.audioEnd - kSearchSpan;
  if (measureEnd <= p) measureEnd = stream.audioEnd;
  while (p < measureEnd && p < kVariableScanLimit) {
    if (p > stream.audioStart + kConstantScanBytes &&
        !(stream.vbrMode != kVbrConstant && stream.avgFrameSize <= 0.0f))
      break;
    const FoundFrame r = findFrame(stream, p);
    if (r.offset < 0) {
      p += kSearchSpan;
      continue;
    }
    // At the end of the audio no header is read: the last one counts again.
    if (r.isFrame()) stream.currentHeader = r.header;
    const FrameHeader& found = stream.currentHeader;
    if (sameStream(found, reference)) {
      if (stream.vbrMode == kVbrConstant && std::abs(found.bitrate - reference.bitrate) > 2)
        stream.vbrMode = kVbrScanned;
      p += found.frameSize;
      sum += found.frameSize;
      ++count;
      if (stream.vbrMode != kVbrConstant && count % 10 == 0) p += kVariableSampleJump;
    } else {
      p += 10;
    }
    reference = found;
  }
  if (count == 0) return false;
  if (stream.avgFrameSize <= 0.0f)
    stream.avgFrameSize = static_cast<float>(sum) / static_cast<float>(count);
  return true;
}

}  // namespace

bool scanStream(AudioStream& stream) {
  const FoundFrame first = firstFrame(stream);
  stream.audioStart = first.offset;
  if (stream.audioStart < 0 || stream.audioStart >= stream.audioEnd) return false;
  stream.currentHeader = first.header;
  stream.firstFrameStart = stream.audioStart;

  stream.cursor = stream.audioStart;
  stream.avgFrameSize = 0.0f;
  stream.vbrMode = kVbrConstant;
  stream.xingFrames = 0;
  if (!readLeadingTag(stream)) return false;
  if (!measureFrames(stream, first.header)) return false;

  // The rate comes from the last header found.
  const FrameHeader& rateHeader = stream.currentHeader;
  stream.avgBitrate = rateHeader.sampleRate * stream.avgFrameSize / 144.0f;
  if (isLowSamplingLayer3(rateHeader)) stream.avgBitrate *= 2.0f;
  if (!(stream.avgBitrate > 0.0f)) return false;
  stream.cursor = stream.audioStart;
  return true;
}

OpenProblem readProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {OpenFailure::System, errno};
  if (S_ISDIR(info.st_mode)) return {OpenFailure::Folder};
  if (!S_ISREG(info.st_mode)) return {OpenFailure::NotRegular};
  if (::access(path.c_str(), R_OK) != 0) return {OpenFailure::System, errno};
  return {};
}

OpenProblem openAudioStream(AudioStream& stream) {
  stream.sourceFile.close();
  if (stream.sourcePath.empty()) return {OpenFailure::System, ENOENT};
  if (!stream.sourceFile.open(stream.sourcePath, "rb")) {
    const int error = errno;
    const OpenProblem problem = readProblem(stream.sourcePath);
    return problem ? problem : OpenProblem{OpenFailure::System, error};
  }
  stream.fileSize = stream.sourceFile.size();
  stream.audioEnd = stream.fileSize;
  if (stream.fileSize <= 0 || !scanStream(stream)) {
    stream.sourceFile.close();
    stream.audioEnd = 0;
    return {OpenFailure::NotMpegAudio};
  }

  stream.id3v1Tag = {};
  if (stream.fileSize >= 128 &&
      stream.sourceFile.readAt(stream.fileSize - 128, stream.id3v1Tag.data(), 128) == 128 &&
      std::memcmp(stream.id3v1Tag.data(), "TAG", 3) == 0) {
    stream.audioEnd = stream.fileSize - 128;
    stream.hasId3v1 = true;
  }
  uint8_t head[50] = {};
  const size_t n = stream.sourceFile.readAt(0, head, sizeof head);
  if (n >= 3 && std::memcmp(head, "ID3", 3) == 0) stream.hasId3v2 = true;
  stream.sourceFile.seek(0);

  // A file that is nothing but a tag frame and an ID3v1 tag has no audio.
  if (stream.audioStart >= stream.audioEnd) {
    stream.sourceFile.close();
    stream.audioEnd = 0;
    return {OpenFailure::NotMpegAudio};
  }
  return {};
}

OpenProblem audioFileProblem(const std::string& path) {
  AudioStream probe;
  probe.sourcePath = path;
  return openAudioStream(probe);
}

bool openStream(AudioStream& stream) {
  if (stream.sourcePath.empty()) {
    stream.sourceFile.close();
    return false;
  }
  return !openAudioStream(stream);
}

void closeStream(AudioStream& stream) {
  stream.sourceFile.close();
  stream.audioEnd = 0;
}

}  // namespace quillane
