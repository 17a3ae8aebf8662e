#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "audio/level_meter.h"
#include "audio/playback_engine.h"
#include "audio/recording_engine.h"
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
  bool playing = false;  // the output device is open; then playPosition is where it is
  int64_t playPosition = 0;     // the position after the buffer the device returned last
  int fastPlayLevel = 0;        // 0 off, 1..9 while playing fast
  PlaybackState playback;
  bool recordInitialised = false;  // a recording has been set up (device open)
  bool recordWriting = false;      // ... and is writing to its file
  RecordingState recording;
  LevelMeter meter;
  uint8_t configTab = 0;  // the configuration dialog's tab to show first; the open tab when it closed
};

// Neither playback nor a recording holds an audio device.
inline bool audioIdle(const Session& session) { return !session.playing && !session.recordInitialised; }

// The play position while playback runs, else the cursor.
inline int64_t currentPosition(const Session& session) {
  return session.playing ? session.playPosition : session.stream.cursor;
}

}  // namespace quillane
