#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "edit/edit_range.h"
#include "edit/edit_session.h"
#include "stream/audio_stream.h"

namespace quillane {

// Command ids of the "&List" menu items: 1200 + index of the range.
constexpr int kRangeMenuCommandBase = 1200;
// Characters of a range's title that a "&List" item shows.
constexpr std::size_t kRangeMenuTitleChars = 30;

// --- Selection -------------------------------------------------------------

// Without a selection both ends become offset; otherwise beg moves there and end
// follows when it would lie before it.
void setSelectionBegin(EditRangeTable& table, int64_t offset);
// Without a selection both ends become offset; otherwise end moves there and beg
// follows when it would lie after it.
void setSelectionEnd(EditRangeTable& table, int64_t offset);
// No selection, and the pending names are dropped.
void clearSelection(EditRangeTable& table);
// The whole audio, audioStart..audioEnd.
void selectAll(EditRangeTable& table, const AudioStream& stream);

// --- Undo history of selection changes --------------------------------------

// Remembers the current selection as the newest entry; the oldest falls off.
void pushSelectionUndo(SelectionUndo& undo, const EditRangeTable& table);
// Restores and drops the newest entry; false (nothing changed) when the history is
// empty, and the caller beeps.
bool undoSelectionChange(SelectionUndo& undo, EditRangeTable& table);
void clearSelectionUndo(SelectionUndo& undo);

// --- Ranges ----------------------------------------------------------------

// Turns the selection into a range of the pending record's type (the caller sets
// type, and for gain ranges the gains and the label, just before). Overlapped
// ranges are absorbed by a cut and clip a gain range; enclosed ranges are replaced.
// Refuses (false) a full table, no or an inverted selection, and a selection that
// lies within an existing range (which then becomes current). On success the new
// range is current, the selection is empty, the history is cleared and the table
// marked modified. Without keepNames the pending names are dropped first.
bool addRangeFromSelection(EditRangeTable& table, SelectionUndo& undo, bool keepNames);
// Removes the range at index (its names go with it unless keepNames); clears the
// history and keeps currentRange within the table. False for a bad index.
bool deleteRange(EditRangeTable& table, SelectionUndo& undo, int index, bool keepNames);
// Removes the current range and makes it the selection, with its type, gains and,
// for a cut or cue, its names; false when there is no current range.
bool takeBackCurrentRange(EditRangeTable& table, SelectionUndo& undo);
// The highest index whose beg <= offset, -1 when none.
int rangeAtOrBefore(const EditRangeTable& table, int64_t offset);

void releaseRangeNames(EditRangeTable& table, int index);
// The names of all 200 slots and of the sheet.
void releaseAllNames(EditRangeTable& table);
void releasePendingNames(EditRangeTable& table);

// What resetEditModel clears; each level also clears what the ones before it do.
enum class ResetLevel : uint8_t {
  None,                // nothing
  FileState,           // an empty editing model and a fresh per-file state (stream
                       // state, the pending save's flags); the source path stays
  FileStateAndSource,  // also forgets the source path
  Everything,          // also resets the settings to their defaults and reads the settings file
};

void resetEditModel(EditSession& session, ResetLevel level);

// --- Navigation (the caller redraws; while playing it restarts the stream) ----

// Ctrl+Left: one range back (not below the first), cursor to its beg.
void goToPreviousRange(EditSession& session);
// Ctrl+Right: one range on (not past the last), cursor to its beg.
void goToNextRange(EditSession& session);
// Up: cursor to the selection's beg, else to the current range's beg.
void goToSelectionBegin(EditSession& session);
// Down: cursor to the selection's end, else to the current range's end.
void goToSelectionEnd(EditSession& session);
// A "&List" item (1200 + i): range i becomes current and the cursor moves to its
// beg. False for an id that names no listed range.
bool selectRangeFromMenu(EditSession& session, int commandId);
// With the setting autoselect on, the current range follows the current position:
// the range at or before it, else the first one.
void autoselectRange(EditSession& session);

// The first `count` characters of UTF-8 text, never splitting a character; a byte
// that starts no well-formed sequence counts as one character.
std::string firstCharacters(std::string_view text, std::size_t count);

// Text taken from a file (a path that a project file or cue sheet names) as a
// message shows it: its first kMessageQuoteChars characters, and "..." when there
// was more. A damaged file can't fill a message with its content.
constexpr std::size_t kMessageQuoteChars = 200;
std::string quotedForMessage(std::string_view text);

// The distance of an offset from audioStart, for the times shown. An offset from
// outside the audio (a range may come from any file) counts as the nearer end of
// the audio when the stream has audio; no difference overflows.
int64_t distanceIntoAudio(const AudioStream& stream, int64_t offset);

}  // namespace quillane
