#include "app/Pilvo3DView.h"

#include <GL/gl.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/CommandIds.h"
#include "app/DialogExport.h"
#include "app/MainFrame.h"
#include "app/MessageBox.h"
#include "app/Pilvo3DApp.h"
#include "app/SettingsStore.h"
#include "app/TreeCtrlRenderingObject.h"
#include "app/WaitCursor.h"
#include "nc/ToolModelRenderingObject.h"
#include "render/DialogPickObjectDecision.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"
#include "render/RenderingObjectAxis.h"
#include "render/RenderingObjectModel.h"

namespace {

const wchar_t* const kKeyHelpLines[] = {
    L" F5　　　　 ：回転中心設定\n",   L" F6　　　　 ：描画中心設定\n",   L" F7　　　　 ：描画倍率設定\n",
    L" F8　　　　 ：ビューアジャスト\n", L" F9　　　　 ：要素上任意点ピック\n", L" Alt +(数字)：ビュー状態保存\n",
    L" Ctrl+(数字)：ビュー状態復元\n",  L" 十字キー　 ：回転\n",             L" テンキー　 ：パン\n",
    L" PgUp/PgDn　：ズーム\n",          L" Ctrl+Z　　 ：上面図\n",           L" Alt+Z　　　：下面図\n",
    L" Alt+Y　　  ：正面図\n",          L" Ctrl+Y　　 ：背面図\n",           L" Alt+X　　  ：左面図\n",
    L" Ctrl+X　　 ：右面図\n",
};

const wchar_t* const kMouseHelpLines[] = {
    L" 左ボタンドラッグ　：回転\n",           L" 中ボタンドラッグ　：パン\n",
    L" 右ボタンクリック　：コンテキストメニュー\n", L" 右ボタンクリック　：ピック\n",
    L" 左右ボタンドラッグ：パン\n",           L" マウスホイール　　：ズーム\n",
};

const wchar_t kNoObject[] = L"オブジェクトが存在しません。";

CManagerRenderingObject& Manager() { return *CManagerRenderingObject::GetInstance(); }

// The menu flags that the rendering-object commands toggle, by command id.
bool* ToggleOf(int id) {
  CManagerRenderingObject& m = Manager();
  switch (id) {
    case cmd::kAxisRenderPoint: return &m.axisRenderPoint;
    case cmd::kAxisRenderLine: return &m.axisRenderLine;
    case cmd::kAxisRenderLabel: return &m.axisRenderLabel;
    case cmd::kGeometricModelRenderPoint: return &m.geometricModelRenderPoint;
    case cmd::kGeometricModelRenderLine: return &m.geometricModelRenderLine;
    case cmd::kGeometricModelRenderFace: return &m.geometricModelRenderFace;
    case cmd::kGeometricModelRenderLabel: return &m.geometricModelRenderLabel;
    case cmd::kToolPathRenderPoint: return &m.toolPathRenderPoint;
    case cmd::kToolPathRenderLine: return &m.toolPathRenderLine;
    case cmd::kToolPathRenderLabel: return &m.toolPathRenderLabel;
    case cmd::kMovementRendering: return &m.movementRendering;
    default: return nullptr;
  }
}

// Slot of a view-state command: 0..9, or -1.
int SaveSlotOf(int id) {
  if (id == cmd::kSaveViewStateSlot0) return 0;
  if (id >= cmd::kSaveViewStateSlot1 && id < cmd::kSaveViewStateSlot1 + 9) return id - cmd::kSaveViewStateSlot1 + 1;
  return -1;
}

int RestoreSlotOf(int id) {
  if (id == cmd::kRestoreViewStateSlot0) return 0;
  if (id >= cmd::kRestoreViewStateSlot1 && id < cmd::kRestoreViewStateSlot1 + 9)
    return id - cmd::kRestoreViewStateSlot1 + 1;
  return -1;
}

}  // namespace

std::wstring CPilvo3DView::KeyHelpText() {
  std::wstring text;
  for (const wchar_t* line : kKeyHelpLines) text += line;
  return text;
}

