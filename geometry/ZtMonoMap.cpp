// Occupancy grid: conservative triangle rasterisation (an edge walk through
// the cells, as in Amanatides and Woo's voxel traversal, plus a fill between
// the walked cells of each row) and boundary tracing of the occupied cells.
#include "geometry/ZtMonoMap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// Neighbour across side d: 0 bottom (-y), 1 right (+x), 2 top (+y), 3 left (-x).
constexpr int kStepX[4] = {0, 1, 0, -1};
constexpr int kStepY[4] = {-1, 0, 1, 0};
// The corner a side starts from, walking counter-clockwise around its cell:
// lower-left, lower-right, upper-right, upper-left.
constexpr int kCornerX[4] = {0, 1, 1, 0};
constexpr int kCornerY[4] = {0, 0, 1, 1};
// A row or column range beyond this cannot be rasterised (its scratch rows
// alone would take 128 MiB).
constexpr uint32_t kMaxAxisCount = uint32_t{1} << 24;

}  // namespace

bool CZtMonoMap::Allocate(uint32_t columns, uint32_t rows) {
  Free();
  if (columns == 0 || rows == 0 || columns > kMaxAxisCount || rows > kMaxAxisCount ||
      uint64_t(columns) * rows > kMaxCellCount)
    return false;
  cells.assign(size_t(columns) * rows, 0);
  columnCount = columns;
  rowCount = rows;
  return true;
}

void CZtMonoMap::Free() {
  std::vector<uint8_t>().swap(cells);
  columnCount = 0;
  rowCount = 0;
}

uint32_t CZtMonoMap::IndexOf(double t, uint32_t count) {
  // Truncation toward zero; the comparisons also keep NaN away from the cast.
  if (!(t >= 1.0)) return 0;
  if (t >= double(count)) return count - 1;
  return static_cast<uint32_t>(t);
}

void CZtMonoMap::MarkScratch(uint32_t i, uint32_t j, uint32_t j0) {
  const uint32_t row = j - j0;
  m_rowFirst[row] = std::min(m_rowFirst[row], i);
  m_rowLast[row] = std::max(m_rowLast[row], i);
}

// Walks the cells an edge crosses, from the cell of (x0, y0) to the cell of
// (x1, y1).  tX and tY are the edge parameters (0 at the start, 1 at the end)
// of the next column and row boundary; ties step in x.  Steps only ever go
// toward the end cell, so the walk stays in the corners' cell box and ends.
void CZtMonoMap::WalkEdge(double x0, double y0, double x1, double y1, uint32_t j0) {
  uint32_t i = ColumnOf(x0), j = RowOf(y0);
  const uint32_t endI = ColumnOf(x1), endJ = RowOf(y1);
  const double dx = x1 - x0, dy = y1 - y0;
  if (dx == 0.0 || i == endI) {
    for (uint32_t k = std::min(j, endJ); k <= std::max(j, endJ); ++k) MarkScratch(i, k, j0);
    return;
  }
  if (dy == 0.0 || j == endJ) {
    for (uint32_t k = std::min(i, endI); k <= std::max(i, endI); ++k) MarkScratch(k, j, j0);
    return;
  }
  const double boundaryX = originX + (dx > 0.0 ? double(i) + 1.0 : double(i)) * cellSizeX;
  const double boundaryY = originY + (dy > 0.0 ? double(j) + 1.0 : double(j)) * cellSizeY;
  double tX = (boundaryX - x0) / dx;
  double tY = (boundaryY - y0) / dy;
  const double stepTX = cellSizeX / std::fabs(dx);
  const double stepTY = cellSizeY / std::fabs(dy);
  for (;;) {
    MarkScratch(i, j, j0);
    if (i == endI && j == endJ) return;
    if (i != endI && (tX <= tY || j == endJ)) {
      i = endI > i ? i + 1 : i - 1;
      tX += stepTX;
    } else {
      j = endJ > j ? j + 1 : j - 1;
      tY += stepTY;
    }
  }
}

