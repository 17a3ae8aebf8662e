#pragma once

#include "edit/edit_session.h"
#include "session/host.h"

namespace quillane {

// The commands "Save P&roject file/Cue sheet" (askName off), "... as..." (askName
// on) and the first step of "Save Cue sheet and edit with ..." (forceCue on).
// Without a project path one is proposed from the audio path without its
// extension and the name is always asked. With forceCue the extension becomes
// ".cue". A target ending in ".cue" (exactly, lower case) gets a cue sheet, any
// other a project file. False when the user cancelled, the path has no extension
// or writing failed (then "Could not create/write to file" is shown).
bool saveProjectOrCueSheet(EditSession& session, Host& host, bool askName, bool forceCue);

}  // namespace quillane
