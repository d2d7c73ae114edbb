// The main frame of both products: menus, toolbars, accelerators, command
// routing, the visibility commands, recent files, dropped files and the
// order of destruction.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "app/CommandIds.h"
#include "app/DockablePaneObjectTree.h"
#include "app/MainFrame.h"
#include "app/MessageBox.h"
#include "app/ProductInfo.h"
#include "app/TreeCtrlRenderingObject.h"
#include "nc/RenderingObjectToolPath.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"

namespace {

const QString kStl = QStringLiteral("Pilvo Stl Viewer");
const QString kNc = QStringLiteral("Pilvo Nc Viewer");

// A view that knows a fixed set of commands and records what it receives.
class CFakeView : public CCommandTarget {
public:
  std::map<int, CCommandState> known;
  std::vector<int> received;

  bool OnCommand(int id) override {
    if (!known.count(id)) return false;
    received.push_back(id);
    return true;
  }
  bool OnUpdateCommand(int id, CCommandState& state) override {
    const auto found = known.find(id);
    if (found == known.end()) return false;
    state = found->second;
    return true;
  }
};

class CCountedToolPath : public CRenderingObjectToolPath {
public:
  CCountedToolPath() : CRenderingObjectToolPath(L"path", 3.0f, 1.0f, 1.0f, 10.0f, 0, 0, 0, 0) {}
  ~CCountedToolPath() override { ++destroyed; }
  static inline int destroyed = 0;
};

class MainFrameTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_renderingManager = new CManagerRenderingObject;
    m_pickManager = new CPilvo3DManagerPickObject;
    m_temporaryManager = new CManagerTemporaryObject;
    m_materialLibrary = new CManagerMaterialLibrary;
    SetMessageHandler([this](const QString& text, QMessageBox::StandardButtons) {
      messages.push_back(text);
      return QMessageBox::Ok;
    });
  }

  void TearDown() override {
    delete frame;
    SetMessageHandler(nullptr);
    SetProductName(kNc);
    delete m_materialLibrary;
    delete m_temporaryManager;
    delete m_pickManager;
    delete m_renderingManager;
  }

  CMainFrame* MakeFrame(const QString& product) {
    SetProductName(product);
    frame = new CMainFrame;
    frame->resize(1200, 800);
    return frame;
  }

  void ShowFrame() {
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
  }

  CManagerRenderingObject* RenderingManager() const { return m_renderingManager; }

  CMainFrame* frame = nullptr;
  QStringList messages;

private:
  CManagerRenderingObject* m_renderingManager = nullptr;
  CPilvo3DManagerPickObject* m_pickManager = nullptr;
  CManagerTemporaryObject* m_temporaryManager = nullptr;
  CManagerMaterialLibrary* m_materialLibrary = nullptr;
};

// One line per entry: "id text", "-" for a separator, "[title]" for a
// submenu followed by its entries prefixed with "title/".
void Describe(const QMenu* menu, const QString& prefix, QStringList& out) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      out << prefix + QStringLiteral("-");
    } else if (QMenu* sub = action->menu()) {
      out << prefix + QStringLiteral("[%1]").arg(sub->title());
      Describe(sub, prefix + sub->title() + QLatin1Char('/'), out);
    } else {
      out << prefix + QStringLiteral("%1 %2").arg(action->data().toInt()).arg(action->text());
    }
  }
}

QStringList Describe(const QMenu* menu) {
  QStringList out;
  Describe(menu, QString(), out);
  return out;
}

QStringList DescribeToolBar(const QToolBar* toolBar) {
  QStringList out;
  for (QAction* action : toolBar->actions())
    out << (action->isSeparator() ? QStringLiteral("-") : QString::number(action->data().toInt()));
  return out;
}

std::vector<QMenu*> TopMenus(const QMainWindow* window) {
  std::vector<QMenu*> menus;
  for (QAction* action : window->menuBar()->actions())
    if (QMenu* menu = action->menu()) menus.push_back(menu);
  return menus;
}