void CZtMonoMap::RasterizeTriangle(const double x[3], const double y[3]) {
  uint32_t column[3], row[3];
  for (int k = 0; k < 3; ++k) {
    column[k] = ColumnOf(x[k]);
    row[k] = RowOf(y[k]);
  }
  const uint32_t i0 = std::min({column[0], column[1], column[2]});
  const uint32_t i1 = std::max({column[0], column[1], column[2]});
  const uint32_t j0 = std::min({row[0], row[1], row[2]});
  const uint32_t j1 = std::max({row[0], row[1], row[2]});
  // One column (or one cell), one row: the whole range.
  if (i0 == i1) {
    for (uint32_t j = j0; j <= j1; ++j) Occupy(i0, j);
    return;
  }
  if (j0 == j1) {
    for (uint32_t i = i0; i <= i1; ++i) Occupy(i, j0);
    return;
  }
  // walk the edges
  m_rowFirst.assign(j1 - j0 + 1, std::numeric_limits<uint32_t>::max());
  m_rowLast.assign(j1 - j0 + 1, 0);
  for (int k = 0; k < 3; ++k) WalkEdge(x[k], y[k], x[(k + 1) % 3], y[(k + 1) % 3], j0);
  // fill each row between its outermost walked cells
  for (uint32_t j = j0; j <= j1; ++j) {
    const uint32_t first = m_rowFirst[j - j0], last = m_rowLast[j - j0];
    if (first > last) continue;
    std::fill(cells.begin() + ptrdiff_t(size_t(j) * columnCount + first),
              cells.begin() + ptrdiff_t(size_t(j) * columnCount + last + 1), uint8_t{1});
  }
}

// Visited sides, 4 bits per cell.
class CZtMonoMap::CSideMarks {
public:
  explicit CSideMarks(size_t cellCount) : m_bits((cellCount + 1) / 2, 0) {}
  bool Test(size_t cell, int side) const { return (m_bits[cell / 2] >> Shift(cell, side)) & 1; }
  void Set(size_t cell, int side) { m_bits[cell / 2] = uint8_t(m_bits[cell / 2] | (1 << Shift(cell, side))); }

private:
  static int Shift(size_t cell, int side) { return int(cell % 2) * 4 + side; }
  std::vector<uint8_t> m_bits;
};

bool CZtMonoMap::TraceLoops(std::vector<CZtLoop2f>& loops) const {
  loops.clear();
  if (columnCount == 0 || rowCount == 0) return true;
  CSideMarks visited(size_t(columnCount) * rowCount);
  uint64_t pointCount = 0;
  for (uint32_t j = 0; j < rowCount; ++j) {
    for (uint32_t i = 0; i < columnCount; ++i) {
      if (!IsOccupied(i, j)) continue;
      for (int side = 0; side < 4; ++side) {
        if (IsOccupied(int64_t(i) + kStepX[side], int64_t(j) + kStepY[side])) continue;
        if (visited.Test(size_t(j) * columnCount + i, side)) continue;
        CZtLoop2f loop;
        if (!TraceFrom(i, j, side, visited, kMaxLoopPoints - pointCount, loop)) {
          loops.clear();
          return false;
        }
        SimplifyTracedLoop(loop);
        pointCount += loop.size();
        loops.push_back(std::move(loop));
      }
    }
  }
  return true;
}

// Follows the boundary with the occupied cells on the left, one point per
// boundary side, until the starting side comes round again.
bool CZtMonoMap::TraceFrom(uint32_t i0, uint32_t j0, int side0, CSideMarks& visited, uint64_t maxPoints,
                           CZtLoop2f& loop) const {
  int64_t i = i0, j = j0;
  int side = side0;
  for (;;) {
    if (loop.size() >= maxPoints) return false;
    loop.push_back({static_cast<float>(originX + double(i + kCornerX[side]) * cellSizeX),
                    static_cast<float>(originY + double(j + kCornerY[side]) * cellSizeY)});
    visited.Set(size_t(j) * columnCount + size_t(i), side);
    // Next boundary side: turn left when the cell ahead is free, else step
    // into it and look again, turning right.  More than two steps would mean
    // the starting side was not on the boundary.
    int d = (side + 1) % 4;
    int moves = 0;
    while (IsOccupied(i + kStepX[d], j + kStepY[d])) {
      i += kStepX[d];
      j += kStepY[d];
      d = (d + 3) % 4;
      if (++moves > 2) return false;
    }
    side = d;
    if (i == i0 && j == j0 && side == side0) return true;
    if (visited.Test(size_t(j) * columnCount + size_t(i), side)) return false;
  }
}

void SimplifyTracedLoop(CZtLoop2f& loop) {
  if (loop.size() < 3) return;
  CZtLoop2f kept;
  kept.reserve(loop.size());
  kept.push_back(loop.front());
  for (size_t k = 1; k + 1 < loop.size(); ++k) {
    const CZtPoint2f& a = kept.back();
    const CZtPoint2f& p = loop[k];
    const CZtPoint2f& b = loop[k + 1];
    const double bax = double(b.x) - a.x, bay = double(b.y) - a.y;
    const double pax = double(p.x) - a.x, pay = double(p.y) - a.y;
    const bool onTheWay = bax * pay - bay * pax == 0.0 && bax * pax + bay * pay >= 0.0;
    if (!onTheWay) kept.push_back(p);
  }
  kept.push_back(loop.back());
  loop.swap(kept);
}
