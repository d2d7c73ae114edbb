// The figures of one model file that batch checks need: facets, whether the
// surface is closed, volume, bounding box and projected area along z.  The
// file is read through the import plug-ins, as the viewer reads it.
#pragma once

#include <optional>
#include <string>

#include "geometry/ZtVector3.h"
#include "plugin_interface/PluginRegistry.h"

struct CModelInspection {
  std::string file;
  std::string error;  // empty when the file was read
  uint32_t facets = 0;
  bool closed = false;
  uint32_t gapEdges = 0;
  std::optional<double> volume;  // closed models only
  bool hasBox = false;           // false when no triangle refers to a vertex
  TZtVector3<float> min{0, 0, 0}, max{0, 0, 0};
  std::optional<double> projectedArea;  // empty when the projection fails
};

// Reads path with the first import plug-in that supports it and measures
// it; the projection uses divisionCount cells per side.
CModelInspection InspectModelFile(const CPluginRegistry& plugins, const std::string& path, int divisionCount);

// One line per file: readable text, or one JSON object.
std::string FormatInspectionText(const CModelInspection& inspection);
std::string FormatInspectionJson(const CModelInspection& inspection);
