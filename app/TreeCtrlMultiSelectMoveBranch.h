// A tree with check boxes that adds multiple selection among siblings and
// reordering of branches by dragging them between siblings.
//
// Selection model: the selected set holds items of one parent only; the
// tree's own selection state of an item (its highlighted look) is kept in
// step with the set.  The caret is the tree's current item; making an item
// the caret never changes which items look selected.  Qt's own selection and
// drag machinery is switched off: every mouse and key event that touches the
// selection, the check boxes or the branches is handled here.
//
// Dragging: a left press on a label arms a drag of the selected siblings.
// The drag starts when the pointer reaches another item or an insertion
// position, or once the 500 ms start timer has elapsed.  A branch can only be
// dropped between two children of the selection's parent; the insertion mark
// is a magenta line drawn by this class.
#pragma once

#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeWidget>
#include <set>
#include <vector>

class CTreeCtrlMultiSelectMoveBranch : public QTreeWidget {
  Q_OBJECT

public:
  // What lies under a viewport point.  Indent and Right are on an item's row
  // but beside the item (left of it, or right of its label).
  enum HitPart { kHitNowhere, kHitIndent, kHitButton, kHitCheckBox, kHitIcon, kHitLabel, kHitRight };

  static constexpr int kStartTimerMs = 500;
  // Colour of the insertion mark (magenta).
  static constexpr unsigned kInsertMarkColor = 0xFF00FF;

  explicit CTreeCtrlMultiSelectMoveBranch(QWidget* parent = nullptr);
  ~CTreeCtrlMultiSelectMoveBranch() override;

  // Removes an item with its subtree.
  virtual void DeleteItem(QTreeWidgetItem* item);
  // Puts a copy of item (not its children) under parent (null: top level)
  // after after (null: first place).  Text, icon, flags, check state and the
  // item data move to the copy: the old item's data is cleared, so deleting
  // the old item afterwards leaves whatever the data refers to alone.
  virtual QTreeWidgetItem* CopyItem(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);
  // CopyItem for the item and, recursively, its children; the copy is
  // expanded when the item was.
  virtual QTreeWidgetItem* CopyBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);
  // Copies the branch to its new place and deletes the old one.
  virtual QTreeWidgetItem* MoveBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* after);
  // The drop target at viewport point (x, y), tested 3 pixels above and
  // below: between is true for an insertion position, after tells on which
  // side of the returned item it lies.  Null when there is no target.
  virtual QTreeWidgetItem* HitTestForDrop(int x, int y, bool& between, bool& after) const;
  // A drop is allowed between items only, next to an unselected sibling of
  // the selected items.
  virtual bool CanDrop(QTreeWidgetItem* item, bool between, bool after) const;

  // Check state of an item (the item's check box).
  static bool IsChecked(const QTreeWidgetItem* item);
  static void SetChecked(QTreeWidgetItem* item, bool checked);
  // Gives the item and its whole subtree one check state.
  static void SetCheckedBranch(QTreeWidgetItem* item, bool checked);

  // The items of the selection (all children of one parent), in tree order.
  std::vector<QTreeWidgetItem*> SelectedItems() const;
  bool IsInSelection(QTreeWidgetItem* item) const { return m_selected.count(item) != 0; }
  // Clears the selection, selects item and makes it the caret (null: clears only).
  void SelectOnly(QTreeWidgetItem* item);
  QTreeWidgetItem* Caret() const { return currentItem(); }
  QTreeWidgetItem* Anchor() const { return m_anchor; }

  // Whole-tree operations of the pane's commands.
  void InvertAllChecks();
  void SetAllChecks(bool checked);
  void ExpandTopLevelItems();
  // Collapses every top-level item; the one that holds the selection becomes
  // the only selected item first.
  void CollapseTopLevelItems();

  // Hit testing in viewport coordinates.
  HitPart HitTest(const QPoint& pos, QTreeWidgetItem** item = nullptr) const;
  // True on an item's check box, icon or label.
  bool IsOnItem(const QPoint& pos) const;
  QRect CheckBoxRect(QTreeWidgetItem* item) const;
  QRect LabelRect(QTreeWidgetItem* item) const;
  QRect ButtonRect(QTreeWidgetItem* item) const;

  bool IsDragging() const { return m_dragging; }
  QTreeWidgetItem* InsertMarkItem() const { return m_markItem; }
  bool InsertMarkAfter() const { return m_markAfter; }

  // Tells the view that what it draws changed (checks, order, deletion).
  void NotifySceneChanged() { emit sceneChanged(); }

signals:
  // A check box, the tree order or the set of objects changed: the view must
  // be redrawn.
  void sceneChanged();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

  std::set<QTreeWidgetItem*> m_selected;
  QTreeWidgetItem* m_anchor = nullptr;

private:
  void LeftButtonDown(QMouseEvent* event);
  void RightButtonDown(QMouseEvent* event);
  void ClickExpandButton(QTreeWidgetItem* item);
  void ClickCheckBox(QTreeWidgetItem* item);
  void ClickLabel(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers);
  void SelectRange(QTreeWidgetItem* item);
  void ToggleInSelection(QTreeWidgetItem* item);
  void UpdateDrag(const QPoint& pos);
  void Drop(const QPoint& pos);
  void MoveSelection(QTreeWidgetItem* target, bool after);
  void StepVisible(int direction);
  void StepSibling(int direction);
  void InvertCaretCheck();

  // An empty set takes the caret when the caret looks selected.
  void JoinCaretIfSetEmpty();
  void AddToSelection(QTreeWidgetItem* item);
  void RemoveFromSelection(QTreeWidgetItem* item);
  void ClearSelectedSet();
  void SetCaret(QTreeWidgetItem* item);
  bool HasSelectionParent(const QTreeWidgetItem* item) const;
  bool IsAncestorOfSelection(const QTreeWidgetItem* item) const;
  void SetInsertMark(QTreeWidgetItem* item, bool after);
  QTreeWidgetItem* ParentOrRoot(QTreeWidgetItem* item) const;
  QStyleOptionViewItem ItemOption(QTreeWidgetItem* item) const;

  bool m_pendingSelect = false;
  bool m_dragging = false;
  QTreeWidgetItem* m_pressed = nullptr;
  QTimer m_startTimer;
  bool m_startAllowed = false;
  // The press went to QTreeWidget (not on an item), so its release does too.
  bool m_basePress = false;
  QTreeWidgetItem* m_markItem = nullptr;
  bool m_markAfter = false;
};
