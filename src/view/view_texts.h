#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "audio/level_meter.h"
#include "session/session.h"

namespace quillane {

// Refresh levels: how much of the window has to follow the model.
constexpr int kRefreshAll = 3;        // a file was opened or a setting changed
constexpr int kRefreshSelection = 2;  // the selection or the edit ranges changed
constexpr int kRefreshPosition = 1;   // the cursor or play position moved
constexpr int kRefreshClear = 0;      // no file is open
constexpr int kRefreshMargin = -1;    // recording initialised: margin label only
constexpr int kRefreshRecording = -2; // recording texts

// The "&Settings" items that carry a check mark, 1051..1057, in id order.
constexpr int kFirstSettingsCheckItem = 1051;
constexpr int kSettingsCheckItems = 7;

// What the main window applies after a refresh. An element without a value is
// left as it is.
struct ViewTexts {
  int level = 0;  // the level actually used (a positive one becomes 0 without a file)
  std::optional<std::string> title;
  std::optional<std::string> statusText;
  std::optional<std::string> positionField;   // control 161, the upper field
  std::optional<std::string> selectionField;  // control 160, the lower field
  std::optional<int> positionBar;             // 0..1000
  // The "&Margin" button's text; replace it only when meterMarginTextDiffers.
  std::optional<std::string> marginLabel;
  std::optional<bool> marginButtonEnabled;
  // Check marks of the items 1051..1057 (index = id - 1051).
  std::optional<std::array<bool, kSettingsCheckItems>> settingsChecks;
};

// The window title for an open file: its file name and " - Quillane".
std::string windowTitle(const std::string& sourcePath);
// The status bar for a frame header: version, layer, bit rate (and average for
// a variable rate), sample rate, channel mode, then ", CRC" and ", ©".
std::string statusBarText(const AudioStream& stream);
// " Selection: b - e (n)", " Range (i/n): b - e (n)" or a single blank.
std::string selectionFieldText(const Session& session);
// " Total: T   Now: P   (p%)", or " (p%) " without a valid current header.
std::string positionFieldText(const Session& session);
// The current position on the position bar's scale 0..1000.
int positionBarValue(const Session& session);

// Computes what a refresh at `level` shows. With autoselect on, levels 1 and
// up first make the range at or before the current position current (this is
// the one change made to the session). `meter` supplies the margin label; without
// it no label is computed.
ViewTexts refreshTexts(Session& session, int level, const LevelMeter* meter = nullptr);

}  // namespace quillane
