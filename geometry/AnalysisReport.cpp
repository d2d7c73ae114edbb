#include "geometry/AnalysisReport.h"

#include <charconv>
#include <cstddef>
#include <limits>

namespace {

// Appends ASCII text right-aligned in `width` characters, as printf pads.
void AppendPadded(std::wstring& out, const char* text, std::size_t length, std::size_t width) {
  if (length < width) out.append(width - length, L' ');
  out.append(text, text + length);
}

void AppendNumber(std::wstring& out, double value) {
  // std::to_chars is exact and ignores the locale; the largest double has
  // 309 integer digits
  char buffer[400];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
  AppendPadded(out, buffer, static_cast<std::size_t>(r.ptr - buffer), 9);
}

void AppendPoint(std::wstring& out, const TZtVector3<float>& p) {
  out += L'(';
  AppendNumber(out, p.x);
  out += L", ";
  AppendNumber(out, p.y);
  out += L", ";
  AppendNumber(out, p.z);
  out += L')';
}

TZtVector3<float> PointAt(const std::vector<TZtVector3<float>>& vertices, int32_t index) {
  if (index >= 0 && static_cast<std::size_t>(index) < vertices.size()) return vertices[index];
  const float nan = std::numeric_limits<float>::quiet_NaN();
  return {nan, nan, nan};
}

void AppendCoordinates(std::wstring& out, const wchar_t* label, float x, float y, float z) {
  out += label;
  AppendNumber(out, x);
  out += L", ";
  AppendNumber(out, y);
  out += L", ";
  AppendNumber(out, z);
  out += L"\r\n";
}

}  // namespace

std::wstring FormatReportNumber(double value) {
  std::wstring out;
  AppendNumber(out, value);
  return out;
}

std::wstring SolidCheckReportText(bool closed, const std::vector<CZtEdge>& edges,
                                  const std::vector<TZtVector3<float>>& vertices) {
  if (closed) return L"ソリッド（隙間なし）";
  if (edges.empty()) return L"ソリッドでない";

  std::wstring out = L"ソリッドでない（隙間あり）\r\n---隙間境界---\r\n";
  for (std::size_t i = 0; i < edges.size(); ++i) {
    char number[24];
    const std::to_chars_result r = std::to_chars(number, number + sizeof number, i);
    out += L'[';
    AppendPadded(out, number, static_cast<std::size_t>(r.ptr - number), 3);
    out += L']';
    AppendPoint(out, PointAt(vertices, edges[i].first));
    out += L" - ";
    AppendPoint(out, PointAt(vertices, edges[i].second));
    out += L"\r\n";
  }
  return out;
}

std::wstring VolumeReportText(bool computed, float volume) {
  return computed ? FormatReportNumber(volume) : L"ソリッドでない";
}

std::wstring MinMaxReportText(const TZtVector3<float>& min, const TZtVector3<float>& max) {
  std::wstring out = L"         X          Y         Z\r\n";
  AppendCoordinates(out, L"MAX : ", max.x, max.y, max.z);
  AppendCoordinates(out, L"min : ", min.x, min.y, min.z);
  const TZtVector3<float> size = max - min;
  AppendCoordinates(out, L"Dif : ", size.x, size.y, size.z);
  return out;
}
