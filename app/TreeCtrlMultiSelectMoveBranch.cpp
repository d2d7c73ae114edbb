#include "app/TreeCtrlMultiSelectMoveBranch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <algorithm>

CTreeCtrlMultiSelectMoveBranch::CTreeCtrlMultiSelectMoveBranch(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  // Selection, expansion and dragging are handled by the event handlers
  // below; Qt's own must not interfere.
  setSelectionMode(QAbstractItemView::NoSelection);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setExpandsOnDoubleClick(false);
  setRootIsDecorated(true);
  m_startTimer.setSingleShot(true);
  m_startTimer.setInterval(kStartTimerMs);
  connect(&m_startTimer, &QTimer::timeout, this, [this] { m_startAllowed = true; });
}

CTreeCtrlMultiSelectMoveBranch::~CTreeCtrlMultiSelectMoveBranch() = default;

// ---- check states ----------------------------------------------------------

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

void CTreeCtrlMultiSelectMoveBranch::InvertAllChecks() {
  QTreeWidgetItemIterator it(this);
  for (; *it; ++it) SetChecked(*it, !IsChecked(*it));
}

void CTreeCtrlMultiSelectMoveBranch::SetAllChecks(bool checked) {
  for (int i = 0; i < topLevelItemCount(); ++i) SetCheckedBranch(topLevelItem(i), checked);
}

void CTreeCtrlMultiSelectMoveBranch::ExpandTopLevelItems() {
  for (int i = 0; i < topLevelItemCount(); ++i) topLevelItem(i)->setExpanded(true);
}

void CTreeCtrlMultiSelectMoveBranch::CollapseTopLevelItems() {
  // A collapsed item hides the selection; the item that hides it takes it.
  const std::vector<QTreeWidgetItem*> selected = SelectedItems();
  if (!selected.empty()) {
    QTreeWidgetItem* top = selected.front();
    while (top->parent()) top = top->parent();
    if (top != selected.front()) SelectOnly(top);
  }
  for (int i = 0; i < topLevelItemCount(); ++i) topLevelItem(i)->setExpanded(false);
}

// ---- items -----------------------------------------------------------------