std::wstring CPilvo3DView::MouseHelpText() {
  std::wstring text;
  for (const wchar_t* line : kMouseHelpLines) text += line;
  return text;
}

CPilvo3DView::CPilvo3DView(QWidget* parent) : COpenGLUtilView(parent) {
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  m_decisionDialog = new CDialogPickObjectDecision(this);
  if (CPilvo3DManagerPickObject* picks = PickManager()) picks->SetHost(this);

  m_pipeline.afterImport = [this](bool refit) { AfterImport(refit); };
  m_pipeline.DiscoverPlugins();
  ProfileAll(false);

  SetSystemText(COGLJTextField::TFP_LEFTTOP, KeyHelpText().c_str());
  SetSystemText(COGLJTextField::TFP_RIGHTTOP, MouseHelpText().c_str());
  SetSystemText(COGLJTextField::TFP_RIGHTBOTTOM, CPilvo3DApp::VersionText().toStdWString().c_str());
}

CPilvo3DView::~CPilvo3DView() {
  ProfileAll(true);
  if (CPilvo3DManagerPickObject* picks = PickManager()) {
    picks->SetPickMode(0);
    if (picks->GetHost() == this) picks->SetHost(nullptr);
  }
  delete exportDialog;
  m_pipeline.UnloadPlugins();
}

void CPilvo3DView::AttachFrame(CMainFrame* frame) {
  m_frame = frame;
  CImportPipeline::SetProgressOwner(frame);
  connect(frame, &CMainFrame::filesDropped, this, &CPilvo3DView::ImportDroppedFiles);
  connect(frame, &CMainFrame::recentFileChosen, this, [this](int index) { m_pipeline.ImportRecentFile(index); });
  connect(frame, &CMainFrame::viewRedrawRequested, this, qOverload<>(&CPilvo3DView::update));
  m_pipeline.recentFilesChanged = [frame](const QStringList& files) { frame->SetRecentFiles(files); };
  frame->SetRecentFiles(m_pipeline.RecentFiles());
}

CTreeCtrlRenderingObject* CPilvo3DView::Tree() const {
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  return manager ? manager->objectTree : nullptr;
}

CPilvo3DManagerPickObject* CPilvo3DView::PickManager() const {
  return dynamic_cast<CPilvo3DManagerPickObject*>(CManagerPickObject::GetInstance());
}

// ---- settings ---------------------------------------------------------------

void CPilvo3DView::Profile(bool save) {
  COpenGLUtilView::Profile(save);
  m_pipeline.Profile(save);
  CProfileSection profile(save, QStringLiteral("Pilvo3DView"));
  profile.Bool(QStringLiteral("CalcProjectionTerritorySpecifiedGridSize"), projectionGridSizeGiven);
  int32_t divisions = projectionDivisionCount;
  profile.Int(QStringLiteral("CalcProjectionTerritoryDivisionCount"), divisions);
  if (divisions >= 2) projectionDivisionCount = divisions;
  double gridSize = projectionGridSize;
  profile.Double(QStringLiteral("CalcProjectionTerritoryGridSize"), gridSize);
  if (gridSize > 0.0) projectionGridSize = gridSize;
  for (int button = 0; button < 3; ++button) {
    int32_t mode = trackingModeOfButton[button];
    profile.Int(QStringLiteral("TrackingMode_MouseButton[%1]").arg(button), mode);
    // A mode the view does not know is not trusted.
    if (mode >= kTrackNone && mode <= kTrackZoom) trackingModeOfButton[button] = mode;
  }
  int32_t corner = subAxisPosition;
  profile.Int(QStringLiteral("SubAxisPos"), corner);
  if (corner >= 0 && corner <= 4) subAxisPosition = corner;
}

void CPilvo3DView::ProfileAll(bool save) {
  Profile(save);
  if (CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance()) manager->Profile(save);
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) picks->Profile(save);
  if (CManagerTemporaryObject* temporary = CManagerTemporaryObject::GetInstance()) temporary->Profile(save);
  if (save) settingsstore::Sync();
}

