#include "expr/ProfileVariables.h"

#include <gtest/gtest.h>

#include "ExprFakes.h"
#include "expr/ExpressionEvaluator.h"

namespace qlm {
namespace {

class ProfileVariablesTest : public testing::Test {
 protected:
  std::string Stored(const std::string& entry) {
    auto it = profile_.values.find({"QLM", entry});
    return it == profile_.values.end() ? "<none>" : it->second;
  }

  ExpressionEvaluator ev_;
  test::MemoryProfileStore profile_;
};

TEST_F(ProfileVariablesTest, NumbersKeepOnlyTheirIntegerPart) {
  struct {
    double value;
    double loaded;
  } cases[] = {{2.75, 2}, {-2.75, -2}, {7, 7}, {0.5, 0}};
  for (const auto& c : cases) {
    ev_.SetNumber("score", c.value);
    SaveVariable(ev_, profile_, "QLM", "Best", "score");
    LoadVariable(ev_, profile_, "QLM", "Best", "copy");
    double loaded = 99;
    ASSERT_TRUE(ev_.GetNumber("copy", loaded));
    EXPECT_EQ(loaded, c.loaded) << c.value;
  }
}

TEST_F(ProfileVariablesTest, StringsRoundTripAndKeysExpand) {
  ev_.SetText("name$", "Ada, Lovelace");
  ev_.SetText("key$", "Player");
  SaveVariable(ev_, profile_, "QLM", "key$", "name$");
  EXPECT_EQ(Stored("Player"), "Ada, Lovelace");
  LoadVariable(ev_, profile_, "QLM", " key$", "back$");
  std::string text;
  ev_.GetText("back$", text);
  EXPECT_EQ(text, "Ada, Lovelace");

  SaveVariable(ev_, profile_, "QLM", "", "name$");
  EXPECT_EQ(Stored("Default"), "Ada, Lovelace");

  // A string variable that does not exist is evaluated, fails and saves 0.
  SaveVariable(ev_, profile_, "QLM", "Ghost", "ghost$");
  EXPECT_EQ(Stored("Ghost"), "0");
  EXPECT_TRUE(ev_.HasError());

  // An empty variable argument does nothing.
  size_t before = profile_.values.size();
  SaveVariable(ev_, profile_, "QLM", "X", "");
  LoadVariable(ev_, profile_, "QLM", "X", "");
  EXPECT_EQ(profile_.values.size(), before);
}

TEST_F(ProfileVariablesTest, LoadRebuildsStringElementNamesButNotNumericOnes) {
  profile_.WriteString("QLM", "Item", "text");
  profile_.WriteInt("QLM", "Count", 5);
  ev_.SetNumber("i", 3);
  LoadVariable(ev_, profile_, "QLM", "Item", "s$[i]");
  LoadVariable(ev_, profile_, "QLM", "Item", "t[i]$");
  LoadVariable(ev_, profile_, "QLM", "Item", "u$[2.9]");
  LoadVariable(ev_, profile_, "QLM", "Count", "v[i]");
  EXPECT_EQ(ev_.Variables().Find("s$[3]")->text, "text");
  EXPECT_EQ(ev_.Variables().Find("t$[3]")->text, "text");
  EXPECT_EQ(ev_.Variables().Find("u$[2]")->text, "text");
  EXPECT_EQ(ev_.Variables().Find("v[i]")->number, 5);
  EXPECT_EQ(ev_.Variables().Find("v[3]"), nullptr);

  LoadVariable(ev_, profile_, "QLM", "Missing", "m$");
  LoadVariable(ev_, profile_, "QLM", "Missing", "m");
  EXPECT_EQ(ev_.Variables().Find("m$")->text, "");
  EXPECT_EQ(ev_.Variables().Find("m")->number, 0);
}

}  // namespace
}  // namespace qlm
