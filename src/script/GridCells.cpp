#include "script/GridCells.h"

#include <algorithm>
#include <limits>

#include "document/ObjectFields.h"

namespace qlm {

namespace {

const Image24* DrawnImage(const ObjectRecord& grid, uint8_t value) {
  if (value < 1 || value > 3)
    return nullptr;
  const ObjectImage& image = grid.stateImages[value];
  if (!image.present || image.Image().width == 0 || image.Image().height == 0)
    return nullptr;
  return &image.Image();
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

std::optional<size_t> GridCells::IndexOf(const ObjectRecord& grid, int64_t column, int64_t row) {
  const uint64_t columns = GridColumns(grid), rows = GridRows(grid);
  if (column < 1 || row < 1 || static_cast<uint64_t>(column) > columns ||
      static_cast<uint64_t>(row) > rows)
    return std::nullopt;
  const uint64_t index =
      static_cast<uint64_t>(row - 1) * columns + static_cast<uint64_t>(column - 1);
  if (index >= kMaxCells)
    return std::nullopt;
  return static_cast<size_t>(index);
}

IntRect GridCells::CellArea(const ObjectRecord& grid, int64_t column, int64_t row, uint8_t value) {
  const Image24* a = DrawnImage(grid, 1);
  const Image24* image = DrawnImage(grid, value);
  if (!a || !image)
    return {};
  const int64_t left = grid.rect.left + (column - 1) * int64_t{a->width};
  const int64_t top = grid.rect.top + (row - 1) * int64_t{a->height};
  return {Clamp32(left), Clamp32(top), Clamp32(left + image->width), Clamp32(top + image->height)};
}

bool GridCells::Set(const ObjectRecord& grid, int64_t column, int64_t row, uint8_t value) {
  const std::optional<size_t> index = IndexOf(grid, column, row);
  if (!index)
    return false;
  if (*index >= bytes_.size()) {
    if (value == 0)
      return true;
    bytes_.resize(*index + 1, 0);
  }
  bytes_[*index] = value;
  return true;
}

std::optional<uint8_t> GridCells::Get(const ObjectRecord& grid, int64_t column, int64_t row) const {
  const std::optional<size_t> index = IndexOf(grid, column, row);
  if (!index)
    return std::nullopt;
  return *index < bytes_.size() ? bytes_[*index] : uint8_t{0};
}

}  // namespace qlm
