#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "TestScriptHost.h"
#include "script/GridCells.h"

namespace qlm {
namespace {

using test::Compile;
using test::MakeObject;
using test::MakePage;

// The test host with a cell matrix for each grid object.
class GridHost : public test::TestScriptHost {
 public:
  explicit GridHost(Project project) : TestScriptHost(std::move(project)) { ShowPage(); }

  GridCells* GridCellsOf(ObjectRecord& object) override {
    return object.typeCode == kObjGrid ? &grids[&object] : nullptr;
  }
  ObjectRecord& Object(size_t i) { return pages.CurrentPage()->objects[i]; }
  int Cell(size_t object, int64_t column, int64_t row) {
    return grids[&Object(object)].Get(Object(object), column, row).value_or(-1);
  }

  std::map<const ObjectRecord*, GridCells> grids;
};

ObjectImage Solid(uint32_t w, uint32_t h) {
  ObjectImage image;
  image.present = true;
  image.stored.data.image = {w, h, std::vector<uint8_t>(size_t{w} * h * 3, 0x80)};
  return image;
}

// "Board" (3 columns, 2 rows at 10,20; A 8x6, B 12x10, C missing), the grid "G[1]" and the grid
// "G1" (both 1x1), and the text object "Text".
Project GridPage() {
  Project project;
  project.pages.push_back(MakePage("A"));
  ObjectRecord board = MakeObject("Board", {10, 20, 100, 100});
  board.typeCode = kObjGrid;
  board.values[1] = 3;
  board.values[2] = 2;
  board.stateImages[1] = Solid(8, 6);
  board.stateImages[2] = Solid(12, 10);
  ObjectRecord bracketed = MakeObject("G[1]");
  bracketed.typeCode = kObjGrid;
  bracketed.values[1] = bracketed.values[2] = 1;
  ObjectRecord plain = bracketed;
  plain.name = "G1";
  ObjectRecord text = MakeObject("Text");
  text.typeCode = kObjText;
  project.pages[0].objects = {std::move(board), std::move(bracketed), std::move(plain),
                              std::move(text)};
  return project;
}

TEST(MatrixCommands, SetCellsReadBackAndStayApart) {
  GridHost host(GridPage());
  ASSERT_TRUE(
      host.Run("c=2\nMatrixSet(\"Board\",\"1,1,1\")\nMatrixSet(\"Board\",\"c+1,c,c+1\")\n"
               "MatrixSet(\"Board\",\"2,1,200\")\nMatrixSet(\"Board\",\"1,2,3\")"));
  const int expected[2][3] = {{1, 200, 0}, {3, 0, 3}};
  for (int64_t row = 1; row <= 2; ++row) {
    for (int64_t column = 1; column <= 3; ++column)
      EXPECT_EQ(host.Cell(0, column, row), expected[row - 1][column - 1]) << column << "," << row;
  }
  ASSERT_TRUE(
      host.Run("MatrixGet(\"Board\",\"2,1,V\")\nMatrixGet(\"Board\",\"3,2,W\")\n"
               "MatrixGet(\"Board\",\"3,1,Z\")\nMatrixSet(\"Board\",\"1,1,0\")\n"
               "MatrixGet(\"Board\",\"1,1,Cleared\")"));
  EXPECT_EQ(host.Number("V"), 200);
  EXPECT_EQ(host.Number("W"), 3);
  EXPECT_EQ(host.Number("Z"), 0);
  EXPECT_EQ(host.Number("Cleared"), 0);
}

// Outside the matrix, without all three pieces, with a value that is no byte, or on anything
// but a grid: no cell changes and the variable keeps its value.
TEST(MatrixCommands, OutOfRangeAndMalformedChangeNothing) {
  for (const std::string cell : {"0,1", "1,0", "4,1", "1,3", "-1,-1", "99999,99999"}) {
    SCOPED_TRACE(cell);
    GridHost host(GridPage());
    ASSERT_TRUE(host.Run("V=7\nMatrixSet(\"Board\",\"" + cell + ",1\")\nMatrixGet(\"Board\",\"" +
                         cell + ",V\")"));
    EXPECT_TRUE(host.grids[&host.Object(0)].Bytes().empty());
    EXPECT_EQ(host.Number("V"), 7);
  }
  for (const std::string args : {"1,1,256", "1,1,-1", "1,1", "1,1,", ""}) {
    SCOPED_TRACE(args);
    GridHost host(GridPage());
    ASSERT_TRUE(host.Run("MatrixSet(\"Board\",\"" + args + "\")"));
    EXPECT_TRUE(host.grids[&host.Object(0)].Bytes().empty());
  }
  GridHost host(GridPage());
  ASSERT_TRUE(
      host.Run("V=7\nMatrixSet(\"Text\",\"1,1,1\")\nMatrixGet(\"Text\",\"1,1,V\")\n"
               "MatrixGet(\"Board\",\"1,1\")\nMatrixGet(\"Board\",\"1,1,\")"));
  EXPECT_EQ(host.Number("V"), 7);
  EXPECT_TRUE(host.grids.empty());
}

// The name is taken as written: "G[1]" is the grid of that name, not G1.
TEST(MatrixCommands, BracketInTheNameIsNoIndex) {
  GridHost host(GridPage());
  ASSERT_TRUE(host.Run("MatrixSet(\"G[1]\",\"1,1,2\")"));
  EXPECT_EQ(host.Cell(1, 1, 1), 2);
  EXPECT_EQ(host.Cell(2, 1, 1), 0);
}

// A cell sits at (column - 1) x width of A, (row - 1) x height of A, and the repaint covers
// both the image it showed and the one it shows now, each at its own size.
TEST(MatrixCommands, RepaintsTheCellItChanged) {
  GridHost host(GridPage());
  ASSERT_TRUE(host.Run("MatrixSet(\"Board\",\"2,2,1\")"));
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0], (IntRect{18 - 1, 26 - 1, 26 + 1, 32 + 1}));
  ASSERT_TRUE(host.Run("MatrixSet(\"Board\",\"2,2,2\")"));
  ASSERT_EQ(host.invalidated.size(), 2u);
  EXPECT_EQ(host.invalidated[1], (IntRect{18 - 1, 26 - 1, 30 + 1, 36 + 1}));
  // C is missing: going from B to C repaints what B covered; the same value again nothing.
  ASSERT_TRUE(host.Run("MatrixSet(\"Board\",\"2,2,3\")\nMatrixSet(\"Board\",\"2,2,3\")"));
  ASSERT_EQ(host.invalidated.size(), 3u);
  EXPECT_EQ(host.invalidated[2], (IntRect{18 - 1, 26 - 1, 30 + 1, 36 + 1}));
  ASSERT_TRUE(host.Run("MatrixSet(\"Board\",\"2,2,3\")"));
  EXPECT_EQ(host.invalidated.size(), 3u);
}

// The matrix follows the grid's size and refuses cells past its storage limit however large
// the stored size claims to be.
TEST(GridCells, FollowsTheGridSizeAndCapsStorage) {
  ObjectRecord grid;
  grid.typeCode = kObjGrid;
  grid.values[1] = 2;
  grid.values[2] = 2;
  GridCells cells;
  EXPECT_TRUE(cells.Set(grid, 2, 2, 1));
  grid.values[1] = 3;  // row 2 now starts one cell later
  EXPECT_EQ(cells.Get(grid, 1, 2), 1);
  EXPECT_EQ(cells.Get(grid, 2, 2), 0);
  grid.values[1] = grid.values[2] = 0xFFFFFFFF;
  EXPECT_FALSE(cells.Set(grid, 0xFFFFFFFF, 0xFFFFFFFF, 1));
  EXPECT_FALSE(cells.Get(grid, 1, (GridCells::kMaxCells / 0xFFFFFFFF) + 2));
  EXPECT_EQ(cells.Bytes().size(), 4u);
}

}  // namespace
}  // namespace qlm
