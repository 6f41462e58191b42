#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "platform/host/HostLibraries.h"
#include "player/InputFixture.h"

namespace qlm::test {
namespace {

constexpr IntRect kPlugRect{10, 10, 60, 50};

ObjectRecord PlugIn(const std::string& name, const std::string& file, IntRect rect = kPlugRect) {
  ObjectRecord o = Object(kObjPlugIn, name, rect, "Clicked = Clicked + 1");
  o.text = file;
  o.values[1] = 255;  // fill: red
  o.values[6] = 255;  // frame: blue
  return o;
}

// A player whose plug-ins come from C:\App of a fresh folder, set up before the first page.
class PluginPlayer {
 public:
  explicit PluginPlayer(std::vector<ObjectRecord> objects)
      : root(TestFolder()), files_(root), context{loop, display,    dialogs, profile_, files_,
                                                  {},   CodePage(), nullptr, 7u} {
    context.libraries = &libraries_;
    window = std::make_unique<PlayerWindow>(context);
    window->SetPluginFolders({"C:\\App"});
    loop.SetHandler(window.get());
    Project p = Pages({"One"});
    p.pages[0].objects = std::move(objects);
    project = std::move(p);
  }
  ~PluginPlayer() { loop.SetHandler(nullptr); }

  void Start() {
    ASSERT_TRUE(window->OpenProject(std::move(project)));
    window->Initialize();
    loop.Run(20);
    window->Paint();
  }
  void Mouse(MouseAction action, int x, int y) {
    loop.PostInput(MouseEvent{action, x, y, {}});
    loop.Pump();
    window->Paint();
  }
  PluginHost* Host(const std::string& name) {
    ObjectRecord* o = window->Pages().FindObjectByQualifiedName(name);
    return o ? window->PluginHostOf(*o) : nullptr;
  }
  double Number(const std::string& name) {
    double v = 0;
    window->Variables().GetNumber(name, v);
    return v;
  }
  std::string Text(const std::string& name) {
    std::string v;
    window->Variables().GetText(name, v);
    return v;
  }
  uint32_t Pixel(int x, int y) const { return window->Frame().Pixel(x, y); }

  std::filesystem::path root;
  InputLoop loop;
  InputDisplay display;
  RecordingDialogs dialogs;
  Project project;

 private:
  NoProfile profile_;
  RootedFiles files_;
  HostLibraries libraries_;

