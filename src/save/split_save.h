#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "edit/edit_session.h"
#include "save/id3v1_tag.h"
#include "save/save_job.h"
#include "save/split_names.h"
#include "session/host.h"

namespace quillane {

// One file of a split: the frames from beg to end as a selection save writes them
// (the frame starting at end included), named after range nameIndex.
struct SplitPiece {
  int64_t beg = 0;
  int64_t end = 0;
  int nameIndex = -1;  // the split point whose title and artist the piece takes; -1: none
  // Where a cue's boundary lies inside a frame (its sampleOffset), at either end.
  int32_t begSampleOffset = 0;
  int32_t endSampleOffset = 0;
};

// The pieces between the split points (cuts and cue points; gain ranges do not
// split), in order, empty ones left out. A cut at the very beginning or reaching
// the end does not make an empty piece.
std::vector<SplitPiece> splitPieces(const EditRangeTable& edits, const AudioStream& stream);

// The codes' values for piece number `pieceNumber` (1 for the first piece written).
SplitNameFields splitNameFields(const EditRangeTable& edits, const SplitPiece& piece, int64_t pieceNumber,
                                int64_t firstNumber);

// The ID3v1.1 tag of a piece, built on `base` (the source's tag, or zero bytes
// when it had none): "TAG", the title (cleared when the piece has none), the artist
// (else the sheet's artist, else as in base), the album (the sheet's title, else as
// in base), byte 125 = 0 and byte 126 = track number modulo 256.
Id3v1Bytes splitPieceTag(const Id3v1Bytes& base, const SplitNameFields& fields);

// Drives one opened SaveJob to its end (step() until it returns true, or cancel()).
// The window shows its progress dialog here; the default runs it in a loop.
using SplitPieceRunner = std::function<void(SaveJob& job)>;

struct SplitResult {
  bool ok = false;  // every piece was saved; false when nothing was done or a piece failed or was cancelled
  std::vector<std::string> writtenPaths;  // the pieces saved, in order
  int pieces = 0;                         // pieces started (the failed one included)
  int resyncTotal = 0;                    // re-synchronisations over all pieces
  std::string id3v2Problem;               // why the source's ID3v2 tag went to the pieces unchanged
};

// Saves the piece that splitSaveThrough has prepared in the session (the selection,
// saveSelection, savePath and the tag) and says whether it was saved to its end:
// false when the file could not be created or the save failed or was cancelled.
// The window runs its "Saving data..." dialog here.
using SplitPieceSaver = std::function<bool()>;

// Saves every piece as a selection save into session.save.savePath, a folder (a
// separator is appended when missing), named from settings.split_name with the
// track numbers counting from firstNumber; with settings.split_id3v11 each piece
// gets an ID3v1.1 tag, else none. With settings.keep_id3v2 each piece gets the
// source's ID3v2 tag with its own title, artist, album and track "n/total"; a tag
// that can't be read goes to every piece as it is, and id3v2Problem says why.
// Re-syncs are reported once at the end ("Warning").
// Afterwards the selection is empty, saveSelection and appendMode are cleared, and
// savePath (the folder), holdOnWarnings, the source's tag and hasId3v1 are as before.
SplitResult splitSave(EditSession& session, Host& host, int64_t firstNumber, const SplitPieceRunner& run = {});
// The same split, with every piece saved by savePiece.
SplitResult splitSaveThrough(EditSession& session, Host& host, int64_t firstNumber, const SplitPieceSaver& savePiece);

// What the user is told when the pieces got the source's ID3v2 tag unchanged
// (result.id3v2Problem); empty when each got its own.
std::string id3v2ProblemText(const std::string& source, const SplitResult& result);

}  // namespace quillane
