#include "expr/ProfileVariables.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "ExprFakes.h"
#include "expr/ExpressionEvaluator.h"
#include "platform/host/IniProfileStore.h"

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

// The same round trip through the real profile file, read back by a second store as a later
// run of the player would: integer truncation, texts with line breaks and element names.
TEST(ProfileVariablesFileTest, SurvivesARestartThroughTheIniFile) {
  std::string templ = (std::filesystem::temp_directory_path() / "qlm-profile-XXXXXX").string();
  ASSERT_NE(mkdtemp(templ.data()), nullptr);
  const std::filesystem::path dir = templ;
  {
    ExpressionEvaluator ev;
    IniProfileStore store(dir);
    ev.SetNumber("score", -2.75);
    ev.SetText("note$", "line one\r\nline two = \\ ok");
    ev.SetNumber("i", 3);
    ev.SetText("names$[3]", "third");
    SaveVariable(ev, store, "Quiz", "Best", "score");
    SaveVariable(ev, store, "Quiz", "Note", "note$");
    SaveVariable(ev, store, "Quiz", "", "names$[i]");
  }
  ExpressionEvaluator ev;
  IniProfileStore store(dir);
  ev.SetNumber("k", 5);
  LoadVariable(ev, store, "QUIZ", "best", "score");
  LoadVariable(ev, store, "Quiz", "Note", "note$");
  LoadVariable(ev, store, "Quiz", "Default", "list$[k]");
  double score = 0;
  std::string note, element;
  ASSERT_TRUE(ev.GetNumber("score", score));
  EXPECT_EQ(score, -2);
  ev.GetText("note$", note);
  EXPECT_EQ(note, "line one\r\nline two = \\ ok");
  ASSERT_TRUE(ev.GetText("list$[5]", element));
  EXPECT_EQ(element, "third");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qlm
