// Command ids of the menus, toolbars and accelerators.  Each QAction keeps
// its id as data, so tests and the dispatch address commands by id.
#pragma once

namespace cmd {

// File
constexpr int kImport = 32816;
constexpr int kExport = 32815;
constexpr int kCloseAll = 32814;
constexpr int kRecentFileFirst = 57616;  // five entries from here
constexpr int kExit = 57665;

// View
constexpr int kViewFileToolbar = 59392;
constexpr int kViewRenderingObjectToolbar = 32878;
constexpr int kViewPickToolbar = 32877;
constexpr int kViewAnalysisToolbar = 32876;
constexpr int kViewStatusBar = 59393;
constexpr int kViewObjectTree = 32858;
constexpr int kRotationCenter = 32874;
constexpr int kRenderingCenter = 32859;
constexpr int kRenderingRate = 32860;
constexpr int kViewAdjust = 32844;
constexpr int kViewTop = 32781;  // top, bottom, front, back, left, right: 32781..32786
constexpr int kViewBottom = 32782;
constexpr int kViewFront = 32783;
constexpr int kViewBack = 32784;
constexpr int kViewLeft = 32785;
constexpr int kViewRight = 32786;
constexpr int kViewFormDialog = 32879;
constexpr int kRotateSliderDialog = 32875;
constexpr int kSaveViewStateSlot1 = 32862;  // slots 1..9: 32862..32870
constexpr int kSaveViewStateSlot0 = 32861;
constexpr int kRestoreViewStateSlot1 = 32847;  // slots 1..9: 32847..32855
constexpr int kRestoreViewStateSlot0 = 32846;
constexpr int kZoomCenterScreen = 32907;
constexpr int kZoomCenterRotation = 32908;
constexpr int kZoomCenterCursor = 32910;
constexpr int kFlatShading = 32872;
constexpr int kSmoothShading = 32873;
constexpr int kMovementRendering = 32857;
constexpr int kCapture = 32787;

// Rendering objects
constexpr int kAxisRenderPoint = 32771;
constexpr int kAxisRenderLine = 32772;
constexpr int kAxisRenderLabel = 32773;
constexpr int kGeometricModelRenderPoint = 32774;
constexpr int kGeometricModelRenderLine = 32775;
constexpr int kGeometricModelRenderFace = 32776;
constexpr int kGeometricModelRenderLabel = 32777;
constexpr int kToolPathRenderPoint = 32778;
constexpr int kToolPathRenderLine = 32779;
constexpr int kToolPathRenderLabel = 32780;

// Pick
constexpr int kPickPointOnElement = 32839;

// Transform
constexpr int kTranslate = 32843;
constexpr int kRotate = 32842;
constexpr int kEnlarge = 32912;
constexpr int kAverageVertexNormal = 32841;

// Analysis
constexpr int kMeasure = 32806;
constexpr int kElementProperty = 32804;
constexpr int kMinMax = 32903;
constexpr int kVolume = 32802;
constexpr int kProjectionArea = 32801;
constexpr int kIsSolid = 32805;
constexpr int kCrossSectionPick = 32803;
constexpr int kCrossSectionEquation = 32807;
constexpr int kToolModel = 32808;

// Tools and help
constexpr int kOptions = 32840;
constexpr int kHelpContents = 32817;
constexpr int kAbout = 57664;

// Object tree pane
constexpr int kTreeInvertChecks = 32835;
constexpr int kTreeCheckAll = 32837;
constexpr int kTreeUncheckAll = 32836;
constexpr int kTreeExpandAll = 32824;
constexpr int kTreeCollapseAll = 32823;
constexpr int kTreeCloseAll = 32820;
constexpr int kTreeClose = 32819;
constexpr int kTreePointColor = 32831;
constexpr int kTreePointSize = 32832;
constexpr int kTreeLineColor = 32827;
constexpr int kTreeLineWidth = 32828;
constexpr int kTreeFaceColor = 32826;
constexpr int kTreeFaceAlpha = 32825;
constexpr int kTreeProperty = 32833;
constexpr int kTreeModelPosition = 32830;
constexpr int kTreeToolPathColor = 32838;
constexpr int kTreeArcPrecision = 32818;
constexpr int kTreeMachiningStartPoint = 32829;
constexpr int kTreeRapidFeedrate = 32834;
constexpr int kTreeCodeList = 32822;
constexpr int kTreeCodeCheck = 32821;

// Private message that imports the files of the command line once the view draws.
constexpr int kImportCommandLine = 32868;

// Standard dialog buttons.
constexpr int kOk = 1;
constexpr int kCancel = 2;

}  // namespace cmd
