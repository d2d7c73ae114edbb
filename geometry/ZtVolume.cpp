#include "geometry/ZtVolume.h"

#include <algorithm>
#include <vector>

#include "geometry/ZtMeshAdjacency.h"

bool SignedVolume(const CZtModel* model, float* volume) {
  if (!model || !volume) return false;
  const std::vector<TZtVector3<float>>& vertices = model->vertices;
  const std::size_t vertexCount = vertices.size();
  // Summed in double: a float sum over millions of facets drifts by tenths of
  // a percent and depends on the facet order.
  double total = 0.0;
  for (const CZtIndexedTriangle& t : model->triangles) {
    const int32_t* vi = t.vertexIndex;
    bool inRange = true;
    for (int k = 0; k < 3; ++k) inRange = inRange && vi[k] >= 0 && static_cast<std::size_t>(vi[k]) < vertexCount;
    if (!inRange) continue;
    const TZtVector3<double> a = ToDouble(vertices[vi[0]]);
    const TZtVector3<double> b = ToDouble(vertices[vi[1]]);
    const TZtVector3<double> c = ToDouble(vertices[vi[2]]);
    total += c.Dot(a.Cross(b));  // determinant of (a, b, c), six times the tetrahedron with the origin
  }
  *volume = static_cast<float>(total / 6.0);
  return true;
}

bool ComputeModelVolume(CZtModel* model, float* volume) {
  if (!model || !volume) return false;
  std::vector<CZtEdge> edges;
  if (!FindBoundaryEdges(model, edges)) return false;
  return SignedVolume(model, volume);
}

void CZtMinMaxBox::Merge(const TZtVector3<float>& otherMin, const TZtVector3<float>& otherMax) {
  min = {std::min(min.x, otherMin.x), std::min(min.y, otherMin.y), std::min(min.z, otherMin.z)};
  max = {std::max(max.x, otherMax.x), std::max(max.y, otherMax.y), std::max(max.z, otherMax.z)};
}
