#include "geometry/ProjectionArea.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geometry/ZtMonoMap.h"

namespace {

// Quotients beyond this cannot be floored to an exact integer in double.
constexpr double kMaxGridIndex = 4503599627370496.0;  // 2^52

bool IsUsableIndex(int32_t index, size_t vertexCount) {
  return index >= 0 && static_cast<size_t>(index) < vertexCount;
}

struct CBounds {
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  bool empty = true;
  bool finite = true;
};

// x-y bounds over every vertex that a triangle refers to, in valid and
// invalid triangles alike.  -1 and indices outside the vertex array are
// never read.
CBounds ReferencedBounds(const CZtModel& model) {
  CBounds bounds;
  const size_t vertexCount = model.vertices.size();
  for (const CZtIndexedTriangle& triangle : model.triangles) {
    for (int32_t index : triangle.vertexIndex) {
      if (!IsUsableIndex(index, vertexCount)) continue;
      const TZtVector3<float>& v = model.vertices[static_cast<size_t>(index)];
      if (!std::isfinite(v.x) || !std::isfinite(v.y)) bounds.finite = false;
      if (bounds.empty) {
        bounds.minX = bounds.maxX = v.x;
        bounds.minY = bounds.maxY = v.y;
        bounds.empty = false;
      } else {
        bounds.minX = std::min(bounds.minX, double(v.x));
        bounds.maxX = std::max(bounds.maxX, double(v.x));
        bounds.minY = std::min(bounds.minY, double(v.y));
        bounds.maxY = std::max(bounds.maxY, double(v.y));
      }
    }
  }
  return bounds;
}

// floor(value / size) as an exact integer in double; false when too large.
bool GridIndex(double value, double size, double& index) {
  index = std::floor(value / size);
  return std::fabs(index) < kMaxGridIndex;
}

// Rasterises every triangle whose three indices are usable (degenerate ones
// mark the cells along their segment), traces the occupied cells and unites
// the loops.
bool FillTraceAndUnite(const CZtModel& model, CZtMonoMap& grid, std::vector<CZtPolygon2f>& polygons) {
  const size_t vertexCount = model.vertices.size();
  for (const CZtIndexedTriangle& triangle : model.triangles) {
    double x[3], y[3];
    bool usable = true;
    for (int k = 0; k < 3 && usable; ++k) {
      usable = IsUsableIndex(triangle.vertexIndex[k], vertexCount);
      if (usable) {
        const TZtVector3<float>& v = model.vertices[static_cast<size_t>(triangle.vertexIndex[k])];
        x[k] = v.x;
        y[k] = v.y;
      }
    }
    if (usable) grid.RasterizeTriangle(x, y);
  }
  std::vector<CZtLoop2f> loops;
  if (!grid.TraceLoops(loops)) return false;
  grid.Free();
  return UniteLoops(loops, polygons);
}

double ShoelaceArea(const CZtLoop2f& loop) {
  if (loop.size() < 3) return 0.0;
  double sum = 0.0;
  for (size_t i = 0, n = loop.size(); i < n; ++i) {
    const CZtPoint2f& a = loop[i];
    const CZtPoint2f& b = loop[(i + 1) % n];
    sum += double(a.x) * b.y - double(b.x) * a.y;
  }
  return sum / 2.0;
}

}  // namespace

bool ProjectionLoopsByDivision(const CZtModel& model, int divisionCount, std::vector<CZtPolygon2f>& polygons) {
  polygons.clear();
  if (model.triangles.empty()) return true;
  if (divisionCount < 2) return false;
  const CBounds bounds = ReferencedBounds(model);
  if (bounds.empty || !bounds.finite) return false;

  CZtMonoMap grid;
  grid.cellSizeX = (bounds.maxX - bounds.minX) / double(divisionCount - 1);
  grid.cellSizeY = (bounds.maxY - bounds.minY) / double(divisionCount - 1);
  // All x (or all y) equal: the grid has no extent in that direction.
  if (!(grid.cellSizeX > 0.0) || !(grid.cellSizeY > 0.0)) return false;
  double originColumn, originRow;
  if (!GridIndex(bounds.minX, grid.cellSizeX, originColumn) || !GridIndex(bounds.minY, grid.cellSizeY, originRow))
    return false;
  grid.originX = originColumn * grid.cellSizeX;
  grid.originY = originRow * grid.cellSizeY;
  if (!grid.Allocate(static_cast<uint32_t>(divisionCount), static_cast<uint32_t>(divisionCount))) return false;
  return FillTraceAndUnite(model, grid, polygons);
}

