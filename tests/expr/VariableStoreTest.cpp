#include "expr/VariableStore.h"

#include <gtest/gtest.h>

#include <map>

#include "expr/ExpandArgument.h"
#include "expr/SystemVariables.h"

namespace qlm {
namespace {

// Every store behaviour holds with and without the name index.
class VariableStoreTest : public testing::TestWithParam<bool> {
 protected:
  VariableStoreTest() { store.UseNameIndex(GetParam()); }
  VariableStore store;
};

INSTANTIATE_TEST_SUITE_P(Lookup, VariableStoreTest, testing::Bool());

TEST_P(VariableStoreTest, NamesAreCaseSensitiveAndRecordsKeepOrder) {
  EXPECT_FALSE(store.SetNumber("a", 1));
  EXPECT_FALSE(store.SetNumber("A", 2));
  EXPECT_TRUE(store.SetNumber("a", 3));
  ASSERT_EQ(store.Size(), 2u);
  EXPECT_EQ(store.At(0).name, "a");
  EXPECT_EQ(store.At(1).name, "A");
  double value = 0;
  ASSERT_TRUE(store.GetNumber("A", value));
  EXPECT_EQ(value, 2);
  EXPECT_EQ(store.FindIgnoreCase("A")->number, 3);  // first match in store order
  EXPECT_EQ(store.FindIgnoreCase("b"), nullptr);

  // Switching the index on or off later keeps first-match answers.
  store.UseNameIndex(!GetParam());
  EXPECT_EQ(store.FindIgnoreCase("A")->number, 3);
  EXPECT_EQ(store.Find("A")->number, 2);
  EXPECT_FALSE(store.SetNumber("b", 5));
  EXPECT_EQ(store.FindIgnoreCase("B")->number, 5);
}

TEST_P(VariableStoreTest, SettersReplaceOnlyTheirOwnField) {
  store.SetNumber("v", 4);
  EXPECT_TRUE(store.SetText("v", "four"));
  EXPECT_EQ(store.Find("v")->number, 4);
  EXPECT_EQ(store.Find("v")->text, "four");

  store.SetText("s$", "text");
  double value = 0;
  ASSERT_TRUE(store.GetNumber("s$", value));
  EXPECT_EQ(value, TextMarker);
  EXPECT_TRUE(store.SetNumber("s$", 9));
  EXPECT_EQ(store.Find("s$")->text, "text");

  double untouched = 42;
  EXPECT_FALSE(store.GetNumber("missing", untouched));
  EXPECT_EQ(untouched, 42);
  std::string text = "old";
  EXPECT_FALSE(store.GetText("missing$", text));
  EXPECT_EQ(text, "");
}

TEST_P(VariableStoreTest, NormalizeName) {
  store.SetNumber("i", 3);
  store.SetNumber("n", 0);
  store.SetNumber("1.9", 5);  // a variable name wins over the literal reading
  struct {
    const char* name;
    const char* canonical;
  } cases[] = {
      {"a[i]", "a[3]"},   {"a[1.9]", "a[5]"}, {"a[2.7]", "a[2]"}, {"a[-1.5]", "a[-1]"},
      {"t$[n]", "t$[0]"}, {"t$[k]", "t$[0]"}, {"t[2]$", "t$[2]"}, {"a[3]xyz", "a[3]"},
      {"plain", "plain"}, {"a]b[", "a]b["},   {"a[1", "a[1"},     {"x$y[i]", "x$y[3]"},
      {"[4]", "[4]"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(store.NormalizeName(c.name), c.canonical) << c.name;

  store.SetNumber("a[2]", 8);
  store.SetNumber("k", 2);
  double value = 0;
  ASSERT_TRUE(store.GetNumber("a[k]", value));
  EXPECT_EQ(value, 8);
  ASSERT_TRUE(store.GetNumber("a[2.7]", value));
  EXPECT_EQ(value, 8);
}

TEST(ExpandArgument, ResolvesExistingStringVariablesOnly) {
  VariableStore store;
  store.SetText("name$", "Logo");
  store.SetText("n$[2]", "second");
  store.SetNumber("i", 2);
  struct {
    const char* argument;
    const char* expanded;
  } cases[] = {
      {" name$ ", "Logo"},
      {"n$[i]", "second"},
      {"other$", "other$"},
      {"$name", "$name"},
      {"Hello name$", "Hello name$"},
      {" plain ", " plain "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExpandArgument(store, c.argument), c.expanded);
}

class FakeBound : public BoundTextObject, public BoundTextObjectFinder {
 public:
  explicit FakeBound(const VariableStore& store) : store_(store) {}
  BoundTextObject* FindBoundObject(const std::string& name) override {
    return name == "CBK_Hour" || name == "CBK_PageName" ? this : nullptr;
  }
  void SetText(const std::string& text) override {
    shown = text;
    storeSizeWhenShown = store_.Size();
  }
  void RepaintRect() override { ++repaints; }

  std::string shown;
  size_t storeSizeWhenShown = 0;
  int repaints = 0;

 private:
  const VariableStore& store_;
};

TEST(PublishSystemVariable, StoresFirstThenShowsBoundText) {
  VariableStore store;
  FakeBound bound(store);
  PublishSystemVariable(store, &bound, "CBK_Hour", 7.0, "7");
  EXPECT_EQ(store.Find("CBK_Hour")->number, 7);
  EXPECT_EQ(bound.shown, "7");
  EXPECT_EQ(bound.storeSizeWhenShown, 1u);
  EXPECT_EQ(bound.repaints, 1);

  PublishSystemVariable(store, &bound, "CBK_PageName", std::string("Intro"), "Intro");
  EXPECT_EQ(store.Find("CBK_PageName")->text, "Intro");
  EXPECT_EQ(store.Find("CBK_PageName")->number, TextMarker);
  EXPECT_EQ(bound.shown, "Intro");

  PublishSystemVariable(store, &bound, "CBK_Error", 5.0, "5");
  PublishSystemVariable(store, nullptr, "CBK_Minute", 3.0, "3");
  EXPECT_EQ(bound.repaints, 2);
  EXPECT_EQ(store.Size(), 4u);
}

// Every bound object by name, with the text it shows last.
class BoundByName : public BoundTextObjectFinder {
 public:
  class Shown : public BoundTextObject {
   public:
    void SetText(const std::string& value) override { text = value; }
    void RepaintRect() override {}
    std::string text;
  };
  BoundTextObject* FindBoundObject(const std::string& name) override { return &objects[name]; }
  std::map<std::string, Shown> objects;
};

TEST(PublishPageVariables, ShowsPageNameErrorAndProgram) {
  VariableStore store;
  store.SetNumber("CBK_Error", -3.7);
  BoundByName bound;
  PublishPageVariables(store, &bound, "Two", "demo.exe");
  EXPECT_EQ(store.Find("CBK_PageName")->text, "Two");
  EXPECT_EQ(store.Find("CBK_Error")->number, -3.7);
  EXPECT_EQ(store.Find("CBK_AppFileName")->text, "demo.exe");
  EXPECT_EQ(bound.objects["CBK_PageName"].text, "Two");
  EXPECT_EQ(bound.objects["CBK_Error"].text, "-3");
  EXPECT_EQ(bound.objects["CBK_AppFileName"].text, "demo.exe");
}

}  // namespace
}  // namespace qlm
