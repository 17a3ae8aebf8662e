#pragma once

#include <string>
#include <vector>

#include "edit/edit_range.h"
#include "session/session.h"

namespace quillane {

// The "&List" menu as data.

// "Cut", "Gain" or "Cue" from the text table (a cue is any range with beg == end).
std::string rangeKindText(const Session& session, const EditRange& range);

struct RangeMenuItem {
  int commandId;  // 1200 + index; 0 for the greyed item of an empty table
  std::string text;
  bool enabled;
};
// One item per range for the first 40 ranges, "01 Cut\t0'01.00 Intro"; with no
// ranges one greyed "(No cut/gain/cue present)".
std::vector<RangeMenuItem> rangeMenuItems(const Session& session);

}  // namespace quillane
