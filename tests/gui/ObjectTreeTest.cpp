// The object tree pane with real mouse and key events on the tree's
// viewport: check boxes, selection among siblings, dragging branches, the
// context menus and the pane's commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/DockablePaneObjectTree.h"
#include "app/TreeCtrlRenderingObject.h"
#include "nc/RenderingObjectToolPath.h"
#include "render/DialogRenderingObject.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"

namespace {

// A tool path that counts its destructions, to tell a moved object from a
// deleted one.
class CCountedToolPath : public CRenderingObjectToolPath {
public:
  explicit CCountedToolPath(const std::wstring& name)
      : CRenderingObjectToolPath(name, 3.0f, 1.0f, 1.0f, 10.0f, 0, 0, 0, 0) {}
  ~CCountedToolPath() override { ++destroyed; }
  static inline int destroyed = 0;
};

// The pane with its property-dialog seam recorded.
class CRecordingPane : public CDockablePaneObjectTree {
public:
  using CDockablePaneObjectTree::CDockablePaneObjectTree;
  struct Call {
    int id;
    CRenderingObject* object;
  };
  std::vector<Call> calls;

protected:
  bool OpenPropertyDialog(int commandId, CRenderingObject* object) override {
    calls.push_back({commandId, object});
    return true;
  }
};

class ObjectTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_renderingManager = new CManagerRenderingObject;
    m_pickManager = new CPilvo3DManagerPickObject;
    m_temporaryManager = new CManagerTemporaryObject;
    m_materialLibrary = new CManagerMaterialLibrary;
    CCountedToolPath::destroyed = 0;
    tree = new CTreeCtrlRenderingObject;
    m_renderingManager->objectTree = tree;
    pane = new CRecordingPane(tree);
    pane->resize(320, 480);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane));
  }

  void TearDown() override {
    delete pane;  // deletes the tree and every object in it
    m_renderingManager->objectTree = nullptr;
    delete m_materialLibrary;
    delete m_temporaryManager;
    delete m_pickManager;
    delete m_renderingManager;
  }

  // A model object with two one-triangle groups, loaded as the import does:
  // the model at the top level, one geometric model per group below it.
  QTreeWidgetItem* AddModel(const std::wstring& name) {
    auto* mesh = new CZtModel;
    mesh->vertices = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
    mesh->facetNormals = {{0, 0, 1}, {1, 0, 0}};
    CZtIndexedTriangle first, second;
    first.vertexIndex[0] = 0, first.vertexIndex[1] = 1, first.vertexIndex[2] = 2, first.facetNormalIndex = 0;
    second.vertexIndex[0] = 0, second.vertexIndex[1] = 2, second.vertexIndex[2] = 3,
    second.facetNormalIndex = 1;
    mesh->triangles = {first, second};
    for (uint32_t i = 0; i < 2; ++i) {
      auto* group = new CZtGroup;
      group->name = name + L"-group" + std::to_wstring(i);
      group->triangleIndices = {i};
      group->model = mesh;
      mesh->groups.push_back(group);
    }
    auto* model = new CRenderingObjectModel(mesh);
    model->SetName(name);
    QTreeWidgetItem* item = tree->AddObject(model);
    for (CZtGroup* group : mesh->groups) {
      auto* child = new CRenderingObjectGeometricModel(group, *m_renderingManager->geometricDefault);
      model->children.insert(child);
      tree->AddObject(child, item);
    }
    return item;
  }

  QTreeWidgetItem* AddToolPath(const std::wstring& name) {
    return tree->AddObject(new CCountedToolPath(name));
  }

  QWidget* Viewport() const { return tree->viewport(); }
  QPoint LabelPos(QTreeWidgetItem* item) const { return tree->LabelRect(item).center(); }
  QPoint CheckPos(QTreeWidgetItem* item) const { return tree->CheckBoxRect(item).center(); }

  void Click(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(Viewport(), Qt::LeftButton, modifiers, LabelPos(item));
  }

  // Drags from the label of from to point, reporting the cursor and the
  // insertion mark seen while the button is down over point.
  struct DragSeen {
    bool dragging = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QTreeWidgetItem* mark = nullptr;
    bool markAfter = false;
  };
  DragSeen Drag(QTreeWidgetItem* from, QPoint to) {
    const QPoint start = LabelPos(from);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(Viewport(), QPoint(start.x(), (start.y() + to.y()) / 2));
    QTest::mouseMove(Viewport(), to);
    DragSeen seen;
    seen.dragging = tree->IsDragging();
    seen.cursor = Viewport()->cursor().shape();
    seen.mark = tree->InsertMarkItem();
    seen.markAfter = tree->InsertMarkAfter();
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, to);
    return seen;
  }

  std::vector<CRenderingObject*> TopLevelObjects() const {
    std::vector<CRenderingObject*> objects;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
      objects.push_back(CTreeCtrlRenderingObject::ObjectOf(tree->topLevelItem(i)));
    return objects;
  }

  std::vector<CRenderingObject*> SelectedObjects() const {
    std::vector<CRenderingObject*> objects;
    for (QTreeWidgetItem* item : tree->SelectedItems())
      objects.push_back(CTreeCtrlRenderingObject::ObjectOf(item));
    return objects;
  }

  CTreeCtrlRenderingObject* tree = nullptr;
  CRecordingPane* pane = nullptr;

