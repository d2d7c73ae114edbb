// The program's one view: the last class of the OpenGL view chain.  It adds
// the view's settings, the commands of the menus and keys, the mapping of
// mouse buttons to tracking, the help texts, scene fitting and the order in
// which a frame is drawn; it also carries the import and export pipeline and
// resolves picks.
#pragma once

#include <QPointer>

#include <memory>
#include <string>

#include "app/CommandTarget.h"
#include "app/ImportPipeline.h"
#include "render/ManagerPickObject.h"
#include "view/OpenGLUtilView.h"

class CMainFrame;
class CDialogExport;
class CDialogPickObjectDecision;
class CRenderingObjectModel;
class CTreeCtrlRenderingObject;

class CPilvo3DView : public COpenGLUtilView, public CCommandTarget, public CPickHost {
  Q_OBJECT

public:
  explicit CPilvo3DView(QWidget* parent = nullptr);
  ~CPilvo3DView() override;

  // Connects the frame's drops, recent files and redraw requests.
  void AttachFrame(CMainFrame* frame);

  // The view's section "Pilvo3DView" and the sections of the managers.
  void Profile(bool save) override;
  void ProfileAll(bool save);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CCommandState& state) override;

  // Imports the files of line (after the program path) once the view can
  // draw: the first time the view is ready it only repaints.
  void PostCommandLineImport(const std::wstring& line);

  // Scene fitting.
  bool FitZoom();
  void CenterOnScene();
  void FitFarPlane();
  // F8: fit zoom and centre; without objects a message.
  void ViewAdjust();
  void CloseAll();
  // The view image as the 24-bit bottom-up bitmap put on the clipboard.
  QByteArray CaptureBitmap();
  void Capture();

  // Key and mouse help shown in the top corners.
  static std::wstring KeyHelpText();
  static std::wstring MouseHelpText();

  CImportPipeline& Pipeline() { return m_pipeline; }
  CTreeCtrlRenderingObject* Tree() const;
  CDialogPickObjectDecision* DecisionDialog() const { return m_decisionDialog; }

  // CPickHost
  CRenderingObject* ResolveHitObject(const CPickInformation& hit) override;
  CRenderingObject* FindModelOfChild(CRenderingObject* child) override;
  void ShowDecisionDialog() override;
  void HideDecisionDialog() override;
  void PicksChanged(int mode, const CPickObject* changed) override;

  // Settings of this view.
  bool projectionGridSizeGiven = false;
  int32_t projectionDivisionCount = 1000;
  double projectionGridSize = 0.1;
  int32_t trackingModeOfButton[3] = {kTrackRotate, kTrackPan, kTrackNone};  // left, middle, right
  int32_t subAxisPosition = 3;  // 0 none, 1..4 the corners
  bool moved = false;

  // Modeless dialog slots.
  CDialogExport* exportDialog = nullptr;

signals:
  // A pick changed in a mode whose consumer is a dialog (measurement, element
  // property, cross section, tool model).
  void picksChanged(int mode);
  // A middle click while picks exist: the open dialog of this pick mode
  // (rotation or rendering centre, min-max, volume, projection area, solid
  // check) runs its OK.
  void middleClickOk(int pickMode);

protected:
  void RenderScene() override;
  void RenderForPick() override;
  void ProcessHits(std::vector<CPickInformation> hits, int x, int y) override;
  void initializeGL() override;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // The scene walk: 1 draw, 2 pick; the main axis, the tool model, the tree.
  void DrawScene(int mode);
  void DrawSubAxis();
  void MiddleButtonDown(int x, int y);
  void StartButtonTracking(int mode, int x, int y);
  void StepTracking(int mode, int fromX, int fromY, int toX, int toY);
  void AfterImport(bool refit);
  void HandleCommandLineImport();
  void ImportDroppedFiles(const QStringList& paths);
  void ShowContextMenu(const QPoint& globalPosition);
  QPoint DevicePosition(const QPointF& logical) const;
  CPilvo3DManagerPickObject* PickManager() const;

  CImportPipeline m_pipeline;
  CMainFrame* m_frame = nullptr;
  CDialogPickObjectDecision* m_decisionDialog = nullptr;  // child, shown and hidden
  std::wstring m_commandLine;
  int m_commandLineStage = 0;  // 0 none, 1 posted, 2 ready (repainted once), 3 done
};