void CTreeCtrlMultiSelectMoveBranch::DeleteItem(QTreeWidgetItem* item) {
  if (!item) return;
  while (item->childCount() > 0) DeleteItem(item->child(0));
  RemoveFromSelection(item);
  if (m_anchor == item) m_anchor = nullptr;
  if (m_pressed == item) m_pressed = nullptr;
  if (m_markItem == item) SetInsertMark(nullptr, false);
  delete item;
}

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::CopyItem(QTreeWidgetItem* item, QTreeWidgetItem* parent,
                                                          QTreeWidgetItem* after) {
  auto* copy = new QTreeWidgetItem;
  copy->setFlags(item->flags());
  copy->setText(0, item->text(0));
  copy->setIcon(0, item->icon(0));
  if (item->data(0, Qt::CheckStateRole).isValid()) copy->setCheckState(0, item->checkState(0));
  // The data moves: the old item gives up what it refers to.
  copy->setData(0, Qt::UserRole, item->data(0, Qt::UserRole));
  item->setData(0, Qt::UserRole, QVariant());
  QTreeWidgetItem* root = ParentOrRoot(parent);
  const int index = after ? root->indexOfChild(after) + 1 : 0;
  root->insertChild(std::max(index, 0), copy);
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

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::ParentOrRoot(QTreeWidgetItem* item) const {
  return item ? item : invisibleRootItem();
}

// ---- selection -------------------------------------------------------------

std::vector<QTreeWidgetItem*> CTreeCtrlMultiSelectMoveBranch::SelectedItems() const {
  std::vector<QTreeWidgetItem*> items(m_selected.begin(), m_selected.end());
  std::sort(items.begin(), items.end(),
            [this](QTreeWidgetItem* a, QTreeWidgetItem* b) { return indexFromItem(a) < indexFromItem(b); });
  return items;
}

void CTreeCtrlMultiSelectMoveBranch::AddToSelection(QTreeWidgetItem* item) {
  m_selected.insert(item);
  item->setSelected(true);
}

void CTreeCtrlMultiSelectMoveBranch::RemoveFromSelection(QTreeWidgetItem* item) {
  m_selected.erase(item);
  item->setSelected(false);
}

void CTreeCtrlMultiSelectMoveBranch::ClearSelectedSet() {
  for (QTreeWidgetItem* item : m_selected) item->setSelected(false);
  m_selected.clear();
}

void CTreeCtrlMultiSelectMoveBranch::SelectOnly(QTreeWidgetItem* item) {
  ClearSelectedSet();
  m_anchor = nullptr;
  if (!item) return;
  AddToSelection(item);
  SetCaret(item);
}

void CTreeCtrlMultiSelectMoveBranch::SetCaret(QTreeWidgetItem* item) {
  setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
}

void CTreeCtrlMultiSelectMoveBranch::JoinCaretIfSetEmpty() {
  QTreeWidgetItem* caret = currentItem();
  if (m_selected.empty() && caret && caret->isSelected()) m_selected.insert(caret);
}

bool CTreeCtrlMultiSelectMoveBranch::HasSelectionParent(const QTreeWidgetItem* item) const {
  return m_selected.empty() || (*m_selected.begin())->parent() == item->parent();
}

bool CTreeCtrlMultiSelectMoveBranch::IsAncestorOfSelection(const QTreeWidgetItem* item) const {
  const std::vector<QTreeWidgetItem*> selected = SelectedItems();
  if (selected.empty()) return false;
  for (const QTreeWidgetItem* p = selected.front()->parent(); p; p = p->parent())
    if (p == item) return true;
  return false;
}

void CTreeCtrlMultiSelectMoveBranch::SelectRange(QTreeWidgetItem* item) {
  QTreeWidgetItem* from = m_anchor ? m_anchor : currentItem();
  if (!from || from->parent() != item->parent()) from = item;
  m_anchor = from;
  QTreeWidgetItem* parent = ParentOrRoot(item->parent());
  const int first = std::min(parent->indexOfChild(from), parent->indexOfChild(item));
  const int last = std::max(parent->indexOfChild(from), parent->indexOfChild(item));
  ClearSelectedSet();
  for (int i = first; i <= last; ++i) AddToSelection(parent->child(i));
  SetCaret(item);
}

void CTreeCtrlMultiSelectMoveBranch::ToggleInSelection(QTreeWidgetItem* item) {
  if (IsInSelection(item))
    RemoveFromSelection(item);
  else
    AddToSelection(item);
  SetCaret(item);
  m_anchor = nullptr;
}

// ---- hit testing -----------------------------------------------------------

QStyleOptionViewItem CTreeCtrlMultiSelectMoveBranch::ItemOption(QTreeWidgetItem* item) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualItemRect(item);
  option.index = indexFromItem(item);
  option.features |= QStyleOptionViewItem::HasDisplay;
  option.text = item->text(0);
  if (item->data(0, Qt::CheckStateRole).isValid()) {
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.checkState = item->checkState(0);
  }
  if (!item->icon(0).isNull()) {
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.icon = item->icon(0);
  }
  return option;
}