private:
  CManagerRenderingObject* m_renderingManager = nullptr;
  CPilvo3DManagerPickObject* m_pickManager = nullptr;
  CManagerTemporaryObject* m_temporaryManager = nullptr;
  CManagerMaterialLibrary* m_materialLibrary = nullptr;
};

CRenderingObject* ObjectOf(QTreeWidgetItem* item) { return CTreeCtrlRenderingObject::ObjectOf(item); }

// ---------------------------------------------------------------------------
// Check boxes

TEST_F(ObjectTreeTest, ModelLoadsAsOneExpandedCheckedBranchAndItsCheckBoxHidesAllThree) {
  QTreeWidgetItem* model = AddModel(L"part.stl");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  ASSERT_EQ(model->childCount(), 2);
  EXPECT_TRUE(model->isExpanded());
  EXPECT_EQ(model->text(0), QStringLiteral("part.stl"));
  EXPECT_EQ(model->child(0)->text(0), QStringLiteral("part.stl-group0"));
  for (QTreeWidgetItem* item : {model, model->child(0), model->child(1)})
    EXPECT_EQ(item->checkState(0), Qt::Checked);
  TZtVector3<float> min, max;
  EXPECT_TRUE(tree->GetSceneExtents(min, max));

  QSignalSpy redraw(tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged);
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CheckPos(model));
  for (QTreeWidgetItem* item : {model, model->child(0), model->child(1)})
    EXPECT_EQ(item->checkState(0), Qt::Unchecked);
  EXPECT_EQ(redraw.count(), 1);
  // Nothing checked is drawn or counted in the scene box.
  EXPECT_FALSE(tree->GetSceneExtents(min, max));
  // The check box click leaves the selection alone.
  EXPECT_TRUE(tree->SelectedItems().empty());
}

TEST_F(ObjectTreeTest, CheckBoxOfAMultipleSelectionGivesEverySelectedBranchTheCaretsNewState) {
  QTreeWidgetItem* first = AddModel(L"a");
  QTreeWidgetItem* second = AddModel(L"b");
  QTreeWidgetItem* outside = AddToolPath(L"c");
  Click(first);
  Click(second, Qt::ShiftModifier);
  tree->SetChecked(first, false);  // differs from the caret (second)
  // The box of the first item, not the caret: the caret's state decides.
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CheckPos(first));
  for (QTreeWidgetItem* item :
       {first, first->child(0), first->child(1), second, second->child(0), second->child(1)})
    EXPECT_EQ(item->checkState(0), Qt::Unchecked);
  EXPECT_EQ(outside->checkState(0), Qt::Checked);
}

