#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "edit/edit_range.h"
#include "save/save_state.h"
#include "settings/settings.h"
#include "settings/ui_text.h"
#include "stream/audio_stream.h"

namespace quillane {

// Everything one run of the editor keeps: the settings, the open file and, as
// they are added, the editing model and the devices' state. Passed by reference
// so that every test builds its own.
struct Session {
  Session() { setBuiltInTexts(text); }

  std::filesystem::path settingsFile;
  Settings settings;
  UiText text;  // the user-interface texts; fill with setBuiltInTexts or loadUiText
  AudioStream stream;
  EditRangeTable edits;
  SelectionUndo selectionUndo;
  SaveState save;
  std::string projectPath;  // the project file or cue sheet opened or saved last
  int prelistenMode = 0;    // 1: playback skips the selection as if it were cut
  bool playing = false;  // playback runs; then playPosition is where it is
  int64_t playPosition = 0;
};

// The play position while playback runs, else the cursor.
inline int64_t currentPosition(const Session& session) {
  return session.playing ? session.playPosition : session.stream.cursor;
}

}  // namespace quillane
