#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestScriptHost.h"
#include "graphics/ImageCodec.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

Project TwoPages() {
  Project project;
  project.pages.push_back(MakePage("A"));
  project.pages.push_back(MakePage("B"));
  project.pages[0].objects = {MakeObject("R", {0, 0, 10, 10})};
  return project;
}

TEST(CreateCommandsTest, ShapesNamesAndPieces) {
  struct Case {
    const char* line;
    const char* name;  // the name the result variable N$ receives
    int32_t kind;
    IntRect rect;
    uint32_t colour1;
    const char* text;
  } cases[] = {
      {"CreateRectangle(\"Box\",\"N$,10,20,-5,30,300,-1,128\")",
       "Box",
       kObjRectangle,
       {5, 20, 10, 50},
       0x8000FF,
       ""},
      {"CreateCircle(\"R\",\"N$,1,2,3,4,0,255,0\")", "R1", kObjCircle, {1, 2, 4, 6}, 0x00FF00, ""},
      {"CreateHotSpot(\"\",\"N$,1,2\")", "HotSpot1", kObjHotSpot, {1, 2, 51, 52}, 0xFFFFFF, ""},
      {"CreateHotSpot(\"\",\"N$,1,2,,7\")", "HotSpot1", kObjHotSpot, {1, 2, 51, 9}, 0xFFFFFF, ""},
      {"CreateLine(\"\",\"N$,5,5,10,0,1,2,3\")", "Line1", kObjLine, {5, 5, 15, 5}, 0x030201, ""},
      {"CreateText(\"T\",\"N$,5,6,Hello\")", "T", kObjText, {5, 6, 5, 6}, 0, "Hello"},
      {"CreateText(\"T\",\"N$,5,6,Name$\")", "T", kObjText, {5, 6, 5, 6}, 0, "Ann"},
      {"CreateText(\"\",\"N$\")", "Text1", kObjText, {0, 0, 0, 0}, 0, "Text"},
      {"CreateTextButton(\"\",\"N$,0,0\")",
       "TextBTN1",
       kObjTextButton,
       {0, 0, 80, 25},
       0xC0C0C0,
       "Button"},
      {"CreateParagraph(\"P\",\"N$,10,10,-10,,Words\")",
       "P",
       kObjParagraph,
       {0, 10, 10, 90},
       0,
       "Words"},
      {"CreateScript(\"\",\"N$,5,5,5,5\")",
       "Script1",
       kObjScript,
       {0, 0, 0, 0},
       0xFFFFFF,
       "Any comments here"},
  };
  for (const Case& c : cases) {
    TestScriptHost host(TwoPages());
    host.ShowPage();
    host.evaluator.SetText("Name$", "Ann");
    host.invalidated.clear();
    EXPECT_TRUE(host.Run(c.line));
    const auto& objects = host.pages.CurrentPage()->objects;
    ASSERT_EQ(objects.size(), 2u) << c.line;
    const ObjectRecord& o = objects[1];
    std::string name;
    host.evaluator.GetText("N$", name);
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(o.name, c.name) << c.line;
    EXPECT_EQ(o.typeCode, c.kind) << c.line;
    EXPECT_EQ(o.rect, c.rect) << c.line;
    EXPECT_EQ(o.colours[1], c.colour1) << c.line;
    EXPECT_EQ(o.text, c.text) << c.line;
    EXPECT_EQ(host.invalidated.size(), 1u) << c.line;
  }
}

TEST(CreateCommandsTest, LinesGoingUpAndOtherPages) {
  TestScriptHost host(TwoPages());
  host.ShowPage();
  EXPECT_TRUE(
      host.Run("CreateLineAB(\"\",\"N$,0,100,100,0\")\n"
               "CreateLineAB(\"\",\"M$,100,100,0,0\")\n"
               "CreateRectangle(\"B::Box\",\"\")\nCreateRectangle(\"B::Box\",\"\")\n"
               "CreateRectangle(\"Nowhere::Box\",\"\")"));
  const auto& a = host.pages.Pages()[0].objects;
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[1].rect, (IntRect{0, 0, 100, 100}));
  EXPECT_EQ(a[1].values[2], 1u);  // drawn from the bottom-left corner up
  EXPECT_EQ(a[2].name, "Line2");
  EXPECT_EQ(a[2].rect, (IntRect{0, 0, 100, 100}));
  EXPECT_EQ(a[2].values[2], 0u);
  const auto& b = host.pages.Pages()[1].objects;
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0].name, "Box");
  EXPECT_EQ(b[1].name, "Box1");
}

