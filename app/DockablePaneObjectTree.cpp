#include "app/DockablePaneObjectTree.h"

#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

#include "app/CommandIds.h"
#include "app/TreeCtrlRenderingObject.h"
#include "render/DialogRenderingObject.h"
#include "render/RenderingObject.h"

namespace {

// The pane's client area: a one-pixel frame in the button-shadow colour with
// the tree filling the rest.
class CObjectTreeFrame : public QWidget {
public:
  explicit CObjectTreeFrame(QWidget* parent) : QWidget(parent) {}
  QSize sizeHint() const override { return {200, 200}; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

struct PaneCommand {
  int id;
  const char16_t* text;
};

// Property commands in menu order, then the commands for the whole tree.
constexpr PaneCommand kPointColor{cmd::kTreePointColor, u"点の色..."};
constexpr PaneCommand kPointSize{cmd::kTreePointSize, u"点の大きさ..."};
constexpr PaneCommand kLineColor{cmd::kTreeLineColor, u"線の色..."};
constexpr PaneCommand kLineWidth{cmd::kTreeLineWidth, u"線の太さ..."};
constexpr PaneCommand kFaceColor{cmd::kTreeFaceColor, u"面の色..."};
constexpr PaneCommand kFaceAlpha{cmd::kTreeFaceAlpha, u"面の透明度..."};
constexpr PaneCommand kProperty{cmd::kTreeProperty, u"プロパティ..."};
constexpr PaneCommand kModelPosition{cmd::kTreeModelPosition, u"モデル位置..."};
constexpr PaneCommand kToolPathColor{cmd::kTreeToolPathColor, u"線の色..."};
constexpr PaneCommand kArcPrecision{cmd::kTreeArcPrecision, u"円弧描画精度..."};
constexpr PaneCommand kMachiningStart{cmd::kTreeMachiningStartPoint, u"加工開始点..."};
constexpr PaneCommand kRapidFeedrate{cmd::kTreeRapidFeedrate, u"早送り速度..."};
constexpr PaneCommand kCodeList{cmd::kTreeCodeList, u"コードリスト..."};
constexpr PaneCommand kCodeCheck{cmd::kTreeCodeCheck, u"コードチェック..."};
constexpr PaneCommand kInvertChecks{cmd::kTreeInvertChecks, u"描画／非描画反転"};
constexpr PaneCommand kCheckAll{cmd::kTreeCheckAll, u"すべて描画"};
constexpr PaneCommand kUncheckAll{cmd::kTreeUncheckAll, u"すべて非描画"};
constexpr PaneCommand kExpandAll{cmd::kTreeExpandAll, u"全展開"};
constexpr PaneCommand kCollapseAll{cmd::kTreeCollapseAll, u"全折りたたみ"};
constexpr PaneCommand kClose{cmd::kTreeClose, u"閉じる"};
constexpr PaneCommand kCloseAll{cmd::kTreeCloseAll, u"すべて閉じる"};
constexpr PaneCommand kSeparator{0, nullptr};

}  // namespace

CDockablePaneObjectTree::CDockablePaneObjectTree(CTreeCtrlRenderingObject* tree, QWidget* parent)
    : QDockWidget(QStringLiteral("オブジェクトツリー"), parent), m_tree(tree) {
  setObjectName(QStringLiteral("ObjectTreePane"));
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  setAllowedAreas(Qt::AllDockWidgetAreas);

  auto* frame = new CObjectTreeFrame(this);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  tree->setParent(frame);
  tree->setObjectName(QStringLiteral("ObjectTreeCtrl"));
  tree->setFrameShape(QFrame::NoFrame);
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(tree);
  frame->setFocusProxy(tree);
  setWidget(frame);
  setFocusProxy(tree);

  connect(tree, &QWidget::customContextMenuRequested, this, &CDockablePaneObjectTree::ShowContextMenu);
  BuildMenus();
}

CDockablePaneObjectTree::~CDockablePaneObjectTree() = default;

void CDockablePaneObjectTree::BuildMenus() {
  const std::initializer_list<PaneCommand> general = {kSeparator, kInvertChecks, kCheckAll,    kUncheckAll,
                                                      kSeparator, kExpandAll,    kCollapseAll, kSeparator,
                                                      kClose,     kCloseAll};
  const auto make = [this, &general](ContextMenuKind kind, const char16_t* title,
                                     std::initializer_list<PaneCommand> properties, bool withClose) {
    auto* menu = new QMenu(QString::fromUtf16(title), this);
    const auto add = [this, menu](const PaneCommand& command) {
      QAction* action = menu->addAction(QString::fromUtf16(command.text));
      action->setData(command.id);
      connect(action, &QAction::triggered, this, [this, id = command.id] { OnCommand(id); });
    };
    for (const PaneCommand& command : properties) add(command);
    for (const PaneCommand& command : general) {
      if (command.id == 0) {
        if (!menu->isEmpty()) menu->addSeparator();
        continue;
      }
      if (command.id == cmd::kTreeClose && !withClose) continue;
      add(command);
    }
    m_menus[kind] = menu;
  };
  make(kMenuGeometricModel, u"[形状モデルオブジェクト]",
       {kPointColor, kPointSize, kLineColor, kLineWidth, kFaceColor, kFaceAlpha, kProperty}, true);
  make(kMenuToolPath, u"[ツールパスオブジェクト]",
       {kPointColor, kPointSize, kToolPathColor, kLineWidth, kArcPrecision, kMachiningStart, kRapidFeedrate,
        kCodeList, kCodeCheck, kProperty},
       true);
  make(kMenuModel, u"[モデルオブジェクト]", {kModelPosition, kProperty}, true);
  make(kMenuNullObject, u"[NULLオブジェクト]", {}, true);
  // Beside the items no item was chosen, so nothing is offered to close.
  make(kMenuOutside, u"[オブジェクト外]", {}, false);
}

QMenu* CDockablePaneObjectTree::ChooseContextMenu(const QPoint& pos) const {
  if (!m_tree || !m_tree->IsOnItem(pos)) return m_menus[kMenuOutside];
  const CRenderingObject* object = CTreeCtrlRenderingObject::ObjectOf(m_tree->Caret());
  switch (object ? object->GetKind() : 0) {
    case kKindGeometricModel:
      return m_menus[kMenuGeometricModel];
    case kKindToolPath:
      return m_menus[kMenuToolPath];
    case kKindModel:
      return m_menus[kMenuModel];
    default:
      return m_menus[kMenuNullObject];
  }
}

QAction* CDockablePaneObjectTree::FindAction(int id) const {
  for (QMenu* menu : m_menus)
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && action->data().toInt() == id) return action;
  return nullptr;
}

void CDockablePaneObjectTree::ShowContextMenu(const QPoint& pos) {
  if (!m_tree) return;
  ChooseContextMenu(pos)->exec(m_tree->viewport()->mapToGlobal(pos));
}

bool CDockablePaneObjectTree::OnCommand(int id) {
  if (!m_tree) return false;
  switch (id) {
    case cmd::kTreeInvertChecks:
      m_tree->InvertAllChecks();
      m_tree->NotifySceneChanged();
      return true;
    case cmd::kTreeCheckAll:
      m_tree->SetAllChecks(true);
      m_tree->NotifySceneChanged();
      return true;
    case cmd::kTreeUncheckAll:
      m_tree->SetAllChecks(false);
      m_tree->NotifySceneChanged();
      return true;
    case cmd::kTreeExpandAll:
      m_tree->ExpandTopLevelItems();
      return true;
    case cmd::kTreeCollapseAll:
      m_tree->CollapseTopLevelItems();
      return true;
    case cmd::kTreeCloseAll:
      emit mainWindowCommand(cmd::kCloseAll);
      return true;
    case cmd::kTreeClose:
      m_tree->DeleteSelected();
      m_tree->NotifySceneChanged();
      return true;
    default:
      break;
  }
  if (RequiredKind(id) < 0) return false;
  OnPropertyCommand(id);
  return true;
}

int CDockablePaneObjectTree::RequiredKind(int id) {
  switch (id) {
    case cmd::kTreePointColor:
    case cmd::kTreePointSize:
    case cmd::kTreeLineColor:
    case cmd::kTreeLineWidth:
    case cmd::kTreeProperty:
      return 0;
    case cmd::kTreeFaceColor:
    case cmd::kTreeFaceAlpha:
      return kKindGeometricModel;
    case cmd::kTreeModelPosition:
      return kKindModel;
    case cmd::kTreeToolPathColor:
    case cmd::kTreeArcPrecision:
    case cmd::kTreeMachiningStartPoint:
    case cmd::kTreeRapidFeedrate:
    case cmd::kTreeCodeList:
    case cmd::kTreeCodeCheck:
      return kKindToolPath;
    default:
      return -1;
  }
}

void CDockablePaneObjectTree::OnPropertyCommand(int id) {
  CRenderingObject* object = CTreeCtrlRenderingObject::ObjectOf(m_tree->Caret());
  if (!object) return;
  const int required = RequiredKind(id);
  if (required != 0 && object->GetKind() != required) return;
  OpenPropertyDialog(id, object);
}

bool CDockablePaneObjectTree::OpenPropertyDialog(int /*commandId*/, CRenderingObject* /*object*/) {
  return false;
}

CDialogRenderingObject* CDockablePaneObjectTree::ShowPropertyDialog(CDialogRenderingObject* dialog) {
  CRenderingObject* object = dialog ? dialog->Object() : nullptr;
  if (!object) {
    delete dialog;
    return nullptr;
  }
  if (object->AddDialog(dialog->DialogKind(), dialog)) {
    dialog->show();
    return dialog;
  }
  CDialogRenderingObject* open = object->FindDialog(dialog->DialogKind());
  delete dialog;
  if (open) {
    open->show();
    open->raise();
    open->activateWindow();
  }
  return open;
}
