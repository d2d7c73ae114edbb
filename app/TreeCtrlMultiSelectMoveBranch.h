// A tree with check boxes that adds multiple selection among siblings and
// reordering of branches by dragging them between siblings.
#pragma once

#include <QTreeWidget>

#include <set>

class CTreeCtrlMultiSelectMoveBranch : public QTreeWidget {
  Q_OBJECT

public:
  explicit CTreeCtrlMultiSelectMoveBranch(QWidget* parent = nullptr);
  ~CTreeCtrlMultiSelectMoveBranch() override;

  // Removes an item with its subtree.
  virtual void DeleteItem(QTreeWidgetItem* item);
  // Copies an item (not its children) under parent after after (null: first).
  virtual QTreeWidgetItem* CopyItem(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);
  // Copies an item with its subtree.
  virtual QTreeWidgetItem* CopyBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);
  // Copies the branch to its new place and deletes the old one.
  virtual QTreeWidgetItem* MoveBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);

  // Check state of an item (the item's check box).
  static bool IsChecked(const QTreeWidgetItem* item);
  static void SetChecked(QTreeWidgetItem* item, bool checked);
  // Gives the item and its whole subtree one check state.
  static void SetCheckedBranch(QTreeWidgetItem* item, bool checked);

  // The items of the selection (all children of one parent), in tree order.
  std::vector<QTreeWidgetItem*> SelectedItems() const;
  void SelectOnly(QTreeWidgetItem* item);

signals:
  // A check box or the selection changed in a way the view must show.
  void sceneChanged();

protected:
  std::set<QTreeWidgetItem*> m_selected;
  QTreeWidgetItem* m_anchor = nullptr;
};
