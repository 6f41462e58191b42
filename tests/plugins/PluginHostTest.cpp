#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "graphics/Canvas.h"
#include "graphics/Surface.h"
#include "platform/host/HostLibraries.h"
#include "plugins/PluginFileName.h"
#include "plugins/PluginHost.h"
#include "plugins/TransitionPlugin.h"

namespace qlm::test {
namespace {

TEST(PluginPaths, ThreePlacesInOrder) {
  EXPECT_EQ(PluginPathCandidates("Lib\\Clock.dll", "C:\\App"),
            (std::vector<std::string>{"Lib\\Clock.dll", "C:\\App\\Clock.dll",
                                      "C:\\App\\Plugins\\Clock.dll"}));
  EXPECT_EQ(PluginPathCandidates("Clock.dll", "C:\\App"),
            (std::vector<std::string>{"C:\\App\\Clock.dll", "C:\\App\\Clock.dll",
                                      "C:\\App\\Plugins\\Clock.dll"}));
}

TEST(PluginPaths, DllNamesMapToSharedObjects) {
  EXPECT_EQ(PluginFileNames("C:\\App\\Clock.DLL"),
            (std::vector<std::string>{"C:\\App\\Clock.so", "C:\\App\\libClock.so",
                                      "C:\\App\\Clock.DLL"}));
  EXPECT_EQ(
      PluginFileNames("C:\\App\\clock"),
      (std::vector<std::string>{"C:\\App\\clock", "C:\\App\\clock.so", "C:\\App\\libclock.so"}));
  EXPECT_EQ(PluginFileNames("x.so"), (std::vector<std::string>{"x.so", "libx.so"}));
}

// Where the library is installed, how the object names it, and whether it is found.
struct LookupCase {
  const char* installedAt;
  const char* fileName;
  bool found;
};

class PluginLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PluginLookup, FindsTheLibraryWhereItIs) {
  const LookupCase& c = GetParam();
  const std::filesystem::path root = TestFolder();
  const std::filesystem::path installed = Install(root, "FuncDemo.so", c.installedAt);
  RootedFiles files(root);
  HostLibraries libraries;
  PluginHost host(libraries, files);
  EXPECT_EQ(host.Load(c.fileName, {"C:\\App", "C:\\Show"}), c.found);
  EXPECT_EQ(host.Loaded(), c.found);
  if (c.found) {
    EXPECT_EQ(host.LoadedPath(), installed);
    EXPECT_TRUE(host.LastError().empty());
  } else {
    EXPECT_FALSE(host.LastError().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Places, PluginLookup,
    ::testing::Values(
        // A folder that does not exist: the name's last part beside the player.
        LookupCase{"App/FuncDemo.so", "C:\\Gone\\FuncDemo.dll", true},
        LookupCase{"App/Plugins/FuncDemo.so", "FuncDemo.dll", true},
        LookupCase{"Other/FuncDemo.so", "C:\\Other\\FuncDemo.dll", true},
        LookupCase{"Show/libFuncDemo.so", "FuncDemo.dll", true},
        LookupCase{"Show/Plugins/FuncDemo.so", "FuncDemo.dll", true},
        LookupCase{"Elsewhere/FuncDemo.so", "FuncDemo.dll", false},
        LookupCase{"App/FuncDemo.so", "", false}));

class PluginHostTest : public ::testing::Test {
 protected:
  PluginHostTest() : root_(TestFolder()), files_(root_) {}
  std::filesystem::path Put(const std::string& built) {
    return Install(root_, built, "App/" + built);
  }
  std::unique_ptr<PluginHost> LoadHost(const std::string& name) {
    auto host = std::make_unique<PluginHost>(libraries_, files_);
    EXPECT_TRUE(host->Load(name, {"C:\\App"})) << host->LastError();
    return host;
  }
  static PluginSetup Params() {
    PluginSetup s;
    s.paramA = {255, 0, 0};
    s.paramB = {0, 0, 255};
    s.paramC = {7, 8, 9};
    s.intString = "1,2";
    s.string = "hello";
    s.path = "C:\\App\\ObjectDemo.dll";
    s.frame = {10, 20, 50, 50};
    return s;
  }

  std::filesystem::path root_;
  RootedFiles files_;
  HostLibraries libraries_;
};

TEST_F(PluginHostTest, ObjectStyleSetUpCallsInOrderAndDestroysOnUnload) {
  CallLog log(Put("libObjectDemo.so"));
  auto host = LoadHost("ObjectDemo.dll");
  EXPECT_TRUE(host->ObjectStyle());
  EXPECT_EQ(host->Type(), 1);
  EXPECT_EQ(host->Info(), "Object demo");
  EXPECT_EQ(host->Copyright(), "(c) QLM test");
  EXPECT_EQ(host->ShortInfo(), "Unknown");  // not exported: the default stays
  EXPECT_EQ(host->MouseCapture(), 1);

  PluginSetup setup = Params();
  qlm_window* window = reinterpret_cast<qlm_window*>(&setup);
  setup.window = window;
  std::string askedLink;
  setup.findLinkRect = [&](const std::string& name) -> std::optional<IntRect> {
    askedLink = name;
    return IntRect{1, 2, 3, 4};
  };
  host->SetUp(setup);
  EXPECT_EQ(askedLink, "Partner");
  EXPECT_EQ(log.Text(),
            "CreateObject();CaptureMouse();SetParentWindow(window);GetLinkName();"
            "SetLinkRect(1,2,3,4);SetParamA(255,0,0);SetParamB(0,0,255);SetParamC(7,8,9);"
            "SetIntString(1,2);SetString(hello);SetPath(C:\\App\\ObjectDemo.dll);"
            "SetFrame(40,30,10,20,0,0);SetValue(0);");

  log.Clear();
  host->SetData(-3);
  EXPECT_EQ(host->GetData(), -3);
  host->SetFile("C:\\a b.txt");
  EXPECT_EQ(host->GetFile(), "C:\\a b.txt");
  // Run calls exports only, whatever the style; the object's methods are not exports.
  EXPECT_TRUE(host->RunExport("Ping"));
  EXPECT_FALSE(host->RunExport("SetData"));
  EXPECT_FALSE(host->RunExport("NoSuchFunction"));
  host.reset();
  EXPECT_EQ(log.Text(), "SetData(-3);GetData();SetFile(C:\\a b.txt);GetFile();Ping();Destroy(1);");
}

TEST_F(PluginHostTest, FunctionStyleSkipsWhatIsNotExported) {
  CallLog log(Put("FuncDemo.so"));
  auto host = LoadHost("FuncDemo.dll");
  EXPECT_FALSE(host->ObjectStyle());
  EXPECT_EQ(host->Type(), 2);
  EXPECT_EQ(host->Info(), "Unknown Interface");
  EXPECT_EQ(host->ShortInfo(), "Stripes");
  EXPECT_EQ(host->MouseCapture(), 2);
  PluginSetup setup = Params();
  setup.findLinkRect = [](const std::string&) -> std::optional<IntRect> {
    ADD_FAILURE() << "function-style plug-ins have no link name";
    return std::nullopt;
  };
  host->SetUp(setup);
  // No SetString export; the object-only calls (params, frame, value) never reach it.
  EXPECT_EQ(log.Text(),
            "SetParentWindow(none);SetIntString(1,2);SetPath(C:\\App\\ObjectDemo.dll);");
  log.Clear();
  host->MouseDown(1, 2);
  host->RMouseDown(3, 4);  // not exported
  host->MouseMove(5, 6);
  host->SetData(5);
  EXPECT_TRUE(host->RunExport("Double"));
  EXPECT_EQ(host->GetData(), 10);
  EXPECT_EQ(log.Text(), "MouseDown(1,2);MouseMove(5,6);SetData(5);Double();");
}

TEST_F(PluginHostTest, LibraryWithoutExportsGetsDefaultsAndNoCalls) {
  Put("Bare.so");
  auto host = LoadHost("Bare.dll");
  EXPECT_EQ(host->Type(), -1);
  EXPECT_EQ(host->Info(), "Bare");
  EXPECT_EQ(host->MouseCapture(), 0);
  host->SetUp(Params());
  host->MouseDown(1, 1);
  host->SetFile("x");
  EXPECT_EQ(host->GetFile(), "");
  EXPECT_EQ(host->GetData(), 0);
  Surface surface(20, 20, 0x123456);
  Canvas canvas(surface);
  // Loaded but without Draw: counts as drawn (no failure text) and leaves the pixels alone.
  EXPECT_TRUE(host->Draw(canvas, {2, 2, 10, 10}));
  EXPECT_EQ(surface, Surface(20, 20, 0x123456));
}

TEST_F(PluginHostTest, NothingLoadedDrawsNothing) {
  PluginHost host(libraries_, files_);
  EXPECT_FALSE(host.Load("Missing.dll", {"C:\\App"}));
  Surface surface(4, 4, 7);
  Canvas canvas(surface);
  EXPECT_FALSE(host.Draw(canvas, {0, 0, 4, 4}));
  EXPECT_EQ(host.GetData(), 0);
  EXPECT_FALSE(host.RunExport("Ping"));
}

TEST_F(PluginHostTest, DrawGetsExactlyTheRectangleAndStaysInsideTheClip) {
  CallLog log(Put("libObjectDemo.so"));
  auto host = LoadHost("ObjectDemo.dll");
  host->SetUp(Params());
  log.Clear();
  // The canvas covers the window box (5,5)-(65,45); the clip cuts the object's right part off.
  Surface surface(60, 40, 0x808080);
  Canvas canvas(surface, {5, 5});
  canvas.SetClip({5, 5, 40, 45});
  ASSERT_TRUE(host->Draw(canvas, {10, 20, 50, 50}));
  EXPECT_EQ(log.Text(), "Draw(10,20,40,30,40x30);");
  auto at = [&](int x, int y) { return surface.Pixel(x - 5, y - 5); };
  EXPECT_EQ(at(10, 20), 0x0000FFu);  // frame colour B
  EXPECT_EQ(at(20, 30), 0xFF0000u);  // fill colour A
  EXPECT_EQ(at(39, 44), 0xFF0000u);
  EXPECT_EQ(at(40, 30), 0x808080u);  // outside the clip
  EXPECT_EQ(at(9, 30), 0x808080u);   // outside the rectangle
  EXPECT_EQ(at(20, 19), 0x808080u);
}

TEST_F(PluginHostTest, DrawPartlyOffTheSurfaceStillGetsTheWholeRectangle) {
  CallLog log(Put("FuncDemo.so"));
  auto host = LoadHost("FuncDemo.dll");
  host->SetData(2);
  log.Clear();
  Surface surface(10, 10, 0x808080);
  Canvas canvas(surface);
  ASSERT_TRUE(host->Draw(canvas, {-5, 6, 15, 30}));
  EXPECT_EQ(log.Text(), "Draw(-5,6,20,24,20x24);");
  // Stripes of 2 from the rectangle's left edge at x = -5: x = 0 ends the third stripe
  // (black), x = 1 and 2 make the fourth (yellow).
  EXPECT_EQ(surface.Pixel(0, 6), 0x000000u);
  EXPECT_EQ(surface.Pixel(1, 6), 0xFFFF00u);
  EXPECT_EQ(surface.Pixel(2, 6), 0xFFFF00u);
  EXPECT_EQ(surface.Pixel(3, 6), 0x000000u);
  EXPECT_EQ(surface.Pixel(0, 5), 0x808080u);
}

TEST_F(PluginHostTest, TransitionComputesFramesFromBothPictures) {
  CallLog log(Put("WipeDemo.so"));
  TransitionPlugin transition(libraries_, files_);
  const Surface before(8, 2, 0x000000), after(8, 2, 0xFFFFFF);
  ASSERT_TRUE(transition.Start("WipeDemo.dll", {"C:\\App"}, before, after, 0));
  EXPECT_EQ(log.Text(), "SetBuffer;SetBufferIn;SetBufferOut;SetDim(8,2);SetType(0);");
  EXPECT_EQ(transition.Frame(), before);
  const Surface& half = transition.Step(0.5f);
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(half.Pixel(x, 1), x < 4 ? 0xFFFFFFu : 0u) << x;
  EXPECT_EQ(transition.Step(1.0f), after);
}

TEST_F(PluginHostTest, TransitionWithoutLibraryShowsTheNewPicture) {
  TransitionPlugin transition(libraries_, files_);
  const Surface before(4, 4, 1), after(4, 4, 2);
  EXPECT_FALSE(transition.Start("Missing.dll", {"C:\\App"}, before, after, 3));
  EXPECT_FALSE(transition.HasNext());
  EXPECT_EQ(transition.Step(0.3f), after);
  // Pictures of different sizes are refused before any library is asked.
  Put("WipeDemo.so");
  EXPECT_FALSE(transition.Start("WipeDemo.dll", {"C:\\App"}, before, Surface(5, 4), 0));
  EXPECT_FALSE(transition.Loaded());
}

}  // namespace
}  // namespace qlm::test
