// Program objects under the trust policy, through the real qlmplayer binary headless: their
// program starts as any launch does, so without consent, outside the presentation's reach or
// missing, nothing is reported as launched and the launcher's message says why.

#include <gtest/gtest.h>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramObjectRun, StartsOnlyWithConsentAndWithinReach) {
  const Sandbox box = Sandbox::ForCurrentTest("program");
  const fs::path show = box.root / "show";
  fs::create_directories(show);
  fs::create_directories(box.root / "outside");
  for (const fs::path& tool : {show / "tool.sh", box.root / "outside" / "tool.sh"}) {
    WriteText(tool, "#!/bin/sh\nexit 0\n");
    fs::permissions(tool, fs::perms::owner_all);
  }
  const std::string denied = "The operating system denied access to the specified file.";
  const std::string missing = "The specified file was not found.";
  const struct {
    std::string program;
    std::vector<std::string> options;
    std::string answer;   // the events: the answer to the consent box, if any
    bool launched;        // a launch line
    std::string blocked;  // the path a blocked line names; empty: none
    std::string message;  // the launcher's message; empty: none
    bool asked;           // a consent box
  } cases[] = {
      // Headless without --ask nobody is asked: refused, and said so.
      {"tool.sh", {}, "", false, "tool.sh", denied, false},
      // Denied in the box: no second box.
      {"tool.sh", {"--ask"}, "answer 3", false, "tool.sh", "", true},
      {"tool.sh", {"--ask"}, "answer 4", true, "", "", true},
      {"tool.sh", {"--allow-launch"}, "", true, "", "", false},
      // Outside the reach it fails as a missing file, allowed or not.
      {(box.root / "outside" / "tool.sh").string(),
       {"--allow-launch"},
       "",
       false,
       (box.root / "outside" / "tool.sh").string(),
       missing,
       false},
      {"gone.sh", {"--allow-launch"}, "", false, "", missing, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program + " " + (c.options.empty() ? "" : c.options[0]) + " " + c.answer);
    ASSERT_TRUE(WriteProjectFile(
        show / "show.qmd",
        BuildProjectFromSpec("page A\npage B\nobject 24 Prog 10 10 100 100 " + c.program + "\n"),
        29));
    WriteText(box.root / "play.events", c.answer + "\nscript NextPage()\nwait 100\n");
    std::vector<std::string> args = c.options;
    args.insert(args.end(),
                {"--events", (box.root / "play.events").string(), (show / "show.qmd").string()});
    EXPECT_EQ(box.Run(args), 0);
    const std::string out = ReadText(box.root / "out.jsonl");
    EXPECT_EQ(out.find("{\"event\":\"launch\"") != std::string::npos, c.launched) << out;
    EXPECT_EQ(out.find("\"blocked\",\"what\":\"launch\",\"path\":\"" + c.blocked + "\"") !=
                  std::string::npos,
              !c.blocked.empty())
        << out;
    EXPECT_EQ(out.find("wants to start a program") != std::string::npos, c.asked) << out;
    EXPECT_EQ(out.find("\"caption\":\"Error\"") != std::string::npos, !c.message.empty()) << out;
    if (!c.message.empty()) {
      EXPECT_NE(out.find(c.message), std::string::npos) << out;
    }
  }
}

}  // namespace
}  // namespace qlm::test
