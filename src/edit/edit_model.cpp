#include "edit/edit_model.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "edit/edit_session.h"
#include "settings/settings.h"
#include "settings/text_encoding.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

// Removes slot index by shifting the ones above it down; the freed last slot holds
// nothing. The names of the removed range go with it.
void removeSlot(EditRangeTable& table, int index) {
  const int count = table.count;
  for (int i = index; i + 1 < count; ++i) table.ranges[i] = std::move(table.ranges[i + 1]);
  table.ranges[count - 1] = EditRange{};
  --table.count;
}

bool validIndex(const EditRangeTable& table, int index) { return index >= 0 && index < table.count; }

// Nothing goes inside a range or onto its borders: the range that holds the whole
// selection becomes current, and true says there was one.
bool selectRangeHoldingSelection(EditRangeTable& table) {
  const EditRange& s = table.selection;
  for (int i = 0; i < table.count; ++i) {
    const EditRange& r = table.ranges[i];
    if (s.beg >= r.beg && s.end <= r.end) {
      table.currentRange = i;
      return true;
    }
  }
  return false;
}

// Ranges the selection encloses are replaced by it.
void removeRangesInsideSelection(EditRangeTable& table) {
  const EditRange& s = table.selection;
  for (int i = 0; i < table.count;) {
    const EditRange& r = table.ranges[i];
    if (r.beg >= s.beg && r.end <= s.end) {
      removeSlot(table, i);
      i = 0;
    } else {
      ++i;
    }
  }
}

// A range that overlaps one edge of the selection (`edge`, its beg or its end): a
// cut absorbs the range and the edge moves out to the range's same edge; a gain
// range stays and the edge moves back to the range's other edge (`otherEdge`).
void settleOverlapAt(EditRangeTable& table, int64_t EditRange::*edge, int64_t EditRange::*otherEdge) {
  EditRange& s = table.selection;
  const bool gain = s.type == kRangeGain;
  for (int i = 0; i < table.count;) {
    const EditRange& r = table.ranges[i];
    if (r.beg < s.*edge && s.*edge < r.end) {
      if (gain) {
        s.*edge = r.*otherEdge;
      } else {
        s.*edge = r.*edge;
        removeSlot(table, i);
        continue;
      }
    }
    ++i;
  }
}

// The selection becomes a range in its place among the sorted ones, and the
// current one; the selection is left empty, a cut without names.
void moveSelectionIntoTable(EditRangeTable& table) {
  EditRange& s = table.selection;
  int at = 0;
  while (at < table.count && table.ranges[at].beg < s.end) ++at;
  for (int i = table.count; i > at; --i) table.ranges[i] = std::move(table.ranges[i - 1]);
  table.ranges[at] = std::move(s);
  ++table.count;
  table.currentRange = at;
  s.beg = s.end = -1;
  s.sampleOffset = s.endSampleOffset = 0;
  s.type = kRangeCut;
  s.title.clear();
  s.artist.clear();
}

// Repair: a range that overlaps or lies after a later one goes, until none does.
// Only a table that came in broken (a hand-edited project file) can need it.
void dropRangesOutOfOrder(EditRangeTable& table) {
  bool repaired = false;
  while (!repaired) {
    repaired = true;
    for (int i = 0; i + 1 < table.count && repaired; ++i) {
      for (int j = i + 1; j < table.count; ++j) {
        if (table.ranges[i].end > table.ranges[j].beg) {
          removeSlot(table, i);
          if (table.currentRange > i) --table.currentRange;
          repaired = false;
          break;
        }
      }
    }
  }
}

}  // namespace

std::string firstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t n = 0; n < count && at < text.size(); ++n) at += std::max<std::size_t>(1, utf8SequenceLength(text, at));
  return std::string(text.substr(0, at));
}

std::string quotedForMessage(std::string_view text) {
  std::string shown = firstCharacters(text, kMessageQuoteChars);
  if (shown.size() < text.size()) shown += "...";
  return shown;
}

