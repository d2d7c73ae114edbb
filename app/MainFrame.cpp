#include "app/MainFrame.h"

#include <QActionGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <set>

#include "app/CommandIds.h"
#include "app/DockablePaneObjectTree.h"
#include "app/ProductInfo.h"
#include "app/TreeCtrlRenderingObject.h"
#include "render/ManagerRenderingObject.h"

namespace {

// ---- toolbar icons -----------------------------------------------------------
//
// Drawn at start-up on a 24 x 24 grid (and twice that for high-density
// screens), so the program needs no image files.  Axis icons use the axis
// colours, geometric-model icons a grey-blue mesh, tool-path icons an orange
// zigzag; the variants point, line, face and label emphasise that element.

const QColor kAxisX(220, 40, 40);
const QColor kAxisY(30, 160, 50);
const QColor kAxisZ(40, 80, 220);
const QColor kMesh(60, 90, 150);
const QColor kMeshFill(150, 175, 215);
const QColor kPath(230, 120, 20);
const QColor kFaint(170, 170, 170);

enum class Emphasis { kPoint, kLine, kFace, kLabel };

void DrawDot(QPainter& p, QPointF at, const QColor& color, double radius = 2.2) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawEllipse(at, radius, radius);
}

void DrawText(QPainter& p, const QRectF& box, const QString& text, const QColor& color, int pixelSize) {
  QFont font = p.font();
  font.setPixelSize(pixelSize);
  font.setBold(true);
  p.setFont(font);
  p.setPen(color);
  p.drawText(box, Qt::AlignCenter, text);
}

void DrawAxisIcon(QPainter& p, Emphasis emphasis) {
  const QPointF origin(8, 16), x(21, 16), y(8, 3), z(2, 22);
  const bool lines = emphasis == Emphasis::kLine;
  const auto axis = [&](QPointF end, const QColor& color) {
    p.setPen(QPen(lines ? color : kFaint, lines ? 2.4 : 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(origin, end);
  };
  axis(x, kAxisX);
  axis(y, kAxisY);
  axis(z, kAxisZ);
  if (emphasis == Emphasis::kPoint) {
    DrawDot(p, origin, Qt::black, 2.4);
    DrawDot(p, x, kAxisX, 2.6);
    DrawDot(p, y, kAxisY, 2.6);
    DrawDot(p, z, kAxisZ, 2.6);
  } else if (emphasis == Emphasis::kLabel) {
    DrawText(p, QRectF(15, 6, 9, 9), QStringLiteral("X"), kAxisX, 10);
    DrawText(p, QRectF(0, 0, 7, 9), QStringLiteral("Y"), kAxisY, 10);
  }
}

void DrawMeshIcon(QPainter& p, Emphasis emphasis) {
  const QPointF a(3, 20), b(20, 21), c(18, 6), d(6, 4);
  QPainterPath outline;
  outline.moveTo(a);
  outline.lineTo(b);
  outline.lineTo(c);
  outline.lineTo(d);
  outline.closeSubpath();
  if (emphasis == Emphasis::kFace) {
    QLinearGradient gradient(d, b);
    gradient.setColorAt(0, kMeshFill.lighter(120));
    gradient.setColorAt(1, kMesh);
    p.setPen(QPen(kMesh.darker(130), 1));
    p.setBrush(gradient);
    p.drawPath(outline);
    return;
  }
  const bool lines = emphasis == Emphasis::kLine;
  p.setBrush(emphasis == Emphasis::kLabel ? kMeshFill : QColor(Qt::transparent));
  p.setPen(QPen(lines ? kMesh : kFaint, lines ? 2.0 : 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(outline);
  p.drawLine(a, c);
  if (emphasis == Emphasis::kPoint) {
    for (const QPointF& corner : {a, b, c, d}) DrawDot(p, corner, kMesh, 2.6);
  } else if (emphasis == Emphasis::kLabel) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 210));
    p.drawRect(QRectF(9.5, 8.5, 13, 9));
    DrawText(p, QRectF(9.5, 8.5, 13, 9), QStringLiteral("A"), Qt::black, 8);
  }
}

void DrawToolPathIcon(QPainter& p, Emphasis emphasis) {
  const QPointF points[] = {{3, 20}, {7.5, 5}, {12, 19}, {16.5, 5}, {21, 19}};
  const bool lines = emphasis == Emphasis::kLine;
  p.setPen(QPen(lines ? kPath : kFaint, lines ? 2.2 : 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(points, 5);
  if (emphasis == Emphasis::kPoint) {
    for (const QPointF& point : points) DrawDot(p, point, kPath.darker(120), 2.4);
  } else if (emphasis == Emphasis::kLabel) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 210));
    p.drawRect(QRectF(8.5, 8.5, 12, 9));
    DrawText(p, QRectF(8.5, 8.5, 12, 9), QStringLiteral("G"), Qt::black, 8);
  }
}