TEST_F(ObjectTreeTest, SpaceGivesThreeSelectedBranchesTheCaretsInvertedCheck) {
  QTreeWidgetItem* items[] = {AddModel(L"a"), AddModel(L"b"), AddModel(L"c"), AddModel(L"d")};
  Click(items[0]);
  Click(items[2], Qt::ShiftModifier);
  ASSERT_EQ(tree->SelectedItems().size(), 3u);
  ASSERT_EQ(tree->Caret(), items[2]);
  items[2]->child(1)->setCheckState(0, Qt::Unchecked);  // a subtree with mixed states

  QSignalSpy redraw(tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged);
  QTest::keyClick(tree, Qt::Key_Space);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i]->checkState(0), Qt::Unchecked);
    EXPECT_EQ(items[i]->child(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(items[i]->child(1)->checkState(0), Qt::Unchecked);
  }
  EXPECT_EQ(items[3]->checkState(0), Qt::Checked);
  EXPECT_EQ(redraw.count(), 1);

  QTest::keyClick(tree, Qt::Key_Space);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i]->child(1)->checkState(0), Qt::Checked);
}

// ---------------------------------------------------------------------------
// Selection

TEST_F(ObjectTreeTest, ClicksWithModifiersUnderAnotherParentLeaveTheSelectionUnchanged) {
  QTreeWidgetItem* model = AddModel(L"part");
  QTreeWidgetItem* other = AddToolPath(L"path");
  QTreeWidgetItem* child = model->child(0);
  for (const Qt::KeyboardModifier modifier : {Qt::ControlModifier, Qt::ShiftModifier}) {
    SCOPED_TRACE(modifier);
    Click(child);
    Click(other, modifier);
    ASSERT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{child});
    EXPECT_EQ(tree->Caret(), child);
    EXPECT_TRUE(child->isSelected());
    EXPECT_FALSE(other->isSelected());
  }
}

TEST_F(ObjectTreeTest, ShiftSelectsARangeFromTheAnchorAndCtrlToggles) {
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3"), AddToolPath(L"4")};
  Click(items[1]);
  Click(items[3], Qt::ShiftModifier);
  EXPECT_EQ(tree->SelectedItems(), (std::vector<QTreeWidgetItem*>{items[1], items[2], items[3]}));
  EXPECT_EQ(tree->Caret(), items[3]);
  // The range is measured from the anchor, not from the caret.
  Click(items[0], Qt::ShiftModifier);
  EXPECT_EQ(tree->SelectedItems(), (std::vector<QTreeWidgetItem*>{items[0], items[1]}));

  Click(items[0], Qt::ControlModifier);
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{items[1]});
  EXPECT_FALSE(items[0]->isSelected());
  EXPECT_EQ(tree->Caret(), items[0]);
  EXPECT_EQ(tree->Anchor(), nullptr);
  Click(items[3], Qt::ControlModifier);
  EXPECT_EQ(tree->SelectedItems(), (std::vector<QTreeWidgetItem*>{items[1], items[3]}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i]->isSelected(), i == 1 || i == 3) << i;
}

TEST_F(ObjectTreeTest, PlainClickInAMultipleSelectionSelectsTheItemAloneOnlyAtRelease) {
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3")};
  Click(items[0]);
  Click(items[2], Qt::ShiftModifier);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, LabelPos(items[1]));
  EXPECT_EQ(tree->SelectedItems().size(), 3u);  // kept for a possible drag
  EXPECT_EQ(tree->Caret(), items[1]);
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, LabelPos(items[1]));
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{items[1]});
  EXPECT_FALSE(items[0]->isSelected());
  EXPECT_FALSE(items[2]->isSelected());
}

TEST_F(ObjectTreeTest, ArrowKeysMoveTheCaretAndShiftArrowsGrowAndShrinkAmongSiblings) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* path = AddToolPath(L"p");
  Click(model);
  QTest::keyClick(tree, Qt::Key_Down);  // into the expanded model
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{model->child(0)});
  QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(tree->SelectedItems(), (std::vector<QTreeWidgetItem*>{model->child(0), model->child(1)}));
  EXPECT_EQ(tree->Anchor(), model->child(0));
  // No next sibling: nothing changes.
  QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(tree->SelectedItems().size(), 2u);
  QTest::keyClick(tree, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{model->child(0)});
  EXPECT_EQ(tree->Caret(), model->child(0));
  // A plain arrow clears the multiple selection.
  QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{path});
  EXPECT_EQ(tree->Anchor(), nullptr);
}

