#include "edit/entries_left_out.h"

#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

bool reportEntriesLeftOut(const UiText& texts, Host& host, int64_t leftOut, int64_t entries, int leftOutText,
                          int nothingLeftText) {
  if (leftOut <= 0) return true;
  if (leftOut >= entries) {
    host.messageBox(uiText(texts, nothingLeftText), uiText(texts, ui::kMsgNotPossible), MessageIcon::Error,
                    MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  host.messageBox(withNumbers(uiText(texts, leftOutText), {leftOut}), uiText(texts, ui::kMsgWarning),
                  MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
  return true;
}

}  // namespace quillane