void DrawImportIcon(QPainter& p) {
  p.setPen(QPen(QColor(150, 110, 30), 1));
  p.setBrush(QColor(245, 200, 90));
  QPainterPath folder;
  folder.moveTo(2, 9);
  folder.lineTo(8, 9);
  folder.lineTo(10, 11);
  folder.lineTo(21, 11);
  folder.lineTo(21, 21);
  folder.lineTo(2, 21);
  folder.closeSubpath();
  p.drawPath(folder);
  // arrow into the folder
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 150, 60));
  QPainterPath arrow;
  arrow.moveTo(14, 2);
  arrow.lineTo(18, 2);
  arrow.lineTo(18, 9);
  arrow.lineTo(21, 9);
  arrow.lineTo(16, 15);
  arrow.lineTo(11, 9);
  arrow.lineTo(14, 9);
  arrow.closeSubpath();
  p.drawPath(arrow);
}

void DrawPickIcon(QPainter& p) {
  p.setPen(QPen(kMesh, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3, 20), QPointF(21, 5));
  const QPointF at(11.5, 13);
  p.setPen(QPen(QColor(220, 30, 30), 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(at, 5, 5);
  p.drawLine(QPointF(at.x() - 8, at.y()), QPointF(at.x() - 3, at.y()));
  p.drawLine(QPointF(at.x() + 3, at.y()), QPointF(at.x() + 8, at.y()));
  p.drawLine(QPointF(at.x(), at.y() - 8), QPointF(at.x(), at.y() - 3));
  p.drawLine(QPointF(at.x(), at.y() + 3), QPointF(at.x(), at.y() + 8));
  DrawDot(p, at, QColor(220, 30, 30), 1.6);
}

void DrawArrowHead(QPainter& p, QPointF tip, QPointF direction) {
  const QPointF normal(-direction.y(), direction.x());
  const QPointF base = tip - direction * 4;
  const QPointF head[] = {tip, base + normal * 2.2, base - normal * 2.2};
  p.setPen(Qt::NoPen);
  p.drawPolygon(head, 3);
}

void DrawMeasureIcon(QPainter& p) {
  const QPointF a(4, 16), b(20, 16);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(4, 8), QPointF(4, 21));
  p.drawLine(QPointF(20, 8), QPointF(20, 21));
  p.setPen(QPen(QColor(30, 90, 200), 1.4));
  p.drawLine(a, b);
  p.setBrush(QColor(30, 90, 200));
  DrawArrowHead(p, a, QPointF(-1, 0));
  DrawArrowHead(p, b, QPointF(1, 0));
  DrawDot(p, QPointF(4, 5), QColor(220, 30, 30), 2.2);
  DrawDot(p, QPointF(20, 5), QColor(220, 30, 30), 2.2);
}

void DrawElementPropertyIcon(QPainter& p) {
  const QPointF triangle[] = {{2, 21}, {15, 21}, {6, 6}};
  p.setPen(QPen(kMesh, 1.2));
  p.setBrush(kMeshFill);
  p.drawPolygon(triangle, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 90, 200));
  p.drawEllipse(QPointF(17, 8), 6, 6);
  DrawText(p, QRectF(11, 2, 12, 12), QStringLiteral("i"), Qt::white, 10);
}

void DrawCubeOutline(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(3, 8, 12, 12));
  p.drawLine(QPointF(3, 8), QPointF(9, 3));
  p.drawLine(QPointF(15, 8), QPointF(21, 3));
  p.drawLine(QPointF(15, 20), QPointF(21, 15));
  p.drawLine(QPointF(9, 3), QPointF(21, 3));
  p.drawLine(QPointF(21, 3), QPointF(21, 15));
}

void DrawSectionPlane(QPainter& p) {
  const QPointF plane[] = {{1, 16}, {15, 16}, {23, 10}, {9, 10}};
  p.setPen(QPen(QColor(200, 30, 30), 1.2));
  p.setBrush(QColor(240, 90, 90, 150));
  p.drawPolygon(plane, 4);
}

