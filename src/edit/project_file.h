#pragma once

#include <cstddef>

#include "edit/edit_session.h"
#include "session/host.h"

namespace quillane {

// Project files (".qlp"): lines of key=value, CR LF written, CR LF or LF read.
//   filename=<audio path>        always, first
//   position=<cursor offset>     always
//   sheet_artist=, sheet_title=  when set
//   per range, in table order: cut_beg=, cut_end=, cut_gainbeg=, cut_gainend=,
//   cut_artist= and cut_title= (when set), cut_type= (0 cut, 1 gain) last.

// Longest line the reader takes, in characters without the line end; the rest of
// a longer line is ignored.
constexpr std::size_t kProjectLineChars = 499;

// Writes the model to session.projectPath. On success the path goes to the
// recent list and `modified` is cleared; on failure nothing changes.
bool writeProjectFile(EditSession& session);

// Reads the project at session.projectPath: resets the model (level 2), opens the
// audio file that `filename` names (a relative name is looked up below the
// project's folder) and loads the ranges as they stand, the first 200 of them.
// A range that lies outside the audio (audioStart..audioEnd), ends before it
// begins, or has a gain outside the gain dialog's -32..32 steps is left out, and
// one warning through `host` says how many were; the cursor is held within the
// audio. Fails when the file can't be read, names no audio file or its audio file
// can't be opened, and, with a message through `host`, when every range it holds
// was left out; lines read before then have taken effect. On success the path goes
// to the recent list; `modified` stays clear.
bool readProjectFile(EditSession& session, Host& host);
// The same for a caller that shows no messages (a tool reading many files).
bool readProjectFile(EditSession& session);

}  // namespace quillane