// ---- drawing ----------------------------------------------------------------

void CPilvo3DView::initializeGL() {
  COpenGLUtilView::initializeGL();
  if (m_commandLineStage == 1) QTimer::singleShot(0, this, &CPilvo3DView::HandleCommandLineImport);
}

void CPilvo3DView::DrawScene(int mode) {
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  if (!manager) return;
  glLoadName(0);
  manager->mainAxis->Render(mode, false);
  // The tool model is drawn only while its dialog is open; it arrives with
  // the tool model dialog.
  if (CTreeCtrlRenderingObject* tree = Tree()) tree->DrawAll(mode);
  for (int plane = 0; plane < 6; ++plane) glDisable(GL_CLIP_PLANE0 + plane);
}

void CPilvo3DView::RenderScene() {
  DrawScene(kRenderDraw);
  if (CManagerTemporaryObject* temporary = CManagerTemporaryObject::GetInstance()) temporary->Render();
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) picks->RenderPicks();
  DrawScales();
  DrawSubAxis();
}

void CPilvo3DView::RenderForPick() { DrawScene(kRenderSelect); }

void CPilvo3DView::DrawSubAxis() {
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  if (!manager || subAxisPosition < 1 || subAxisPosition > 4 || viewWidth <= 0 || viewHeight <= 0) return;
  CRenderingObjectAxis* axis = manager->subAxis;
  const float w = static_cast<float>(viewWidth), h = static_cast<float>(viewHeight);
  const float length = axis->length;
  const float d = axis->fontSize + length + 5.0f;
  const float left = d - w / 2, right = w / 2 - d, top = h / 2 - d, bottom = length + 5.0f - h / 2;
  const float cornerX[5] = {0, left, left, right, right};
  const float cornerY[5] = {0, top, bottom, top, bottom};

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-w / 2, w / 2, -h / 2, h / 2, nearPlane, nearPlane + 2 * length + 10);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(cornerX[subAxisPosition], cornerY[subAxisPosition], -(length + nearPlane + 5.0f));
  // The view's rotation without its translation.
  float rotation[16];
  std::memcpy(rotation, objectXform, sizeof rotation);
  rotation[12] = rotation[13] = rotation[14] = 0.0f;
  glMultMatrixf(rotation);
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  axis->RenderPoints(kRenderDraw);
  axis->RenderLines(kRenderDraw);
  axis->RenderFaces(kRenderDraw, false);
  axis->RenderLabels(kRenderDraw);
  glPopAttrib();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

// ---- picking ----------------------------------------------------------------

void CPilvo3DView::ProcessHits(std::vector<CPickInformation> hits, int x, int y) {
  if (CPilvo3DManagerPickObject* picks = PickManager()) picks->ProcessHits(std::move(hits), x, y);
}

CRenderingObject* CPilvo3DView::ResolveHitObject(const CPickInformation& hit) {
  if (hit.nameCount == 0) return nullptr;
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  if (manager && hit.names[0] == 0 && hit.nameCount >= 2 && hit.names[1] == static_cast<uint32_t>(kKindAxis))
    return manager->mainAxis;
  CTreeCtrlRenderingObject* tree = Tree();
  return tree ? tree->FindObjectById(static_cast<int>(hit.names[0])) : nullptr;
}

CRenderingObject* CPilvo3DView::FindModelOfChild(CRenderingObject* child) {
  CTreeCtrlRenderingObject* tree = Tree();
  return tree ? tree->FindModelOfChild(child) : nullptr;
}

void CPilvo3DView::ShowDecisionDialog() {
  if (!m_decisionDialog) return;
  m_decisionDialog->show();
  m_decisionDialog->raise();
}

void CPilvo3DView::HideDecisionDialog() {
  if (m_decisionDialog) m_decisionDialog->hide();
}

