#include "edit/names_dialog_model.h"

#include "edit/dialog_label.h"
#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "settings/ui_text_ids.h"

namespace quillane {

NamesDialog openNamesDialog(const EditSession& session) {
  const EditRangeTable& t = session.edits;
  NamesDialog dialog;
  const std::string& namesFor = uiText(session.text, ui::kNamesFor);
  if (t.currentRange < 0 || t.currentRange >= t.count) {
    dialog.editsSheet = true;
    dialog.caption = namesFor + " Cue sheet";
    dialog.artist = firstCharacters(t.sheetArtist, kNameFieldChars);
    dialog.title = firstCharacters(t.sheetTitle, kNameFieldChars);
  } else {
    const EditRange& r = t.ranges[t.currentRange];
    dialog.rangeIndex = t.currentRange;
    dialog.caption = namesFor + " Cue #" + std::to_string(t.currentRange + 1);
    dialog.artist = firstCharacters(r.artist, kNameFieldChars);
    dialog.title = firstCharacters(r.title, kNameFieldChars);
  }
  return dialog;
}

void acceptNamesDialog(EditSession& session, const NamesDialog& dialog) {
  EditRangeTable& t = session.edits;
  std::string artist = firstCharacters(dialog.artist, kNameFieldChars);
  std::string title = firstCharacters(dialog.title, kNameFieldChars);
  if (dialog.editsSheet) {
    t.sheetArtist = std::move(artist);
    t.sheetTitle = std::move(title);
  } else {
    if (dialog.rangeIndex < 0 || dialog.rangeIndex >= t.count) return;
    EditRange& r = t.ranges[dialog.rangeIndex];
    r.artist = std::move(artist);
    r.title = std::move(title);
  }
  t.modified = true;
}

void closeNamesDialog(EditSession& session, const NamesDialog& dialog) {
  EditRangeTable& t = session.edits;
  if (dialog.editsSheet && t.count > 0) t.currentRange = 0;
}

NamesDialogLabels namesDialogLabels(const UiText& table) {
  return {dialogLabel(table, ui::kLabelArtist, "Artist"), dialogLabel(table, ui::kLabelTitle, "Title"),
          dialogLabel(table, ui::kLabelOk, "&OK"), uiText(table, ui::kDlgCancel)};
}

}  // namespace quillane
