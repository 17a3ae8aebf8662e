// Accelerator table 900 as data. Qt menu items show the key names of their
// texts but carry no shortcuts: every key goes through this table, so that keys
// typed into the two text fields of the control panel stay text.
#include "app/accelerator_table.h"

#include "session/command_ids.h"

namespace quillane {

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

constexpr std::array<Accelerator, kAcceleratorCount> kTable{{
    // Without modifier.
    {Qt::Key_Space, kNone, cmd::kPlayOrStop},
    {Qt::Key_PageUp, kNone, cmd::kSkipBackLarge},
    {Qt::Key_PageDown, kNone, cmd::kSkipForwardLarge},
    {Qt::Key_Left, kNone, cmd::kSkipBackSmall},
    {Qt::Key_Right, kNone, cmd::kSkipForwardSmall},
    {Qt::Key_Home, kNone, cmd::kRewind},
    {Qt::Key_End, kNone, cmd::kGoToAudioEnd},
    {Qt::Key_Up, kNone, cmd::kGoToBegin},
    {Qt::Key_Down, kNone, cmd::kGoToEnd},
    {Qt::Key_Delete, kNone, cmd::kCut},
    {Qt::Key_Backspace, kNone, cmd::kMargin},
    {Qt::Key_R, kNone, cmd::kRecord},
    {Qt::Key_I, kNone, cmd::kZoomIn},
    {Qt::Key_O, kNone, cmd::kZoomOut},
    {Qt::Key_C, kNone, cmd::kCut},
    {Qt::Key_G, kNone, cmd::kGain},
    {Qt::Key_E, kNone, cmd::kEditRange},
    {Qt::Key_B, kNone, cmd::kSetBegin},
    {Qt::Key_N, kNone, cmd::kSetEnd},
    {Qt::Key_S, kNone, cmd::kStop},
    {Qt::Key_P, kNone, cmd::kPlay},
    {Qt::Key_1, kNone, cmd::kBeginBackOneFrame},
    {Qt::Key_2, kNone, cmd::kBeginForwardOneFrame},
    {Qt::Key_3, kNone, cmd::kEndBackOneFrame},
    {Qt::Key_4, kNone, cmd::kEndForwardOneFrame},
    {Qt::Key_5, kNone, cmd::kBothBackOneFrame},
    {Qt::Key_6, kNone, cmd::kBothForwardOneFrame},
    {Qt::Key_F5, kNone, cmd::kPrelistenToBegin},
    {Qt::Key_F6, kNone, cmd::kPrelistenFromBegin},
    {Qt::Key_F7, kNone, cmd::kPrelistenToEnd},
    {Qt::Key_F8, kNone, cmd::kPrelistenFromEnd},
    {Qt::Key_F9, kNone, cmd::kPrelistenAsCut},
    {Qt::Key_F12, kNone, cmd::kConfigureEncoder},
    {Qt::Key_Plus, kNone, cmd::kGraphLevelHigher, true},
    {Qt::Key_Minus, kNone, cmd::kGraphLevelLower, true},
    // With Ctrl.
    {Qt::Key_Left, kCtrl, cmd::kPreviousRange},
    {Qt::Key_Right, kCtrl, cmd::kNextRange},
    {Qt::Key_P, kCtrl, cmd::kFocusPositionField},
    {Qt::Key_L, kCtrl, cmd::kFocusSelectionField},
    {Qt::Key_N, kCtrl, cmd::kNamesForCue},
    {Qt::Key_R, kCtrl, cmd::kRemoveSelection},
    {Qt::Key_A, kCtrl, cmd::kSelectAll},
    {Qt::Key_C, kCtrl, cmd::kConfigure},
    {Qt::Key_I, kCtrl, cmd::kFileInfo},
    {Qt::Key_O, kCtrl, cmd::kOpen},
    {Qt::Key_F4, kCtrl, cmd::kClose},
    {Qt::Key_S, kCtrl, cmd::kSaveProject},
    {Qt::Key_M, kCtrl, cmd::kNormalize},
    {Qt::Key_Z, kCtrl, cmd::kUndoSelection},
    {Qt::Key_T, kCtrl, cmd::kSaveSplit},
    {Qt::Key_E, kCtrl, cmd::kSaveSelection},
    {Qt::Key_D, kCtrl, cmd::kAppendTo},
    {Qt::Key_W, kCtrl, cmd::kSaveAll},
    // With Shift.
    {Qt::Key_Left, kShift, cmd::kFrameBack},
    {Qt::Key_Right, kShift, cmd::kFrameForward},
}};

}  // namespace

const std::array<Accelerator, kAcceleratorCount>& acceleratorTable() { return kTable; }

int acceleratorCommand(int key, Qt::KeyboardModifiers modifiers) {
  // Only Shift, Ctrl and Alt take part in the match; the arrow and page keys
  // carry the keypad flag on some platforms, so it is looked at only for the
  // entries that ask for the keypad.
  const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const bool fromKeypad = modifiers.testFlag(Qt::KeypadModifier);
  for (const Accelerator& entry : kTable) {
    if (entry.key != key || entry.modifiers != held) continue;
    if (entry.keypad && !fromKeypad) continue;
    // A keypad digit is not the main row's digit.
    if (!entry.keypad && fromKeypad && key >= Qt::Key_0 && key <= Qt::Key_9) continue;
    return entry.commandId;
  }
  return 0;
}

}  // namespace quillane
