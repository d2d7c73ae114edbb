// Projection area: the area of the shadow that models cast on the x-y plane
// along z, and the shadow's outline.
//
// Each model's shadow is found on a regular grid: every triangle is
// rasterised conservatively into an occupancy grid (ZtMonoMap.h), the
// boundary of the occupied cells is traced into loops, and the loops are
// united into polygons with holes (PolygonUnion.h).  Boundary cells count
// whole, so the area comes out slightly above the exact shadow.  The shadows
// of several models are united again, so overlaps count once.
//
// The grid is built from CZtModel::vertices; the model's position offset is
// ignored.  Units are the model's (mm), areas in its square units.
#pragma once

#include <string>
#include <vector>

#include "geometry/PolygonUnion.h"
#include "geometry/ZtModel.h"
#include "geometry/ZtVector3.h"

// Shadow of one model on a grid of divisionCount cells per side: cell sizes
// (max - min) / (divisionCount - 1) over the x-y bounds of the vertices that
// the triangles refer to.  polygons is cleared first.  A model without
// triangles succeeds with no polygons.  False when divisionCount is below 2,
// when the bounds are empty, not finite or flat in x or y (cell size 0), when
// the grid would exceed CZtMonoMap::kMaxCellCount cells, or when tracing or
// the union fails.
bool ProjectionLoopsByDivision(const CZtModel& model, int divisionCount, std::vector<CZtPolygon2f>& polygons);

// The same on square cells of edge gridSize, aligned to multiples of
// gridSize.  False when gridSize is not above 0 or not finite, and as above.
bool ProjectionLoopsByGridSize(const CZtModel& model, double gridSize, std::vector<CZtPolygon2f>& polygons);

// Shoelace area of the outer loop plus those of the holes (holes run
// clockwise, so they subtract).  A loop of fewer than 3 points adds 0.
float PolygonArea(const CZtPolygon2f& polygon);

// Grid choice, from the view settings "CalcProjectionTerritory...".
struct CProjectionAreaSettings {
  bool specifiedGridSize = false;  // true: gridSize, false: divisionCount
  int divisionCount = 1000;
  double gridSize = 0.1;
};

// One model of the calculation with its z extents (as the model's rendering
// object reports them; they only place the outline).
struct CProjectionAreaModel {
  const CZtModel* model = nullptr;  // not owned
  float minZ = 0.0f;
  float maxZ = 0.0f;
};

struct CProjectionAreaResult {
  std::vector<CZtPolygon2f> polygons;  // the united shadow
  float area = 0.0f;                   // sum of PolygonArea, added in float
  float outlineZ = 0.0f;               // zMin - (zMax - zMin) * 0.1
};

// The projection-area calculation for a list of models: each model's shadow
// (by grid size or division count as the settings say), all of them united,
// the area summed, and the height at which the outline is drawn.  result is
// reset first.  False (result empty) when the list is empty, a model is
// missing, or any shadow or the union fails; the caller reports "計算失敗".
bool CalcProjectionArea(const std::vector<CProjectionAreaModel>& models, const CProjectionAreaSettings& settings,
                        CProjectionAreaResult& result);

// The area as the result line shows it: "%9.4lf".
std::string FormatProjectionArea(float area);

// The outline as closed polylines at height z: for every polygon its outer
// loop and each hole, the first point repeated at the end.
std::vector<std::vector<TZtVector3<float>>> ProjectionOutline(const std::vector<CZtPolygon2f>& polygons, float z);
