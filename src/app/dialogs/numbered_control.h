#pragma once

#include <QString>

#include "app/dialogs/ok_cancel_dialog.h"
#include "edit/dialog_label.h"
#include "settings/ui_text.h"

namespace quillane {

// A label of a dialog: the text table's entry when a language file set it,
// otherwise the dialog's own text.
inline QString tableLabel(const UiText& table, int entry, const char* ownText) {
  return QString::fromStdString(dialogLabel(table, entry, ownText));
}

// An entry of the text table that always has a text (a built-in one at least).
inline QString tableText(const UiText& table, int entry) { return QString::fromStdString(uiText(table, entry)); }

}  // namespace quillane