void CPilvo3DView::PicksChanged(int mode, const CPickObject* changed) {
  if (mode == 1 && changed && changed->renderingObject) {
    if (CTreeCtrlRenderingObject* tree = Tree())
      if (QTreeWidgetItem* item = tree->FindItem(changed->renderingObject)) tree->SelectOnly(item);
  }
  emit picksChanged(mode);
}

// ---- fitting and commands ------------------------------------------------------

bool CPilvo3DView::FitZoom() {
  CTreeCtrlRenderingObject* tree = Tree();
  TZtVector3<float> min, max;
  if (!tree || !tree->GetSceneExtents(min, max)) return false;
  const double size = (ToDouble(max) - ToDouble(min)).Length();
  if (size > 0.0) {
    double zoom = std::min(viewWidth, viewHeight) / size;
    if (zoom > 1.0) zoom = std::floor(zoom);
    MakeContextCurrent();
    SetRenderingRate(static_cast<float>(zoom));
  }
  return true;
}

void CPilvo3DView::CenterOnScene() {
  CTreeCtrlRenderingObject* tree = Tree();
  TZtVector3<float> min, max;
  if (!tree || !tree->GetSceneExtents(min, max)) return;
  MakeContextCurrent();
  SetRenderingCenter(ToViewSpace((min + max) * 0.5f));
}

void CPilvo3DView::FitFarPlane() {
  CTreeCtrlRenderingObject* tree = Tree();
  TZtVector3<float> min, max;
  if (!tree || !tree->GetSceneExtents(min, max)) return;
  const double size = (ToDouble(max) - ToDouble(min)).Length();
  if (size <= 0.0) return;
  farPlane = static_cast<float>(nearPlane + 10.0 * size);
  MakeContextCurrent();
  RebuildProjection();
  SetupModelView();
}

void CPilvo3DView::AfterImport(bool refit) {
  CTreeCtrlRenderingObject* tree = Tree();
  TZtVector3<float> min, max;
  if (refit && tree && tree->GetSceneExtents(min, max)) {
    FitZoom();
    CenterOnScene();
    rotationCenter = (min + max) * 0.5f;
  }
  FitFarPlane();
  update();
}

void CPilvo3DView::ViewAdjust() {
  FitZoom();
  CenterOnScene();
  CTreeCtrlRenderingObject* tree = Tree();
  TZtVector3<float> min, max;
  if (!tree || !tree->GetSceneExtents(min, max)) {
    ShowMessage(std::wstring(kNoObject));
    return;
  }
  rotationCenter = (min + max) * 0.5f;
  FitFarPlane();
  update();
}

void CPilvo3DView::CloseAll() {
  CWaitCursor wait;
  MakeContextCurrent();
  if (CTreeCtrlRenderingObject* tree = Tree()) tree->DeleteAll();
  rotationCenter = {0.0f, 0.0f, 0.0f};
  renderingCenter = ToViewSpace({0.0f, 0.0f, 0.0f});
  SetupModelView();
  update();
}

QByteArray CPilvo3DView::CaptureBitmap() {
  const QImage frame = grabFramebuffer().convertToFormat(QImage::Format_RGB888);
  const int w = frame.width(), h = frame.height();
  const int roundedWidth = (w + 3) / 4 * 4;
  const int stride = (w * 3 + 3) / 4 * 4;  // rows as read with 4-byte pack alignment
  const int imageSize = h * 3 * roundedWidth;
  QByteArray bitmap(40 + imageSize, '\0');
  auto* header = reinterpret_cast<uint8_t*>(bitmap.data());
  const auto put32 = [header](int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(w));
  put32(8, static_cast<uint32_t>(h));
  header[12] = 1;   // planes
  header[14] = 24;  // bits per pixel
  put32(20, static_cast<uint32_t>(imageSize));
  uint8_t* pixels = header + 40;
  for (int row = 0; row < h; ++row) {
    const uchar* source = frame.constScanLine(h - 1 - row);  // bottom row first
    uint8_t* target = pixels + static_cast<size_t>(row) * stride;
    for (int x = 0; x < w; ++x) {
      target[3 * x + 0] = source[3 * x + 2];  // blue, green, red
      target[3 * x + 1] = source[3 * x + 1];
      target[3 * x + 2] = source[3 * x + 0];
    }
  }
  return bitmap;
}

