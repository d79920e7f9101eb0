#pragma once

// Command identifiers shared by the menus, the toolbar, the accelerators and
// the status-bar prompts. Charts, peers and users know the commands by these
// numbers, so they keep the values they have always had.
namespace Cmd {

// Files and the program.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru1 = 57616; ///< first of the four recent files
inline constexpr int kAppExit = 57665;
inline constexpr int kAppAbout = 57664;
inline constexpr int kHelp = 57670;        ///< the help window (F1)
inline constexpr int kContextHelp = 57669; ///< toolbar button, always disabled
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;

// Copy (Ctrl+C, Ctrl+Insert) and export.
inline constexpr int kEditCopy = 57634;
inline constexpr int kExportChart = 32810;
inline constexpr int kExportTable = 32811;

// The chart.
inline constexpr int kAddFunction = 32771;
inline constexpr int kProperties = 40021;
inline constexpr int kFunctions = 40024;
inline constexpr int kRange = 40025;
inline constexpr int kGridAxes = 40026;
inline constexpr int kScale = 40027;
inline constexpr int kDescriptions = 40028;
inline constexpr int kComputation = 40029;
inline constexpr int kTableSettings = 32795;
inline constexpr int kZoomIn = 32779;
inline constexpr int kZoomOut = 32780;
inline constexpr int kUndoZoom = 40032;
inline constexpr int kPointsOfInterest = 40050;
inline constexpr int kAnalysis = 40051;
inline constexpr int kArea = 40052;

// Mouse modes, held as the command that selected them.
inline constexpr int kModePoint = 32798;
inline constexpr int kModePan = 32782;
inline constexpr int kModeZoom = 32783;

// View and window.
inline constexpr int kToolBar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kToggleTable = 32792;
inline constexpr int kGuides = 32791;
inline constexpr int kAntialiasing = 40053;
inline constexpr int kServer = 32800;
inline constexpr int kClient = 32801;
inline constexpr int kNewWindow = 57648;
inline constexpr int kCascade = 57650;
inline constexpr int kTile = 57651;
inline constexpr int kArrangeIcons = 57649;
inline constexpr int kSplitBar = 32796;
inline constexpr int kCloseAll = 40008;

// Status-bar panes 3 and 4.
inline constexpr int kPaneServer = 59145;
inline constexpr int kPaneClient = 59146;

} // namespace Cmd

/// Hint bits of CDocument::UpdateAllViews. Hint 0 is a full update.
namespace UpdateHint {
inline constexpr int kKeepTable = 1; ///< the value table need not be rebuilt
inline constexpr int kNoSend = 2;    ///< do not send the chart to network clients
} // namespace UpdateHint
