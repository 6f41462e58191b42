// The WebAssembly player's runtime under node: a fault of its code ends the run as the player's
// own fault does, with its lines and exit status, not the runtime's stack dump.

#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

TEST(WebRuntime, AFaultInsideTheRunEndsItWithTheFaultLineAndStatus) {
  Sandbox box = Sandbox::ForCurrentTest("web-runtime");
  ASSERT_TRUE(WriteProjectFile(box.root / "show.qmd", BuildProjectFromSpec("page A\n"), 29));
  // The player asks the runtime for its script's name as it starts: that question traps here,
  // once the runtime has read its arguments, as a fault of the WebAssembly code would.
  WriteText(box.root / "fault.js",
            "const player = process.argv[2];\n"
            "process.argv.splice(2, 1);\n"
            "require(player);\n"
            "Object.defineProperty(process.argv, 1, {get() {\n"
            "  throw new WebAssembly.RuntimeError('unreachable');\n"
            "}});\n");
  box.program = "node --no-experimental-fetch fault.js " + ShellQuote(QLM_WEB_PLAYER_JS);
  const int status = box.Run({"--headless", "show.qmd"});
  EXPECT_EQ(status, 5);
  EXPECT_EQ(Lines(ReadText(box.root / "out.jsonl")),
            (std::vector<std::string>{R"({"event":"fault","what":"RuntimeError: unreachable"})",
                                      R"({"event":"exit","code":5})"}));
  EXPECT_EQ(ReadText(box.root / "out.err"),
            "qlmplayer: internal fault: RuntimeError: unreachable\n");
}

}  // namespace
}  // namespace qlm::test