void DrawSectionPickIcon(QPainter& p) {
  DrawCubeOutline(p);
  DrawSectionPlane(p);
  // mouse pointer
  const QPointF pointer[] = {{14, 12}, {14, 23}, {16.5, 20.5}, {18.5, 24}, {20, 23}, {18, 19.5}, {21, 19.5}};
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPolygon(pointer, 7);
}

void DrawSectionEquationIcon(QPainter& p) {
  DrawCubeOutline(p);
  DrawSectionPlane(p);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 210));
  p.drawRect(QRectF(10, 15, 14, 9));
  DrawText(p, QRectF(10, 15, 14, 9), QStringLiteral("ax"), Qt::black, 8);
}

void DrawToolModelIcon(QPainter& p) {
  // holder, shank, fluted cutter
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(110, 110, 120));
  const QPointF holder[] = {{5, 1}, {19, 1}, {16, 7}, {8, 7}};
  p.drawPolygon(holder, 4);
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(9, 7, 6, 6));
  p.setBrush(QColor(120, 150, 190));
  p.drawRect(QRectF(9, 13, 6, 9));
  p.setPen(QPen(QColor(40, 60, 100), 1));
  for (int i = 0; i < 3; ++i) p.drawLine(QPointF(9, 15.5 + 3 * i), QPointF(15, 13 + 3 * i));
}

void DrawCommandIcon(QPainter& p, int id) {
  switch (id) {
    case cmd::kImport:
      return DrawImportIcon(p);
    case cmd::kAxisRenderPoint:
      return DrawAxisIcon(p, Emphasis::kPoint);
    case cmd::kAxisRenderLine:
      return DrawAxisIcon(p, Emphasis::kLine);
    case cmd::kAxisRenderLabel:
      return DrawAxisIcon(p, Emphasis::kLabel);
    case cmd::kGeometricModelRenderPoint:
      return DrawMeshIcon(p, Emphasis::kPoint);
    case cmd::kGeometricModelRenderLine:
      return DrawMeshIcon(p, Emphasis::kLine);
    case cmd::kGeometricModelRenderFace:
      return DrawMeshIcon(p, Emphasis::kFace);
    case cmd::kGeometricModelRenderLabel:
      return DrawMeshIcon(p, Emphasis::kLabel);
    case cmd::kToolPathRenderPoint:
      return DrawToolPathIcon(p, Emphasis::kPoint);
    case cmd::kToolPathRenderLine:
      return DrawToolPathIcon(p, Emphasis::kLine);
    case cmd::kToolPathRenderLabel:
      return DrawToolPathIcon(p, Emphasis::kLabel);
    case cmd::kPickPointOnElement:
      return DrawPickIcon(p);
    case cmd::kMeasure:
      return DrawMeasureIcon(p);
    case cmd::kElementProperty:
      return DrawElementPropertyIcon(p);
    case cmd::kCrossSectionPick:
      return DrawSectionPickIcon(p);
    case cmd::kCrossSectionEquation:
      return DrawSectionEquationIcon(p);
    case cmd::kToolModel:
      return DrawToolModelIcon(p);
    default:
      return;
  }
}