QRect CTreeCtrlMultiSelectMoveBranch::CheckBoxRect(QTreeWidgetItem* item) const {
  if (!item || !item->data(0, Qt::CheckStateRole).isValid()) return {};
  const QStyleOptionViewItem option = ItemOption(item);
  return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

QRect CTreeCtrlMultiSelectMoveBranch::LabelRect(QTreeWidgetItem* item) const {
  if (!item) return {};
  const QStyleOptionViewItem option = ItemOption(item);
  // The row is as wide as the view; the label ends where its content does.
  const int width = itemDelegate()->sizeHint(option, option.index).width();
  QRect label = option.rect;
  label.setWidth(std::min(width, option.rect.width()));
  const QRect check = CheckBoxRect(item);
  if (check.isValid()) label.setLeft(check.right() + 1);
  return label;
}

QRect CTreeCtrlMultiSelectMoveBranch::ButtonRect(QTreeWidgetItem* item) const {
  if (!item) return {};
  const QRect row = visualItemRect(item);
  return QRect(row.left() - indentation(), row.top(), indentation(), row.height());
}

CTreeCtrlMultiSelectMoveBranch::HitPart CTreeCtrlMultiSelectMoveBranch::HitTest(const QPoint& pos,
                                                                                QTreeWidgetItem** out) const {
  QTreeWidgetItem* item = itemAt(pos);
  if (out) *out = item;
  if (!item) return kHitNowhere;
  if (pos.x() < visualItemRect(item).left())
    return item->childCount() > 0 && ButtonRect(item).contains(pos) ? kHitButton : kHitIndent;
  if (CheckBoxRect(item).contains(pos)) return kHitCheckBox;
  if (!item->icon(0).isNull()) {
    const QStyleOptionViewItem option = ItemOption(item);
    if (style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this).contains(pos))
      return kHitIcon;
  }
  return pos.x() <= LabelRect(item).right() ? kHitLabel : kHitRight;
}

bool CTreeCtrlMultiSelectMoveBranch::IsOnItem(const QPoint& pos) const {
  const HitPart part = HitTest(pos);
  return part == kHitCheckBox || part == kHitIcon || part == kHitLabel;
}

QTreeWidgetItem* CTreeCtrlMultiSelectMoveBranch::HitTestForDrop(int x, int y, bool& between,
                                                                bool& after) const {
  between = false;
  after = false;
  QTreeWidgetItem* above = itemAt(x, y - 3);
  QTreeWidgetItem* below = itemAt(x, y + 3);
  if (above && above == below) return above;
  if (above && !below) {
    between = after = true;
    return above;
  }
  if (above && below) {
    QTreeWidgetItem* middle = itemAt(x, y);
    if (middle == above) {
      between = after = true;
      return above;
    }
    if (middle == below) {
      between = true;
      return below;
    }
    return nullptr;
  }
  if (below) {
    between = true;
    return below;
  }
  return nullptr;
}

bool CTreeCtrlMultiSelectMoveBranch::CanDrop(QTreeWidgetItem* item, bool between, bool /*after*/) const {
  if (!item || !between || m_selected.empty()) return false;
  const std::vector<QTreeWidgetItem*> selected = SelectedItems();
  return item->parent() == selected.front()->parent() && !IsInSelection(item);
}

// ---- mouse -----------------------------------------------------------------