void CPilvo3DView::Capture() {
  const QByteArray bitmap = CaptureBitmap();
  auto* data = new QMimeData;
  data->setImageData(grabFramebuffer().convertToFormat(QImage::Format_RGB888));
  data->setData(QStringLiteral("image/bmp"), bitmap);
  QGuiApplication::clipboard()->setMimeData(data);
}

bool CPilvo3DView::OnCommand(int id) {
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  CPilvo3DManagerPickObject* picks = PickManager();
  if (bool* toggle = ToggleOf(id)) {
    *toggle = !*toggle;
    update();
    return true;
  }
  if (id >= cmd::kViewTop && id <= cmd::kViewRight) {
    MakeContextCurrent();
    ApplyViewDirection(id - cmd::kViewTop);
    update();
    return true;
  }
  if (const int slot = SaveSlotOf(id); slot >= 0) {
    SaveViewState(slot);
    return true;
  }
  if (const int slot = RestoreSlotOf(id); slot >= 0) {
    MakeContextCurrent();
    RestoreViewState(slot);
    update();
    return true;
  }
  switch (id) {
    case cmd::kImport: m_pipeline.ImportCommand(window()); return true;
    case cmd::kExport:
      CZtDialogModeless::Open(exportDialog, [this] { return new CDialogExport(this, window()); });
      return true;
    case cmd::kCloseAll: CloseAll(); return true;
    case cmd::kViewAdjust: ViewAdjust(); return true;
    case cmd::kPickPointOnElement:
      if (picks) {
        picks->enablePickPointOnElement = !picks->enablePickPointOnElement;
        const int previous = picks->SetPickMode(0);
        picks->SetPickMode(previous);
      }
      update();
      return true;
    case cmd::kZoomCenterScreen: zoomCenterMode = kZoomWindowCenter; return true;
    case cmd::kZoomCenterRotation: zoomCenterMode = kZoomRotationCenter; return true;
    case cmd::kZoomCenterCursor: zoomCenterMode = kZoomCursor; return true;
    case cmd::kFlatShading:
    case cmd::kSmoothShading:
      if (manager) {
        MakeContextCurrent();
        manager->SetShadingMode(id == cmd::kFlatShading ? 1 : 2);
      }
      update();
      return true;
    case cmd::kCapture: Capture(); return true;
    default: return false;
  }
}

bool CPilvo3DView::OnUpdateCommand(int id, CCommandState& state) {
  const CPilvo3DManagerPickObject* picks = PickManager();
  if (const bool* toggle = ToggleOf(id)) {
    state.enabled = true;
    state.checked = *toggle;
    return true;
  }
  if ((id >= cmd::kViewTop && id <= cmd::kViewRight) || SaveSlotOf(id) >= 0 || RestoreSlotOf(id) >= 0) {
    state.enabled = true;
    return true;
  }
  switch (id) {
    case cmd::kImport:
    case cmd::kExport:
    case cmd::kCloseAll:
    case cmd::kViewAdjust:
    case cmd::kCapture: state.enabled = true; return true;
    case cmd::kPickPointOnElement:
      state.enabled = true;
      state.checked = picks && picks->enablePickPointOnElement;
      return true;
    case cmd::kZoomCenterScreen:
    case cmd::kZoomCenterRotation:
    case cmd::kZoomCenterCursor: {
      const int mode = id == cmd::kZoomCenterScreen ? kZoomWindowCenter
                       : id == cmd::kZoomCenterRotation ? kZoomRotationCenter
                                                        : kZoomCursor;
      state.enabled = true;
      state.checked = zoomCenterMode == mode;
      return true;
    }
    case cmd::kFlatShading:
    case cmd::kSmoothShading:
      state.enabled = true;
      state.checked = Manager().geometricModelShadingMode == (id == cmd::kFlatShading ? 1 : 2);
      return true;
    default: return false;
  }
}

