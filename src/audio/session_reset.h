#pragma once

#include "audio/audio_session.h"
#include "edit/edit_model.h"

namespace quillane {

// resetEditModel, and from ResetLevel::FileState on the level meter's margin as
// well: what a new file, a recording or a reset of the settings starts from.
void resetSession(AudioSession& session, ResetLevel level);

}  // namespace quillane
