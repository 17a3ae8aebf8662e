#pragma once

#include <string>

#include "session/session.h"
#include "settings/settings.h"

namespace quillane {

// The status bar while a recording captures: "Encoder = " and the encoder's
// settings ("Lame: 128 kbps, 44 kHz, Joint Stereo", "FFmpeg: ...").
std::string encoderStatusText(const Settings& settings);
// The position field while writing: " Writing '<file>'".
std::string recordingPositionText(const Session& session);
// The selection field while writing: the hint to set cues, then the last cue's time.
std::string recordingSelectionText(const Session& session);
// The recording time shown by the recording display.
std::string recordingTimeText(const Session& session);

}  // namespace quillane
