#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"
#include "shell/shell_host.h"
#include "view/graph_geometry.h"

namespace quillane {

// Buttons and keys held during a mouse event on the graph.
struct MouseKeys {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool ctrl = false;
};

// A press (pressed) or a drag with a button held on the graph window, at x, y in
// the graph window's own pixels. Above the split line: Ctrl moves the cursor,
// the left and right buttons set or drag the selection by the mouse method;
// below it the left button moves the cursor to that part of the file.
// Does nothing without a file.
void graphMouse(Session& session, ShellHost& host, const GraphGeometry& geometry, MouseKeys keys, int x, int y,
                bool pressed);

// The position bar's scroll codes.
enum class ScrollCode { LineLeft, LineRight, PageLeft, PageRight, ThumbTrack, Other };
// Moves the cursor for a scroll of the position bar (thumb 0..1000 for ThumbTrack).
void positionBarScroll(Session& session, ShellHost& host, ScrollCode code, int thumb);

// Files dropped on the main window: the first one is opened (after requireIdle
// and confirmUnsaved), the others are ignored.
void dropFiles(Session& session, ShellHost& host, const std::vector<std::string>& paths);

// Enter or Tab in the position field / selection field with its text: a typed
// time ("1:30", "90", "1'30.5", in the selection field "1:30-2:45") or the
// field's full text. True when the text was taken (or is the one shown). False
// for a text that is not understood: the host has beeped, nothing changed, and
// the window keeps the field and its text selected for retyping.
bool enterPositionField(Session& session, ShellHost& host, std::string_view text);
bool enterSelectionField(Session& session, ShellHost& host, std::string_view text);

// Timer 1809 fired: the deferred start of playback.
void playbackTimerFired(Session& session, ShellHost& host);
// The output device handed back buffer `bufferIndex`: onBufferDone, then the
// refresh that lets the position and the current range follow playback (level 2
// when the current range changed since the last such refresh, else level 1).
void playbackBufferReturned(Session& session, ShellHost& host, int bufferIndex);
// The input device filled a capture buffer: onRecordBuffer, then the margin refresh.
void recordBufferFilled(Session& session, ShellHost& host, int bufferIndex, uint32_t bytes);

// The close request (close box, "&Quit", Alt+F4): true when the window may close.
bool closeRequested(Session& session, Host& host);

// The file argument of the command line: the arguments after the program's
// name joined by blanks (so an unquoted path with blanks is one path), a
// leading double quote dropped and the text cut at its last double quote.
// "/r" stands for "start recording".
std::string commandLineFile(const std::vector<std::string>& arguments);

// Start-up: opens the command-line file, if any, and refreshes. "/r" starts a
// recording and its writing at once (a failure leaves the program empty). A
// relative path is taken from the current folder; a file that fails to open is
// handled as openAndShow does. Then the recent and the "&List" menus are built.
void openCommandLineFile(Session& session, ShellHost& host, const std::string& file);

}  // namespace quillane
