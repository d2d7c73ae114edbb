// The object tree: the user's scene.  Each item owns one rendering object;
// its check box is the object's visibility and the tree order is the drawing
// order (children before their parent).
#pragma once

#include "app/TreeCtrlMultiSelectMoveBranch.h"
#include "geometry/ZtVector3.h"

class CRenderingObject;
class CRenderingObjectModel;
class CPickInformation;

class CTreeCtrlRenderingObject : public CTreeCtrlMultiSelectMoveBranch {
  Q_OBJECT

public:
  explicit CTreeCtrlRenderingObject(QWidget* parent = nullptr);
  ~CTreeCtrlRenderingObject() override;

  // Inserts object (taking ownership) as the last child of parent (null: top
  // level), expanded and checked.
  QTreeWidgetItem* AddObject(CRenderingObject* object, QTreeWidgetItem* parent = nullptr);
  // Deletes the item's subtree, then its object, then the item.
  void DeleteItem(QTreeWidgetItem* item) override;
  void DeleteAll();
  // Deletes the selected items with their objects and subtrees.
  void DeleteSelected();

  // Walks the checked items in two passes (opaque, then transparent), each
  // item after its children.  Modes 1 and 2 draw with the object's id as the
  // selection name; mode 3 returns the object whose id matches hit.
  CRenderingObject* DrawAll(int mode, const CPickInformation* hit = nullptr);
  // The union of the extents of the checked objects; false when none has any.
  bool GetSceneExtents(TZtVector3<float>& min, TZtVector3<float>& max) const;
  QTreeWidgetItem* FindItem(const CRenderingObject* object) const;
  CRenderingObject* FindObjectById(int id) const;
  CRenderingObjectModel* FindModelOfChild(const CRenderingObject* object) const;
  // Objects whose kind has a bit in kindMask drop the display lists in flags.
  void NotifyObjects(unsigned kindMask, unsigned flags);

  static CRenderingObject* ObjectOf(const QTreeWidgetItem* item);
  bool IsEmpty() const { return topLevelItemCount() == 0; }

protected:
  // Calls visit(item) for every item below root, children before the item.
  template <typename Visit>
  void ForEachItemPostOrder(QTreeWidgetItem* root, Visit&& visit) const;
};

template <typename Visit>
void CTreeCtrlRenderingObject::ForEachItemPostOrder(QTreeWidgetItem* root, Visit&& visit) const {
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* child = root->child(i);
    ForEachItemPostOrder(child, visit);
    visit(child);
  }
}
