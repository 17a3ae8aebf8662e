#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "stream/audio_stream.h"

namespace quillane {

// Everything one run of the editor keeps: the settings, the open file and, as
// they are added, the editing model and the devices' state. Passed by reference
// so that every test builds its own.
struct Session {
  std::filesystem::path settingsFile;
  Settings settings;
  AudioStream stream;
  std::string savePath;  // the destination the save dialogs remember
  bool playing = false;  // playback runs; then playPosition is where it is
  int64_t playPosition = 0;
};

// The play position while playback runs, else the cursor.
inline int64_t currentPosition(const Session& session) {
  return session.playing ? session.playPosition : session.stream.cursor;
}

}  // namespace quillane
