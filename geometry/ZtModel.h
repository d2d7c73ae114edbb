// The mesh model: shared vertices, indexed triangles, facet normals and
// named groups of triangles with their materials.
//
// An imported file becomes one CZtModel.  The model has no behaviour beyond
// construction and destruction; the analyses and editing operations that read
// and change it live in their own files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "geometry/ZtVector3.h"

// A vertex with its position in the vertex array, ordered for merging
// coincident vertices: z, then y, then x, each by the exact float '<'.
// Two points are equivalent only when all three coordinates are equal
// (-0.0 and +0.0 are equal; no tolerance).
struct CZtPoint3fWithIndex : TZtVector3<float> {
  int32_t index = -1;

  CZtPoint3fWithIndex() = default;
  CZtPoint3fWithIndex(const TZtVector3<float>& p, int32_t i) : TZtVector3<float>(p), index(i) {}

  bool operator<(const CZtPoint3fWithIndex& o) const {
    if (z != o.z) return z < o.z;
    if (y != o.y) return y < o.y;
    return x < o.x;
  }
  bool SamePosition(const CZtPoint3fWithIndex& o) const { return x == o.x && y == o.y && z == o.z; }
};

// OpenGL material parameters, RGBA each.
class CZtMaterial {
public:
  CZtMaterial();
  virtual ~CZtMaterial() = default;
  CZtMaterial(const CZtMaterial&) = default;
  CZtMaterial& operator=(const CZtMaterial&) = default;

  float ambient[4];
  float diffuse[4];
  float specular[4];
  float shininess;
};

// An entry of the material library.
class CZtMaterialWithName : public CZtMaterial {
public:
  std::wstring name;
};

// A triangle by indices into the model's arrays; -1 marks an unset index.
// A triangle is valid when none of its vertex indices is -1 and degenerate
// when two of them are equal.  Held by value in arrays of millions, so it has
// no virtual destructor.
struct CZtIndexedTriangle {
  int32_t vertexIndex[3] = {-1, -1, -1};
  int32_t normalIndex[3] = {-1, -1, -1};
  int32_t facetNormalIndex = -1;

  bool IsValid() const { return vertexIndex[0] != -1 && vertexIndex[1] != -1 && vertexIndex[2] != -1; }
  bool IsDegenerate() const {
    return vertexIndex[0] == vertexIndex[1] || vertexIndex[1] == vertexIndex[2] ||
           vertexIndex[0] == vertexIndex[2];
  }
};

class CZtModel;

// A named set of triangles drawn with one material.  The position of an entry
// in triangleIndices is the triangle ordinal that picking reports.
class CZtGroup {
public:
  virtual ~CZtGroup() = default;

  std::wstring name;
  std::vector<uint32_t> triangleIndices;  // positions in CZtModel::triangles
  CZtMaterial material;
  CZtModel* model = nullptr;  // the owner; not owned
};

class CZtModel {
public:
  CZtModel() = default;
  virtual ~CZtModel();
  CZtModel(const CZtModel&) = delete;
  CZtModel& operator=(const CZtModel&) = delete;

  std::vector<TZtVector3<float>> vertices;
  // Normals that triangle corners point at through normalIndex; may be empty
  // while triangles still carry normal indices (the STL importer writes 0).
  std::vector<TZtVector3<float>> vertexNormals;
  // Edge adjacency: empty, or three pairs per triangle (pair 3t+k for corner k).
  std::vector<std::pair<int32_t, int32_t>> cornerLinks;
  std::vector<TZtVector3<float>> facetNormals;
  std::vector<CZtIndexedTriangle> triangles;
  std::vector<CZtGroup*> groups;  // owned
  // Position offset applied when drawing with movement rendering on; never
  // applied to vertices.
  TZtVector3<float> offset{0.0f, 0.0f, 0.0f};

  // The facet normal of a triangle with corners p0, p1, p2 as import computes
  // it: normalised (p1 - p0) x (p2 - p1) in float, or (0, 0, 1) when the cross
  // product has squared length 0 (collinear or coincident corners).
  static TZtVector3<float> FacetNormalOf(const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                                         const TZtVector3<float>& p2) {
    TZtVector3<float> n = (p1 - p0).Cross(p2 - p1);
    if (n.Dot(n) == 0.0f) return {0.0f, 0.0f, 1.0f};
    return n.Normalize();
  }
};