QIcon CommandIcon(int id) {
  QIcon icon;
  for (const int size : {24, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    DrawCommandIcon(painter, id);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A menu text as a tooltip: without the mnemonic "(&X)", "&", "..." and the
// accelerator after the tab.
QString ToolTipOf(QString text) {
  text = text.section(QLatin1Char('\t'), 0, 0);
  text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
  text.remove(QLatin1Char('&'));
  if (text.endsWith(QStringLiteral("..."))) text.chop(3);
  return text;
}

// Commands whose item shows a check mark (or a radio mark in a group).
bool IsCheckable(int id) {
  static const std::set<int> ids = {cmd::kViewFileToolbar,
                                    cmd::kViewRenderingObjectToolbar,
                                    cmd::kViewPickToolbar,
                                    cmd::kViewAnalysisToolbar,
                                    cmd::kViewStatusBar,
                                    cmd::kViewObjectTree,
                                    cmd::kViewFormDialog,
                                    cmd::kRotateSliderDialog,
                                    cmd::kZoomCenterScreen,
                                    cmd::kZoomCenterRotation,
                                    cmd::kZoomCenterCursor,
                                    cmd::kFlatShading,
                                    cmd::kSmoothShading,
                                    cmd::kMovementRendering,
                                    cmd::kAxisRenderPoint,
                                    cmd::kAxisRenderLine,
                                    cmd::kAxisRenderLabel,
                                    cmd::kGeometricModelRenderPoint,
                                    cmd::kGeometricModelRenderLine,
                                    cmd::kGeometricModelRenderFace,
                                    cmd::kGeometricModelRenderLabel,
                                    cmd::kToolPathRenderPoint,
                                    cmd::kToolPathRenderLine,
                                    cmd::kToolPathRenderLabel,
                                    cmd::kPickPointOnElement};
  return ids.count(id) != 0;
}

QKeySequence ShortcutOf(int id) {
  if (id >= cmd::kSaveViewStateSlot1 && id < cmd::kSaveViewStateSlot1 + 9)
    return QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + (id - cmd::kSaveViewStateSlot1)));
  if (id >= cmd::kRestoreViewStateSlot1 && id < cmd::kRestoreViewStateSlot1 + 9)
    return QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + (id - cmd::kRestoreViewStateSlot1)));
  switch (id) {
    case cmd::kHelpContents:
      return QKeySequence(Qt::Key_F1);
    case cmd::kRotationCenter:
      return QKeySequence(Qt::Key_F5);
    case cmd::kRenderingCenter:
      return QKeySequence(Qt::Key_F6);
    case cmd::kRenderingRate:
      return QKeySequence(Qt::Key_F7);
    case cmd::kViewAdjust:
      return QKeySequence(Qt::Key_F8);
    case cmd::kPickPointOnElement:
      return QKeySequence(Qt::Key_F9);
    case cmd::kViewTop:
      return QKeySequence(Qt::CTRL | Qt::Key_Z);
    case cmd::kViewBottom:
      return QKeySequence(Qt::ALT | Qt::Key_Z);
    case cmd::kViewFront:
      return QKeySequence(Qt::ALT | Qt::Key_Y);
    case cmd::kViewBack:
      return QKeySequence(Qt::CTRL | Qt::Key_Y);
    case cmd::kViewLeft:
      return QKeySequence(Qt::ALT | Qt::Key_X);
    case cmd::kViewRight:
      return QKeySequence(Qt::CTRL | Qt::Key_X);
    case cmd::kSaveViewStateSlot0:
      return QKeySequence(Qt::ALT | Qt::Key_0);
    case cmd::kRestoreViewStateSlot0:
      return QKeySequence(Qt::CTRL | Qt::Key_0);
    case cmd::kCapture:
      return QKeySequence(Qt::CTRL | Qt::Key_C);
    default:
      return {};
  }
}

constexpr int kSeparator = 0;

}  // namespace

// ---- creation ----------------------------------------------------------------

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("MainFrame"));
  auto* placeholder = new QWidget(this);
  placeholder->setObjectName(QStringLiteral("ViewPlaceholder"));
  setCentralWidget(placeholder);

  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  CreateObjectTreePane();
  for (QToolBar* toolBar : m_toolBars) addToolBar(Qt::TopToolBarArea, toolBar);
  RemoveVariantCommands();
  addDockWidget(Qt::LeftDockWidgetArea, m_pane);
  resizeDocks({m_pane}, {200}, Qt::Horizontal);
  setAcceptDrops(true);
  setWindowTitle(GetProductName());

  connect(&m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
  m_idleTimer.start(kIdleUpdateMs);
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
  m_idleTimer.stop();
  if (m_view) disconnect(m_view, nullptr, this, nullptr);
  m_viewTarget = nullptr;
  m_appTarget = nullptr;
  // The rendering objects go with the tree, while the manager can still reach it.
  if (m_tree) m_tree->DeleteAll();
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  if (manager && manager->objectTree == m_tree) manager->objectTree = nullptr;
  delete m_tree;
  m_tree = nullptr;
}

QAction* CMainFrame::NewAction(int id, const QString& text) {
  auto* action = new QAction(text, this);
  action->setData(id);
  action->setToolTip(ToolTipOf(text));
  const QKeySequence shortcut = ShortcutOf(id);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    // Modeless tool dialogs keep the accelerators working.
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
  if (IsCheckable(id)) action->setCheckable(true);
  connect(action, &QAction::triggered, this, [this, id] { TriggerCommand(id); });
  m_actions[id] = action;
  return action;
}

QAction* CMainFrame::AddItem(QMenu* menu, int id, const QString& text) {
  QAction* action = NewAction(id, text);
  menu->addAction(action);
  return action;
}

