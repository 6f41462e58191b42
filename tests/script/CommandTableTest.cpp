#include "script/CommandTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/ScriptText.h"

namespace qlm {
namespace {

TEST(CommandTable, RowsAreUniqueAndLeaveStatementKindCodesFree) {
  auto table = CommandTable();
  ASSERT_EQ(table.size(), 157u);
  std::set<int32_t> codes;
  std::set<std::string> names;
  for (const ScriptCommand& row : table) {
    SCOPED_TRACE(std::string(row.name));
    const int32_t code = StoredCode(row.code);
    EXPECT_TRUE(codes.insert(code).second) << "duplicate code " << code;
    EXPECT_TRUE(names.insert(AsciiLower(row.name)).second) << "duplicate name";
    EXPECT_GE(code, 0);
    EXPECT_LE(code, kMaxCommandCode);
    EXPECT_FALSE(code >= 99 && code <= 107) << code;
    EXPECT_NE(code, 200);
    EXPECT_GE(row.argCount, 0);
    EXPECT_LE(row.argCount, 2);
    EXPECT_LT(row.name.size(), 32u);
  }
}

TEST(CommandTable, SpotChecksByPosition) {
  struct Row {
    size_t position;
    const char* name;
    int32_t code;
    int32_t argCount;
  };
  const Row rows[] = {
      {0, "Hide", 0, 1},
      {3, "FirstPage", 7, 0},
      {10, "Restore", 241, 0},
      {11, "PageTimer", 28, 2},
      {15, "RunScriptCode", 248, 2},
      {17, "MessageEx", 247, 2},
      {26, "Return", 31, 0},
      {27, "Break", 239, 0},
      {44, "VolumeUp", 46, 1},
      {45, "VolumeDown", 47, 0},
      {49, "WavePlay", 13, 2},
      {71, "SongListRND", 69, 0},
      {106, "VideoPlay", 3, 1},
      {108, "VideoStop", 4, 1},
      {115, "MCICommand", 39, 1},
      {151, "CreateLineAB", 257, 2},
      {152, "CreateParagraph", 258, 2},
      {156, "CreateTextButton", 256, 2},
  };
  auto table = CommandTable();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_LT(r.position, table.size());
    EXPECT_EQ(table[r.position].name, r.name);
    EXPECT_EQ(StoredCode(table[r.position].code), r.code);
    EXPECT_EQ(table[r.position].argCount, r.argCount);
  }
}

TEST(CommandTable, LookupByNameIsWholeNameWithoutCase) {
  ASSERT_NE(FindCommand("hIdE"), nullptr);
  EXPECT_EQ(StoredCode(FindCommand("hIdE")->code), 0);
  EXPECT_EQ(StoredCode(FindCommand("listboxgetselecteditems")->code), 207);
  EXPECT_EQ(StoredCode(FindCommand("EXIT")->code), 12);
  for (const char* miss : {"", "hid", "hide ", " hide", "hidex", "exit()", "h\xC9\x44\x45"}) {
    EXPECT_EQ(FindCommand(miss), nullptr) << miss;
  }
}

TEST(CommandTable, LookupByCodeFindsEveryRowAndNothingElse) {
  for (const ScriptCommand& row : CommandTable()) {
    EXPECT_EQ(FindCommandByCode(StoredCode(row.code)), &row);
    EXPECT_EQ(FindCommand(row.name), &row);
  }
  for (int32_t code : {-1, 5000, 99, 100, 103, 107, 200, 259, 1 << 30}) {
    EXPECT_EQ(FindCommandByCode(code), nullptr) << code;
  }
  // Exactly the table's codes have a row: none lost to another row's code.
  int32_t rows = 0;
  for (int32_t code = 0; code <= kMaxCommandCode; ++code) {
    rows += FindCommandByCode(code) != nullptr;
  }
  EXPECT_EQ(rows, 157);
}

}  // namespace
}  // namespace qlm