 public:
  PlayerContext context;
  std::unique_ptr<PlayerWindow> window;
};

TEST(PluginWindow, ObjectPluginDrawsItsRectangleAndGetsClicks) {
  PluginPlayer p({PlugIn("Plug", "ObjectDemo.dll")});
  CallLog log(Install(p.root, "libObjectDemo.so", "App/libObjectDemo.so"));
  p.Start();
  ASSERT_NE(p.Host("Plug"), nullptr);
  EXPECT_TRUE(p.Host("Plug")->Loaded());
  EXPECT_EQ(p.Pixel(10, 10), 0x0000FFu);
  EXPECT_EQ(p.Pixel(30, 30), 0xFF0000u);
  EXPECT_EQ(p.Pixel(59, 49), 0x0000FFu);
  EXPECT_EQ(p.Pixel(60, 30), 0xFFFFFFu);  // the white page beside it

  log.Clear();
  // Capture level 1: buttons reach it, moves do not; the object's own click script still runs.
  p.Mouse(MouseAction::kMove, 20, 25);
  p.Mouse(MouseAction::kLeftDown, 20, 25);
  p.Mouse(MouseAction::kLeftUp, 20, 25);
  p.Mouse(MouseAction::kRightDown, 21, 26);
  p.Mouse(MouseAction::kRightUp, 21, 26);
  const std::string text = log.Text();
  EXPECT_NE(text.find("MouseDown(10,15);"), std::string::npos) << text;
  EXPECT_NE(text.find("MouseUp(10,15);"), std::string::npos) << text;
  EXPECT_NE(text.find("RMouseDown(11,16);"), std::string::npos) << text;
  EXPECT_NE(text.find("RMouseUp(11,16);"), std::string::npos) << text;
  EXPECT_EQ(text.find("MouseMove"), std::string::npos) << text;
  EXPECT_EQ(p.Number("Clicked"), 1);
  // The press was repainted: the plug-in marks it white.
  EXPECT_EQ(p.Pixel(20, 25), 0xFFFFFFu);
}

TEST(PluginWindow, FunctionPluginWithMoveCaptureGetsMoves) {
  PluginPlayer p({PlugIn("Func", "FuncDemo.dll")});
  CallLog log(Install(p.root, "FuncDemo.so", "App/Plugins/FuncDemo.so"));
  p.Start();
  EXPECT_NE(log.Text().find("Draw(10,10,50,40,50x40);"), std::string::npos) << log.Text();
  log.Clear();
  p.Mouse(MouseAction::kMove, 15, 12);
  p.Mouse(MouseAction::kMove, 100, 100);  // off the object: nothing
  EXPECT_NE(log.Text().find("MouseMove(5,2);"), std::string::npos) << log.Text();
  EXPECT_EQ(log.Text().find("MouseMove(90"), std::string::npos) << log.Text();
}

TEST(PluginWindow, MissingLibraryIsDrawnAsCantFind) {
  PluginPlayer p({PlugIn("Plug", "<SrcDir>Nowhere.dll")});
  p.Start();
  ASSERT_NE(p.Host("Plug"), nullptr);
  EXPECT_FALSE(p.Host("Plug")->Loaded());
  // The failure text is drawn in black inside the rectangle; nothing else is there.
  int dark = 0;
  for (int y = kPlugRect.top; y < kPlugRect.bottom; ++y)
    for (int x = kPlugRect.left; x < kPlugRect.right; ++x)
      dark += p.Pixel(x, y) == 0 ? 1 : 0;
  EXPECT_GT(dark, 10);
  // Clicks and script commands reach no plug-in and do no harm; the click script runs.
  p.Mouse(MouseAction::kLeftDown, 20, 20);
  p.Mouse(MouseAction::kLeftUp, 20, 20);
  p.window->RunScriptText("N = 5\r\nPluginSet(\"Plug\",\"N\")\r\nPluginGet(\"Plug\",\"N\")");
  EXPECT_EQ(p.Number("N"), 5);
  EXPECT_EQ(p.Number("Clicked"), 1);
}

TEST(PluginWindow, ScriptsExchangeNumbersTextsAndFiles) {
  PluginPlayer p({PlugIn("Plug", "ObjectDemo.dll"), PlugIn("Func", "FuncDemo.dll")});
  CallLog log(Install(p.root, "libObjectDemo.so", "App/libObjectDemo.so"));
  Install(p.root, "FuncDemo.so", "App/FuncDemo.so");
  p.Start();
  log.Clear();
  p.window->RunScriptText(
      "N = 7.9\r\n"
      "PluginSet(\"Plug\",\"N\")\r\n"
      "PluginGet(\"Plug\",\"M\")\r\n"
      "F$ = 'C:\\x.txt'\r\n"
      "PluginSet(\"Plug\",\"F$\")\r\n"
      "PluginGet(\"Plug\",\"G$\")\r\n"
      "PluginRun(\"Plug\",\"Ping\")\r\n"
      "PluginRun(\"Plug\",\"NoSuchExport\")\r\n"
      "PluginRun(\"Nobody\",\"Ping\")\r\n"
      "PluginGet(\"Plug\",\"<File>\")\r\n"
      "K = 5\r\n"
      "PluginSet(\"Func\",\"K\")\r\n"
      "PluginRun(\"Func\",\"Double\")\r\n"
      "PluginGet(\"Func\",\"Twice\")");
  EXPECT_EQ(p.Number("M"), 7);
  EXPECT_EQ(p.Text("G$"), "C:\\x.txt");
  EXPECT_EQ(p.window->FileText(), "C:\\x.txt");
  EXPECT_EQ(p.Number("Twice"), 10);
  // The resolved second argument is also called as an export after Set and Get: the object
  // plug-in exports neither "7" nor "M", so only Ping runs, once.
  EXPECT_EQ(log.Text(), "SetData(7);GetData();SetFile(C:\\x.txt);GetFile();Ping();GetFile();");
}

// The C++ example of the author's guide, built in each calling style.
struct SliderCase {
  const char* library;
  bool objectStyle;
  uint32_t bar, background;  // object style takes its colours from SetParamA and SetParamB
};

class SliderPlugin : public ::testing::TestWithParam<SliderCase> {};

TEST_P(SliderPlugin, WorksThroughThePlayer) {
  const SliderCase& c = GetParam();
  ObjectRecord slider = PlugIn("Slider", "C:\\Show\\Slider.dll");
  slider.strings[4] = "40";  // the string parameter: the start value
  PluginPlayer p({slider});
  CallLog library(Install(p.root, c.library, std::string("App/Plugins/Slider.so")));
  p.Start();
  PluginHost* host = p.Host("Slider");
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(host->Loaded()) << host->LastError();
  EXPECT_EQ(host->ObjectStyle(), c.objectStyle);
  EXPECT_EQ(host->MouseCapture(), 2);
  // The bar covers 40% of the 50 pixels from the left edge.
  auto bar = [&](int from, int to) {
    for (int x = kPlugRect.left; x < kPlugRect.right; ++x) {
      for (int y : {kPlugRect.top, kPlugRect.bottom - 1}) {
        const bool in = x - kPlugRect.left >= from && x - kPlugRect.left < to;
        if (p.Pixel(x, y) != (in ? c.bar : c.background))
          return testing::AssertionFailure() << "pixel " << x << "," << y;
      }
    }
    return testing::AssertionSuccess();
  };
  EXPECT_TRUE(bar(0, 20));

  // Pressed at 25 (of 50), dragged to 35, released: the value follows the pointer.
  p.Mouse(MouseAction::kLeftDown, kPlugRect.left + 25, 30);
  EXPECT_TRUE(bar(0, 25));
  p.Mouse(MouseAction::kMove, kPlugRect.left + 35, 30);
  p.Mouse(MouseAction::kLeftUp, kPlugRect.left + 35, 30);
  EXPECT_TRUE(bar(0, 35));
  EXPECT_EQ(p.Number("Clicked"), 1);
  p.window->RunScriptText(
      "PluginGet(\"Slider\",\"V\")\r\n"
      "Caption$ = 'Volume'\r\n"
      "PluginSet(\"Slider\",\"Caption$\")\r\n"
      "PluginGet(\"Slider\",\"Back$\")");
  EXPECT_EQ(p.Number("V"), 70);
  EXPECT_EQ(p.Text("Back$"), "Volume");
  // A right click goes back to 0; the export Center sets 50.
  p.Mouse(MouseAction::kRightDown, kPlugRect.left + 5, 30);
  p.Mouse(MouseAction::kRightUp, kPlugRect.left + 5, 30);
  EXPECT_TRUE(bar(0, 0));
  p.window->RunScriptText(
      "N = 10\r\nPluginSet(\"Slider\",\"N\")\r\n"
      "PluginRun(\"Slider\",\"Center\")\r\nPluginGet(\"Slider\",\"V\")");
  EXPECT_EQ(p.Number("V"), 50);
  p.window->Paint();
  EXPECT_TRUE(bar(0, 25));

  // Closing the player destroys an object-style slider through slot 21.
  auto count = reinterpret_cast<int32_t (*)()>(library.Symbol("SliderCount"));
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count(), 1);
  p.loop.SetHandler(nullptr);
  p.window.reset();
  EXPECT_EQ(count(), c.objectStyle ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(BothStyles, SliderPlugin,
                         ::testing::Values(SliderCase{"Slider.so", true, 0xFF0000, 0x0000FF},
                                           SliderCase{"SliderFn.so", false, 0x000080, 0xC0C0C0}),
                         [](const auto& test) {
                           return std::string(test.param.objectStyle ? "Object" : "Function");
                         });

}  // namespace
}  // namespace qlm::test
