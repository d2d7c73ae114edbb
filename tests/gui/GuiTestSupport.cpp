#include "GuiTestSupport.h"

namespace guitest {

std::unique_ptr<CZtModel> MakeStripModel(const std::vector<int>& groupSizes) {
  auto model = std::make_unique<CZtModel>();
  float x = 0.0f;
  for (int size : groupSizes) {
    auto* group = new CZtGroup;
    group->model = model.get();
    group->name = L"group" + std::to_wstring(model->groups.size());
    for (int i = 0; i < size; ++i, x += 1.0f) {
      const auto base = static_cast<int32_t>(model->vertices.size());
      model->vertices.push_back({x, 0.0f, 0.0f});
      model->vertices.push_back({x + 1.0f, 0.0f, 0.0f});
      model->vertices.push_back({x, 1.0f, 0.0f});
      CZtIndexedTriangle t;
      for (int k = 0; k < 3; ++k) {
        t.vertexIndex[k] = base + k;
        t.normalIndex[k] = 0;
      }
      t.facetNormalIndex = static_cast<int32_t>(model->triangles.size());
      group->triangleIndices.push_back(static_cast<uint32_t>(model->triangles.size()));
      model->triangles.push_back(t);
      model->facetNormals.push_back({0.0f, 0.0f, 1.0f});
    }
    model->groups.push_back(group);
  }
  return model;
}

}  // namespace guitest
