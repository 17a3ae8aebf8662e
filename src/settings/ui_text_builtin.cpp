// The built-in English texts of the user-interface text table.

#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

void setBuiltInTexts(UiText& table) {
  for (int i = 0; i < kUiTextCount; ++i) {
    table.text[i].clear();
    table.loaded[i] = false;
  }
  auto& t = table.text;

  // Menu titles and items, the "&List" menu's kind names.
  t[ui::kMenuFile] = "&File";
  t[ui::kMenuEdit] = "&Edit";
  t[ui::kMenuSpecial] = "S&pecial";
  t[ui::kMenuList] = "&List";
  t[ui::kMenuSettings] = "&Settings";
  t[ui::kMenuHelp] = "&Help";
  t[ui::kMenuOpen] = "&Open...\tCtrl+O";
  t[ui::kMenuClose] = "&Close\tCtrl+F4";
  t[ui::kMenuSaveAll] = "&Save all...\tCtrl+W";
  t[ui::kMenuSaveSelection] = "Save s&election...\tCtrl+E";
  t[ui::kMenuAppendTo] = "Appen&d all/selection to...\tCtrl+D";
  t[ui::kMenuSaveSplit] = "Save spli&t...\tCtrl+T";
  t[ui::kMenuSaveProject] = "Save P&roject file/Cue sheet\tCtrl+S";
  t[ui::kMenuSaveProjectAs] = "Save &Project file/Cue sheet as...";
  t[ui::kMenuQuit] = "&Quit\tAlt+F4";
  t[ui::kMenuFileInfo] = "Tag &ID3 and file info...\tCtrl+I";
  t[ui::kMenuUndoSelection] = "&Undo selection change\tCtrl+Z";
  t[ui::kMenuRemoveSelection] = "&Remove selection\tCtrl+R";
  t[ui::kMenuSelectAll] = "Select &All\tCtrl+A";
  t[ui::kMenuNormalize] = "Nor&malize...\tCtrl+M";
  t[ui::kMenuPauseDetection] = "&Pause detection...";
  t[ui::kMenuNamesForCue] = "&Names for current cue...\tCtrl+N";
  t[ui::kMenuNamesForCueSheet] = "Names for &Cue sheet...";
  t[ui::kMenuBeginBackOneFrame] = "I.. << 1 frame\t1";
  t[ui::kMenuBeginForwardOneFrame] = "I.. >> 1 frame\t2";
  t[ui::kMenuEndBackOneFrame] = "..I << 1 frame\t3";
  t[ui::kMenuEndForwardOneFrame] = "..I >> 1 frame\t4";
  t[ui::kMenuSelectionBackOneFrame] = "I...I << 1 frame\t5";
  t[ui::kMenuSelectionForwardOneFrame] = "I...I >> 1 frame\t6";
  t[ui::kMenuAutoCue] = "&Auto Cue...";
  t[ui::kMenuEditCueSheet] = "Save Cue sheet and edit with text editor";
  t[ui::kMenuTurboGrabber] = "33 1/3 Turbo Grabber";
  t[ui::kListNoRanges] = "(No cut/gain/cue present)";
  t[ui::kListCut] = "Cut";
  t[ui::kListGain] = "Gain";
  t[ui::kListCue] = "Cue";
  t[ui::kMenuConfigure] = "&Configure...\tCtrl+C";
  t[ui::kMenuBigTimer] = "&Big timer";
  t[ui::kMenuShowMilliseconds] = "Show &miliseconds";
  t[ui::kMenuShowDbScale] = "Show &dB scale";
  t[ui::kMenuAutoselectRanges] = "Au&toselect edit ranges";
  t[ui::kMenuEnableMarginButton] = "Enable M&argin button";
  t[ui::kMenuBitrateGraph] = "Show bitrate graph on VBR";
  t[ui::kMenuBigTimerRelative] = "Big shows relative times";
  t[ui::kMenuManual] = "&Manual";
  t[ui::kMenuFaq] = "&FAQ";
  t[ui::kMenuAbout] = "&About";
  t[ui::kMenuGraphLevel] = "MPEG graph level";
  t[ui::kMenuGraphLevelHigher] = "Higher\tNum +";
  t[ui::kMenuGraphLevelLower] = "Lower\tNum  -";
  t[ui::kMenuGraphLevelDefault] = "Default";

  // Main window: status and panel texts.
  t[ui::kStatusTotal] = "Total";
  t[ui::kStatusNow] = "Now";
  t[ui::kStatusSelection] = "Selection";
  t[ui::kStatusRange] = "Range";
  t[ui::kStatusVbrCursorNote] = "(VBR visualisation shows displaced cursor)";
  t[ui::kStatusLayer2GraphNote] = "(Layer 2 graph shows limited audio information)";
  t[ui::kStatusRecordingTime] = "Recording time";
  t[ui::kStatusUnencodedBuffer] = "Unencoded buffer";
  t[ui::kStatusPressPlayToRecord] = " Press Play to start recording... ";
  t[ui::kStatusWriting] = "Writing";
  t[ui::kStatusPressSetCue] = " Press 'Set cue' to set cues";
  t[ui::kStatusFastPlay] = "Fast Play";

  // Tooltips of the control-panel buttons.
  t[ui::kTipLargeStepBack] = "Skip back defineable large step   [Page up]";
  t[ui::kTipSmallStepBack] = "Skip back defineable small step   [Left]";
  t[ui::kTipSmallStepForward] = "Skip forward defineable small step   [Right]";
  t[ui::kTipLargeStepForward] = "Skip forward defineable large step   [Page down]";
  t[ui::kTipPreviousRange] = "Go to previous edit range   [Ctrl+Left]";
  t[ui::kTipNextRange] = "Go to next edit range   [Ctrl+Right]";
  t[ui::kTipGoToSelectionBegin] = "Go to beginning of selection/current range   [Up]";
  t[ui::kTipGoToSelectionEnd] = "Go to end of selection/current range   [Down]";
  t[ui::kTipZoomIn] = "Zoom in";
  t[ui::kTipZoomOut] = "Zoom out";
  t[ui::kTipCut] = "Cut selection   [Del]";
  t[ui::kTipGain] = "Change volume of selection";
  t[ui::kTipEditRange] = "Remove highlighted range and create selection from it";
  t[ui::kTipSetBegin] = "Selection beginning = current position";
  t[ui::kTipSetEnd] = "Selection end = current position";
  t[ui::kTipPrelistenToBegin] = "Prelisten 2 sec TO BEGINNING of selection   [F5]";
  t[ui::kTipPrelistenFromBegin] = "Prelisten 2 sec FROM BEGINNING of selection   [F6]";
  t[ui::kTipPrelistenToEnd] = "Prelisten 2 sec TO END of selection / Fast Play: slower   [F7]";
  t[ui::kTipPrelistenFromEnd] = "Prelisten 2 sec FROM END of selection / Fast Play: faster   [F8]";
  t[ui::kTipPrelistenAsCut] = "Prelisten selection 4 sec AS CUT   [F9]";
  t[ui::kTipRewind] = "Rewind   [Home]";
  t[ui::kTipStop] = "Stop play or record   [Space]";
  t[ui::kTipPlay] = "Play from cursor or start recording   [Space]";
  t[ui::kTipRecord] = "Initialize recording new file";
  t[ui::kTipMargin] = "Shows dB level margin (left/right or mono), push resets   [BS]";

  // Message-box texts and captions, file-dialog titles.
  t[ui::kTitleOpenFile] = "Open file";
  t[ui::kTitleCreateAudioFile] = "Create audio file";
  t[ui::kTitleAppendTo] = "Append current file/selection to audio file";
  t[ui::kTitleSaveProject] = "Save Project file or Cue sheet";
  t[ui::kTitleRecordBaseName] = "Record base filename";
  t[ui::kMsgError] = "Error";
  t[ui::kMsgWarning] = "Warning";
  t[ui::kMsgNotPossible] = "Not possible";
  t[ui::kMsgFileOpenFailed] = "File open failed";
  t[ui::kFileTypeAudio] = "Audio file";
  t[ui::kFileTypeProject] = "Project file";
  t[ui::kMsgCouldNotWrite] = "Could not create/write to file";
  t[ui::kMsgCouldNotReplaceSource] = "Could not replace source file. Saved as:";
  t[ui::kMsgSyncErrors] = "While saving %d file(s) %d sync error(s) occured.";
  t[ui::kMsgSelectionInvalid] = "Selection range seems to be invalid";
  t[ui::kMsgStopPlayRecFirst] = "Please stop play/rec first";
  t[ui::kMsgUnsupportedExtension] = "Unsupported file extension";
  t[ui::kMsgSaveModifiedProject] = "Changes unsaved. Save modified Project?";
  t[ui::kMsgNoSelection] = "No selection or selection too short";
  t[ui::kMsgReplaceSource] = "Really close and replace the source file?";
  t[ui::kMsgNoGainOnLayer2] = "Can't change the volume of Layer 2 files";
  t[ui::kMsgCrcQuestion] =
      "Modifying the gain of error checked frames will produce\n"
      "incorrect CRCs which might irritate some decoders.\n"
      "Really proceed?";
  t[ui::kMsgNotMpegAudio] = "is not an MPEG audio file";
  t[ui::kMsgNothingToSave] = "Nothing left to save: every frame is cut";
  t[ui::kMsgNoActiveRange] = "No active edit range (cut/cue/gain)";
  t[ui::kMsgNoRanges] = "No edit ranges present";
  t[ui::kMsgReloadCueSheet] = "Reload Cue sheet?";
  t[ui::kMsgRestartProgram] = "Restart program?";
  t[ui::kMsgNoTextEditor] = "No text editor could be started. The cue sheet was saved as:";
  t[ui::kMsgInstallDecoder] =
      "How to install/activate the MPEG decoder \"libmpg123\"\n"
      "\n"
      "\n"
      "  - Install the Debian package \"libmpg123-0\" (sudo apt install libmpg123-0)\n"
      "\n"
      "  - Restart Quillane\n"
      "\n"
      "  - Go to \"Settings\" => \"Configure...\" => \"Devices\"\n"
      "\n"
      "  - Under \"MPEG Decoder\" select \"libmpg123\"";
  t[ui::kMsgCouldNotOpenDevice] = "Could not open wave/audio device";
  t[ui::kMsgInstallEncoder] =
      "How to install/activate the LAME MP3 encoder\n"
      "\n"
      "\n"
      "  - Install the Debian package \"libmp3lame0\" (sudo apt install libmp3lame0)\n"
      "\n"
      "  - Restart Quillane\n"
      "\n"
      "  - Press F12 (or \"Settings\" => \"Configure...\" => \"Encoder\")\n"
      "\n"
      "  - Select \"LAME\" and adjust settings";
  t[ui::kMsgProjectEntriesLeftOut] = "%d entries of the project file were out of range and have been left out.";
  t[ui::kMsgCueTracksLeftOut] = "%d tracks of the cue sheet were out of range and have been left out.";
  t[ui::kMsgProjectNothingLeft] = "Every entry of the project file was out of range: nothing is left to open.";
  t[ui::kMsgCueNothingLeft] = "Every track of the cue sheet was out of range: nothing is left to open.";
  t[ui::kMsgTurboGrabber] =
      "This incredible breakthrough lets you grab your old 33 rpm\n"
      "longplay records with 45 rpm (1.35x) and saves 30% of your time!\n"
      "\n"
      "Put the record on at 45 rpm, press OK, then Play to start writing:\n"
      "Quillane slows the sound down by 1.35 again before it is encoded.\n"
      "\n"
      "\"I grabbed my whole collection in a single weekend!\" (Hank S., Dusty Grooves)\n"
      "\"My cat has never listened to music so attentively.\" (Rita P., Bremen)\n"
      "\"Finally some time left to actually listen to them.\" (a happy customer)";

  // Configuration dialog: tab names, encoder words, colour names.
  t[ui::kCfgTabOperation] = "Operation";
  t[ui::kCfgTabMisc] = "Misc";
  t[ui::kCfgTabDevices] = "Devices";
  t[ui::kCfgTabEncoder] = "Encoder [F12]";
  t[ui::kCfgUse] = "Use";
  t[ui::kCfgNotFound] = "not found";
  t[ui::kColorBackground] = "Background";
  t[ui::kColorLevelGraph] = "MPEG level graph";
  t[ui::kColorCursor] = "Cursor, big timer";
  t[ui::kColorSelection] = "Selection";
  t[ui::kColorEditRanges] = "Edit ranges (cut, cue, gain)";
  t[ui::kColorActiveRange] = "Active edit range, names";
  t[ui::kColorVuMeter] = "VU meter";

  // The other dialogs.
  t[ui::kDlgCancel] = "&Cancel";
  t[ui::kDlgClose] = "&Close";
  t[ui::kSplitPatternHelp] =
      "%N = Track (cue/cut) number\n"
      "%T = Track (cue/cut) title\n"
      "%A = Track (cue/cut) artist\n"
      "%C = Cue sheet (album) title\n"
      "%D = Cue sheet (album) artist\n"
      "\n"
      "Example: %A (%C %N) - %T";
  t[ui::kSplitPatternWarning] =
      "IMPORTANT: You should always use %N if no other information is available. Otherwise the program will overwrite files.\n"
      "\n"
      "Because %T, %A, %C and %D have only effect if names are present (loaded with a Cue sheet or entered).";
  t[ui::kSplitSelectFolder] = "Select folder for split files:";
  t[ui::kFileInfoLabels] =
      "Total size:\n"
      "First audio frame at:\n"
      "Current position:\n"
      "Current bitrate:\n"
      "Average bitrate:\n"
      "Size of current frame:\n"
      "Average frame size:\n"
      "Xing VBR header:";
  t[ui::kFileInfoHeaderNote] = "The following data was found at the beginning of the file (e.g. VBR header, ID3v2 Tag, incomplete frame...). As not every type of header is supported Quillane will ignore (and not write) unknown header types (e.g. ID3v2). An MP3 without header will NOT be corrupted, but you may lose additional information.";
  t[ui::kGainFrom] = "from";
  t[ui::kGainTo] = "to";
  t[ui::kNamesFor] = "Names for";
}

}  // namespace quillane
