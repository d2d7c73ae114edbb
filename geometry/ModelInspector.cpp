#include "geometry/ModelInspector.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "geometry/ProjectionArea.h"
#include "geometry/ZtMeshAdjacency.h"
#include "geometry/ZtVolume.h"
#include "plugin_interface/ModelConversion.h"

namespace {

// Frees the record whatever happens.
struct RecordGuard {
  ModelExchangeRecord record{};
  ~RecordGuard() { FreeModelExchangeRecord(&record); }
};

void MeasureBox(const CZtModel& model, CModelInspection& result) {
  const auto vertexCount = static_cast<int64_t>(model.vertices.size());
  for (const CZtIndexedTriangle& t : model.triangles)
    for (int32_t index : t.vertexIndex) {
      if (index < 0 || index >= vertexCount) continue;
      const TZtVector3<float>& p = model.vertices[static_cast<size_t>(index)];
      if (!result.hasBox) {
        result.min = result.max = p;
        result.hasBox = true;
        continue;
      }
      result.min = {std::fmin(result.min.x, p.x), std::fmin(result.min.y, p.y), std::fmin(result.min.z, p.z)};
      result.max = {std::fmax(result.max.x, p.x), std::fmax(result.max.y, p.y), std::fmax(result.max.z, p.z)};
    }
}

// Shortest text that reads back as the same double; JSON has no NaN.
std::string Number(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string Fixed(double value) {
  if (!std::isfinite(value)) return "nan";
  char buffer[512];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
  return std::string(buffer, result.ptr);
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Triple(const TZtVector3<float>& p, bool json) {
  if (json) return "[" + Number(p.x) + "," + Number(p.y) + "," + Number(p.z) + "]";
  return "(" + Fixed(p.x) + ", " + Fixed(p.y) + ", " + Fixed(p.z) + ")";
}

}  // namespace

CModelInspection InspectModelFile(const CPluginRegistry& plugins, const std::string& path, int divisionCount) {
  CModelInspection result;
  result.file = path;
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) {
    result.error = "ファイル読み込み失敗";
    return result;
  }
  const ImportPluginEntry* plugin = nullptr;
  for (const ImportPluginEntry& entry : plugins.importPlugins)
    if (entry.isSupported(resolved)) {
      plugin = &entry;
      break;
    }
  if (!plugin) {
    result.error = "ファイル読み込み失敗（未対応な拡張子）";
    return result;
  }
  RecordGuard guard;
  if (plugin->loadModel(resolved, nullptr, &guard.record) != 1) {
    result.error = "ファイル読み込み失敗（読み込みプラグイン内で読み込み失敗）";
    return result;
  }
  CZtModel model;
  if (ModelFromExchangeRecord(&guard.record, &model) != 1) {
    result.error = "ファイル読み込み失敗（読み込みプラグインで読み込んだデータが正しくありません。）";
    return result;
  }
  FreeModelExchangeRecord(&guard.record);

  result.facets = static_cast<uint32_t>(model.triangles.size());
  MeasureBox(model, result);
  std::vector<CZtPolygon2f> polygons;
  if (ProjectionLoopsByDivision(model, divisionCount, polygons)) {
    float area = 0.0f;
    for (const CZtPolygon2f& polygon : polygons) area += PolygonArea(polygon);
    result.projectedArea = area;
  }
  std::vector<CZtEdge> edges;
  result.closed = FindBoundaryEdges(&model, edges);
  result.gapEdges = static_cast<uint32_t>(edges.size());
  float volume = 0.0f;
  if (result.closed && SignedVolume(&model, &volume)) result.volume = volume;
  return result;
}

std::string FormatInspectionText(const CModelInspection& r) {
  if (!r.error.empty()) return r.file + ": " + r.error;
  std::string text = r.file + ": " + std::to_string(r.facets) + " facets, ";
  text += r.closed ? "closed" : "open (" + std::to_string(r.gapEdges) + " gap edges)";
  text += ", volume " + (r.volume ? Fixed(*r.volume) : std::string("-"));
  if (r.hasBox) text += ", min " + Triple(r.min, false) + ", max " + Triple(r.max, false);
  text += ", projected area " + (r.projectedArea ? Fixed(*r.projectedArea) : std::string("計算失敗"));
  return text;
}

std::string FormatInspectionJson(const CModelInspection& r) {
  std::string json = "{\"file\":" + JsonString(r.file);
  if (!r.error.empty()) return json + ",\"error\":" + JsonString(r.error) + "}";
  json += ",\"facets\":" + std::to_string(r.facets);
  json += std::string(",\"closed\":") + (r.closed ? "true" : "false");
  json += ",\"gapEdges\":" + std::to_string(r.gapEdges);
  json += ",\"volume\":" + (r.volume ? Number(*r.volume) : std::string("null"));
  json += ",\"min\":" + (r.hasBox ? Triple(r.min, true) : std::string("null"));
  json += ",\"max\":" + (r.hasBox ? Triple(r.max, true) : std::string("null"));
  json += ",\"projectedArea\":" + (r.projectedArea ? Number(*r.projectedArea) : std::string("null"));
  return json + "}";
}
