#pragma once

// Indices into the user-interface text table (UiText). Every entry with a
// built-in text has a name here; language files address the same entries
// by a group prefix and a number counted from the group's base.

namespace quillane::ui {

// Group bases of the language-file keys.
constexpr int kMenuBase = 0;      // "men"
constexpr int kWindowBase = 80;   // "win"
constexpr int kTooltipBase = 120; // "ttp"
constexpr int kMessageBase = 150; // "msg"
constexpr int kConfigBase = 190;  // "cfg"
constexpr int kDialogBase = 240;  // "dlg"

// Menu titles.
constexpr int kMenuFile = 0;
constexpr int kMenuEdit = 1;
constexpr int kMenuSpecial = 2;
constexpr int kMenuList = 3;
constexpr int kMenuSettings = 4;
constexpr int kMenuHelp = 5;  // built in but unused: the last title is always "&?"

// "&File" menu.
constexpr int kMenuOpen = 10;
constexpr int kMenuClose = 11;
constexpr int kMenuSaveAll = 12;
constexpr int kMenuSaveSelection = 13;
constexpr int kMenuAppendTo = 14;
constexpr int kMenuSaveSplit = 15;
constexpr int kMenuSaveProject = 16;
constexpr int kMenuSaveProjectAs = 17;
constexpr int kMenuQuit = 18;

// "&Edit" menu.
constexpr int kMenuFileInfo = 22;
constexpr int kMenuUndoSelection = 23;
constexpr int kMenuRemoveSelection = 24;
constexpr int kMenuSelectAll = 25;
constexpr int kMenuNormalize = 26;
constexpr int kMenuPauseDetection = 27;
constexpr int kMenuNamesForCue = 28;
constexpr int kMenuNamesForCueSheet = 29;

// "S&pecial" menu.
constexpr int kMenuBeginBackOneFrame = 36;
constexpr int kMenuBeginForwardOneFrame = 37;
constexpr int kMenuEndBackOneFrame = 38;
constexpr int kMenuEndForwardOneFrame = 39;
constexpr int kMenuSelectionBackOneFrame = 40;
constexpr int kMenuSelectionForwardOneFrame = 41;
constexpr int kMenuAutoCue = 42;
constexpr int kMenuEditCueSheet = 43;
constexpr int kMenuTurboGrabber = 44;

// "&List" menu: the empty list and the kind names of the ranges.
constexpr int kListNoRanges = 50;
constexpr int kListCut = 51;
constexpr int kListGain = 52;
constexpr int kListCue = 53;

// "&Settings" menu.
constexpr int kMenuConfigure = 54;
constexpr int kMenuBigTimer = 55;
constexpr int kMenuShowMilliseconds = 56;
constexpr int kMenuShowDbScale = 57;
constexpr int kMenuAutoselectRanges = 58;
constexpr int kMenuEnableMarginButton = 59;
constexpr int kMenuBitrateGraph = 60;
constexpr int kMenuBigTimerRelative = 61;

// "&?" menu.
constexpr int kMenuManual = 64;
constexpr int kMenuFaq = 65;
constexpr int kMenuAbout = 66;

// "MPEG graph level" submenu of "&Settings".
constexpr int kMenuGraphLevel = 70;
constexpr int kMenuGraphLevelHigher = 71;
constexpr int kMenuGraphLevelLower = 72;
constexpr int kMenuGraphLevelDefault = 73;

// Main window: status and panel texts.
constexpr int kStatusTotal = 100;
constexpr int kStatusNow = 101;
constexpr int kStatusSelection = 102;
constexpr int kStatusRange = 103;
constexpr int kStatusVbrCursorNote = 104;
constexpr int kStatusLayer2GraphNote = 105;
constexpr int kStatusRecordingTime = 106;
constexpr int kStatusUnencodedBuffer = 107;
constexpr int kStatusPressPlayToRecord = 108;
constexpr int kStatusWriting = 109;
constexpr int kStatusPressSetCue = 110;
constexpr int kStatusFastPlay = 111;

// Tooltips of the control-panel buttons.
constexpr int kTipLargeStepBack = 120;
constexpr int kTipSmallStepBack = 121;
constexpr int kTipSmallStepForward = 122;
constexpr int kTipLargeStepForward = 123;
constexpr int kTipPreviousRange = 124;
constexpr int kTipNextRange = 125;
constexpr int kTipGoToSelectionBegin = 126;
constexpr int kTipGoToSelectionEnd = 127;
constexpr int kTipZoomIn = 128;
constexpr int kTipZoomOut = 129;
constexpr int kTipCut = 130;
constexpr int kTipGain = 131;
constexpr int kTipEditRange = 132;
constexpr int kTipSetBegin = 133;
constexpr int kTipSetEnd = 134;
constexpr int kTipPrelistenToBegin = 135;
constexpr int kTipPrelistenFromBegin = 136;
constexpr int kTipPrelistenToEnd = 137;
constexpr int kTipPrelistenFromEnd = 138;
constexpr int kTipPrelistenAsCut = 139;
constexpr int kTipRewind = 140;
constexpr int kTipStop = 141;
constexpr int kTipPlay = 142;
constexpr int kTipRecord = 143;
constexpr int kTipMargin = 144;

// File-dialog titles.
constexpr int kTitleOpenFile = 151;
constexpr int kTitleCreateAudioFile = 152;
constexpr int kTitleAppendTo = 153;
constexpr int kTitleSaveProject = 154;
constexpr int kTitleRecordBaseName = 155;

// Message-box captions.
constexpr int kMsgError = 156;
constexpr int kMsgWarning = 157;
constexpr int kMsgNotPossible = 158;

// Message texts and file-type names.
constexpr int kMsgFileOpenFailed = 160;
constexpr int kFileTypeAudio = 161;
constexpr int kFileTypeProject = 162;
constexpr int kMsgCouldNotWrite = 163;
constexpr int kMsgCouldNotReplaceSource = 164;
constexpr int kMsgSyncErrors = 165;
constexpr int kMsgSelectionInvalid = 166;
constexpr int kMsgStopPlayRecFirst = 167;
constexpr int kMsgUnsupportedExtension = 168;
constexpr int kMsgSaveModifiedProject = 169;
constexpr int kMsgNoSelection = 170;
constexpr int kMsgReplaceSource = 171;
constexpr int kMsgNoGainOnLayer2 = 172;
constexpr int kMsgCrcQuestion = 173;
constexpr int kMsgNoActiveRange = 174;
constexpr int kMsgNoRanges = 175;
constexpr int kMsgReloadCueSheet = 176;
constexpr int kMsgRestartProgram = 177;
constexpr int kMsgNoTextEditor = 178;
constexpr int kMsgInstallDecoder = 180;
constexpr int kMsgCouldNotOpenDevice = 181;
constexpr int kMsgInstallEncoder = 182;
constexpr int kMsgTurboGrabber = 183;
// Project files and cue sheets with values out of range ("%d" is the number left out).
constexpr int kMsgProjectEntriesLeftOut = 184;
constexpr int kMsgCueTracksLeftOut = 185;
constexpr int kMsgProjectNothingLeft = 186;
constexpr int kMsgCueNothingLeft = 187;
constexpr int kMsgNotMpegAudio = 188;
constexpr int kMsgNothingToSave = 189;

// Configuration dialog: tab names.
constexpr int kCfgTabOperation = 192;
constexpr int kCfgTabMisc = 193;
constexpr int kCfgTabDevices = 194;
constexpr int kCfgTabEncoder = 195;

// Configuration dialog: encoder availability words.
constexpr int kCfgUse = 215;
constexpr int kCfgNotFound = 216;

// Configuration dialog: colour names.
constexpr int kColorBackground = 228;
constexpr int kColorLevelGraph = 229;
constexpr int kColorCursor = 230;
constexpr int kColorSelection = 231;
constexpr int kColorEditRanges = 232;
constexpr int kColorActiveRange = 233;
constexpr int kColorVuMeter = 234;

// Labels of the split, normalize and pause-detection dialogs: no built-in text, a
// language file's entry replaces the dialog's own label.
constexpr int kPauseSettingsGroup = 248;
constexpr int kSplitCaption = 250;
constexpr int kSplitIntro = 253;
constexpr int kSplitNaming = 255;
constexpr int kSplitFirstNumber = 256;
constexpr int kSplitId3v11 = 257;
constexpr int kSplitSampleAccurate = 258;
constexpr int kNormalizeCaption = 275;
constexpr int kNormalizeIntro = 276;
constexpr int kNormalizeStop = 277;
constexpr int kNormalizePeakFound = 278;
constexpr int kNormalizeLevelChange = 279;
constexpr int kPauseCaption = 290;
constexpr int kPauseIntro = 291;
constexpr int kPauseThreshold = 293;
constexpr int kPauseMinDuration = 294;
constexpr int kPauseStart = 296;
constexpr int kPauseStop = 297;
constexpr int kPauseSkip = 298;
constexpr int kPauseOffset = 299;
constexpr int kPauseCutWhole = 301;

// Other dialogs.
constexpr int kDlgCancel = 241;
constexpr int kDlgClose = 242;
constexpr int kSplitPatternHelp = 251;
constexpr int kSplitPatternWarning = 252;
constexpr int kSplitSelectFolder = 254;
constexpr int kFileInfoLabels = 270;
constexpr int kFileInfoHeaderNote = 273;
constexpr int kGainFrom = 281;
constexpr int kGainTo = 282;
constexpr int kNamesFor = 300;
// Labels of the names, Auto Cue and gain dialogs: no built-in text, a language
// file's entry replaces the dialog's own label.
constexpr int kLabelOk = 240;
constexpr int kLabelTitle = 263;
constexpr int kLabelArtist = 264;
constexpr int kGainCaption = 280;
constexpr int kGainFadeIn = 283;
constexpr int kGainFadeOut = 284;
constexpr int kGainFlat = 285;
constexpr int kGainLockSliders = 286;
constexpr int kAutoCueCaption = 304;
constexpr int kAutoCueEvery = 305;

// Labels whose English is the dialog's own text (no built-in entry); a language
// file may set them.
constexpr int kAboutWhatsNew = 306;
constexpr int kAboutLicense = 307;
constexpr int kAboutHomepage = 308;

// Header values of the loaded language file (no built-in text).
constexpr int kLanguageName = 310;
constexpr int kLanguageEditedBy = 311;
constexpr int kLanguageProgramVersion = 312;

}  // namespace quillane::ui
