#include "script/FindObject.h"

#include <gtest/gtest.h>

#include "TestScriptHost.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;

TEST(FindObjectTest, PrefixesAndIndexes) {
  Project project;
  project.pages.push_back(MakePage("Page 1"));
  project.pages[0].objects = {MakeObject("Logo"), MakeObject("Button3"), MakeObject("Button0"),
                              MakeObject("::Logo"), MakeObject("Cell[2]")};
  project.pages.push_back(MakePage("Page 2"));
  project.pages[1].objects = {MakeObject("Logo"), MakeObject("Only2")};
  project.masterPage.objects = {MakeObject("MP"), MakeObject("CBK_Time"), MakeObject("Logo")};
  project.masterLayer.objects = {MakeObject("ML"), MakeObject("CBK_Time")};
  CPageManager pages(std::move(project));
  ExpressionEvaluator evaluator;
  evaluator.SetNumber("i", 3);
  evaluator.SetNumber("k", 2.9);

  PageRecord* page1 = &pages.Pages()[0];
  PageRecord* page2 = &pages.Pages()[1];
  PageRecord* master = &pages.MasterPage();
  PageRecord* layer = &pages.MasterLayer();
  struct Case {
    const char* name;
    bool resolveIndex;
    PageRecord* page;  // null: not found
    const char* found;
  };
  const Case cases[] = {
      {"Logo", true, page1, "Logo"},
      {"Only2", true, nullptr, ""},  // other pages only with a prefix
      {"page 2::Only2", true, page2, "Only2"},
      {"PAGE 2::Logo", true, page2, "Logo"},
      {"Page 3::Logo", true, nullptr, ""},
      {"::Logo", true, page1, "::Logo"},  // "::" at the start is no prefix
      {"Master Page::MP", true, master, "MP"},
      {"xx Master Page::Logo", true, master, "Logo"},
      {"Master Layer::ML", true, layer, "ML"},
      {"Master Layer::MP", true, nullptr, ""},
      {"MP", true, nullptr, ""},  // masters only through their prefixes
      {"CBK_Time", true, layer, "CBK_Time"},
      {"Button[i]", true, page1, "Button3"},
      {"Button[3]", true, page1, "Button3"},
      {"Button[k]", true, nullptr, ""},  // Button2: integer part of 2.9
      {"Button[unknown]", true, page1, "Button0"},
      {"Button[i]", false, nullptr, ""},
      {"Cell[2]", false, page1, "Cell[2]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.resolveIndex ? "" : " unresolved"));
    const ObjectTarget target = FindObject(pages, evaluator.Variables(), c.name, c.resolveIndex);
    EXPECT_EQ(target.page, c.page);
    EXPECT_EQ(target.object ? target.object->name : "", c.found);
  }
  EXPECT_EQ(ResolveObjectIndex(evaluator.Variables(), "Pic[k]tail"), "Pic2");
  EXPECT_EQ(FindPrefixPage(pages, "page 2::x"), page2);
  EXPECT_EQ(FindPrefixPage(pages, "master layer::x"), layer);
  EXPECT_EQ(FindPrefixPage(pages, "::x"), nullptr);
}

}  // namespace
}  // namespace qlm