// ---- command line and drops ------------------------------------------------------

void CPilvo3DView::PostCommandLineImport(const std::wstring& line) {
  m_commandLine = line;
  m_commandLineStage = 1;
  QTimer::singleShot(0, this, &CPilvo3DView::HandleCommandLineImport);
}

void CPilvo3DView::HandleCommandLineImport() {
  if (m_commandLineStage == 0 || m_commandLineStage == 3) return;
  if (!IsOpenGLInitialized()) return;  // initializeGL posts it again
  if (m_commandLineStage == 1) {
    // Ready: draw once so that the window shows before the import starts.
    m_commandLineStage = 2;
    update();
    QTimer::singleShot(0, this, &CPilvo3DView::HandleCommandLineImport);
    return;
  }
  m_commandLineStage = 3;
  const std::vector<std::wstring> arguments = SplitCommandLine(m_commandLine);
  QStringList files;
  for (size_t i = 1; i < arguments.size(); ++i) files << QString::fromStdWString(arguments[i]);
  m_pipeline.ImportFiles(files, CImportPipeline::kDispatchAutomatic);
}

void CPilvo3DView::ImportDroppedFiles(const QStringList& paths) {
  m_pipeline.ImportFiles(paths, CImportPipeline::kDispatchAutomatic);
}

void CPilvo3DView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CPilvo3DView::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  event->acceptProposedAction();
  ImportDroppedFiles(paths);
}

// ---- mouse and keys -----------------------------------------------------------------

QPoint CPilvo3DView::DevicePosition(const QPointF& logical) const {
  return {ToDevicePixels(logical.x()), ToDevicePixels(logical.y())};
}

void CPilvo3DView::StartButtonTracking(int mode, int x, int y) {
  EndTracking();
  BeginTracking(mode, x, y);
}

void CPilvo3DView::MiddleButtonDown(int x, int y) {
  moved = true;
  EndTracking();
  CPilvo3DManagerPickObject* picks = PickManager();
  if (m_decisionDialog && m_decisionDialog->isVisible()) {
    m_decisionDialog->Decide();
  } else if (picks && picks->GetPickMode() != 0 && !picks->picks.empty()) {
    emit middleClickOk(picks->GetPickMode());
  }
  StartButtonTracking(trackingModeOfButton[1], x, y);
}

void CPilvo3DView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = DevicePosition(event->position());
  switch (event->button()) {
    case Qt::LeftButton:
      moved = true;
      if (event->buttons() & Qt::RightButton) MiddleButtonDown(p.x(), p.y());
      else StartButtonTracking(trackingModeOfButton[0], p.x(), p.y());
      break;
    case Qt::MiddleButton: MiddleButtonDown(p.x(), p.y()); break;
    case Qt::RightButton:
      moved = false;
      if (event->buttons() & Qt::LeftButton) MiddleButtonDown(p.x(), p.y());
      else StartButtonTracking(trackingModeOfButton[2], p.x(), p.y());
      break;
    default: break;
  }
  event->accept();
}

void CPilvo3DView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = DevicePosition(event->position());
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    moved = true;
    EndTracking();
  } else if (event->button() == Qt::RightButton) {
    EndTracking();
    if (!moved) {
      CPilvo3DManagerPickObject* picks = PickManager();
      int found = 0;
      MakeContextCurrent();
      if (picks && picks->GetPickMode() != 0) found = Pick(p.x(), p.y());
      if (found > 0) update();
      else ShowContextMenu(event->globalPosition().toPoint());
    }
  }
  event->accept();
}

void CPilvo3DView::mouseMoveEvent(QMouseEvent* event) {
  if (trackingMode != kTrackNone) {
    moved = true;
    const QPoint p = DevicePosition(event->position());
    MakeContextCurrent();
    Track(p.x(), p.y());
  }
  event->accept();
}

