#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/ObjectRecord.h"

namespace qlm {

// The click action codes the window carries out after a click.
namespace click_action {
inline constexpr uint32_t kOpenProject = 5;
inline constexpr uint32_t kClose = 6;
inline constexpr uint32_t kFirstPage = 7;
inline constexpr uint32_t kLastPage = 8;
inline constexpr uint32_t kNextPage = 9;
inline constexpr uint32_t kPreviousPage = 10;
inline constexpr uint32_t kPageByName = 11;
inline constexpr uint32_t kMinimize = 12;
}  // namespace click_action

// The page-manager direction of codes 7 to 10, or nullopt for other codes.
std::optional<int> PageDirectionOf(uint32_t action);

// The start page of an "open another project" action: its parameters after the first comma,
// or all of them without a comma, with leading white space removed.
std::string StartPageOf(const std::string& parameters);

// A cell of a grid object.
struct GridCell {
  int column = 0;
  int row = 0;
};

// The cell of a grid object under the client point: cells are as large as state image A
// (without one, the rectangle split into the object's columns and rows), counted from 0 at
// the top-left. nullopt outside the cell matrix.
std::optional<GridCell> GridCellAt(const ObjectRecord& grid, int x, int y, int offsetX = 0,
                                   int offsetY = 0);

}  // namespace qlm