TEST_F(ObjectTreeTest, CollapsingTheParentOfTheSelectionSelectsIt) {
  QTreeWidgetItem* model = AddModel(L"m");
  AddToolPath(L"p");
  Click(model->child(1));
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, tree->ButtonRect(model).center());
  EXPECT_FALSE(model->isExpanded());
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{model});
  EXPECT_EQ(tree->Caret(), model);
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, tree->ButtonRect(model).center());
  EXPECT_TRUE(model->isExpanded());
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{model});
}

// ---------------------------------------------------------------------------
// Dragging branches

TEST_F(ObjectTreeTest, TwoSelectedItemsDraggedBeforeTheFirstKeepTheirOrderObjectsAndChecks) {
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3")};
  const std::vector<CRenderingObject*> objects = TopLevelObjects();
  objects[1]->SetLineWidth(4.0f);
  items[2]->setCheckState(0, Qt::Unchecked);
  Click(items[1]);
  Click(items[2], Qt::ControlModifier);
  QSignalSpy redraw(tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged);

  const QRect first = tree->visualItemRect(items[0]);
  const DragSeen seen = Drag(items[1], QPoint(LabelPos(items[0]).x(), first.top() + 1));
  EXPECT_TRUE(seen.dragging);
  EXPECT_EQ(seen.cursor, Qt::UpArrowCursor);
  EXPECT_EQ(seen.mark, items[0]);
  EXPECT_FALSE(seen.markAfter);

  EXPECT_EQ(TopLevelObjects(), (std::vector<CRenderingObject*>{objects[1], objects[2], objects[0]}));
  EXPECT_EQ(CCountedToolPath::destroyed, 0);
  EXPECT_EQ(objects[1]->lineWidth, 4.0f);
  EXPECT_EQ(tree->topLevelItem(0)->checkState(0), Qt::Checked);
  EXPECT_EQ(tree->topLevelItem(1)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(tree->topLevelItem(2)->checkState(0), Qt::Checked);
  // The moved items stay selected; the pressed item became the caret and
  // its copy keeps that role.
  EXPECT_EQ(SelectedObjects(), (std::vector<CRenderingObject*>{objects[1], objects[2]}));
  EXPECT_TRUE(tree->topLevelItem(0)->isSelected());
  EXPECT_TRUE(tree->topLevelItem(1)->isSelected());
  EXPECT_EQ(ObjectOf(tree->Caret()), objects[1]);
  EXPECT_EQ(tree->FindItem(objects[1]), tree->topLevelItem(0));
  EXPECT_EQ(redraw.count(), 1);
  EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(tree->InsertMarkItem(), nullptr);
}

TEST_F(ObjectTreeTest, DropPositionsBetweenSiblings) {
  struct Case {
    const char* what;
    int dragged;             // index of the dragged item
    int edgeOf;              // item whose edge is the drop point
    bool bottom;             // bottom edge (else top edge)
    std::vector<int> order;  // resulting order of the original indices
  };
  const Case cases[] = {
      {"after the last item", 0, 2, true, {1, 2, 0}},
      {"between the second and third", 0, 2, false, {1, 0, 2}},
      {"bottom edge of the first item", 2, 0, true, {0, 2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree->DeleteAll();
    QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3")};
    const std::vector<CRenderingObject*> objects = TopLevelObjects();
    Click(items[c.dragged]);
    const QRect edge = tree->visualItemRect(items[c.edgeOf]);
    Drag(items[c.dragged],
         QPoint(LabelPos(items[c.edgeOf]).x(), c.bottom ? edge.bottom() - 1 : edge.top() + 1));
    std::vector<CRenderingObject*> expected;
    for (int index : c.order) expected.push_back(objects[index]);
    EXPECT_EQ(TopLevelObjects(), expected);
  }
}

TEST_F(ObjectTreeTest, DraggedModelTakesItsGeometricModelsAlong) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* path = AddToolPath(L"p");
  auto* modelObject = static_cast<CRenderingObjectModel*>(ObjectOf(model));
  CRenderingObject* children[] = {ObjectOf(model->child(0)), ObjectOf(model->child(1))};
  model->child(1)->setCheckState(0, Qt::Unchecked);
  Click(model);
  const QRect below = tree->visualItemRect(path);
  Drag(model, QPoint(LabelPos(path).x(), below.bottom() - 1));

  ASSERT_EQ(TopLevelObjects(), (std::vector<CRenderingObject*>{ObjectOf(path), modelObject}));
  QTreeWidgetItem* moved = tree->topLevelItem(1);
  ASSERT_EQ(moved->childCount(), 2);
  EXPECT_TRUE(moved->isExpanded());
  EXPECT_EQ(ObjectOf(moved->child(0)), children[0]);
  EXPECT_EQ(ObjectOf(moved->child(1)), children[1]);
  EXPECT_EQ(moved->child(1)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(modelObject->children.size(), 2u);
  EXPECT_EQ(tree->FindModelOfChild(children[1]), modelObject);
}

TEST_F(ObjectTreeTest, RefusedDropsMoveNothingAndShowTheNoCursor) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2")};
  struct Case {
    const char* what;
    QPoint to;
  };
  const QRect childRow = tree->visualItemRect(model->child(1));
  const Case cases[] = {
      {"onto the middle of an item", LabelPos(items[1])},
      {"between children of another parent", QPoint(LabelPos(model->child(1)).x(), childRow.top() + 1)},
      {"next to the dragged item itself",
       QPoint(LabelPos(items[0]).x(), tree->visualItemRect(items[0]).top() + 1)},
  };
  const std::vector<CRenderingObject*> before = TopLevelObjects();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Click(items[0]);
    const DragSeen seen = Drag(items[0], c.to);
    EXPECT_TRUE(seen.dragging);
    EXPECT_EQ(seen.cursor, Qt::ForbiddenCursor);
    EXPECT_EQ(seen.mark, nullptr);
    EXPECT_EQ(TopLevelObjects(), before);
    EXPECT_EQ(model->childCount(), 2);
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
  }
  EXPECT_EQ(CCountedToolPath::destroyed, 0);
}

TEST_F(ObjectTreeTest, ThePressedItemStartsADragOnlyAfterTheStartTimer) {
  QTreeWidgetItem* item = AddToolPath(L"1");
  AddToolPath(L"2");
  const QPoint start = LabelPos(item);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, start);
  QTest::mouseMove(Viewport(), start + QPoint(4, 0));
  EXPECT_FALSE(tree->IsDragging());
  QTest::qWait(CTreeCtrlMultiSelectMoveBranch::kStartTimerMs + 100);
  QTest::mouseMove(Viewport(), start + QPoint(8, 0));
  EXPECT_TRUE(tree->IsDragging());
  EXPECT_EQ(Viewport()->cursor().shape(), Qt::ForbiddenCursor);  // still over the item itself
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, start + QPoint(8, 0));
  EXPECT_EQ(tree->topLevelItem(0), item);
}

