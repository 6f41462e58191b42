#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/ObjectRecord.h"
#include "graphics/Geometry.h"

namespace qlm {

// The cell matrix of a grid object (kind 19): one byte per cell, row after row, every cell 0
// until a script sets it. A cell holding 1, 2 or 3 shows state image A, B or C; other values
// show nothing. The matrix takes its columns and rows from the grid each time, so it follows a
// change of either.
class GridCells {
 public:
  // Cells beyond this row-major index are out of range, so a grid whose stored size is absurd
  // cannot make one command allocate gigabytes.
  static constexpr uint64_t kMaxCells = uint64_t{1} << 22;

  // The row-major index of cell (column, row), both counted from 1; nullopt outside the
  // grid's matrix or beyond kMaxCells.
  static std::optional<size_t> IndexOf(const ObjectRecord& grid, int64_t column, int64_t row);

  // The area that state image `value` covers when drawn in cell (column, row): it sits at
  // (column - 1) x width of A, (row - 1) x height of A from the rectangle's top-left, at its
  // own size. Empty when that image, or A, is missing.
  static IntRect CellArea(const ObjectRecord& grid, int64_t column, int64_t row, uint8_t value);

  // False, and nothing changes, outside the matrix.
  bool Set(const ObjectRecord& grid, int64_t column, int64_t row, uint8_t value);
  std::optional<uint8_t> Get(const ObjectRecord& grid, int64_t column, int64_t row) const;

  // Row after row up to the last cell ever set; the cells after it are 0.
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace qlm
