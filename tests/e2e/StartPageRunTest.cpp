// The page a presentation starts on, chosen from the command line: the start-page argument as
// the presentation's own second parameter, or the player's --start-page that writes it.

#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

std::string FirstPage(const std::string& jsonLines) {
  const std::string key = "{\"event\":\"page\",\"name\":\"";
  const size_t at = jsonLines.find(key);
  if (at == std::string::npos)
    return "(none)";
  const size_t start = at + key.size();
  return jsonLines.substr(start, jsonLines.find('"', start) - start);
}

TEST(StartPageRunTest, StartPageArgumentAndOptionChooseTheFirstPage) {
  Sandbox box("start-page");
  ASSERT_TRUE(WriteProjectFile(box.root / "show.qmd",
                               BuildProjectFromSpec("page One\npage Page 2\npage age 2\n"), 29));
  struct Case {
    std::vector<std::string> args;
    const char* first;
  } cases[] = {
      {{"show.qmd"}, "One"},
      // The character after the prefix is skipped: a blank belongs there.
      {{"show.qmd", "ECPA|SA: Page 2"}, "Page 2"},
      {{"show.qmd", "ECPA|SA:Page 2"}, "age 2"},
      {{"--start-page", "Page 2", "show.qmd"}, "Page 2"},
      // The option wins over an argument given after the document.
      {{"--start-page=Page 2", "show.qmd", "ECPA|SA: One"}, "Page 2"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(box.Run(c.args), 0) << ReadText(box.root / "out.err");
    EXPECT_EQ(FirstPage(ReadText(box.root / "out.jsonl")), c.first) << c.args.back();
  }
}

}  // namespace
}  // namespace qlm::test
