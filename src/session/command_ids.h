#pragma once

// The numbers of the main window's commands, controls, dialogs and timers. Menu
// items, accelerator keys and control-panel buttons carry the same command ids
// and reach one dispatcher.

namespace quillane::cmd {

// --- Control-panel buttons (their control ids are their command ids) --------
constexpr int kSkipBackLarge = 112;    // "<<<"  Page Up
constexpr int kSkipBackSmall = 113;    // "<<"   Left
constexpr int kSkipForwardSmall = 114; // ">>"   Right
constexpr int kSkipForwardLarge = 115; // ">>>"  Page Down
constexpr int kPreviousRange = 116;    // "I<"   Ctrl+Left
constexpr int kNextRange = 117;        // ">I"   Ctrl+Right
constexpr int kGoToBegin = 118;        // "I..<<" Up
constexpr int kGoToEnd = 119;          // ">>..I" Down
constexpr int kZoomIn = 120;           // "&In"  I
constexpr int kZoomOut = 121;          // "&Out" O
constexpr int kGoToAudioEnd = 122;     // End (no button)
constexpr int kPrelistenToBegin = 126;   // "=>I.."  F5
constexpr int kPrelistenFromBegin = 127; // "I=>.."  F6
constexpr int kPrelistenToEnd = 128;     // "..=>I"  F7, Fast Play slower
constexpr int kPrelistenFromEnd = 129;   // "..I=>"  F8, Fast Play faster
constexpr int kPrelistenAsCut = 131;     // "=>I...I=>" F9
constexpr int kRewind = 133;           // "Rew"  Home
constexpr int kPlay = 134;             // "&Play" P
constexpr int kStop = 135;             // "&Stop" S
constexpr int kPlayOrStop = 136;       // Space (no button)
constexpr int kRecord = 137;           // "&Rec" R
constexpr int kMargin = 138;           // "&Margin" Backspace
constexpr int kGain = 151;             // "&Gain" G
constexpr int kCut = 152;              // "&Cut" C, Delete
constexpr int kEditRange = 153;        // "&Edit" E
constexpr int kSetBegin = 154;         // "Set &begin" B (a cue mark while writing a recording)
constexpr int kSetEnd = 155;           // "Set e&nd" N
constexpr int kSelectionFieldFocus = 160;  // the selection field's focus notice
constexpr int kFocusPositionField = 165;   // Ctrl+P
constexpr int kFocusSelectionField = 166;  // Ctrl+L
constexpr int kFrameBack = 167;        // Shift+Left
constexpr int kFrameForward = 168;     // Shift+Right
constexpr int kConfigureEncoder = 901; // F12

// --- Menu items ---------------------------------------------------------------
constexpr int kOpen = 1010;
constexpr int kClose = 1011;
constexpr int kSaveAll = 1012;
constexpr int kSaveSelection = 1013;
constexpr int kSaveSplit = 1014;
constexpr int kAppendTo = 1015;
constexpr int kSaveProject = 1016;
constexpr int kSaveProjectAs = 1017;
constexpr int kQuit = 1018;
constexpr int kUndoSelection = 1022;
constexpr int kRemoveSelection = 1023;
constexpr int kSelectAll = 1024;
constexpr int kNormalize = 1025;
constexpr int kPauseDetection = 1026;
constexpr int kFileInfo = 1027;
constexpr int kNamesForCue = 1028;
constexpr int kNamesForCueSheet = 1029;
constexpr int kEditCueSheet = 1030;    // save the cue sheet and edit it in a text editor
constexpr int kBeginBackOneFrame = 1036;     // 1
constexpr int kBeginForwardOneFrame = 1037;  // 2
constexpr int kEndBackOneFrame = 1038;       // 3
constexpr int kEndForwardOneFrame = 1039;    // 4
constexpr int kBothBackOneFrame = 1040;      // 5
constexpr int kBothForwardOneFrame = 1041;   // 6
constexpr int kAutoCue = 1042;
constexpr int kTurboGrabber = 1043;
constexpr int kConfigure = 1050;
constexpr int kToggleBigTimer = 1051;
constexpr int kToggleMilliseconds = 1052;
constexpr int kToggleDbScale = 1053;
constexpr int kToggleAutoselect = 1054;
constexpr int kToggleMargin = 1055;
constexpr int kToggleBitrateGraph = 1056;
constexpr int kToggleBigRelative = 1057;
constexpr int kGraphLevelHigher = 1061;  // Num +
constexpr int kGraphLevelLower = 1062;   // Num -
constexpr int kGraphLevelDefault = 1063;
constexpr int kManual = 1080;
constexpr int kFaq = 1081;
constexpr int kAbout = 1082;
constexpr int kRecentFileBase = 1100;  // 1100..1105: recent files 1..6
constexpr int kRecentFileCount = 6;
constexpr int kRangeMenuBase = 1200;   // 1200 + i: "&List" item i

// Notification code of a command: the selection field gained the focus.
constexpr int kNotifyNone = 0;
constexpr int kNotifySetFocus = 0x0100;

}  // namespace quillane::cmd

namespace quillane::ctl {
constexpr int kStatusBar = 190;
constexpr int kPositionField = 161;   // upper field: totals and position
constexpr int kSelectionField = 160;  // lower field: selection or current range
constexpr int kGroupNav = 140;
constexpr int kGroupEdit = 141;
constexpr int kGroupAudio = 142;
// "Saving data..." dialog
constexpr int kSaveProgress = 617;
constexpr int kSaveButton = 612;
constexpr int kSaveReport = 661;
}  // namespace quillane::ctl

namespace quillane::dlg {
constexpr int kControlPanel = 100;
constexpr int kConfiguration = 300;
constexpr int kSaving = 400;
constexpr int kAbout = 401;
constexpr int kFileInfo = 402;
constexpr int kNames = 403;
constexpr int kAutoCue = 404;
constexpr int kGain = 405;
constexpr int kNormalize = 406;
constexpr int kPauseDetection = 407;
constexpr int kSplit = 408;
}  // namespace quillane::dlg

namespace quillane::tmr {
constexpr int kStartPlayback = 1809;  // one shot, 100 ms after a Play or prelisten request
constexpr int kSaveSlice = 7079;      // 50 ms between the save dialog's slices
}  // namespace quillane::tmr

namespace quillane {
// The accelerator table's number.
constexpr int kAcceleratorTable = 900;
}  // namespace quillane
