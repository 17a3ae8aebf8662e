#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit/id3v2_main_fields.h"

namespace quillane {

class CommitBatch;

// What the save commands set up for the save engine.
struct SaveState {
  std::string savePath;     // destination; remembered between saves of one file
  bool saveSelection = false;  // only the frames of the selection
  bool appendMode = false;     // append to an existing file
  bool holdOnWarnings = true;  // keep the progress dialog open after a warning
  bool replaceExisting = true;  // a file of the destination's name may be replaced (the
                                // window's save dialog has asked); the command line says so with --force
  // A selection save (a split piece) of a source with a LAME tag gives gapless
  // decoders exactly the samples from its first frame up to its end: it carries the
  // frames its first one needs to decode, and its tag tells the decoders to drop them.
  // The selection's sample offsets put its ends inside frames. Without a LAME tag
  // (Layer II, or a file without one) the piece is frame-exact and ends before the
  // frame at its end, so that pieces split at one point join without a frame twice.
  bool sampleAccurate = false;
  // The main ID3v2 fields as "OK" in the file info dialog left them: a save writes the
  // source's tag with them (a new tag when the source has none). None: the tag as it is.
  std::optional<Id3v2MainFields> id3v2Edits;
  std::vector<uint8_t> pieceId3v2;  // the ID3v2 tag a split piece gets in place of the source's; empty: the source's
  // Where a save puts its complete file instead of committing it at once (a split
  // commits its pieces together); none: each save commits its own.
  CommitBatch* commitBatch = nullptr;
  std::string writeError;       // why the last project file or cue sheet could not be written: "path: reason"
};

// Suffix of the temporary file of a save over the source.
constexpr const char* kReplaceSuffix = ".~~~";

}  // namespace quillane
