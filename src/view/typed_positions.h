#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "session/session.h"

namespace quillane {

// The position field after Enter or Tab: the time typed after "Now", or, when
// that time is the one shown for the cursor, the percentage in the brackets.
// Returns the offset to seek to (not yet moved to a frame; the caller seeks and
// refreshes at level 2), or nothing when the text can't be read.
std::optional<int64_t> parsePositionField(const Session& session, std::string_view field);

// What a typed selection changed.
struct SelectionFieldChange {
  bool begin = false;
  bool end = false;
  bool lengthApplied = false;  // the end was moved from the typed length
  bool any() const { return begin || end; }
};

// The selection field after Enter or Tab: " Selection: b - e (n)". A changed
// length moves the end to begin + length and wins over a changed end; a begin
// or end that still shows the current time is left alone. Bounds move to the
// frame found at the typed offset; an offset where no frame is found changes
// nothing. The caller refreshes at level 2.
SelectionFieldChange parseSelectionField(Session& session, std::string_view field);

}  // namespace quillane
