#include "app/TreeCtrlRenderingObject.h"

#include <GL/gl.h>

#include <cmath>

#include "render/PickObject.h"
#include "render/RenderingObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"

Q_DECLARE_METATYPE(CRenderingObject*)

CTreeCtrlRenderingObject::CTreeCtrlRenderingObject(QWidget* parent) : CTreeCtrlMultiSelectMoveBranch(parent) {}

CTreeCtrlRenderingObject::~CTreeCtrlRenderingObject() { DeleteAll(); }

CRenderingObject* CTreeCtrlRenderingObject::ObjectOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, Qt::UserRole).value<CRenderingObject*>() : nullptr;
}

QTreeWidgetItem* CTreeCtrlRenderingObject::AddObject(CRenderingObject* object, QTreeWidgetItem* parent) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, QString::fromStdWString(object->name));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Checked);
  item->setData(0, Qt::UserRole, QVariant::fromValue(object));
  if (parent) parent->addChild(item);
  else addTopLevelItem(item);
  item->setExpanded(true);
  if (parent) parent->setExpanded(true);
  return item;
}

void CTreeCtrlRenderingObject::DeleteItem(QTreeWidgetItem* item) {
  if (!item) return;
  while (item->childCount() > 0) DeleteItem(item->child(0));
  CRenderingObject* object = ObjectOf(item);
  item->setData(0, Qt::UserRole, QVariant());
  if (object) {
    // A model's children are gone already; forget them before the model goes.
    if (object->GetKind() == kKindModel) static_cast<CRenderingObjectModel*>(object)->children.clear();
    if (object->GetKind() == kKindGeometricModel)
      if (CRenderingObjectModel* model = FindModelOfChild(object))
        model->children.erase(static_cast<CRenderingObjectGeometricModel*>(object));
    delete object;
  }
  CTreeCtrlMultiSelectMoveBranch::DeleteItem(item);
}

void CTreeCtrlRenderingObject::DeleteAll() {
  while (topLevelItemCount() > 0) DeleteItem(topLevelItem(0));
}

void CTreeCtrlRenderingObject::DeleteSelected() {
  for (QTreeWidgetItem* item : SelectedItems()) DeleteItem(item);
}

CRenderingObject* CTreeCtrlRenderingObject::DrawAll(int mode, const CPickInformation* hit) {
  CRenderingObject* found = nullptr;
  for (const bool transparentPass : {false, true}) {
    ForEachItemPostOrder(invisibleRootItem(), [&](QTreeWidgetItem* item) {
      if (found || !IsChecked(item)) return;
      CRenderingObject* object = ObjectOf(item);
      if (!object) return;
      if (mode == kRenderResolve) {
        if (hit && hit->nameCount > 0 && static_cast<uint32_t>(object->id) == hit->names[0]) found = object;
        return;
      }
      glLoadName(static_cast<GLuint>(object->id));
      object->Render(mode, transparentPass);
    });
    if (mode == kRenderResolve) break;  // one walk finds the object
  }
  return found;
}

bool CTreeCtrlRenderingObject::GetSceneExtents(TZtVector3<float>& min, TZtVector3<float>& max) const {
  bool any = false;
  ForEachItemPostOrder(invisibleRootItem(), [&](QTreeWidgetItem* item) {
    CRenderingObject* object = ObjectOf(item);
    if (!object || !IsChecked(item)) return;
    TZtVector3<float> objectMin, objectMax;
    if (!object->GetExtents(objectMin, objectMax)) return;
    if (objectMin.x > objectMax.x || objectMin.y > objectMax.y || objectMin.z > objectMax.z) return;
    if (!any) {
      min = objectMin;
      max = objectMax;
      any = true;
      return;
    }
    min = {std::fmin(min.x, objectMin.x), std::fmin(min.y, objectMin.y), std::fmin(min.z, objectMin.z)};
    max = {std::fmax(max.x, objectMax.x), std::fmax(max.y, objectMax.y), std::fmax(max.z, objectMax.z)};
  });
  return any;
}

QTreeWidgetItem* CTreeCtrlRenderingObject::FindItem(const CRenderingObject* object) const {
  QTreeWidgetItem* found = nullptr;
  ForEachItemPostOrder(invisibleRootItem(), [&](QTreeWidgetItem* item) {
    if (!found && ObjectOf(item) == object) found = item;
  });
  return found;
}

CRenderingObject* CTreeCtrlRenderingObject::FindObjectById(int id) const {
  CRenderingObject* found = nullptr;
  ForEachItemPostOrder(invisibleRootItem(), [&](QTreeWidgetItem* item) {
    CRenderingObject* object = ObjectOf(item);
    if (!found && object && object->id == id) found = object;
  });
  return found;
}

CRenderingObjectModel* CTreeCtrlRenderingObject::FindModelOfChild(const CRenderingObject* object) const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    CRenderingObject* top = ObjectOf(topLevelItem(i));
    if (!top || top->GetKind() != kKindModel) continue;
    auto* model = static_cast<CRenderingObjectModel*>(top);
    for (CRenderingObjectGeometricModel* child : model->children)
      if (static_cast<const CRenderingObject*>(child) == object) return model;
  }
  return nullptr;
}

void CTreeCtrlRenderingObject::NotifyObjects(unsigned kindMask, unsigned flags) {
  ForEachItemPostOrder(invisibleRootItem(), [&](QTreeWidgetItem* item) {
    CRenderingObject* object = ObjectOf(item);
    if (object && (static_cast<unsigned>(object->GetKind()) & kindMask)) object->DeleteDisplayLists(flags);
  });
}