QMenu* CMainFrame::AddMenu(QMenu* parent, const QString& title) {
  QMenu* menu = parent ? parent->addMenu(title) : menuBar()->addMenu(title);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateActions(menu->actions()); });
  m_menus.push_back(menu);
  return menu;
}

void CMainFrame::CreateMenus() {
  // ファイル
  m_fileMenu = AddMenu(nullptr, QStringLiteral("ファイル(&F)"));
  AddItem(m_fileMenu, cmd::kImport, QStringLiteral("インポート(&I)..."));
  AddItem(m_fileMenu, cmd::kExport, QStringLiteral("エクスポート(&E)..."));
  AddItem(m_fileMenu, cmd::kCloseAll, QStringLiteral("すべて閉じる(&C)"));
  m_fileMenu->addSeparator();
  m_recentEnd = m_fileMenu->addSeparator();
  AddItem(m_fileMenu, cmd::kExit, QStringLiteral("アプリケーションの終了(&X)"));
  SetRecentFiles({});

  // 表示
  QMenu* view = AddMenu(nullptr, QStringLiteral("表示(&V)"));
  QMenu* toolBars = AddMenu(view, QStringLiteral("ツールバー"));
  AddItem(toolBars, cmd::kViewFileToolbar, QStringLiteral("ファイル ツールバー"));
  AddItem(toolBars, cmd::kViewRenderingObjectToolbar, QStringLiteral("描画オブジェクト ツールバー"));
  AddItem(toolBars, cmd::kViewPickToolbar, QStringLiteral("ピック ツールバー"));
  AddItem(toolBars, cmd::kViewAnalysisToolbar, QStringLiteral("解析 ツールバー"));
  AddItem(view, cmd::kViewStatusBar, QStringLiteral("ステータスバー(&S)"));
  AddItem(view, cmd::kViewObjectTree, QStringLiteral("オブジェクトツリー(&O)"));
  view->addSeparator();
  AddItem(view, cmd::kRotationCenter, QStringLiteral("回転中心(&R)...\tF5"));
  AddItem(view, cmd::kRenderingCenter, QStringLiteral("描画中心(&P)...\tF6"));
  AddItem(view, cmd::kRenderingRate, QStringLiteral("描画倍率(&Z)...\tF7"));
  AddItem(view, cmd::kViewAdjust, QStringLiteral("ビューアジャスト(&A)\tF8"));
  view->addSeparator();
  QMenu* standardViews = AddMenu(view, QStringLiteral("面図"));
  AddItem(standardViews, cmd::kViewTop, QStringLiteral("上面図"));
  AddItem(standardViews, cmd::kViewBottom, QStringLiteral("下面図"));
  AddItem(standardViews, cmd::kViewFront, QStringLiteral("正面図"));
  AddItem(standardViews, cmd::kViewBack, QStringLiteral("背面図"));
  AddItem(standardViews, cmd::kViewLeft, QStringLiteral("左側面図"));
  AddItem(standardViews, cmd::kViewRight, QStringLiteral("右側面図"));
  AddItem(view, cmd::kViewFormDialog, QStringLiteral("面図ダイアログ..."));
  AddItem(view, cmd::kRotateSliderDialog, QStringLiteral("回転スライダーダイアログ..."));
  view->addSeparator();
  QMenu* save = AddMenu(view, QStringLiteral("ビュー状態保存"));
  QMenu* restore = AddMenu(view, QStringLiteral("ビュー状態復元"));
  for (int slot = 1; slot <= 10; ++slot) {
    const int number = slot % 10;  // slots 1..9, then 0
    const QString text = QStringLiteral("スロット%1").arg(number);
    AddItem(save, number ? cmd::kSaveViewStateSlot1 + number - 1 : cmd::kSaveViewStateSlot0, text);
    AddItem(restore, number ? cmd::kRestoreViewStateSlot1 + number - 1 : cmd::kRestoreViewStateSlot0, text);
  }
  view->addSeparator();
  QMenu* zoomCenter = AddMenu(view, QStringLiteral("ズーム中心"));
  auto* zoomGroup = new QActionGroup(this);
  zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  zoomGroup->addAction(AddItem(zoomCenter, cmd::kZoomCenterScreen, QStringLiteral("画面中心")));
  zoomGroup->addAction(AddItem(zoomCenter, cmd::kZoomCenterRotation, QStringLiteral("回転中心")));
  zoomGroup->addAction(AddItem(zoomCenter, cmd::kZoomCenterCursor, QStringLiteral("カーソル位置")));
  QMenu* shading = AddMenu(view, QStringLiteral("シェーディング"));
  auto* shadingGroup = new QActionGroup(this);
  shadingGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  shadingGroup->addAction(AddItem(shading, cmd::kFlatShading, QStringLiteral("フラットシェーディング")));
  shadingGroup->addAction(AddItem(shading, cmd::kSmoothShading, QStringLiteral("スムースシェーディング")));
  AddItem(view, cmd::kMovementRendering, QStringLiteral("移動描画"));
  view->addSeparator();
  AddItem(view, cmd::kCapture, QStringLiteral("キャプチャ\tCtrl+C"));

  // 描画オブジェクト
  m_renderingObjectMenu = AddMenu(nullptr, QStringLiteral("描画オブジェクト(&R)"));
  AddItem(m_renderingObjectMenu, cmd::kAxisRenderPoint, QStringLiteral("軸-点描画"));
  AddItem(m_renderingObjectMenu, cmd::kAxisRenderLine, QStringLiteral("軸-線描画"));
  AddItem(m_renderingObjectMenu, cmd::kAxisRenderLabel, QStringLiteral("軸-ラベル描画"));
  m_renderingObjectMenu->addSeparator();
  AddItem(m_renderingObjectMenu, cmd::kGeometricModelRenderPoint, QStringLiteral("形状モデル-点描画"));
  AddItem(m_renderingObjectMenu, cmd::kGeometricModelRenderLine, QStringLiteral("形状モデル-線描画"));
  AddItem(m_renderingObjectMenu, cmd::kGeometricModelRenderFace, QStringLiteral("形状モデル-面描画"));
  AddItem(m_renderingObjectMenu, cmd::kGeometricModelRenderLabel, QStringLiteral("形状モデル-ラベル描画"));
  m_renderingObjectMenu->addSeparator();
  AddItem(m_renderingObjectMenu, cmd::kToolPathRenderPoint, QStringLiteral("ツールパス-点描画"));
  AddItem(m_renderingObjectMenu, cmd::kToolPathRenderLine, QStringLiteral("ツールパス-線描画"));
  AddItem(m_renderingObjectMenu, cmd::kToolPathRenderLabel, QStringLiteral("ツールパス-ラベル描画"));

  // ピック
  QMenu* pick = AddMenu(nullptr, QStringLiteral("ピック(&P)"));
  AddItem(pick, cmd::kPickPointOnElement, QStringLiteral("要素上任意点ピック\tF9"));

  // 変形
  QMenu* transform = AddMenu(nullptr, QStringLiteral("変形(&F)"));
  AddItem(transform, cmd::kTranslate, QStringLiteral("平行移動(T)..."));
  AddItem(transform, cmd::kRotate, QStringLiteral("回転移動(&R)..."));
  AddItem(transform, cmd::kEnlarge, QStringLiteral("拡大縮小(&E)..."));
  transform->addSeparator();
  AddItem(transform, cmd::kAverageVertexNormal, QStringLiteral("頂点法線平均化(&N)..."));

  // 解析
  m_analysisMenu = AddMenu(nullptr, QStringLiteral("解析(&A)"));
  AddItem(m_analysisMenu, cmd::kMeasure, QStringLiteral("測定(&M)..."));
  AddItem(m_analysisMenu, cmd::kElementProperty, QStringLiteral("要素特性(&P)..."));
  m_analysisMenu->addSeparator();
  AddItem(m_analysisMenu, cmd::kMinMax, QStringLiteral("ミニマックス(&X)..."));
  AddItem(m_analysisMenu, cmd::kVolume, QStringLiteral("体積計算(&V)..."));
  AddItem(m_analysisMenu, cmd::kProjectionArea, QStringLiteral("投影面積計算(&P)..."));
  AddItem(m_analysisMenu, cmd::kIsSolid, QStringLiteral("ソリッド判定(&J)..."));
  m_analysisMenu->addSeparator();
  AddItem(m_analysisMenu, cmd::kCrossSectionPick, QStringLiteral("断面表示(ピック)(&S)..."));
  AddItem(m_analysisMenu, cmd::kCrossSectionEquation, QStringLiteral("断面表示(方程式)&E)..."));
  m_analysisMenu->addSeparator();
  AddItem(m_analysisMenu, cmd::kToolModel, QStringLiteral("工具モデル表示(&T)..."));

  // ツール
  QMenu* tools = AddMenu(nullptr, QStringLiteral("ツール(&T)"));
  AddItem(tools, cmd::kOptions, QStringLiteral("オプション(&O)..."));

  // ヘルプ
  QMenu* help = AddMenu(nullptr, QStringLiteral("ヘルプ(&H)"));
  AddItem(help, cmd::kHelpContents, QStringLiteral("目次(&C)"));
  help->addSeparator();
  AddItem(help, cmd::kAbout, QStringLiteral("バージョン情報(&A)..."));
}

