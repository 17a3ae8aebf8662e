#pragma once

#include <cstddef>
#include <string>

#include "edit/edit_session.h"

namespace quillane {

// Characters each field of the names dialog takes.
constexpr std::size_t kNameFieldChars = 199;

// What the names dialog edits and shows: the names of the cue sheet (currentRange < 0
// when it opens) or those of the current range.
struct NamesDialog {
  bool editsSheet = false;
  int rangeIndex = -1;
  std::string caption;  // "Names for Cue sheet" or "Names for Cue #3"
  std::string artist;   // field 681
  std::string title;    // field 682
};

// The dialog's state on opening: its target, caption and the names to show.
NamesDialog openNamesDialog(const EditSession& session);

// OK with the fields' texts in dialog.artist and dialog.title: the target's names are
// replaced by them (each cut to 199 characters, an empty field removes the name,
// no trimming) and the table is marked modified. Call closeNamesDialog after it.
void acceptNamesDialog(EditSession& session, const NamesDialog& dialog);

// After OK, on Cancel and on closing the window: a dialog that edited the sheet makes
// the first range current when ranges exist.
void closeNamesDialog(EditSession& session, const NamesDialog& dialog);

// The dialog's own labels, each replaced by its entry when a language file sets it.
struct NamesDialogLabels {
  std::string artist;  // 661 "Artist"
  std::string title;   // 662 "Title"
  std::string ok;      // 611 "&OK"
  std::string cancel;  // 612 "&Cancel"
};
NamesDialogLabels namesDialogLabels(const UiText& table);

}  // namespace quillane