void CollectIds(const QMenu* menu, std::multiset<int>& ids) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    if (QMenu* sub = action->menu())
      CollectIds(sub, ids);
    else
      ids.insert(action->data().toInt());
  }
}

QStringList ViewMenu() {
  QStringList view = {
      "[ツールバー]",
      "ツールバー/59392 ファイル ツールバー",
      "ツールバー/32878 描画オブジェクト ツールバー",
      "ツールバー/32877 ピック ツールバー",
      "ツールバー/32876 解析 ツールバー",
      "59393 ステータスバー(&S)",
      "32858 オブジェクトツリー(&O)",
      "-",
      "32874 回転中心(&R)...\tF5",
      "32859 描画中心(&P)...\tF6",
      "32860 描画倍率(&Z)...\tF7",
      "32844 ビューアジャスト(&A)\tF8",
      "-",
      "[面図]",
      "面図/32781 上面図",
      "面図/32782 下面図",
      "面図/32783 正面図",
      "面図/32784 背面図",
      "面図/32785 左側面図",
      "面図/32786 右側面図",
      "32879 面図ダイアログ...",
      "32875 回転スライダーダイアログ...",
      "-",
      "[ビュー状態保存]",
  };
  const int saveIds[] = {32862, 32863, 32864, 32865, 32866, 32867, 32868, 32869, 32870, 32861};
  const int restoreIds[] = {32847, 32848, 32849, 32850, 32851, 32852, 32853, 32854, 32855, 32846};
  const char* slotNames[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
  for (int i = 0; i < 10; ++i)
    view << QStringLiteral("ビュー状態保存/%1 スロット%2").arg(saveIds[i]).arg(slotNames[i]);
  view << "[ビュー状態復元]";
  for (int i = 0; i < 10; ++i)
    view << QStringLiteral("ビュー状態復元/%1 スロット%2").arg(restoreIds[i]).arg(slotNames[i]);
  view << "-"
       << "[ズーム中心]"
       << "ズーム中心/32907 画面中心"
       << "ズーム中心/32908 回転中心"
       << "ズーム中心/32910 カーソル位置"
       << "[シェーディング]"
       << "シェーディング/32872 フラットシェーディング"
       << "シェーディング/32873 スムースシェーディング"
       << "32857 移動描画"
       << "-"
       << "32787 キャプチャ\tCtrl+C";
  return view;
}

// ---------------------------------------------------------------------------
// Layout of both products

struct ProductCase {
  QString product;
  bool stl;
};

void PrintTo(const ProductCase& c, std::ostream* os) { *os << c.product.toStdString(); }

class MainFrameProductTest : public MainFrameTest, public ::testing::WithParamInterface<ProductCase> {};

TEST_P(MainFrameProductTest, MenusHoldEveryCommandOfTheProductOnceWithItsText) {
  const bool stl = GetParam().stl;
  MakeFrame(GetParam().product);
  EXPECT_EQ(frame->windowTitle(), GetParam().product);

  const std::vector<QMenu*> menus = TopMenus(frame);
  QStringList titles;
  for (QMenu* menu : menus) titles << menu->title();
  ASSERT_EQ(titles, (QStringList{"ファイル(&F)", "表示(&V)", "描画オブジェクト(&R)", "ピック(&P)", "変形(&F)",
                                 "解析(&A)", "ツール(&T)", "ヘルプ(&H)"}));

  EXPECT_EQ(Describe(menus[0]),
            (QStringList{"32816 インポート(&I)...", "32815 エクスポート(&E)...", "32814 すべて閉じる(&C)",
                         "-", "57616 最近使ったファイル", "-", "57665 アプリケーションの終了(&X)"}));
  EXPECT_EQ(Describe(menus[1]), ViewMenu());
  QStringList renderingObjects = {"32771 軸-点描画",         "32772 軸-線描画",
                                  "32773 軸-ラベル描画",     "-",
                                  "32774 形状モデル-点描画", "32775 形状モデル-線描画",
                                  "32776 形状モデル-面描画", "32777 形状モデル-ラベル描画"};
  if (!stl)
    renderingObjects << "-"
                     << "32778 ツールパス-点描画"
                     << "32779 ツールパス-線描画"
                     << "32780 ツールパス-ラベル描画";
  EXPECT_EQ(Describe(menus[2]), renderingObjects);
  EXPECT_EQ(Describe(menus[3]), QStringList{"32839 要素上任意点ピック\tF9"});
  EXPECT_EQ(Describe(menus[4]), (QStringList{"32843 平行移動(T)...", "32842 回転移動(&R)...",
                                             "32912 拡大縮小(&E)...", "-", "32841 頂点法線平均化(&N)..."}));
  QStringList analysis = {"32806 測定(&M)...",
                          "32804 要素特性(&P)...",
                          "-",
                          "32903 ミニマックス(&X)...",
                          "32802 体積計算(&V)...",
                          "32801 投影面積計算(&P)...",
                          "32805 ソリッド判定(&J)...",
                          "-",
                          "32803 断面表示(ピック)(&S)...",
                          "32807 断面表示(方程式)&E)..."};
  if (!stl)
    analysis << "-"
             << "32808 工具モデル表示(&T)...";
  EXPECT_EQ(Describe(menus[5]), analysis);
  EXPECT_EQ(Describe(menus[6]), QStringList{"32840 オプション(&O)..."});
  EXPECT_EQ(Describe(menus[7]), (QStringList{"32817 目次(&C)", "-", "57664 バージョン情報(&A)..."}));

  std::multiset<int> ids;
  for (QMenu* menu : menus) CollectIds(menu, ids);
  for (const int id : ids) EXPECT_EQ(ids.count(id), 1u) << id;
  for (const int removed : {32778, 32779, 32780, 32808}) {
    EXPECT_EQ(ids.count(removed), stl ? 0u : 1u) << removed;
    EXPECT_EQ(frame->FindAction(removed) == nullptr, stl) << removed;
  }
}

TEST_P(MainFrameProductTest, FourToolBarsInOneRowAtTheTop) {
  const bool stl = GetParam().stl;
  MakeFrame(GetParam().product);
  ShowFrame();
  QToolBar* bars[] = {frame->FileToolBar(), frame->RenderingObjectToolBar(), frame->PickToolBar(),
                      frame->AnalysisToolBar()};
  const QString captions[] = {"ファイル ツールバー", "描画オブジェクト ツールバー", "ピック ツールバー",
                              "解析 ツールバー"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(bars[i]->windowTitle(), captions[i]);
    EXPECT_EQ(frame->toolBarArea(bars[i]), Qt::TopToolBarArea);
    EXPECT_TRUE(bars[i]->isVisible());
    if (i > 0) {
      EXPECT_EQ(bars[i]->y(), bars[0]->y());
      EXPECT_GT(bars[i]->x(), bars[i - 1]->x());
    }
    for (QAction* action : bars[i]->actions()) {
      if (!action->isSeparator()) {
        EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
      }
    }
  }
  EXPECT_EQ(DescribeToolBar(bars[0]), QStringList{"32816"});
  QStringList rendering = {"32771", "32772", "32773", "-", "32774", "32775", "32776", "32777"};
  if (!stl)
    rendering << "-"
              << "32778"
              << "32779"
              << "32780";
  EXPECT_EQ(DescribeToolBar(bars[1]), rendering);
  EXPECT_EQ(DescribeToolBar(bars[2]), QStringList{"32839"});
  QStringList analysis = {"32806", "32804", "-", "32803", "32807"};
  if (!stl)
    analysis << "-"
             << "32808";
  EXPECT_EQ(DescribeToolBar(bars[3]), analysis);

  // The pane sits docked beside the view with the tree inset by one pixel.
  CDockablePaneObjectTree* pane = frame->ObjectTreePane();
  EXPECT_EQ(pane->windowTitle(), QStringLiteral("オブジェクトツリー"));
  EXPECT_EQ(frame->dockWidgetArea(pane), Qt::LeftDockWidgetArea);
  EXPECT_FALSE(pane->isFloating());
  EXPECT_NEAR(pane->width(), 200, 10);
  EXPECT_EQ(frame->ObjectTree()->geometry(), pane->widget()->rect().adjusted(1, 1, -1, -1));
  EXPECT_EQ(RenderingManager()->objectTree, frame->ObjectTree());
}

INSTANTIATE_TEST_SUITE_P(Products, MainFrameProductTest,
                         ::testing::Values(ProductCase{kStl, true}, ProductCase{kNc, false}),
                         [](const ::testing::TestParamInfo<ProductCase>& info) {
                           return info.param.stl ? std::string("Stl") : std::string("Nc");
                         });

// ---------------------------------------------------------------------------
// Accelerators

TEST_F(MainFrameTest, AcceleratorsAreApplicationWideShortcuts) {
  MakeFrame(kNc);
  std::vector<std::pair<int, QKeySequence>> keys = {
      {cmd::kHelpContents, QKeySequence(Qt::Key_F1)},
      {cmd::kRotationCenter, QKeySequence(Qt::Key_F5)},
      {cmd::kRenderingCenter, QKeySequence(Qt::Key_F6)},
      {cmd::kRenderingRate, QKeySequence(Qt::Key_F7)},
      {cmd::kViewAdjust, QKeySequence(Qt::Key_F8)},
      {cmd::kPickPointOnElement, QKeySequence(Qt::Key_F9)},
      {cmd::kViewTop, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {cmd::kViewBottom, QKeySequence(Qt::ALT | Qt::Key_Z)},
      {cmd::kViewFront, QKeySequence(Qt::ALT | Qt::Key_Y)},
      {cmd::kViewBack, QKeySequence(Qt::CTRL | Qt::Key_Y)},
      {cmd::kViewLeft, QKeySequence(Qt::ALT | Qt::Key_X)},
      {cmd::kViewRight, QKeySequence(Qt::CTRL | Qt::Key_X)},
      {32861, QKeySequence(Qt::ALT | Qt::Key_0)},
      {32846, QKeySequence(Qt::CTRL | Qt::Key_0)},
      {cmd::kCapture, QKeySequence(Qt::CTRL | Qt::Key_C)},
  };
  // Slots 1..9: save on Alt+digit (32862..32870), restore on Ctrl+digit (32847..32855).
  for (int slot = 1; slot <= 9; ++slot) {
    const auto digit = static_cast<Qt::Key>(Qt::Key_0 + slot);
    keys.push_back({32861 + slot, QKeySequence(Qt::ALT | digit)});
    keys.push_back({32846 + slot, QKeySequence(Qt::CTRL | digit)});
  }
  std::set<int> withKeys;
  for (const auto& [id, key] : keys) {
    SCOPED_TRACE(id);
    QAction* action = frame->FindAction(id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), key);
    EXPECT_EQ(action->shortcutContext(), Qt::ApplicationShortcut);
    withKeys.insert(id);
  }
  std::multiset<int> ids;
  for (QMenu* menu : TopMenus(frame)) CollectIds(menu, ids);
  for (const int id : ids) {
    if (!withKeys.count(id)) {
      EXPECT_TRUE(frame->FindAction(id)->shortcut().isEmpty()) << id;
    }
  }
}

TEST_F(MainFrameTest, AcceleratorsReachTheViewWhileAModelessDialogHasTheFocus) {
  MakeFrame(kNc);
  CFakeView view;
  for (const int id : {cmd::kViewAdjust, 32864, cmd::kRestoreViewStateSlot0, cmd::kViewBottom})
    view.known[id] = {true, false};
  frame->SetView(new QWidget, &view);
  ShowFrame();

  QDialog dialog(frame);
  auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
  (new QVBoxLayout(&dialog))->addWidget(button);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  button->setFocus();
  QTest::keyClick(button, Qt::Key_F8);
  QTest::keyClick(button, Qt::Key_3, Qt::AltModifier);
  QTest::keyClick(button, Qt::Key_0, Qt::ControlModifier);
  QTest::keyClick(button, Qt::Key_Z, Qt::AltModifier);
  EXPECT_EQ(view.received,
            (std::vector<int>{cmd::kViewAdjust, 32864, cmd::kRestoreViewStateSlot0, cmd::kViewBottom}));
  // A command nobody enables has a dead key.
  QTest::keyClick(button, Qt::Key_F5);
  EXPECT_EQ(view.received.size(), 4u);
}

// ---------------------------------------------------------------------------
// Command routing

TEST_F(MainFrameTest, TheViewIsAskedFirstAndUnknownCommandsStayDisabled) {
  MakeFrame(kNc);
  CFakeView view;
  view.known[cmd::kViewAdjust] = {true, false};
  view.known[cmd::kPickPointOnElement] = {true, true};
  view.known[cmd::kViewObjectTree] = {true, false};  // the view claims the pane's command
  auto* widget = new QWidget;
  frame->SetView(widget, &view);
  EXPECT_EQ(frame->centralWidget(), widget);

  EXPECT_TRUE(frame->FindAction(cmd::kViewAdjust)->isEnabled());
  EXPECT_TRUE(frame->FindAction(cmd::kPickPointOnElement)->isChecked());
  EXPECT_FALSE(frame->FindAction(cmd::kMeasure)->isEnabled());
  EXPECT_FALSE(frame->FindAction(cmd::kHelpContents)->isEnabled());
  EXPECT_FALSE(frame->FindAction(cmd::kViewObjectTree)->isChecked());
  EXPECT_TRUE(frame->FindAction(cmd::kViewStatusBar)->isEnabled());

  frame->FindAction(cmd::kViewAdjust)->trigger();
  frame->FindAction(cmd::kViewObjectTree)->trigger();
  EXPECT_EQ(view.received, (std::vector<int>{cmd::kViewAdjust, cmd::kViewObjectTree}));
  EXPECT_FALSE(frame->ObjectTreePane()->isHidden());
  EXPECT_FALSE(frame->TriggerCommand(cmd::kMeasure));

  // A menu asks again when it opens.
  view.known[cmd::kPickPointOnElement] = {true, false};
  QMenu* pick = TopMenus(frame)[3];
  emit pick->aboutToShow();
  EXPECT_FALSE(frame->FindAction(cmd::kPickPointOnElement)->isChecked());

  // The application comes after the frame.
  CFakeView application;
  application.known[cmd::kHelpContents] = {true, false};
  application.known[cmd::kViewStatusBar] = {false, false};
  frame->SetApplicationTarget(&application);
  EXPECT_TRUE(frame->FindAction(cmd::kHelpContents)->isEnabled());
  EXPECT_TRUE(frame->FindAction(cmd::kViewStatusBar)->isEnabled());
  EXPECT_TRUE(frame->TriggerCommand(cmd::kHelpContents));
  EXPECT_EQ(application.received, std::vector<int>{cmd::kHelpContents});

  // A view that goes away stops getting commands.
  delete widget;
  EXPECT_FALSE(frame->TriggerCommand(cmd::kViewAdjust));
  frame->SetApplicationTarget(nullptr);
}

TEST_F(MainFrameTest, VisibilityCommandsToggleAndCheckTheirBar) {
  MakeFrame(kNc);
  ShowFrame();
  const std::pair<int, QWidget*> cases[] = {
      {cmd::kViewFileToolbar, frame->FileToolBar()},
      {cmd::kViewRenderingObjectToolbar, frame->RenderingObjectToolBar()},
      {cmd::kViewPickToolbar, frame->PickToolBar()},
      {cmd::kViewAnalysisToolbar, frame->AnalysisToolBar()},
      {cmd::kViewStatusBar, frame->statusBar()},
      {cmd::kViewObjectTree, frame->ObjectTreePane()},
  };
  for (const auto& [id, widget] : cases) {
    SCOPED_TRACE(id);
    QAction* action = frame->FindAction(id);
    ASSERT_TRUE(action->isCheckable());
    EXPECT_TRUE(action->isChecked());
    EXPECT_TRUE(widget->isVisible());
    action->trigger();
    EXPECT_FALSE(widget->isVisible());
    EXPECT_FALSE(action->isChecked());
    EXPECT_TRUE(frame->TriggerCommand(id));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(action->isChecked());
  }
  // Closing the pane with its own close button unchecks the item too.
  frame->ObjectTreePane()->close();
  frame->UpdateCommandStates();
  EXPECT_FALSE(frame->FindAction(cmd::kViewObjectTree)->isChecked());
}

TEST_F(MainFrameTest, CloseAllOfThePaneIsSentToTheMainWindow) {
  MakeFrame(kNc);
  CFakeView view;
  view.known[cmd::kCloseAll] = {true, false};
  frame->SetView(new QWidget, &view);
  frame->ObjectTreePane()->FindAction(cmd::kTreeCloseAll)->trigger();
  EXPECT_EQ(view.received, std::vector<int>{cmd::kCloseAll});
}

TEST_F(MainFrameTest, TreeChangesAskTheViewToRedraw) {
  MakeFrame(kNc);
  QSignalSpy redraw(frame, &CMainFrame::viewRedrawRequested);
  frame->ObjectTree()->AddObject(new CCountedToolPath);
  frame->ObjectTreePane()->OnCommand(cmd::kTreeUncheckAll);
  EXPECT_EQ(redraw.count(), 1);
}

// ---------------------------------------------------------------------------
// Recent files, drops, destruction

TEST_F(MainFrameTest, RecentFilesAreListedAndChosenByIndex) {
  MakeFrame(kNc);
  QAction* placeholder = frame->FindAction(cmd::kRecentFileFirst);
  ASSERT_NE(placeholder, nullptr);
  EXPECT_FALSE(placeholder->isEnabled());

  frame->SetRecentFiles({QStringLiteral("/data/part.stl"), QStringLiteral("/data/a&b.nc")});
  const QStringList file = Describe(TopMenus(frame)[0]);
  EXPECT_EQ(file, (QStringList{"32816 インポート(&I)...", "32815 エクスポート(&E)...",
                               "32814 すべて閉じる(&C)", "-", "57616 &1 /data/part.stl",
                               "57617 &2 /data/a&&b.nc", "-", "57665 アプリケーションの終了(&X)"}));
  EXPECT_TRUE(frame->FindAction(57617)->isEnabled());
  EXPECT_EQ(frame->FindAction(57618), nullptr);

  QSignalSpy chosen(frame, &CMainFrame::recentFileChosen);
  frame->FindAction(57617)->trigger();
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen[0][0].toInt(), 1);

  frame->SetRecentFiles({});
  EXPECT_EQ(Describe(TopMenus(frame)[0])[4], QStringLiteral("57616 最近使ったファイル"));
  EXPECT_FALSE(frame->FindAction(cmd::kRecentFileFirst)->isEnabled());
}