void CMainFrame::FillToolBar(QToolBar* toolBar, const std::vector<int>& ids) {
  for (const int id : ids) {
    if (id == kSeparator) {
      toolBar->addSeparator();
      continue;
    }
    QAction* action = m_actions.at(id);
    action->setIcon(CommandIcon(id));
    toolBar->addAction(action);
  }
}

void CMainFrame::CreateToolBars() {
  const struct {
    const char* name;
    QString caption;
    std::vector<int> ids;
  } bars[4] = {
      {"FileToolBar", QStringLiteral("ファイル ツールバー"), {cmd::kImport}},
      {"RenderingObjectToolBar",
       QStringLiteral("描画オブジェクト ツールバー"),
       {cmd::kAxisRenderPoint, cmd::kAxisRenderLine, cmd::kAxisRenderLabel, kSeparator,
        cmd::kGeometricModelRenderPoint, cmd::kGeometricModelRenderLine, cmd::kGeometricModelRenderFace,
        cmd::kGeometricModelRenderLabel, kSeparator, cmd::kToolPathRenderPoint, cmd::kToolPathRenderLine,
        cmd::kToolPathRenderLabel}},
      {"PickToolBar", QStringLiteral("ピック ツールバー"), {cmd::kPickPointOnElement}},
      {"AnalysisToolBar",
       QStringLiteral("解析 ツールバー"),
       {cmd::kMeasure, cmd::kElementProperty, kSeparator, cmd::kCrossSectionPick, cmd::kCrossSectionEquation,
        kSeparator, cmd::kToolModel}},
  };
  for (int i = 0; i < 4; ++i) {
    auto* toolBar = new QToolBar(bars[i].caption, this);
    toolBar->setObjectName(QString::fromLatin1(bars[i].name));
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar->setFloatable(true);
    toolBar->setMovable(true);
    FillToolBar(toolBar, bars[i].ids);
    m_toolBars[i] = toolBar;
  }
}