// ---------------------------------------------------------------------------
// Context menu and pane commands

TEST_F(ObjectTreeTest, RightClickSelectsAndOpensTheMenuOfTheObjectKind) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* path = AddToolPath(L"p");
  const QRect last = tree->visualItemRect(path);
  struct Case {
    const char* what;
    QPoint at;
    QString title;
    QTreeWidgetItem* selected;  // selection after the click
  };
  const Case cases[] = {
      {"geometric model", LabelPos(model->child(0)), QStringLiteral("[形状モデルオブジェクト]"),
       model->child(0)},
      {"tool path", LabelPos(path), QStringLiteral("[ツールパスオブジェクト]"), path},
      {"model", CheckPos(model), QStringLiteral("[モデルオブジェクト]"), model},
      {"below the items", QPoint(LabelPos(path).x(), last.bottom() + 20), QStringLiteral("[オブジェクト外]"),
       model},
      {"right of a label", QPoint(tree->viewport()->width() - 5, LabelPos(path).y()),
       QStringLiteral("[オブジェクト外]"), model},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTest::mousePress(Viewport(), Qt::RightButton, {}, c.at);
    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        if (auto* menu = qobject_cast<QMenu*>(popup)) shown = menu->title();
        popup->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, c.at, Viewport()->mapToGlobal(c.at));
    QApplication::sendEvent(Viewport(), &event);
    QTest::mouseRelease(Viewport(), Qt::RightButton, {}, c.at);
    EXPECT_EQ(shown, c.title);
    EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{c.selected});
  }
}