// Free names come from an index kept between commands; deletes, reorders and objects of another
// page must not leave it answering a taken name or skipping a free one.
TEST(CreateCommandsTest, FreeNamesAfterDeletesAndReorders) {
  struct Case {
    std::vector<std::string> scripts;  // run one after another, the loop turning in between
    std::vector<std::string> names;    // page A after the scripts
  } cases[] = {
      {{"CreateRectangle(\"R\",\"\")\nCreateRectangle(\"R\",\"\")\nCreateRectangle(\"\",\"\")"},
       {"R", "R1", "R2", "Rectangle1"}},
      {{"CreateRectangle(\"R\",\"\")\nCreateRectangle(\"R\",\"\")", "DeleteObject(\"R1\")",
        "CreateRectangle(\"R\",\"\")"},
       {"R", "R2", "R1"}},
      {{"CreateRectangle(\"R\",\"\")\nCreateRectangle(\"R\",\"\")",
        "ReorderObject(\"R2\",\"BACK\")", "CreateRectangle(\"R\",\"\")"},
       {"R2", "R", "R1", "R3"}},
      {{"CreateRectangle(\"R\",\"\")", "DeleteObject(\"R\")", "DeleteObject(\"R1\")",
        "CreateRectangle(\"R\",\"\")\nCreateRectangle(\"R\",\"\")"},
       {"R", "R1"}},
      {{"CreateRectangle(\"R1\",\"\")\nCreateRectangle(\"R\",\"\")\nCreateRectangle(\"R\",\"\")"},
       {"R", "R1", "R2", "R3"}},
      {{"CreateRectangle(\"B::R\",\"\")\nCreateRectangle(\"R\",\"\")\nCreateRectangle(\"B::R\","
        "\"\")"},
       {"R", "R1"}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(TwoPages());
    host.ShowPage();
    for (const std::string& script : c.scripts) {
      EXPECT_TRUE(host.Run(script)) << script;
      host.loop.Advance(0);  // deletions happen once the script has returned
    }
    std::vector<std::string> names;
    for (const ObjectRecord& o : host.pages.Pages()[0].objects)
      names.push_back(o.name);
    EXPECT_EQ(names, c.names) << c.scripts.back();
  }
}

ObjectRecord Kind(const std::string& name, int32_t kind) {
  ObjectRecord o = MakeObject(name);
  o.typeCode = kind;
  return o;
}

TEST(ObjectParamTest, KeywordsByKind) {
  struct Case {
    int32_t kind;
    const char* param;
    bool changes;
  } cases[] = {
      {kObjRectangle, "BGCOLOR=255,0,16", true},
      {kObjText, "BGCOLOR=255,0,16", false},
      {kObjText, "TEXTCOLOR=255,0,16", true},
      {kObjRectangle, "bgcolor=255,0,16", false},
      {kObjRectangle, "BGCOLOR =255,0,16", false},
      {kObjRectangle, "BORDERTYPE=SUNKEN", true},
      {kObjText, "BORDERTYPE=SUNKEN", false},
      {kObjRectangle, "BORDERTYPE=WAVY", false},
      {kObjInputField, "PASSWORD=TRUE", true},
      {kObjRectangle, "PASSWORD=TRUE", false},
      {kObjText, "FONTSIZE=24", true},
      {kObjRectangle, "FONTSIZE=24", false},
      {kObjText, "FONTSTYLE=BOLD", true},
      {kObjText, "FONTSTYLE=UNDERLINE", false},
      {kObjScript, "MOUSEUPSCRIPT=x=1", false},
      {kObjButton, "MOUSEDOWNSCRIPT=x=1", true},
  };
  for (const Case& c : cases) {
    Project project = TwoPages();
    project.pages[0].objects = {Kind("O", c.kind)};
    TestScriptHost host(std::move(project));
    host.ShowPage();
    const ObjectRecord before = host.pages.CurrentPage()->objects[0];
    host.invalidated.clear();
    EXPECT_TRUE(host.Run("SetObjectParam(\"O\",\"" + std::string(c.param) + "\")"));
    const ObjectRecord& after = host.pages.CurrentPage()->objects[0];
    EXPECT_EQ(!(after == before), c.changes) << c.kind << " " << c.param;
    EXPECT_EQ(host.invalidated.size(), c.changes ? 1u : 0u) << c.kind << " " << c.param;
  }
}

TEST(ObjectParamTest, ValuesLandInTheirFields) {
  Project project = TwoPages();
  project.pages[0].objects = {Kind("Rect", kObjRectangle), Kind("Label", kObjText),
                              Kind("Field", kObjInputField), Kind("Btn", kObjTextButton)};
  TestScriptHost host(std::move(project));
  host.ShowPage();
  host.evaluator.SetText("CBK_SelColor", "1,2,3");
  host.evaluator.SetText("CBK_Font", "Courier New,9,BOLDITALIC|STRIKEUNDER|");
  EXPECT_TRUE(
      host.Run("SetObjectParam(\"Rect\",\"BGCOLOR=CBK_SelColor\")\n"
               "SetObjectParam(\"Rect\",\"BORDERCOLOR=300,128,-4\")\n"
               "SetObjectParam(\"Rect\",\"BORDERTYPE=NONE\")\n"
               "SetObjectParam(\"Label\",\"FONT=CBK_Font\")\n"
               "SetObjectParam(\"Field\",\"FONT=Arial,12,REGULAR|UNDERLINE|\")\n"
               "SetObjectParam(\"Field\",\"FONTNAME=Times New Roman\")\n"
               "SetObjectParam(\"Field\",\"BG=true\")\n"
               "SetObjectParam(\"Btn\",\"FONTSCRIPT=161\")"));
  const auto& o = host.pages.CurrentPage()->objects;
  EXPECT_EQ(o[0].colours[1], 0x030201u);
  EXPECT_EQ(o[0].colours[2], 0x0080FFu);
  EXPECT_EQ(o[0].values[1], 3u);
  EXPECT_EQ(o[1].font.faceName, "Courier New");
  EXPECT_EQ(o[1].font.height, -12);
  EXPECT_EQ(o[1].font.weight, 700);
  EXPECT_EQ(o[1].font.italic, 1);
  EXPECT_EQ(o[1].font.underline, 1);
  EXPECT_EQ(o[1].font.strikeOut, 1);
  EXPECT_EQ(o[2].font.faceName, "Times New Roman");
  EXPECT_EQ(o[2].font.height, -16);
  EXPECT_EQ(o[2].font.weight, 400);
  EXPECT_EQ(o[2].font.underline, 1);
  EXPECT_TRUE(o[2].optionFlags[3]);
  EXPECT_EQ(o[3].font.charSet, 161);
  EXPECT_EQ(o[3].values[1], 1u);  // the button now draws with its own font
}

TEST(ObjectParamTest, ReplacingTheRunningScriptEndsTheRun) {
  Project project = TwoPages();
  project.pages[0].objects = {
      MakeObject("Runner", {}, "SetObjectParam(\"Runner\",\"SCRIPT=x=5\")\ny=1")};
  TestScriptHost host(std::move(project));
  host.ShowPage();
  EXPECT_TRUE(host.Run("RunScript(\"Runner\")\nz=1"));
  EXPECT_EQ(host.Number("y"), 0);
  EXPECT_EQ(host.Number("z"), 1);
  EXPECT_TRUE(host.Run("RunScript(\"Runner\")"));
  EXPECT_EQ(host.Number("x"), 5);
}

TEST(ProjectParamTest, Backgrounds) {
  const Image24 picture{3, 2, std::vector<uint8_t>(18, 0x40)};
  const std::vector<uint8_t> png = EncodePng(picture);
  TestScriptHost host(TwoPages());
  host.ShowPage();
  host.files["C:\\pics\\bg.png"] = std::string(png.begin(), png.end());
  host.files["C:\\pics\\bad.png"] = "not a picture";
  host.evaluator.SetText("Pic$", " C:\\pics\\bg.png ");
  EXPECT_TRUE(
      host.Run("SetProjectParam(\"PAGEBG\",\"COLOR=0,0,255\")\n"
               "SetProjectParam(\"PAGEBG\",\"DISPLAY=TILE\")\n"
               "SetProjectParam(\"MASTERPAGEBG\",\"IMAGE=Pic$\")\n"
               "SetProjectParam(\"FULLSCREENBG\",\"DISPLAY=STRETCH\")\n"
               "SetProjectParam(\"FULLSCREENBG\",\"IMAGE=C:\\pics\\bad.png\")\n"
               "SetProjectParam(\"ELSEWHERE\",\"COLOR=1,1,1\")"));
  const PageRecord& page = host.pages.Pages()[0];
  EXPECT_EQ(page.backgroundColour, 0xFF0000u);
  EXPECT_EQ(page.tileImage, 1u);
  EXPECT_EQ(host.pages.MasterPage().hasImage, 1u);
  EXPECT_EQ(host.pages.MasterPage().image.image.width, 3u);
  const ProjectSettings& settings = host.pages.GetProject().settings;
  EXPECT_EQ(settings.backdropImageMode, 2u);
  EXPECT_TRUE(settings.backdropImage.image.Empty());
  EXPECT_TRUE(host.Run("SetProjectParam(\"PAGEBG\",\"DISPLAY=FROMMASTER\")"));
  EXPECT_EQ(page.useMasterBackground, 1u);
}

TEST(WindowCommandsTest, MinimizeRestoreRefreshAndPause) {
  Project project = TwoPages();
  project.pages[0].objects.push_back(MakeObject("Tick", {}, "ticks=ticks+1"));
  project.pages[0].objects.push_back(MakeObject("Away", {}, "Page(\"B\")"));
  TestScriptHost host(std::move(project));
  host.ShowPage();
  host.log.clear();
  EXPECT_TRUE(host.Run("Minimize()\nRestore()"));
  EXPECT_EQ(host.log, (std::vector<std::string>{"minimize", "restore"}));

  // Refresh repaints the run's changes so far and lets the window paint them.
  host.invalidated.clear();
  EXPECT_TRUE(host.Run("Hide(\"R\")\nRefresh(\"\")\nShow(\"R\")"));
  ASSERT_EQ(host.invalidated.size(), 2u);
  EXPECT_EQ(host.invalidated[0], (IntRect{-3, -3, 13, 13}));
  const int all = host.invalidatedAll;
  EXPECT_TRUE(host.Run("Refresh(\"forced\")"));
  EXPECT_EQ(host.invalidatedAll, all + 1);

  // Pause waits on the window's clock while timers run scripts.
  const uint64_t start = host.loop.TickCount();
  EXPECT_TRUE(host.Run("ScriptTimer(\"Tick\",\"200\")\nPause(\"250*2\")\ndone=1"));
  EXPECT_EQ(host.loop.TickCount() - start, 500u);
  EXPECT_EQ(host.Number("ticks"), 1);
  EXPECT_EQ(host.Number("done"), 1);

  // A page change during the wait ends the script.
  EXPECT_FALSE(host.Run("ScriptTimer(\"Away\",\"100\")\nPause(\"500\")\ndone=2"));
  EXPECT_EQ(host.CurrentName(), "B");
  EXPECT_EQ(host.Number("done"), 1);
}

}  // namespace
}  // namespace qlm