void CTreeCtrlMultiSelectMoveBranch::mousePressEvent(QMouseEvent* event) {
  m_basePress = false;
  if (event->button() == Qt::LeftButton)
    LeftButtonDown(event);
  else if (event->button() == Qt::RightButton)
    RightButtonDown(event);
  else
    event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::LeftButtonDown(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  JoinCaretIfSetEmpty();
  m_pendingSelect = false;
  QTreeWidgetItem* item = nullptr;
  switch (HitTest(event->position().toPoint(), &item)) {
    case kHitNowhere:
      m_basePress = true;
      QTreeWidget::mousePressEvent(event);
      return;
    case kHitIndent:
    case kHitRight:
      break;
    case kHitButton:
      ClickExpandButton(item);
      break;
    case kHitCheckBox:
      ClickCheckBox(item);
      break;
    case kHitIcon:
    case kHitLabel:
      ClickLabel(item, event->modifiers());
      break;
  }
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::RightButtonDown(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  JoinCaretIfSetEmpty();
  QTreeWidgetItem* item = nullptr;
  const HitPart part = HitTest(event->position().toPoint(), &item);
  if (part == kHitCheckBox || part == kHitIcon || part == kHitLabel) {
    if (IsInSelection(item))
      SetCaret(item);
    else
      SelectOnly(item);
  }
  // The context menu event follows.
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::ClickExpandButton(QTreeWidgetItem* item) {
  if (item->isExpanded()) {
    if (IsAncestorOfSelection(item)) SelectOnly(item);
    item->setExpanded(false);
  } else {
    item->setExpanded(true);
  }
}

void CTreeCtrlMultiSelectMoveBranch::ClickCheckBox(QTreeWidgetItem* item) {
  QTreeWidgetItem* caret = currentItem();
  if (!IsInSelection(item) || m_selected.size() == 1 || !caret) {
    SetCheckedBranch(item, !IsChecked(item));
  } else {
    // The whole selection follows the caret's new state.
    const bool checked = !IsChecked(caret);
    SetChecked(caret, checked);
    for (QTreeWidgetItem* selected : m_selected) SetCheckedBranch(selected, checked);
  }
  emit sceneChanged();
}

void CTreeCtrlMultiSelectMoveBranch::ClickLabel(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ShiftModifier) {
    if (!HasSelectionParent(item)) return;
    SelectRange(item);
  } else if (modifiers & Qt::ControlModifier) {
    if (!HasSelectionParent(item)) return;
    ToggleInSelection(item);
  } else if (m_selected.size() >= 2 && IsInSelection(item)) {
    // Keep the selection for a drag; the release decides.
    m_pendingSelect = true;
    SetCaret(item);
  } else {
    SelectOnly(item);
  }
  m_pressed = item;
  m_startTimer.start();
  m_dragging = false;
  m_startAllowed = false;
}

void CTreeCtrlMultiSelectMoveBranch::mouseMoveEvent(QMouseEvent* event) {
  if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
    if (!m_pressed) QTreeWidget::mouseMoveEvent(event);
    return;
  }
  UpdateDrag(event->position().toPoint());
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::UpdateDrag(const QPoint& pos) {
  bool between = false;
  bool after = false;
  QTreeWidgetItem* target = HitTestForDrop(pos.x(), pos.y(), between, after);
  if (!m_dragging) {
    if (itemAt(pos) != m_pressed) m_startAllowed = true;
    if (!m_startAllowed && !between) return;
    m_dragging = true;
    m_startTimer.stop();
  }
  if (target && CanDrop(target, between, after)) {
    SetInsertMark(target, after);
    viewport()->setCursor(Qt::UpArrowCursor);
  } else {
    SetInsertMark(nullptr, false);
    viewport()->setCursor(Qt::ForbiddenCursor);
  }
}

void CTreeCtrlMultiSelectMoveBranch::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  if (m_basePress) {
    m_basePress = false;
    QTreeWidget::mouseReleaseEvent(event);
    return;
  }
  m_startTimer.stop();
  QTreeWidgetItem* pressed = m_pressed;
  const bool dragging = m_dragging;
  const bool pending = m_pendingSelect;
  m_pressed = nullptr;
  m_dragging = false;
  m_pendingSelect = false;
  m_startAllowed = false;
  SetInsertMark(nullptr, false);
  if (dragging) {
    viewport()->unsetCursor();
    Drop(event->position().toPoint());
  } else if (pending && pressed) {
    SelectOnly(pressed);
  }
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::mouseDoubleClickEvent(QMouseEvent* event) {
  // Double clicks neither expand nor edit.
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::Drop(const QPoint& pos) {
  bool between = false;
  bool after = false;
  QTreeWidgetItem* target = HitTestForDrop(pos.x(), pos.y(), between, after);
  if (!target || !CanDrop(target, between, after)) return;
  MoveSelection(target, after);
}

void CTreeCtrlMultiSelectMoveBranch::MoveSelection(QTreeWidgetItem* target, bool after) {
  QTreeWidgetItem* parent = target->parent();
  QTreeWidgetItem* siblings = ParentOrRoot(parent);
  QTreeWidgetItem* insertAfter = target;
  if (!after) {
    const int index = siblings->indexOfChild(target);
    insertAfter = index > 0 ? siblings->child(index - 1) : nullptr;
  }
  QTreeWidgetItem* caret = currentItem();
  QTreeWidgetItem* newCaret = caret;
  // Each moved item takes its old item's place in the set; the next one
  // follows it.  Inserting before deleting keeps insertAfter valid even
  // when it is itself one of the moved items.
  for (QTreeWidgetItem* item : SelectedItems()) {
    const bool wasCaret = item == caret;
    m_selected.erase(item);
    QTreeWidgetItem* moved = MoveBranch(item, parent, insertAfter);
    m_selected.insert(moved);
    if (wasCaret) newCaret = moved;
    insertAfter = moved;
  }
  m_anchor = nullptr;
  for (QTreeWidgetItem* item : m_selected) item->setSelected(true);
  SetCaret(newCaret);
  if (parent) parent->setExpanded(true);
  emit sceneChanged();
}

void CTreeCtrlMultiSelectMoveBranch::SetInsertMark(QTreeWidgetItem* item, bool after) {
  if (item == m_markItem && after == m_markAfter) return;
  m_markItem = item;
  m_markAfter = after;
  viewport()->update();
}

void CTreeCtrlMultiSelectMoveBranch::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
  if (!m_markItem) return;
  const QRect row = visualItemRect(m_markItem);
  if (row.isEmpty()) return;
  // On the boundary between the rows, kept inside the viewport so that a
  // mark before the first row stays visible.
  const int y =
      std::clamp(m_markAfter ? row.bottom() + 1 : row.top(), 1, std::max(1, viewport()->height() - 2));
  const int left = row.left();
  const int right = std::max(left + 2 * indentation(), LabelRect(m_markItem).right());
  QPainter painter(viewport());
  const QColor magenta(kInsertMarkColor & 0xFF, (kInsertMarkColor >> 8) & 0xFF,
                       (kInsertMarkColor >> 16) & 0xFF);
  painter.setPen(QPen(magenta, 2));
  painter.drawLine(left, y, right, y);
  painter.drawLine(left, y - 3, left, y + 3);
  painter.drawLine(right, y - 3, right, y + 3);
}

// ---- keyboard --------------------------------------------------------------

void CTreeCtrlMultiSelectMoveBranch::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Space:
      InvertCaretCheck();
      break;
    case Qt::Key_Up:
      if (shift)
        StepSibling(-1);
      else
        StepVisible(-1);
      break;
    case Qt::Key_Down:
      if (shift)
        StepSibling(1);
      else
        StepVisible(1);
      break;
    default:
      event->ignore();
      return;
  }
  event->accept();
}

