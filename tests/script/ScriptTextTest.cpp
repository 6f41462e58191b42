#include "script/ScriptText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace qlm {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitList, CutsAtCommasUpToTheLimit) {
  struct Case {
    const char* text;
    size_t n;
    Pieces expected;
  };
  const Case cases[] = {
      {"10,20,,40", 4, {"10", "20", "", "40"}},
      {"10,20,,40", 2, {"10", "20"}},
      {"1,2,3,4", 3, {"1", "2", "3"}},
      {"", 3, {}},
      {"a,", 3, {"a"}},
      {"a,,", 3, {"a", ""}},
      {",", 3, {""}},
      {",b", 3, {"", "b"}},
      {" a , b ", 2, {" a ", " b "}},
      {"a,b", 0, {}},
      {"no commas", 5, {"no commas"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitList(c.text, c.n), c.expected);
  }
}

TEST(SplitList, LeavesSlotsPastTheCountAlone) {
  std::array<std::string, 3> out = {"x", "y", "z"};
  EXPECT_EQ(SplitList("1", out), 1u);
  EXPECT_EQ(out[0], "1");
  EXPECT_EQ(out[1], "y");
  EXPECT_EQ(out[2], "z");
}

TEST(SplitList, HugeLimitOnShortTextAllocatesOnlyThePieces) {
  EXPECT_EQ(SplitList("a,b", static_cast<size_t>(-1)), (Pieces{"a", "b"}));
}

TEST(ScriptText, TrimsTheSingleByteWhiteSpaceSetOnly) {
  EXPECT_EQ(Trim(" \t\r\n\v\fx y\f\v\n\r\t "), "x y");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
  EXPECT_EQ(TrimLeft("  x  "), "x  ");
  EXPECT_EQ(TrimRight("  x  "), "  x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(AsciiLower("AbZ\xC4["), "abz\xC4[");
}

}  // namespace
}  // namespace qlm
