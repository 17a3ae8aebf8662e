#include "view/range_menu.h"

#include <algorithm>
#include <cstdio>

#include "edit/edit_model.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "view/time_format.h"

namespace quillane {

std::string rangeKindText(const Session& session, const EditRange& range) {
  if (range.isCue()) return uiText(session.text, ui::kListCue);
  if (range.type == kRangeGain) return uiText(session.text, ui::kListGain);
  return uiText(session.text, ui::kListCut);
}

std::vector<RangeMenuItem> rangeMenuItems(const Session& session) {
  const EditRangeTable& t = session.edits;
  std::vector<RangeMenuItem> items;
  if (t.count == 0) {
    items.push_back({0, uiText(session.text, ui::kListNoRanges), false});
    return items;
  }
  const int shown = std::min<int>(t.count, kRangeMenuItems);
  for (int i = 0; i < shown; ++i) {
    const EditRange& r = t.ranges[i];
    char number[16];
    std::snprintf(number, sizeof number, "%.2d ", i + 1);
    std::string text = number;
    text += rangeKindText(session, r);
    text += '\t';
    text += formatTime(distanceIntoAudio(session.stream, r.beg), session.stream.avgBitrate,
                       session.settings.show_milisec != 0);
    if (!r.title.empty()) text += " " + firstCharacters(r.title, kRangeMenuTitleChars);
    items.push_back({kRangeMenuCommandBase + i, std::move(text), true});
  }
  return items;
}

}  // namespace quillane
