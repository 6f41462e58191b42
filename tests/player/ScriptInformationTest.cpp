// What the player window tells the built-in functions: the machine's figures, objects' stored
// fields and the object whose script runs; and the fonts scripts install.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "player/InputFixture.h"

namespace qlm::test {
namespace {

std::string Text(PlayerWindow& window, const std::string& name) {
  std::string text;
  window.Variables().GetText(name, text);
  return text;
}

class FixedSystem : public SystemInformationSource {
 public:
  SystemInformation Read() const override { return info; }
  SystemInformation info;
};

TEST(ScriptInformation, MachineFiguresComeFromThePlatform) {
  InputPlayer p(Pages({"One"}));
  p.window->RunScriptText("m$=getmemory()\r\nv$=winver()\r\nf=procfreq()\r\nt$=proctype()");
  // Without a source the figures read as zeros, not as garbage.
  EXPECT_EQ(Text(*p.window, "m$"), "0/0");
  EXPECT_EQ(Text(*p.window, "v$"), "0.00.0000");

  FixedSystem system;
  system.info.osMajor = 6;
  system.info.osMinor = 1;
  system.info.osBuild = 55;
  system.info.totalMemoryBytes = (uint64_t{16} << 30) + 12345;
  system.info.availableMemoryBytes = uint64_t{2500} << 20;
  system.info.processorClock = 2300;
  system.info.processorName = "Test CPU";
  p.context.system = &system;
  p.window->RunScriptText("m$=getmemory()\r\nv$=winver()\r\nf=procfreq()\r\nt$=proctype()");
  EXPECT_EQ(Text(*p.window, "m$"), "16384/2500");
  EXPECT_EQ(Text(*p.window, "v$"), "6.01.0055");
  EXPECT_EQ(p.Number("f"), 2300);
  EXPECT_EQ(Text(*p.window, "t$"), "Test CPU");
  // Available memory is read anew at each call.
  system.info.availableMemoryBytes = uint64_t{100} << 20;
  p.window->RunScriptText("m$=getmemory()");
  EXPECT_EQ(Text(*p.window, "m$"), "16384/100");
}

TEST(ScriptInformation, ImageOpacityIsTheStoredRatioTimes100Truncated) {
  struct Case {
    int32_t kind;
    double ratio;
    double expected;
  } cases[] = {
      {kObjImage, 0.5, 50},  {kObjImage, 0.29, 28},  // 28.999...: truncated
      {kObjImage, 1.0, 100}, {kObjImage, 0.999, 99}, {kObjImage, 0.0, 0},
      {kObjText, 0.5, 0},    {kObjImage, NAN, 0},
  };
  for (const Case& c : cases) {
    Project project = Pages({"One"});
    ObjectRecord pic = Object(c.kind, "Pic", {10, 10, 50, 50});
    pic.ratio = c.ratio;
    project.pages[0].objects.push_back(std::move(pic));
    InputPlayer p(std::move(project));
    p.window->RunScriptText("o=getimageopacity(Pic)\r\nn=getimageopacity(Nobody)");
    EXPECT_EQ(p.Number("o"), c.expected) << c.kind << " " << c.ratio;
    EXPECT_EQ(p.Number("n"), 0);
  }
}

TEST(ScriptInformation, CurrentObjectIsTheOwnerOfTheRunningScript) {
  Project project = Pages({"One"});
  project.pages[0].enterScript = CompileScript("onPage$=currentobject()");
  // Clicked directly, started by RunScript, by a script timer, and inside a For body.
  project.pages[0].objects.push_back(
      Object(kObjHotSpot, "Button", {10, 10, 50, 50},
             "clicked$=currentobject()\r\nRunScript(\"Worker\")\r\nafter$=currentobject()"));
  project.pages[0].objects.push_back(
      Object(kObjScript, "Worker", {60, 10, 70, 20},
             "worker$=currentobject()\r\nFor i=1 To 2\r\nlooped$=currentobject()\r\nNext i"));
  project.pages[0].objects.push_back(
      Object(kObjScript, "Ticker", {80, 10, 90, 20}, "ticked$=currentobject()"));
  InputPlayer p(std::move(project));
  EXPECT_EQ(Text(*p.window, "onPage$"), "One");
  p.Click(20, 20);
  EXPECT_EQ(Text(*p.window, "clicked$"), "Button");
  EXPECT_EQ(Text(*p.window, "worker$"), "Worker");
  EXPECT_EQ(Text(*p.window, "looped$"), "Worker");
  EXPECT_EQ(Text(*p.window, "after$"), "Button");
  p.window->RunScriptText("ScriptTimer(\"Ticker\",\"10\")\r\nalone$=currentobject()+'-'");
  EXPECT_EQ(Text(*p.window, "alone$"), "-");  // a script text of its own has no owner
  p.loop.Run(20);
  EXPECT_EQ(Text(*p.window, "ticked$"), "Ticker");
}

// A font file of the presentation is handed to the font library as the file the player opened
// (a "/proc/self/fd/N" name, which has no extension): it installs, and one that is no font
// reports its error box.
TEST(ScriptInformation, InstallFontTakesTheOpenedFile) {
  InputPlayer p(Pages({"One"}));
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path root = std::filesystem::path(QLM_BINARY_DIR) / "input-test" /
                                     test->test_suite_name() / test->name() / "input";
  std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", root / "fancy.ttf");
  std::ofstream(root / "junk.ttf") << "no font";
  p.window->RunScriptText("InstallFont(\"C:\\fancy.ttf\")");
  EXPECT_TRUE(p.dialogs.boxes.empty());
  p.window->RunScriptText("InstallFont(\"C:\\junk.ttf\")");
  ASSERT_EQ(p.dialogs.boxes.size(), 1u);
  EXPECT_EQ(p.dialogs.boxes[0].text, "Error, Cannot create Font resource \nC:\\junk.ttf");
}

}  // namespace
}  // namespace qlm::test
