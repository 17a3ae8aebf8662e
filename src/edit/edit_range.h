#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillane {

constexpr int kMaxRanges = 200;
constexpr int kRangeMenuItems = 40;  // the "&List" menu shows the first 40 ranges
constexpr int kSelectionUndoDepth = 19;
constexpr uint8_t kRangeCut = 0;    // a cut of zero length is a cue
constexpr uint8_t kRangeGain = 1;
constexpr uint8_t kNoRange = 255;   // "no range" as the frame reader reports it

// One edit range over the half-open offset interval [beg, end). beg == end is a cue.
// Offsets always refer to the unchanged source file. Empty names stand for none.
struct EditRange {
  uint8_t type = kRangeCut;
  int64_t beg = -1;
  int64_t end = -1;
  int32_t gainbeg = 0;  // global_gain steps of 1.5 dB at the beginning
  int32_t gainend = 0;  // ... and at the end; the change runs between them
  std::string title;
  std::string artist;
  // A boundary inside a frame, beside the frame positions (which stay as they are):
  // the decoded samples from the first sample of the frame at beg (or at end) to
  // the boundary (sampleOffsetFrom). Negative when the boundary lies in a frame
  // before, since times are moved to the frame found at or after them. Only
  // sample-accurate saves use them; 0 is the frame's own start. Never stored in
  // project files.
  int32_t sampleOffset = 0;
  int32_t endSampleOffset = 0;

  bool isCue() const { return beg == end; }
  bool isGain() const { return !isCue() && type == kRangeGain; }
  bool isCut() const { return !isCue() && type != kRangeGain; }
};

// The ranges, sorted by beg and never overlapping (touching is allowed), with the
// selection as the pending record that the next add turns into a range.
struct EditRangeTable {
  std::array<EditRange, kMaxRanges> ranges;
  uint16_t count = 0;
  int32_t currentRange = -1;
  EditRange selection;  // beg/end are the selection (both -1: none)
  std::string sheetTitle;
  std::string sheetArtist;
  bool modified = false;

  bool hasSelection() const { return selection.beg >= 0 && selection.end >= 0; }
};

// The last selection states, newest first.
struct SelectionUndo {
  struct Entry {
    bool valid = false;
    int64_t beg = -1;
    int64_t end = -1;
  };
  std::array<Entry, kSelectionUndoDepth> entries;
};

}  // namespace quillane
