// Occupancy grid of the projection area: which cells of a regular x-y grid
// the triangles of a model cover, and the boundary of the covered cells as
// closed loops.
//
// Cell (i, j) covers x from originX + i * cellSizeX to originX + (i + 1) *
// cellSizeX and y likewise; i is the column (x index), j the row (y index).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/PolygonUnion.h"

class CZtMonoMap {
public:
  // Largest grid Allocate accepts: 2^28 cells, 256 MiB of cell bytes plus
  // 128 MiB of tracing marks.
  static constexpr uint64_t kMaxCellCount = uint64_t{1} << 28;
  // Largest number of loop points TraceLoops produces before it gives up.
  static constexpr uint64_t kMaxLoopPoints = uint64_t{1} << 24;

  virtual ~CZtMonoMap() = default;

  double cellSizeX = 0.0;
  double cellSizeY = 0.0;
  // One byte per cell, row after row: cell (i, j) is cells[j * columnCount + i];
  // 1 occupied, 0 free.
  std::vector<uint8_t> cells;
  uint32_t columnCount = 0;
  uint32_t rowCount = 0;
  double originX = 0.0;
  double originY = 0.0;

  // Sets the counts and frees every cell.  False, with the grid empty, when a
  // count is 0 or above 2^24, or there would be more than kMaxCellCount cells.
  bool Allocate(uint32_t columns, uint32_t rows);
  // Releases the cells and sets both counts to 0.
  void Free();

  // False outside the grid.
  bool IsOccupied(int64_t i, int64_t j) const {
    return i >= 0 && j >= 0 && i < columnCount && j < rowCount && cells[size_t(j) * columnCount + size_t(i)] != 0;
  }
  void Occupy(uint32_t i, uint32_t j) { cells[size_t(j) * columnCount + i] = 1; }

  // The column or row of a coordinate: (int)((x - originX) / cellSizeX),
  // truncated toward zero, then clamped into the grid so that rounding at the
  // far edge of the bounds never indexes past it.  Requires a finite x and a
  // positive cell size.
  uint32_t ColumnOf(double x) const { return IndexOf((x - originX) / cellSizeX, columnCount); }
  uint32_t RowOf(double y) const { return IndexOf((y - originY) / cellSizeY, rowCount); }

  // Marks the cells a triangle covers, conservatively: every cell an edge
  // crosses, and on every row the cells between the leftmost and rightmost of
  // them, so a triangle thinner or smaller than a cell still marks at least
  // one cell.  Corners in x[k], y[k], finite.
  void RasterizeTriangle(const double x[3], const double y[3]);

  // Traces the boundary of the occupied cells into loops (cleared first):
  // counter-clockwise around occupied areas, clockwise around holes, one
  // point per corner where the boundary turns (straight runs simplified).
  // Corners are originX + i * cellSizeX (and likewise y) in double, stored as
  // float.  False when a trace cannot close or the loops would hold more than
  // kMaxLoopPoints points.
  bool TraceLoops(std::vector<CZtLoop2f>& loops) const;

private:
  class CSideMarks;
  bool TraceFrom(uint32_t i0, uint32_t j0, int side0, CSideMarks& visited, uint64_t maxPoints,
                 CZtLoop2f& loop) const;
  static uint32_t IndexOf(double t, uint32_t count);
  void WalkEdge(double x0, double y0, double x1, double y1, uint32_t j0);
  void MarkScratch(uint32_t i, uint32_t j, uint32_t j0);

  // Per row of the triangle being rasterised: the leftmost and rightmost
  // marked column.
  std::vector<uint32_t> m_rowFirst;
  std::vector<uint32_t> m_rowLast;
};

// Keeps the first and last points of a traced loop and every inner point p
// except those that lie on the way from the last kept point a to the next
// point b ((b - a) x (p - a) = 0 and (b - a) . (p - a) >= 0).
void SimplifyTracedLoop(CZtLoop2f& loop);