TEST_F(MainFrameTest, DroppedFilesAreForwardedInOrder) {
  MakeFrame(kNc);
  QSignalSpy dropped(frame, &CMainFrame::filesDropped);

  QMimeData text;
  text.setText(QStringLiteral("not a file"));
  QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame, &refused);
  EXPECT_FALSE(refused.isAccepted());

  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.stl")),
                 QUrl::fromLocalFile(QStringLiteral("/tmp/c.nc"))});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame, &drop);
  ASSERT_EQ(dropped.count(), 1);
  EXPECT_EQ(dropped[0][0].toStringList(), (QStringList{"/tmp/a b.stl", "/tmp/c.nc"}));
}

TEST_F(MainFrameTest, DestructionDeletesTheTreeWithItsObjectsAndClearsTheManager) {
  MakeFrame(kNc);
  CCountedToolPath::destroyed = 0;
  frame->ObjectTree()->AddObject(new CCountedToolPath);
  frame->ObjectTree()->AddObject(new CCountedToolPath);
  QPointer<CTreeCtrlRenderingObject> tree = frame->ObjectTree();
  ASSERT_EQ(RenderingManager()->objectTree, tree.data());
  delete frame;
  frame = nullptr;
  EXPECT_TRUE(tree.isNull());
  EXPECT_EQ(RenderingManager()->objectTree, nullptr);
  EXPECT_EQ(CCountedToolPath::destroyed, 2);
  EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
