// What the player says about a presentation it cannot start reaches the terminal as well as the
// message box: run through the real binary, stderr holds the box's text on one line.

#include <gtest/gtest.h>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

struct StartupCase {
  const char* name;
  const char* expected;  // on stderr
};

TEST(StartupErrorsTest, EveryStartupBoxIsAlsoOnStderr) {
  Sandbox box("startup-errors");
  // A real document cut short, so that its header reads but its body does not.
  const fs::path whole = box.root / "whole.qmd";
  ASSERT_TRUE(WriteProjectFile(whole, BuildProjectFromSpec("page A\npage B\n"), 29));
  const std::string bytes = ReadText(whole);
  WriteText(box.root / "damaged.qmd", bytes.substr(0, bytes.size() / 2));
  WriteText(box.root / "notes.qmd", "just some text, no presentation\n");

  const StartupCase cases[] = {
      {"missing.qmd", "qlmplayer: Cannot find the file missing.qmd\n"},
      {"notes.qmd", "qlmplayer: The file notes.qmd is not a QMD file!\n"},
      {"damaged.qmd", "qlmplayer: The file damaged.qmd is damaged"},
  };
  for (const StartupCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(box.Run({c.name}, "run"), 0);
    const std::string err = ReadText(box.root / "run.err");
    EXPECT_NE(err.find(c.expected), std::string::npos) << err;
    // The box itself is still shown.
    EXPECT_NE(ReadText(box.root / "run.jsonl").find("\"event\":\"messagebox\""), std::string::npos);
  }

  // A presentation that starts says nothing on stderr.
  EXPECT_EQ(box.Run({"whole.qmd"}, "run"), 0);
  EXPECT_EQ(ReadText(box.root / "run.err"), "");
}

}  // namespace
}  // namespace qlm::test
