#pragma once

#include "edit/edit_session.h"
#include "session/host.h"

namespace quillane {

// The three save commands of the File menu.
enum class SaveCommand { All, Selection, Append };

// What the save commands do before the progress dialog runs: checks the selection
// ("No selection or selection too short"; an append of an empty selection selects
// the whole audio first), sets saveSelection / appendMode, asks for the destination
// through host.saveFileDialog (starting at savePath, which defaults to the source),
// and for the source itself asks "Really close and replace the source file?" and
// redirects the save to the source's path followed by ".~~~".
// true: session.save is set up, run a SaveJob and then call endSaveCommand.
// false: nothing to run; the flags are cleared again.
bool prepareSave(EditSession& session, Host& host, SaveCommand command);

// Clears saveSelection and appendMode after the job has run (or was not started).
void endSaveCommand(EditSession& session);

}  // namespace quillane
