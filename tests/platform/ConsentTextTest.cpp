#include "platform/ConsentText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qlm {
namespace {

TEST(ConsentTextTest, PresentationTextIsOneQuotedLineOfData) {
  struct Case {
    std::string text;
    size_t limit;
    std::string shown;
    bool keepEnd = false;
  } cases[] = {
      {"plain words", 72, "\"plain words\""},
      {"a\nProgram: /bin/true\r\tz", 72, "\"a\\nProgram: /bin/true\\r\\tz\""},
      {std::string("nul\0bell\x07 del\x7f", 14), 72, "\"nul\\x00bell\\x07 del\\x7f\""},
      {"say \"hi\" C:\\x", 72, "\"say \\\"hi\\\" C:\\\\x\""},
      {"0123456789", 10, "\"0123456789\""},
      {"0123456789a", 10, "\"0123456789\"..."},
      {"012345678\n", 10, "\"012345678\"..."},              // an escape is never cut in half
      {"caf\xe9", 72, "\"caf\xe9\""},                       // code page letters stay as they are
      {"/a/long/way/to/tool", 8, "...\"/to/tool\"", true},  // a path keeps its file name
      {"/a/b\n", 4, "...\"/b\\n\"", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QuotedData(c.text, c.limit, c.keepEnd), c.shown) << c.text;
}

// Line breaks in a parameter cannot write a line of their own, such as a second "Program:".
TEST(ConsentTextTest, LaunchQuestionHasOneLinePerItem) {
  EXPECT_EQ(LaunchQuestion("/show/tool", {"-v", "a\nProgram: \"/usr/bin/safe\""}, ""),
            "This presentation wants to start a program.\n"
            "Program: \"/show/tool\"\n"
            "Arguments: 2\n"
            "  1. \"-v\"\n"
            "  2. \"a\\nProgram: \\\"/usr/bin/safe\\\"\"");
  EXPECT_EQ(LaunchQuestion("/show/setup.exe", {}, "Wine"),
            "This presentation wants to start a program.\n"
            "Program: \"/show/setup.exe\"\n"
            "Started by: Wine\n"
            "Arguments: 0");
  const std::string many = LaunchQuestion("/p", std::vector<std::string>(20, "x"), "");
  EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 2 + 8 + 1);
  EXPECT_NE(many.find("Arguments: 20\n"), std::string::npos);
  EXPECT_NE(many.find("(12 more not shown)"), std::string::npos);
}

}  // namespace
}  // namespace qlm