int64_t distanceIntoAudio(const AudioStream& stream, int64_t offset) {
  if (stream.audioEnd > stream.audioStart) offset = std::clamp(offset, stream.audioStart, stream.audioEnd);
  int64_t distance = 0;
  if (__builtin_sub_overflow(offset, stream.audioStart, &distance))
    return offset < stream.audioStart ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  return distance;
}

// --- Selection -------------------------------------------------------------

// A selection set at frames has no boundary inside one (sampleOffset).
void setSelectionBegin(EditRangeTable& table, int64_t offset) {
  EditRange& s = table.selection;
  s.sampleOffset = s.endSampleOffset = 0;
  if (s.beg < 0) {
    s.beg = s.end = offset;
    return;
  }
  s.beg = offset;
  if (offset > s.end) s.end = offset;
}

void setSelectionEnd(EditRangeTable& table, int64_t offset) {
  EditRange& s = table.selection;
  s.sampleOffset = s.endSampleOffset = 0;
  if (s.beg < 0) {
    s.beg = s.end = offset;
    return;
  }
  s.end = offset;
  if (s.beg > offset) s.beg = offset;
}

void clearSelection(EditRangeTable& table) {
  table.selection.beg = table.selection.end = -1;
  table.selection.sampleOffset = table.selection.endSampleOffset = 0;
  releasePendingNames(table);
}

void selectAll(EditRangeTable& table, const AudioStream& stream) {
  table.selection.beg = stream.audioStart;
  table.selection.end = stream.audioEnd;
  table.selection.sampleOffset = table.selection.endSampleOffset = 0;
}

// --- Undo history ----------------------------------------------------------

void pushSelectionUndo(SelectionUndo& undo, const EditRangeTable& table) {
  for (int i = kSelectionUndoDepth - 1; i > 0; --i) undo.entries[i] = undo.entries[i - 1];
  undo.entries[0] = {true, table.selection.beg, table.selection.end};
}

bool undoSelectionChange(SelectionUndo& undo, EditRangeTable& table) {
  if (!undo.entries[0].valid) return false;
  table.selection.beg = undo.entries[0].beg;
  table.selection.end = undo.entries[0].end;
  table.selection.sampleOffset = table.selection.endSampleOffset = 0;
  for (int i = 0; i + 1 < kSelectionUndoDepth; ++i) undo.entries[i] = undo.entries[i + 1];
  undo.entries[kSelectionUndoDepth - 1] = SelectionUndo::Entry{};
  return true;
}

void clearSelectionUndo(SelectionUndo& undo) { undo.entries.fill(SelectionUndo::Entry{}); }

// --- Ranges ----------------------------------------------------------------

bool addRangeFromSelection(EditRangeTable& table, SelectionUndo& undo, bool keepNames) {
  const EditRange& s = table.selection;
  if (table.count >= kMaxRanges || s.beg < 0 || s.end < 0 || s.end < s.beg) return false;
  if (selectRangeHoldingSelection(table)) return false;

  removeRangesInsideSelection(table);
  settleOverlapAt(table, &EditRange::beg, &EditRange::end);
  settleOverlapAt(table, &EditRange::end, &EditRange::beg);
  if (!keepNames) releasePendingNames(table);
  moveSelectionIntoTable(table);
  clearSelectionUndo(undo);
  table.modified = true;

  dropRangesOutOfOrder(table);
  if (table.currentRange >= table.count) table.currentRange = table.count - 1;
  return true;
}

bool deleteRange(EditRangeTable& table, SelectionUndo& undo, int index, bool keepNames) {
  if (!validIndex(table, index)) return false;
  // The names of a kept range have been copied by the caller; the slot itself is
  // reused either way.
  if (!keepNames) releaseRangeNames(table, index);
  removeSlot(table, index);
  clearSelectionUndo(undo);
  if (table.currentRange >= table.count) --table.currentRange;
  return true;
}

