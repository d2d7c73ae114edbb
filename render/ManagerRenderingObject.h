// Owns what every scene has (the two axes, the templates new objects copy
// their settings from, the tool model) and the global drawing switches.  The
// user's objects belong to the object tree, which the manager reaches through
// objectTree.
#pragma once

#include <cstdint>

#include "render/ZtSingleton.h"

class CTreeCtrlRenderingObject;
class CRenderingObjectAxis;
class CRenderingObjectGeometricModel;
class CRenderingObjectToolPath;
class CToolModelRenderingObject;

class CManagerRenderingObject : public CZtSingleton<CManagerRenderingObject> {
public:
  CManagerRenderingObject();
  ~CManagerRenderingObject();

  // Drops the lists in mask of every geometric model in the tree, then of
  // the tool model.
  void InvalidateGeometricModelDisplayLists(unsigned mask);
  void SetShadingMode(int mode);
  void Profile(bool save);

  CTreeCtrlRenderingObject* objectTree = nullptr;
  CToolModelRenderingObject* toolModel;  // owned
  bool movementRendering = true;
  bool axisRenderPoint = false;
  bool axisRenderLine = true;
  bool axisRenderLabel = true;
  bool geometricModelUseDisplayListPoint = true;
  bool geometricModelUseDisplayListLine = true;
  bool geometricModelUseDisplayListFace = true;
  bool geometricModelRenderPoint = false;
  bool geometricModelRenderLine = false;
  bool geometricModelRenderFace = true;
  bool geometricModelRenderLabel = false;
  int32_t nextMaterialIndex = 0;  // not saved
  int32_t geometricModelLeaderLineLength = 0;
  bool toolPathUseDisplayListPoint = true;
  bool toolPathUseDisplayListLine = true;
  bool toolPathRenderPoint = false;
  bool toolPathRenderLine = true;
  bool toolPathRenderLabel = false;
  CRenderingObjectAxis* mainAxis;
  CRenderingObjectAxis* subAxis;
  CRenderingObjectGeometricModel* geometricDefault;
  CRenderingObjectToolPath* toolPathDefault;
  bool geometricModelRenderBackFace = true;
  int32_t geometricModelShadingMode = 2;  // 1 flat, 2 smooth
};