void CTreeCtrlMultiSelectMoveBranch::InvertCaretCheck() {
  QTreeWidgetItem* caret = currentItem();
  if (!caret) return;
  const bool checked = !IsChecked(caret);
  SetCheckedBranch(caret, checked);
  for (QTreeWidgetItem* item : m_selected) SetCheckedBranch(item, checked);
  emit sceneChanged();
}

void CTreeCtrlMultiSelectMoveBranch::StepVisible(int direction) {
  QTreeWidgetItem* caret = currentItem();
  QTreeWidgetItem* next = caret ? (direction < 0 ? itemAbove(caret) : itemBelow(caret)) : topLevelItem(0);
  if (!next) return;
  SelectOnly(next);
  scrollToItem(next);
}

void CTreeCtrlMultiSelectMoveBranch::StepSibling(int direction) {
  QTreeWidgetItem* caret = currentItem();
  if (!caret) return;
  QTreeWidgetItem* parent = ParentOrRoot(caret->parent());
  QTreeWidgetItem* sibling = parent->child(parent->indexOfChild(caret) + direction);
  if (!sibling) return;
  if (!m_anchor) {
    SelectOnly(caret);
    m_anchor = caret;
  }
  // Walking back towards the anchor shrinks the range.
  if (IsInSelection(sibling)) RemoveFromSelection(caret);
  AddToSelection(sibling);
  SetCaret(sibling);
  scrollToItem(sibling);
}
