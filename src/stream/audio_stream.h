#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "stream/binary_file.h"
#include "stream/frame_header.h"

namespace quillane {

// The open source file. There is no table of frames: every position is a byte
// offset at the first byte of a frame, found on demand by findFrame, and frame
// numbers and times derive from the averages measured when the file was opened.
struct AudioStream {
  std::string sourcePath;
  BinaryFile sourceFile;
  int64_t fileSize = 0;
  int64_t audioStart = 0;  // first audio frame
  int64_t firstFrameStart = 0;  // the first frame the scan found: a Xing/Info tag frame, else audioStart
  int64_t audioEnd = 0;    // just past the audio: the ID3v1 tag's start, else fileSize
  FrameHeader currentHeader;  // the frame found last by any search or read
  float avgFrameSize = 0.0f;  // bytes
  float avgBitrate = 0.0f;    // bit/s
  uint8_t vbrMode = 0;        // 0 constant, 1 variable found by the scan, 2 variable with a Xing tag
  int64_t xingFrames = 0;
  int32_t hasId3v1 = 0;
  std::array<uint8_t, 128> id3v1Tag{};
  int32_t hasId3v2 = 0;
  int64_t cursor = 0;
  uint16_t resyncCount = 0;

  bool isOpen() const { return sourceFile.isOpen(); }
};

constexpr int kVbrConstant = 0;
constexpr int kVbrScanned = 1;
constexpr int kVbrXing = 2;

// The search window and the part of it kept free for the successor's sync.
constexpr int kSearchWindow = 3584;
constexpr int kSearchSpan = 1792;

// The offset of the first acceptable frame at or after offset; audioEnd when offset
// lies within one frame of the end; -1 when no frame lies within the search window.
// A frame is acceptable when its header decodes, agrees with the current header's
// stream (version, layer, sample rate) and is confirmed: by its successor's sync
// inside the window, or, for the last frame, by ending exactly at audioEnd or at
// an ID3v1 tag at the end of the file. Rewrites currentHeader.
int64_t findFrame(AudioStream& stream, int64_t offset);

// Clears the stream state as a new opening needs it (the file itself stays as it is).
void resetStreamState(AudioStream& stream);

// Conversions between offsets, frame numbers and times, from the averages.
int64_t offsetOfFrame(AudioStream& stream, int64_t frameNumber);  // then findFrame
int64_t frameNumberAt(const AudioStream& stream, int64_t offset);
int64_t offsetOfTime(const AudioStream& stream, double seconds);  // not yet a frame position
double secondsAt(const AudioStream& stream, int64_t offset);      // from audioStart

}  // namespace quillane