TEST_F(ObjectTreeTest, RightClickInsideAMultipleSelectionOnlyMovesTheCaret) {
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3")};
  Click(items[0]);
  Click(items[2], Qt::ShiftModifier);
  QTest::mouseClick(Viewport(), Qt::RightButton, {}, LabelPos(items[1]));
  EXPECT_EQ(tree->SelectedItems().size(), 3u);
  EXPECT_EQ(tree->Caret(), items[1]);
}

TEST_F(ObjectTreeTest, PropertyCommandsReachTheDialogSeamOnlyForTheirObjectKind) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* path = AddToolPath(L"p");
  struct Case {
    const char* what;
    QTreeWidgetItem* caret;
    int id;
    bool called;
  };
  const Case cases[] = {
      {"face alpha on a tool path", path, cmd::kTreeFaceAlpha, false},
      {"face alpha on a geometric model", model->child(0), cmd::kTreeFaceAlpha, true},
      {"face colour on a model", model, cmd::kTreeFaceColor, false},
      {"model position on a model", model, cmd::kTreeModelPosition, true},
      {"model position on a geometric model", model->child(1), cmd::kTreeModelPosition, false},
      {"code list on a tool path", path, cmd::kTreeCodeList, true},
      {"arc precision on a geometric model", model->child(0), cmd::kTreeArcPrecision, false},
      {"point colour on a tool path", path, cmd::kTreePointColor, true},
      {"property on a model", model, cmd::kTreeProperty, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    pane->calls.clear();
    Click(c.caret);
    EXPECT_TRUE(pane->OnCommand(c.id));
    ASSERT_EQ(pane->calls.size(), c.called ? 1u : 0u);
    if (c.called) {
      EXPECT_EQ(pane->calls[0].id, c.id);
      EXPECT_EQ(pane->calls[0].object, ObjectOf(c.caret));
    }
  }
  // Without a caret nothing happens.
  pane->calls.clear();
  tree->setCurrentItem(nullptr);
  pane->OnCommand(cmd::kTreePointColor);
  EXPECT_TRUE(pane->calls.empty());
}

TEST_F(ObjectTreeTest, ContextMenuItemsDispatchTheirCommands) {
  QTreeWidgetItem* path = AddToolPath(L"p");
  Click(path);
  QAction* faceAlpha = pane->FindAction(cmd::kTreeFaceAlpha);
  ASSERT_NE(faceAlpha, nullptr);
  EXPECT_EQ(faceAlpha->text(), QStringLiteral("面の透明度..."));
  // The tool path menu offers no face commands; the item in another menu
  // still refuses the tool path.
  for (QAction* action : pane->ContextMenu(CDockablePaneObjectTree::kMenuToolPath)->actions())
    EXPECT_NE(action->data().toInt(), cmd::kTreeFaceAlpha);
  faceAlpha->trigger();
  EXPECT_TRUE(pane->calls.empty());
  pane->FindAction(cmd::kTreeCodeCheck)->trigger();
  ASSERT_EQ(pane->calls.size(), 1u);
  EXPECT_EQ(pane->calls[0].id, cmd::kTreeCodeCheck);
}