bool ProjectionLoopsByGridSize(const CZtModel& model, double gridSize, std::vector<CZtPolygon2f>& polygons) {
  polygons.clear();
  if (model.triangles.empty()) return true;
  if (!(gridSize > 0.0) || !std::isfinite(gridSize)) return false;
  const CBounds bounds = ReferencedBounds(model);
  if (bounds.empty || !bounds.finite) return false;

  double firstColumn, lastColumn, firstRow, lastRow;
  if (!GridIndex(bounds.minX, gridSize, firstColumn) || !GridIndex(bounds.maxX, gridSize, lastColumn) ||
      !GridIndex(bounds.minY, gridSize, firstRow) || !GridIndex(bounds.maxY, gridSize, lastRow))
    return false;
  const double columns = lastColumn - firstColumn + 1.0;
  const double rows = lastRow - firstRow + 1.0;
  // A grid size tiny against the model would ask for more cells than exist.
  if (columns * rows > double(CZtMonoMap::kMaxCellCount)) return false;

  CZtMonoMap grid;
  grid.cellSizeX = gridSize;
  grid.cellSizeY = gridSize;
  grid.originX = firstColumn * gridSize;
  grid.originY = firstRow * gridSize;
  if (!grid.Allocate(static_cast<uint32_t>(columns), static_cast<uint32_t>(rows))) return false;
  return FillTraceAndUnite(model, grid, polygons);
}

float PolygonArea(const CZtPolygon2f& polygon) {
  double area = ShoelaceArea(polygon.outer);
  for (const CZtLoop2f& hole : polygon.holes) area += ShoelaceArea(hole);
  return static_cast<float>(area);
}

bool CalcProjectionArea(const std::vector<CProjectionAreaModel>& models, const CProjectionAreaSettings& settings,
                        CProjectionAreaResult& result) {
  result = CProjectionAreaResult();
  if (models.empty()) return false;
  float zMin = 3.4028235e38f, zMax = -3.4028235e38f;
  std::vector<CZtPolygon2f> shadows, shadow;
  for (const CProjectionAreaModel& entry : models) {
    if (!entry.model) return false;
    zMin = std::min(zMin, entry.minZ);
    zMax = std::max(zMax, entry.maxZ);
    const bool ok = settings.specifiedGridSize
                        ? ProjectionLoopsByGridSize(*entry.model, settings.gridSize, shadow)
                        : ProjectionLoopsByDivision(*entry.model, settings.divisionCount, shadow);
    if (!ok) return false;
    shadows.insert(shadows.end(), std::make_move_iterator(shadow.begin()), std::make_move_iterator(shadow.end()));
  }
  // Overlapping shadows of different models count once.
  if (!UnitePolygons(shadows, result.polygons)) return false;
  for (const CZtPolygon2f& polygon : result.polygons) result.area += PolygonArea(polygon);
  result.outlineZ = zMin - (zMax - zMin) * 0.1f;
  return true;
}

std::string FormatProjectionArea(float area) {
  char text[64];
  std::snprintf(text, sizeof text, "%9.4lf", static_cast<double>(area));
  return text;
}

std::vector<std::vector<TZtVector3<float>>> ProjectionOutline(const std::vector<CZtPolygon2f>& polygons, float z) {
  std::vector<std::vector<TZtVector3<float>>> lines;
  auto addLoop = [&lines, z](const CZtLoop2f& loop) {
    if (loop.empty()) return;
    std::vector<TZtVector3<float>> line;
    line.reserve(loop.size() + 1);
    for (const CZtPoint2f& p : loop) line.emplace_back(p.x, p.y, z);
    line.push_back(line.front());
    lines.push_back(std::move(line));
  };
  for (const CZtPolygon2f& polygon : polygons) {
    addLoop(polygon.outer);
    for (const CZtLoop2f& hole : polygon.holes) addLoop(hole);
  }
  return lines;
}
