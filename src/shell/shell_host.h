#pragma once

#include <string>

#include "audio/playback_host.h"

namespace quillane {

// What the command dispatcher and the window-message handling need of the main
// window beyond messages, file dialogs, the transport buttons and the timers.
// The Qt window implements it; tests script it.
class ShellHost : public PlaybackHost {
 public:
  // Brings the window's texts in line with the model at `level` (see
  // refreshTexts) and repaints the graph.
  virtual void refreshView(int level) = 0;
  // Rewrites the "&List" menu from the range table.
  virtual void rebuildRangeMenu() = 0;
  // Rewrites the recent-file entries of the "&File" menu.
  virtual void rebuildRecentMenu() = 0;
  // Runs modal dialog `dialogId` (dlg::k...) to its end and returns its result:
  // for the "Saving data..." dialog 0 when the save ran to its end, 1 when the
  // destination could not be opened or the user cancelled.
  virtual int runDialog(int dialogId) = 0;
  // False for a dialog that this build does not have yet; its commands are then
  // shown disabled and do nothing.
  virtual bool dialogAvailable(int dialogId) const = 0;
  // Keyboard focus to a control-panel field (ctl::kPositionField / kSelectionField),
  // or back to the main window for 0.
  virtual void focusControl(int controlId) = 0;
  // The window's close handling, as the close box would start it.
  virtual void requestClose() = 0;
  // The zoom changed: the graph geometry (and its column count) must be computed again.
  virtual void graphGeometryChanged() = 0;
  // Starts the desktop's text editor on a file without waiting for it; false
  // when none could be started.
  virtual bool startTextEditor(const std::string& path) = 0;
  // Opens a document (a help file) with its default application.
  virtual bool openDocument(const std::string& path) = 0;
};

}  // namespace quillane
