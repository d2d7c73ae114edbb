#include "render/ManagerRenderingObject.h"

#include "app/SettingsStore.h"
#include "app/TreeCtrlRenderingObject.h"
#include "nc/RenderingObjectToolPath.h"
#include "nc/ToolModelRenderingObject.h"
#include "render/RenderingObjectAxis.h"
#include "render/RenderingObjectGeometricModel.h"

CManagerRenderingObject::CManagerRenderingObject()
    : toolModel(new CToolModelRenderingObject),
      // Built in this order so that the ids run 0, 1, 2, 3 and no user object gets 0.
      mainAxis(new CRenderingObjectAxis(10.0f, 3.0f, true, 1.0f, 9.0f)),
      subAxis(new CRenderingObjectAxis(25.0f, 3.0f, false, 1.0f, 9.0f)),
      geometricDefault(nullptr),
      toolPathDefault(CRenderingObjectToolPath::MakeDefault()) {
  geometricDefault = new CRenderingObjectGeometricModel(L"GeometricDefault", 3.0f, 1.0f, 1.0f, 10.0f,
                                                        MakeColorRef(128, 255, 255), MakeColorRef(128, 128, 0),
                                                        0xC0C0C0, MakeColorRef(0, 255, 255));
  geometricDefault->SetBandDefaults();
}

CManagerRenderingObject::~CManagerRenderingObject() {
  delete mainAxis;
  delete subAxis;
  delete toolPathDefault;
  delete geometricDefault;
  delete toolModel;
}

void CManagerRenderingObject::InvalidateGeometricModelDisplayLists(unsigned mask) {
  if (objectTree) objectTree->NotifyObjects(kKindGeometricModel, mask);
  toolModel->DeleteDisplayLists(mask);
}

void CManagerRenderingObject::SetShadingMode(int mode) {
  if (mode == geometricModelShadingMode) return;
  geometricModelShadingMode = mode;
  InvalidateGeometricModelDisplayLists(kListFace);
}

void CManagerRenderingObject::Profile(bool save) {
  mainAxis->Profile(save, L"MainAxis");
  subAxis->Profile(save, L"SubAxis");
  toolPathDefault->Profile(save, L"ToolPathDefault");
  geometricDefault->Profile(save, L"GeometricDefault");
  toolModel->Profile(save);

  CProfileSection profile(save, QStringLiteral("ManagerRenderingObject"));
  profile.Bool(QStringLiteral("MovementRendering"), movementRendering);
  profile.Bool(QStringLiteral("AxisRenderPoint"), axisRenderPoint);
  profile.Bool(QStringLiteral("AxisRenderLine"), axisRenderLine);
  profile.Bool(QStringLiteral("AxisRenderLabel"), axisRenderLabel);
  profile.Bool(QStringLiteral("GeometricModelRenderPoint"), geometricModelRenderPoint);
  profile.Bool(QStringLiteral("GeometricModelRenderLine"), geometricModelRenderLine);
  profile.Bool(QStringLiteral("GeometricModelRenderFace"), geometricModelRenderFace);
  profile.Bool(QStringLiteral("GeometricModelRenderLabel"), geometricModelRenderLabel);
  profile.Bool(QStringLiteral("GeometricModelUseDisplayListPoint"), geometricModelUseDisplayListPoint);
  profile.Bool(QStringLiteral("GeometricModelUseDisplayListLine"), geometricModelUseDisplayListLine);
  profile.Bool(QStringLiteral("GeometricModelUseDisplayListFace"), geometricModelUseDisplayListFace);
  profile.Bool(QStringLiteral("GeometricModelRenderBackFace"), geometricModelRenderBackFace);
  // Shading mode and leader length are stored directly: no list is dropped
  // before the first draw.  Values the program never writes are not trusted.
  int32_t shading = geometricModelShadingMode;
  profile.Int(QStringLiteral("GeometricModelShadingMode"), shading);
  if (shading == 1 || shading == 2) geometricModelShadingMode = shading;
  profile.Int(QStringLiteral("GeometricModelLeaderLineLength"), geometricModelLeaderLineLength);
  profile.Bool(QStringLiteral("ToolPathRenderPoint"), toolPathRenderPoint);
  profile.Bool(QStringLiteral("ToolPathRenderLine"), toolPathRenderLine);
  profile.Bool(QStringLiteral("ToolPathRenderLabel"), toolPathRenderLabel);
  profile.Bool(QStringLiteral("ToolPathUseDisplayListPoint"), toolPathUseDisplayListPoint);
  profile.Bool(QStringLiteral("ToolPathUseDisplayListLine"), toolPathUseDisplayListLine);
}
