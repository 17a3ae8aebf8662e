#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "session/session.h"

namespace quillane {

// A time as a user types it: seconds ("90", "90.5", "90,5"), minutes and
// seconds ("1:30", "1'30", "1:30.5", and the shown "1'30.00") or hours, minutes
// and seconds ("1:02:03"). Blanks around it are ignored; the seconds after
// minutes and the minutes after hours stay below 60. Nothing for other text.
std::optional<double> parseTypedTime(std::string_view text);

// The position field after Enter or Tab. A typed time alone ("1:30") or a share
// of the audio ("50%"); else the full text the field shows: the time typed after
// "Now", or, when that time is the one shown for the cursor, the percentage in
// the brackets. Returns the offset to seek to (not yet moved to a frame; one
// past the audio is the end of the audio), or nothing when the text can't be read.
std::optional<int64_t> parsePositionField(const Session& session, std::string_view field);

// What a typed selection changed.
struct SelectionFieldChange {
  bool read = false;  // the text was understood (it may still change nothing)
  bool begin = false;
  bool end = false;
  bool lengthApplied = false;  // the end was moved from the typed length
  bool any() const { return begin || end; }
};

// The selection field after Enter or Tab. Two typed times "b-e" ("1:30-2:45")
// select from the frame at b to the frame at e, in either order. Else the full
// text the field shows, " Selection: b - e (n)": a changed length moves the end
// to begin + length and wins over a changed end; a begin or end that still shows
// the current time is left alone. Bounds move to the frame found at the typed
// offset (past the audio: the end of the audio); an offset where no frame is
// found changes nothing. The caller refreshes at level 2.
SelectionFieldChange parseSelectionField(Session& session, std::string_view field);

}  // namespace quillane
