#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "edit/edit_range.h"
#include "edit/save_state.h"
#include "settings/settings.h"
#include "settings/ui_text.h"
#include "stream/audio_stream.h"

namespace quillane {

// The part of a run of the editor that editing, project files, cue sheets and
// saving work on: the settings and texts, the open file, its ranges and the
// state of a save. The audio engines add theirs on top (AudioSession), the
// program its own.
struct EditSession {
  EditSession() { setBuiltInTexts(text); }

  std::filesystem::path settingsFile;
  Settings settings;
  UiText text;  // the user-interface texts; fill with setBuiltInTexts or loadUiText
  AudioStream stream;
  EditRangeTable edits;
  SelectionUndo selectionUndo;
  SaveState save;
  std::string projectPath;  // the project file or cue sheet opened or saved last
  // Set by the playback engine; kept here because editing commands and project
  // files act at the play position while playback runs.
  bool playing = false;         // the output device is open; then playPosition is where it is
  int64_t playPosition = 0;     // the position after the buffer the device returned last
};

// The play position while playback runs, else the cursor.
inline int64_t currentPosition(const EditSession& session) {
  return session.playing ? session.playPosition : session.stream.cursor;
}

}  // namespace quillane
