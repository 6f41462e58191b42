#include "player/ClickAction.h"

#include "document/ObjectFields.h"
#include "document/PageManager.h"

namespace qlm {

std::optional<int> PageDirectionOf(uint32_t action) {
  switch (action) {
    case click_action::kFirstPage:
      return CPageManager::kFirst;
    case click_action::kLastPage:
      return CPageManager::kLast;
    case click_action::kNextPage:
      return CPageManager::kNext;
    case click_action::kPreviousPage:
      return CPageManager::kPrevious;
    default:
      return std::nullopt;
  }
}

std::string StartPageOf(const std::string& parameters) {
  const size_t comma = parameters.find(',');
  std::string page = comma == std::string::npos ? parameters : parameters.substr(comma + 1);
  const size_t first = page.find_first_not_of(" \t\r\n");
  return first == std::string::npos ? std::string() : page.substr(first);
}

std::optional<GridCell> GridCellAt(const ObjectRecord& grid, int x, int y, int offsetX,
                                   int offsetY) {
  const int64_t columns = GridColumns(grid);
  const int64_t rows = GridRows(grid);
  if (columns <= 0 || rows <= 0)
    return std::nullopt;
  const int64_t left = int64_t{grid.rect.left} + offsetX;
  const int64_t top = int64_t{grid.rect.top} + offsetY;
  int64_t cellW = 0, cellH = 0;
  const ObjectImage& a = grid.stateImages[1];
  if (a.present && a.Image().width > 0 && a.Image().height > 0) {
    cellW = a.Image().width;
    cellH = a.Image().height;
  } else {
    cellW = (int64_t{grid.rect.right} - grid.rect.left) / columns;
    cellH = (int64_t{grid.rect.bottom} - grid.rect.top) / rows;
  }
  if (cellW <= 0 || cellH <= 0 || x < left || y < top)
    return std::nullopt;
  const int64_t column = (x - left) / cellW;
  const int64_t row = (y - top) / cellH;
  if (column >= columns || row >= rows)
    return std::nullopt;
  return GridCell{static_cast<int>(column), static_cast<int>(row)};
}

}  // namespace qlm