void CMainFrame::CreateStatusBar() {
  // One pane, the message area, stretched over the whole bar.
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
}

void CMainFrame::CreateObjectTreePane() {
  m_tree = new CTreeCtrlRenderingObject;
  if (CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance()) manager->objectTree = m_tree;
  m_pane = new CDockablePaneObjectTree(m_tree, this);
  connect(m_tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged, this, &CMainFrame::viewRedrawRequested);
  connect(m_pane, &CDockablePaneObjectTree::mainWindowCommand, this, &CMainFrame::TriggerCommand);
}

void CMainFrame::RemoveVariantCommands() {
  if (GetProductName() != QStringLiteral("Pilvo Stl Viewer")) return;
  // The STL viewer has no tool paths and no tool model: the last entries of
  // these menus and bars (with the separator before them) go.
  std::vector<QAction*> removed;
  const auto takeLast = [&removed](QWidget* widget, int count) {
    const QList<QAction*> actions = widget->actions();
    for (qsizetype i = std::max<qsizetype>(0, actions.size() - count); i < actions.size(); ++i)
      removed.push_back(actions[i]);
  };
  takeLast(m_renderingObjectMenu, 4);
  takeLast(RenderingObjectToolBar(), 4);
  takeLast(m_analysisMenu, 2);
  takeLast(AnalysisToolBar(), 2);
  std::set<QAction*> unique(removed.begin(), removed.end());
  for (QAction* action : unique) {
    const auto found = m_actions.find(action->data().toInt());
    if (found != m_actions.end() && found->second == action) m_actions.erase(found);
    delete action;  // leaves every menu and bar that showed it
  }
}

// ---- view and targets ------------------------------------------------------

void CMainFrame::SetView(QWidget* view, CCommandTarget* target) {
  if (m_view) disconnect(m_view, nullptr, this, nullptr);
  m_view = view;
  m_viewTarget = target;
  if (view) {
    setCentralWidget(view);
    connect(view, &QObject::destroyed, this, [this](QObject* gone) {
      if (gone != m_view) return;
      m_view = nullptr;
      m_viewTarget = nullptr;
    });
  }
  UpdateCommandStates();
}

