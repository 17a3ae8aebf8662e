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
  FrameHeader currentHeader;  // the frame at the position shown and played; set by findCurrentFrame
  float avgFrameSize = 0.0f;  // bytes
  float avgBitrate = 0.0f;    // bit/s
  uint8_t vbrMode = 0;        // 0 constant, 1 variable found by the scan, 2 variable with a Xing tag
  int64_t xingFrames = 0;
  bool hasId3v1 = false;
  std::array<uint8_t, 128> id3v1Tag{};
  bool hasId3v2 = false;
  int64_t cursor = 0;
  uint16_t resyncCount = 0;
  // The last frame numbered by walking the frames (frameNumberAt): a later frame
  // is numbered on from it. offset -1: none yet.
  struct NumberedFrame {
    int64_t offset = -1;
    int64_t number = 0;
  } lastNumbered;

  bool isOpen() const { return sourceFile.isOpen(); }
};

constexpr int kVbrConstant = 0;
constexpr int kVbrScanned = 1;
constexpr int kVbrXing = 2;

// The search window and the part of it kept free for the successor's sync.
constexpr int kSearchWindow = 3584;
constexpr int kSearchSpan = 1792;

// What findFrame found: the frame's first byte and its header. offset is audioEnd
// (and the header empty) when the search starts within one frame of the end, -1
// when no frame lies within the search window.
struct FoundFrame {
  int64_t offset = -1;
  FrameHeader header;  // version 0 unless a frame starts at offset

  bool isFrame() const { return offset >= 0 && header.version != 0; }
};

// The first acceptable frame at or after offset. A frame is acceptable when its
// header decodes, agrees with stream.currentHeader's stream (version, layer, sample
// rate; any frame when that is empty) and is confirmed: by its successor's sync
// inside the window, or, for the last frame, by ending exactly at audioEnd or at an
// ID3v1 tag at the end of the file. Reads the file and changes nothing else.
FoundFrame findFrame(AudioStream& stream, int64_t offset);

// findFrame, and the frame found becomes the current one (stream.currentHeader):
// for the positions that the display and the next steps take their frame from.
// Returns the offset found (audioEnd or -1 as findFrame).
int64_t findCurrentFrame(AudioStream& stream, int64_t offset);

// The header of the frame that starts at offset, read from the file; empty
// (version 0) when no valid header is there.
FrameHeader headerAt(AudioStream& stream, int64_t offset);

// Clears the stream state as a new opening needs it (the file itself stays as it is).
void resetStreamState(AudioStream& stream);

// Conversions between offsets, frame numbers and times, from the averages.
int64_t offsetOfFrame(AudioStream& stream, int64_t frameNumber);  // then findCurrentFrame
int64_t frameNumberAt(const AudioStream& stream, int64_t offset);
int64_t offsetOfTime(const AudioStream& stream, double seconds);  // not yet a frame position
double secondsAt(const AudioStream& stream, int64_t offset);      // from audioStart

}  // namespace quillane
