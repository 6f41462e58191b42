// SaveVariable in one qlmplayer run, LoadVariable in the next, through the profile folder.

#include <gtest/gtest.h>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(SavedVariablesTest, ValuesCarryOverToTheNextRun) {
  Sandbox box("saved-variables");
  const fs::path project = box.root / "project.qmd";
  ASSERT_TRUE(WriteProjectFile(project, BuildProjectFromSpec("page A\n"), 29));
  const fs::path save = box.root / "save.txt";
  const fs::path load = box.root / "load.txt";
  std::ofstream(save) << "script-begin\nscore=2.75\nName$='Ann'\n"
                         "SaveVariable(\"Best\",\"score\")\nSaveVariable(\"\",\"Name$\")\n"
                         "script-end\n";
  std::ofstream(load) << "script-begin\nLoadVariable(\"Best\",\"got\")\n"
                         "LoadVariable(\"Default\",\"Who$\")\nscript-end\ndump\n";

  ASSERT_EQ(box.Run({"--events", save.string(), project.string()}, "first"), 0)
      << ReadText(box.root / "first.err");
  ASSERT_EQ(box.Run({"--events", load.string(), project.string()}, "second"), 0)
      << ReadText(box.root / "second.err");
  const std::string second = ReadText(box.root / "second.jsonl");
  EXPECT_NE(second.find("\"got\":2,"), std::string::npos) << second;
  EXPECT_NE(second.find("\"Who$\":\"Ann\""), std::string::npos) << second;
}

}  // namespace
}  // namespace qlm::test
