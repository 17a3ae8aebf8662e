#pragma once

#include "audio/playback_engine.h"
#include "session/session.h"
#include "shell/shell_host.h"

// The groups of commands that dispatchCommand hands an id to. Each group ignores
// the ids that are not its own, so the dispatcher can pass every id to every group
// of a stage.

namespace quillane {

// --- Stage A: with or without an open file ------------------------------------

// Play, Stop, Space, Rec, Turbo Grabber, Margin and the cue mark of a running
// recording (154 while writing). transport_commands.cpp
void runTransportCommand(Session& session, ShellHost& host, int id);
// Open, Quit and the recent files. file_commands.cpp
void runOpeningCommand(Session& session, ShellHost& host, int id);
// Configuration, the display toggles, the graph level, help and About. settings_commands.cpp
void runSettingsCommand(Session& session, ShellHost& host, int id);

// --- Stage B: only with an open file -------------------------------------------

// Skips, range and selection jumps, zoom, Home/End, frame steps, field focus.
// navigation_commands.cpp
void runNavigationCommand(Session& session, ShellHost& host, int id);
// Selection, edit ranges and the dialogs that work on them. selection_commands.cpp
void runSelectionCommand(Session& session, ShellHost& host, int id, int notification);
// Close, the save commands, split, project file and cue sheet. file_commands.cpp
void runFileCommand(Session& session, ShellHost& host, int id);
// A "&List" item 1200 + i. navigation_commands.cpp
void runRangeMenuCommand(Session& session, ShellHost& host, int id);

}  // namespace quillane