void CPilvo3DView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  CPilvo3DManagerPickObject* picks = PickManager();
  if (!picks) return;
  const QPoint p = DevicePosition(event->position());
  const int previous = picks->SetPickMode(1);
  MakeContextCurrent();
  if (Pick(p.x(), p.y()) > 0) update();
  picks->SetPickMode(previous);
}

void CPilvo3DView::StepTracking(int mode, int fromX, int fromY, int toX, int toY) {
  MakeContextCurrent();
  BeginTracking(mode, fromX, fromY);
  Track(toX, toY);
  EndTracking();
}

void CPilvo3DView::wheelEvent(QWheelEvent* event) {
  moved = true;
  const int delta = event->angleDelta().y();
  const QPoint p = DevicePosition(event->position());
  CPilvo3DManagerPickObject* picks = PickManager();
  if (m_decisionDialog && m_decisionDialog->isVisible() && picks) {
    picks->StepCandidate(-delta / 120);
    m_decisionDialog->raise();
    update();
  } else {
    StepTracking(kTrackZoom, p.x(), p.y(), p.x() - delta / 3, p.y() - delta / 3);
  }
  // The track view's own wheel step follows.
  COpenGLUtilView::wheelEvent(event);
}

void CPilvo3DView::keyPressEvent(QKeyEvent* event) {
  const int cx = viewWidth / 2, cy = viewHeight / 2;
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  struct Pan {
    int key, dx, dy;
  } static const pans[] = {{Qt::Key_1, -1, 1}, {Qt::Key_2, 0, 1},  {Qt::Key_3, 1, 1},   {Qt::Key_4, -1, 0},
                           {Qt::Key_6, 1, 0},  {Qt::Key_7, -1, -1}, {Qt::Key_8, 0, -1}, {Qt::Key_9, 1, -1}};
  const int key = event->key();
  if (keypad) {
    for (const Pan& pan : pans)
      if (key == pan.key) {
        StepTracking(kTrackPan, cx, cy, cx + pan.dx, cy + pan.dy);
        return;
      }
  }
  switch (key) {
    case Qt::Key_PageUp: StepTracking(kTrackZoom, cx, cy, cx - 10, cy - 10); return;
    case Qt::Key_PageDown: StepTracking(kTrackZoom, cx, cy, cx + 10, cy + 10); return;
    case Qt::Key_Left: MakeContextCurrent(); RotateAboutCenter(-10, 0, 1, 0); update(); return;
    case Qt::Key_Right: MakeContextCurrent(); RotateAboutCenter(10, 0, 1, 0); update(); return;
    case Qt::Key_Up: MakeContextCurrent(); RotateAboutCenter(-10, 1, 0, 0); update(); return;
    case Qt::Key_Down: MakeContextCurrent(); RotateAboutCenter(10, 1, 0, 0); update(); return;
    default: COpenGLUtilView::keyPressEvent(event);
  }
}

void CPilvo3DView::contextMenuEvent(QContextMenuEvent* event) {
  // The right button's release decides (it may be a pick or a drag).
  event->accept();
}

void CPilvo3DView::ShowContextMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  const std::pair<int, const char*> items[] = {{cmd::kRotationCenter, "回転中心(&R)...\tF5"},
                                               {cmd::kRenderingCenter, "描画中心(&P)...\tF6"},
                                               {cmd::kRenderingRate, "描画倍率(&Z)...\tF7"},
                                               {cmd::kViewAdjust, "ビューアジャスト(&A)\tF8"}};
  for (const auto& [id, text] : items) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setData(id);
    CCommandState state;
    if (!OnUpdateCommand(id, state) && m_frame) state.enabled = m_frame->FindAction(id) && m_frame->FindAction(id)->isEnabled();
    action->setEnabled(state.enabled);
  }
  if (QAction* chosen = menu.exec(globalPosition)) {
    const int id = chosen->data().toInt();
    if (m_frame) m_frame->TriggerCommand(id);
    else OnCommand(id);
  }
}