bool takeBackCurrentRange(EditRangeTable& table, SelectionUndo& undo) {
  if (table.count == 0 || !validIndex(table, table.currentRange)) return false;
  releasePendingNames(table);
  EditRange& current = table.ranges[table.currentRange];
  // A gain range's title is only its label; the gain dialog makes a new one.
  if (current.type == kRangeGain) releaseRangeNames(table, table.currentRange);
  table.selection = current;
  if (!deleteRange(table, undo, table.currentRange, true)) return false;
  table.modified = true;
  return true;
}

int rangeAtOrBefore(const EditRangeTable& table, int64_t offset) {
  for (int i = table.count - 1; i >= 0; --i)
    if (table.ranges[i].beg <= offset) return i;
  return -1;
}

void releaseRangeNames(EditRangeTable& table, int index) {
  if (index < 0 || index >= kMaxRanges) return;
  table.ranges[index].title.clear();
  table.ranges[index].artist.clear();
}

void releaseAllNames(EditRangeTable& table) {
  for (int i = 0; i < kMaxRanges; ++i) releaseRangeNames(table, i);
  table.sheetTitle.clear();
  table.sheetArtist.clear();
}

void releasePendingNames(EditRangeTable& table) {
  table.selection.title.clear();
  table.selection.artist.clear();
}

void resetEditModel(EditSession& session, ResetLevel level) {
  if (level >= ResetLevel::FileState) {
    EditRangeTable& t = session.edits;
    t.ranges.fill(EditRange{});
    t.count = 0;
    t.currentRange = -1;
    t.selection = EditRange{};
    t.sheetTitle.clear();
    t.sheetArtist.clear();
    t.modified = false;
    clearSelectionUndo(session.selectionUndo);
    resetStreamState(session.stream);
    session.save.saveSelection = false;
    session.save.appendMode = false;
    session.save.id3v2Edits.reset();
  }
  if (level >= ResetLevel::FileStateAndSource) session.stream.sourcePath.clear();
  if (level >= ResetLevel::Everything) resetSettings(session.settings, session.settingsFile);
}

// --- Navigation ------------------------------------------------------------

void goToPreviousRange(EditSession& session) {
  EditRangeTable& t = session.edits;
  if (t.currentRange > 0) --t.currentRange;
  if (validIndex(t, t.currentRange)) session.stream.cursor = t.ranges[t.currentRange].beg;
}

void goToNextRange(EditSession& session) {
  EditRangeTable& t = session.edits;
  if (t.currentRange < static_cast<int>(t.count) - 1) ++t.currentRange;
  if (validIndex(t, t.currentRange)) session.stream.cursor = t.ranges[t.currentRange].beg;
}

void goToSelectionBegin(EditSession& session) {
  const EditRangeTable& t = session.edits;
  if (t.selection.beg >= 0)
    session.stream.cursor = t.selection.beg;
  else if (validIndex(t, t.currentRange))
    session.stream.cursor = t.ranges[t.currentRange].beg;
}

void goToSelectionEnd(EditSession& session) {
  const EditRangeTable& t = session.edits;
  if (t.selection.end >= 0)
    session.stream.cursor = t.selection.end;
  else if (validIndex(t, t.currentRange))
    session.stream.cursor = t.ranges[t.currentRange].end;
}

bool selectRangeFromMenu(EditSession& session, int commandId) {
  EditRangeTable& t = session.edits;
  const int index = commandId - kRangeMenuCommandBase;
  if (!validIndex(t, index) || index >= kRangeMenuItems) return false;
  t.currentRange = index;
  session.stream.cursor = t.ranges[index].beg;
  return true;
}

void autoselectRange(EditSession& session) {
  if (session.settings.autoselect == 0) return;
  EditRangeTable& t = session.edits;
  int index = rangeAtOrBefore(t, currentPosition(session));
  if (index < 0 && t.count > 0) index = 0;
  t.currentRange = index;
}

}  // namespace quillane
