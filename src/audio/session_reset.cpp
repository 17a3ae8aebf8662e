#include "audio/session_reset.h"

#include "audio/level_meter.h"

namespace quillane {

void resetSession(AudioSession& session, ResetLevel level) {
  resetEditModel(session, level);
  if (level >= ResetLevel::FileState) meterResetMargin(session.meter);
}

}  // namespace quillane