TEST_F(ObjectTreeTest, CheckCommandsForTheWholeTree) {
  QTreeWidgetItem* model = AddModel(L"m");
  QTreeWidgetItem* path = AddToolPath(L"p");
  model->child(0)->setCheckState(0, Qt::Unchecked);
  QSignalSpy redraw(tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged);

  pane->OnCommand(cmd::kTreeInvertChecks);
  EXPECT_EQ(model->checkState(0), Qt::Unchecked);
  EXPECT_EQ(model->child(0)->checkState(0), Qt::Checked);
  EXPECT_EQ(model->child(1)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(path->checkState(0), Qt::Unchecked);

  pane->OnCommand(cmd::kTreeCheckAll);
  for (QTreeWidgetItem* item : {model, model->child(0), model->child(1), path})
    EXPECT_EQ(item->checkState(0), Qt::Checked);
  pane->OnCommand(cmd::kTreeUncheckAll);
  for (QTreeWidgetItem* item : {model, model->child(0), model->child(1), path})
    EXPECT_EQ(item->checkState(0), Qt::Unchecked);
  EXPECT_EQ(redraw.count(), 3);
}

TEST_F(ObjectTreeTest, CollapseAllSelectsTheTopLevelItemThatHidesTheSelection) {
  QTreeWidgetItem* first = AddModel(L"a");
  QTreeWidgetItem* second = AddModel(L"b");
  Click(second->child(1));
  pane->OnCommand(cmd::kTreeCollapseAll);
  EXPECT_FALSE(first->isExpanded());
  EXPECT_FALSE(second->isExpanded());
  EXPECT_EQ(tree->SelectedItems(), std::vector<QTreeWidgetItem*>{second});
  pane->OnCommand(cmd::kTreeExpandAll);
  EXPECT_TRUE(first->isExpanded());
  EXPECT_TRUE(second->isExpanded());
}

TEST_F(ObjectTreeTest, CloseDeletesTheSelectedItemsWithTheirObjects) {
  QTreeWidgetItem* items[] = {AddToolPath(L"1"), AddToolPath(L"2"), AddToolPath(L"3")};
  CRenderingObject* kept = ObjectOf(items[1]);
  Click(items[0]);
  Click(items[2], Qt::ControlModifier);
  QSignalSpy redraw(tree, &CTreeCtrlMultiSelectMoveBranch::sceneChanged);
  pane->OnCommand(cmd::kTreeClose);
  EXPECT_EQ(TopLevelObjects(), std::vector<CRenderingObject*>{kept});
  EXPECT_EQ(CCountedToolPath::destroyed, 2);
  EXPECT_TRUE(tree->SelectedItems().empty());
  EXPECT_EQ(redraw.count(), 1);
}

TEST_F(ObjectTreeTest, CloseAllGoesToTheMainWindow) {
  AddToolPath(L"1");
  QSignalSpy sent(pane, &CDockablePaneObjectTree::mainWindowCommand);
  pane->OnCommand(cmd::kTreeCloseAll);
  ASSERT_EQ(sent.count(), 1);
  EXPECT_EQ(sent[0][0].toInt(), cmd::kCloseAll);
  EXPECT_EQ(tree->topLevelItemCount(), 1);  // the window's close-all empties the tree
}

TEST_F(ObjectTreeTest, ASecondPropertyDialogOfOneKindBringsTheFirstBack) {
  QTreeWidgetItem* path = AddToolPath(L"p");
  CRenderingObject* object = ObjectOf(path);
  constexpr int kPointColorDialog = 364;
  QPointer<CDialogRenderingObject> first = new CDialogRenderingObject(kPointColorDialog, object, pane);
  QPointer<CDialogRenderingObject> second = new CDialogRenderingObject(kPointColorDialog, object, pane);
  EXPECT_EQ(CDockablePaneObjectTree::ShowPropertyDialog(first), first.data());
  EXPECT_EQ(CDockablePaneObjectTree::ShowPropertyDialog(second), first.data());
  EXPECT_TRUE(second.isNull());
  ASSERT_FALSE(first.isNull());
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(object->FindDialog(kPointColorDialog), first.data());
  EXPECT_EQ(object->dialogs.size(), 1u);
}

}  // namespace
