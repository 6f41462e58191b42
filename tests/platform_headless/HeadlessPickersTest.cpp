#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/headless/EventScript.h"
#include "platform/headless/HeadlessDialogs.h"

namespace qlm {
namespace {

TEST(HeadlessPickersTest, QuotedAnswersAreChoices) {
  const auto commands =
      ParseEventScript("answer \"C:\\Docs\\a b.txt\"\nanswer \"\"\nanswer 6\n");
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_TRUE(commands[0].textAnswer);
  EXPECT_EQ(commands[0].text, "C:\\Docs\\a b.txt");
  EXPECT_TRUE(commands[1].textAnswer);
  EXPECT_EQ(commands[1].text, "");
  EXPECT_FALSE(commands[2].textAnswer);
  EXPECT_EQ(commands[2].number, 6);
  EXPECT_THROW(ParseEventScript("answer \"x\n"), EventScriptError);
}

TEST(HeadlessPickersTest, PickersAreReportedAndAnsweredInTurn) {
  std::ostringstream out;
  JsonLinesWriter w(out);
  HeadlessDialogs dialogs(w);
  dialogs.PushChoice("C:\\Docs\\\xe9t\xe9.txt");
  dialogs.PushChoice("");
  dialogs.PushChoice("255,128,0");
  dialogs.PushChoice("Arial|BOLDITALIC|12|0|UNDERLINE|");
  dialogs.PushChoice("C:\\Music");
  dialogs.PushAnswer(idb::kNo);

  EXPECT_EQ(dialogs.ChooseFile(FileDialogMode::kOpen, "Text|*.txt|", "a.txt"),
            "C:\\Docs\\\xe9t\xe9.txt");
  EXPECT_EQ(dialogs.ChooseFile(FileDialogMode::kSave, "", ""), std::nullopt);
  EXPECT_EQ(dialogs.ChooseColour(), 0x000080FFu);
  FontChoice font{"Arial", -16, 700, true, true, false, 0};
  EXPECT_EQ(dialogs.ChooseFont(), font);
  // Message boxes keep their own answers.
  EXPECT_EQ(dialogs.MessageBox("Sure?", "Q", 0x4), idb::kNo);
  EXPECT_EQ(dialogs.ChooseFile(FileDialogMode::kFolder, "Pick", "C:\\"), "C:\\Music");
  EXPECT_EQ(dialogs.ChooseColour(), std::nullopt);
  EXPECT_EQ(out.str(),
            "{\"event\":\"dialog\",\"kind\":\"open\",\"filter\":\"Text|*.txt|\",\"default\":"
            "\"a.txt\",\"answer\":\"C:\\\\Docs\\\\été.txt\"}\n"
            "{\"event\":\"dialog\",\"kind\":\"save\",\"filter\":\"\",\"default\":\"\","
            "\"answer\":null}\n"
            "{\"event\":\"dialog\",\"kind\":\"colour\",\"answer\":\"255,128,0\"}\n"
            "{\"event\":\"dialog\",\"kind\":\"font\",\"answer\":"
            "\"Arial|BOLDITALIC|12|0|UNDERLINE|\"}\n"
            "{\"event\":\"messagebox\",\"caption\":\"Q\",\"text\":\"Sure?\",\"style\":4,"
            "\"answer\":7}\n"
            "{\"event\":\"dialog\",\"kind\":\"folder\",\"title\":\"Pick\",\"start\":\"C:\\\\\","
            "\"answer\":\"C:\\\\Music\"}\n"
            "{\"event\":\"dialog\",\"kind\":\"colour\",\"answer\":null}\n");
}

TEST(HeadlessPickersTest, MalformedChoicesCancel) {
  for (const char* text : {"1,2", "1,2,256", "a,b,c", "1,2,3,4", ""})
    EXPECT_EQ(HeadlessDialogs::ParseColour(text), std::nullopt) << text;
  for (const char* text : {"Arial|BOLD|12|0|", "|BOLD|12|0|NONE|", "Arial|HEAVY|12|0|NONE|",
                           "Arial|BOLD|0|0|NONE|", "Arial|BOLD|12|0|WAVY|", "Arial,12,BOLD"})
    EXPECT_EQ(HeadlessDialogs::ParseFont(text, 96), std::nullopt) << text;
  const FontChoice tahoma{"Tahoma", -10, 400, false, false, true, 161};
  EXPECT_EQ(HeadlessDialogs::ParseFont("Tahoma|REGULAR|8|161|STRIKEOUT", 90), tahoma);
}

}  // namespace
}  // namespace qlm
