#include "app/TreeCtrlMultiSelectMoveBranch.h"

#include <algorithm>

CTreeCtrlMultiSelectMoveBranch::CTreeCtrlMultiSelectMoveBranch(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::NoSelection);
}

CTreeCtrlMultiSelectMoveBranch::~CTreeCtrlMultiSelectMoveBranch() = default;

bool CTreeCtrlMultiSelectMoveBranch::IsChecked(const QTreeWidgetItem* item) {
  return item && item->checkState(0) == Qt::Checked;
}

void CTreeCtrlMultiSelectMoveBranch::SetChecked(QTreeWidgetItem* item, bool checked) {
  if (item) item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CTreeCtrlMultiSelectMoveBranch::SetCheckedBranch(QTreeWidgetItem* item, bool checked) {
  if (!item) return;
  SetChecked(item, checked);
  for (int i = 0; i < item->childCount(); ++i) SetCheckedBranch(item->child(i), checked);
}

void CTreeCtrlMultiSelectMoveBranch::DeleteItem(QTreeWidgetItem* item) {
  if (!item) return;
  while (item->childCount() > 0) DeleteItem(item->child(0));
  m_selected.erase(item);
  if (m_anchor == item) m_anchor = nullptr;
  delete item;
}

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::CopyItem(QTreeWidgetItem* item, QTreeWidgetItem* parent,
                                                          QTreeWidgetItem* after) {
  auto* copy = new QTreeWidgetItem;
  copy->setText(0, item->text(0));
  copy->setFlags(item->flags());
  copy->setCheckState(0, item->checkState(0));
  copy->setData(0, Qt::UserRole, item->data(0, Qt::UserRole));
  QTreeWidgetItem* root = parent ? parent : invisibleRootItem();
  const int index = after ? root->indexOfChild(after) + 1 : 0;
  root->insertChild(index, copy);
  return copy;
}

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::CopyBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent,
                                                            QTreeWidgetItem* after) {
  QTreeWidgetItem* copy = CopyItem(item, parent, after);
  QTreeWidgetItem* previous = nullptr;
  for (int i = 0; i < item->childCount(); ++i) previous = CopyBranch(item->child(i), copy, previous);
  copy->setExpanded(item->isExpanded());
  return copy;
}

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::MoveBranch(QTreeWidgetItem* item, QTreeWidgetItem* parent,
                                                            QTreeWidgetItem* after) {
  QTreeWidgetItem* moved = CopyBranch(item, parent, after);
  DeleteItem(item);
  return moved;
}

std::vector<QTreeWidgetItem*> CTreeCtrlMultiSelectMoveBranch::SelectedItems() const {
  std::vector<QTreeWidgetItem*> items(m_selected.begin(), m_selected.end());
  std::sort(items.begin(), items.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return indexFromItem(a) < indexFromItem(b);
  });
  return items;
}

void CTreeCtrlMultiSelectMoveBranch::SelectOnly(QTreeWidgetItem* item) {
  for (QTreeWidgetItem* selected : m_selected) selected->setSelected(false);
  m_selected.clear();
  m_anchor = nullptr;
  if (!item) return;
  m_selected.insert(item);
  item->setSelected(true);
  setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
}
