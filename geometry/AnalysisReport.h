// Result texts of the solid-check, volume and min-max analyses, exactly as
// their dialogs show them.  Wide strings; lines are joined with "\r\n".
//
// Numbers are formatted as "%9.4lf" would in the "C" locale (four decimals,
// right-aligned in at least nine characters, "nan" / "inf" for non-finite
// values), independently of the process locale.
#pragma once

#include <string>
#include <vector>

#include "geometry/ZtMeshAdjacency.h"
#include "geometry/ZtVector3.h"

// One number as "%9.4lf".
std::wstring FormatReportNumber(double value);

// The solid check's text from the result of FindBoundaryEdges:
// - closed: "ソリッド（隙間なし）"
// - not closed, no edge (a model without triangles): "ソリッドでない"
// - otherwise "ソリッドでない（隙間あり）", "---隙間境界---" and one line
//   "[%3d](%9.4lf, %9.4lf, %9.4lf) - (%9.4lf, %9.4lf, %9.4lf)" per edge, numbered
//   from 0, with the coordinates of the edge's two vertices in `vertices`
//   (the model's offset is not added); every line ends with "\r\n".
// The edges must index `vertices` (FindBoundaryEdges guarantees it); an index
// outside it prints as nan.
std::wstring SolidCheckReportText(bool closed, const std::vector<CZtEdge>& edges,
                                  const std::vector<TZtVector3<float>>& vertices);

// The volume dialog's text: the volume as "%9.4lf" when computed (the result
// of ComputeModelVolume), else "ソリッドでない".
std::wstring VolumeReportText(bool computed, float volume);

// The min-max dialog's four lines: a column header, then "MAX : ", "min : "
// and "Dif : " with x, y, z as "%9.4lf" separated by ", "; Dif is max - min
// formed in float.  Each line ends with "\r\n".
std::wstring MinMaxReportText(const TZtVector3<float>& min, const TZtVector3<float>& max);