void CMainFrame::SetApplicationTarget(CCommandTarget* target) {
  m_appTarget = target;
  UpdateCommandStates();
}

bool CMainFrame::TriggerCommand(int id) {
  CCommandTarget* const targets[] = {m_viewTarget, this, m_appTarget};
  bool handled = false;
  for (CCommandTarget* target : targets)
    if (target && target->OnCommand(id)) {
      handled = true;
      break;
    }
  UpdateCommandStates();
  return handled;
}

bool CMainFrame::QueryState(int id, CCommandState& state) {
  CCommandTarget* const targets[] = {m_viewTarget, this, m_appTarget};
  for (CCommandTarget* target : targets) {
    state = CCommandState{};
    if (target && target->OnUpdateCommand(id, state)) return true;
  }
  state = CCommandState{};
  return false;
}

QAction* CMainFrame::FindAction(int id) const {
  const auto found = m_actions.find(id);
  return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::UpdateAction(QAction* action) {
  if (!action || action->isSeparator() || action->menu()) return;
  const int id = action->data().toInt();
  if (id == 0) return;
  CCommandState state;
  QueryState(id, state);
  action->setEnabled(state.enabled);
  if (action->isCheckable()) action->setChecked(state.checked);
}

void CMainFrame::UpdateActions(const QList<QAction*>& actions) {
  for (QAction* action : actions) UpdateAction(action);
}

void CMainFrame::UpdateCommandStates() {
  for (const auto& [id, action] : m_actions) UpdateAction(action);
}

// ---- the frame's own commands ---------------------------------------------------

QWidget* CMainFrame::VisibilityTarget(int id) const {
  switch (id) {
    case cmd::kViewFileToolbar:
      return m_toolBars[0];
    case cmd::kViewRenderingObjectToolbar:
      return m_toolBars[1];
    case cmd::kViewPickToolbar:
      return m_toolBars[2];
    case cmd::kViewAnalysisToolbar:
      return m_toolBars[3];
    case cmd::kViewStatusBar:
      return statusBar();
    case cmd::kViewObjectTree:
      return m_pane;
    default:
      return nullptr;
  }
}

bool CMainFrame::OnCommand(int id) {
  if (QWidget* widget = VisibilityTarget(id)) {
    widget->setVisible(widget->isHidden());
    return true;
  }
  if (id == cmd::kExit) {
    close();
    return true;
  }
  const int recent = id - cmd::kRecentFileFirst;
  if (recent >= 0 && recent < kRecentFileCount) {
    if (recent < m_recentFiles.size()) emit recentFileChosen(recent);
    return true;
  }
  return false;
}

bool CMainFrame::OnUpdateCommand(int id, CCommandState& state) {
  if (QWidget* widget = VisibilityTarget(id)) {
    state.enabled = true;
    state.checked = !widget->isHidden();
    return true;
  }
  if (id == cmd::kExit) {
    state.enabled = true;
    return true;
  }
  const int recent = id - cmd::kRecentFileFirst;
  if (recent >= 0 && recent < kRecentFileCount) {
    state.enabled = recent < m_recentFiles.size();
    return true;
  }
  return false;
}

// ---- recent files and drops --------------------------------------------------------

void CMainFrame::SetRecentFiles(const QStringList& paths) {
  for (QAction* action : m_recentActions) {
    m_actions.erase(action->data().toInt());
    delete action;
  }
  m_recentActions.clear();
  m_recentFiles = paths.mid(0, kRecentFileCount);
  if (m_recentFiles.isEmpty()) {
    // The framework's placeholder entry, shown disabled.
    QAction* placeholder = NewAction(cmd::kRecentFileFirst, QStringLiteral("最近使ったファイル"));
    m_fileMenu->insertAction(m_recentEnd, placeholder);
    m_recentActions.push_back(placeholder);
  }
  for (qsizetype i = 0; i < m_recentFiles.size(); ++i) {
    QString shown = QDir::toNativeSeparators(m_recentFiles[i]);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* action = NewAction(cmd::kRecentFileFirst + static_cast<int>(i),
                                QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
    m_fileMenu->insertAction(m_recentEnd, action);
    m_recentActions.push_back(action);
  }
  UpdateActions(QList<QAction*>(m_recentActions.begin(), m_recentActions.end()));
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  emit filesDropped(paths);
}
