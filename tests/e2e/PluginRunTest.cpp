// The C++ example plug-in of the author's guide, found beside a presentation by the real
// qlmplayer binary and driven by clicks and scripts of a headless run; native code from the
// presentation's folder loads only when allowed.

#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(PluginRunTest, SliderBesideThePresentationFollowsClicksAndScripts) {
  for (const char* library : {"Slider.so", "SliderFn.so"}) {
    SCOPED_TRACE(library);
    Sandbox box(std::string("plugin-run-") + library);
    const fs::path project = box.root / "show.qmd";
    // String 4 is the plug-in's string parameter: the slider starts at 40.
    ASSERT_TRUE(WriteProjectFile(project,
                                 BuildProjectFromSpec("page A\n"
                                                      "object 21 Volume 10 10 110 30 Slider.dll\n"
                                                      "string 4 40\n"),
                                 29));
    fs::create_directories(box.root / "PLUGINS");
    fs::copy_file(fs::path(QLM_TEST_PLUGIN_DIR) / library, box.root / "PLUGINS/slider.so");
    const fs::path events = box.root / "events.txt";
    std::ofstream(events) << "script PluginGet(\"Volume\",\"start\")\n"
                             "click 85 20\n"
                             "script PluginGet(\"Volume\",\"clicked\")\n"
                             "dump\n";
    ASSERT_EQ(box.Run({"--allow-plugins", "--events", events.string(), project.string()}), 0)
        << ReadText(box.root / "out.err");
    const std::string out = ReadText(box.root / "out.jsonl");
    EXPECT_NE(out.find("\"start\":40,\"clicked\":75"), std::string::npos) << out;

    // Not allowed, the library stays unloaded and the refusal is reported.
    ASSERT_EQ(box.Run({"--events", events.string(), project.string()}, "denied"), 0);
    const std::string denied = ReadText(box.root / "denied.jsonl");
    EXPECT_NE(denied.find("{\"event\":\"blocked\",\"what\":\"plugin\",\"path\":\"" +
                          (box.root / "PLUGINS/slider.so").string() + "\"}"),
              std::string::npos)
        << denied;
    EXPECT_EQ(denied.find("\"start\":40"), std::string::npos) << denied;
  }
}

}  // namespace
}  // namespace qlm::test
