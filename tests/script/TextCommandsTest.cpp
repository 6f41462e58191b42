#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestScriptHost.h"
#include "script/CommandHelpers.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

Project OnePage() {
  Project project;
  project.pages.push_back(MakePage("A"));
  project.pages[0].objects = {MakeObject("Label", {10, 10, 50, 30})};
  return project;
}

TEST(TextCommandsTest, DisplayValueShowsTextsAndNumbers) {
  struct Case {
    const char* arg;
    const char* text;
  } cases[] = {
      {"Name$", "Ann"}, {"2*3", "6"},       {"1/4", "0.25"},
      {"n+1", "42"},    {" Name$ ", "Ann"}, {"-7/2", "-3.5"},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.evaluator.SetText("Name$", "Ann");
    host.evaluator.SetNumber("n", 41);
    host.invalidated.clear();
    EXPECT_TRUE(host.Run("DisplayValue(\"Label\",\"" + std::string(c.arg) + "\")"));
    EXPECT_EQ(host.pages.CurrentPage()->objects[0].text, c.text) << c.arg;
    // Repainted at once, not with the run's changes.
    ASSERT_FALSE(host.invalidated.empty());
    EXPECT_EQ(host.invalidated[0], (IntRect{9, 9, 51, 31}));
  }
}

TEST(TextCommandsTest, LoadTextSources) {
  struct Case {
    const char* source;
    const char* text;
  } cases[] = {
      {"FILE:C:\\data\\a.txt", "line 1\r\nline 2"},
      {"FILE:C:\\data\\none.txt", "C:\\data\\none.txt"},
      {"FILE:Path$", "line 1\r\nline 2"},
      {"C:\\data\\a.txt", "line 1\r\nline 2"},
      {"C:\\data\\none.txt", "C:\\data\\none.txt"},
      {"data\\a.txt", "data\\a.txt"},
      {"STRING:hello, world", "hello, world"},
      {"STRING:Name$", "Ann"},
      {"Name$", "Ann"},
      {"<List>2", "two.mp3"},
      {"<List>k", "two.mp3"},
      {"<List>3", ""},
      {"<List>0", ""},
      {"<List+>1", "old\r\none.mp3"},
      {"just words", "just words"},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.files["C:\\data\\a.txt"] = "line 1\r\nline 2";
    host.songs = {"one.mp3", "two.mp3"};
    host.evaluator.SetText("Name$", "Ann");
    host.evaluator.SetText("Path$", "C:\\data\\a.txt");
    host.evaluator.SetNumber("k", 2);
    host.pages.CurrentPage()->objects[0].text = "old";
    EXPECT_TRUE(host.Run("LoadText(\"Label\",\"" + std::string(c.source) + "\")"));
    EXPECT_EQ(host.pages.CurrentPage()->objects[0].text, c.text) << c.source;
  }
}

TEST(TextCommandsTest, LoadTextIntoVariables) {
  TestScriptHost host(OnePage());
  host.ShowPage();
  host.evaluator.SetNumber("i", 2);
  host.evaluator.SetText("Out$", "before");
  EXPECT_TRUE(
      host.Run("LoadText(\"Out$\",\"STRING:x\")\nLoadText(\"Arr$[i]\",\"STRING:y\")\n"
               "LoadText(\"Label\",\"\")"));
  std::string text;
  EXPECT_TRUE(host.evaluator.GetText("Out$", text));
  EXPECT_EQ(text, "x");
  EXPECT_TRUE(host.evaluator.GetText("Arr$[2]", text));
  EXPECT_EQ(text, "y");
  EXPECT_EQ(host.pages.CurrentPage()->objects[0].text, "");
}

TEST(MessageExTest, StyleKeepsOnlyWhatTheBoxCanShow) {
  struct Case {
    int64_t type;
    uint32_t style;
  } cases[] = {
      {4, 4},
      {4 + 32 + 256, 4 + 32 + 256},
      {0 + 256, 0},        // one button has no second default
      {3 + 512, 3 + 512},  // three buttons have a third
      {4 + 512, 4},        // two do not
      {7, 0},              // no such button set
      {16 + 32, 48},
      {80, 0},  // no such icon
      {4096 + 8192, 4096},
      {262144 + 524288 + 1, 262144 + 524288 + 1},
      {0x1000000 + 0x4000 + 2, 2},
      {-1, 4096 + 262144 + 524288},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MessageExStyle(c.type), c.style) << c.type;
}

// Dialogs whose boxes with a timeout close by themselves.
class TimingOutDialogs : public test::RecordingDialogs {
 public:
  int MessageBoxTimeout(const std::string& text, const std::string& caption, uint32_t style,
                        uint32_t timeoutMs) override {
    timeouts.push_back(timeoutMs);
    const int answer = MessageBox(text, caption, style);
    return timeoutMs > 0 ? idb::kTimedOut : answer;
  }
  std::vector<uint32_t> timeouts;
};

class TimingOutHost : public TestScriptHost {
 public:
  using TestScriptHost::TestScriptHost;
  Dialogs& GetDialogs() override { return timing; }
  TimingOutDialogs timing;
};

TEST(MessageExTest, AnswerGoesToTheVariableAndTheObject) {
  Project project = OnePage();
  project.masterLayer.objects.push_back(MakeObject("CBK_MsgEx", {0, 0, 20, 10}));
  TimingOutHost host(std::move(project));
  host.ShowPage();
  host.evaluator.SetNumber("T", 36);
  host.timing.answers = {idb::kNo};

  EXPECT_TRUE(host.Run("MessageEx(\"Cap\",\"Save now?,T,0\")"));
  ASSERT_EQ(host.timing.boxes.size(), 1u);
  EXPECT_EQ(host.timing.boxes[0].text, "Save now?");
  EXPECT_EQ(host.timing.boxes[0].caption, "Cap");
  EXPECT_EQ(host.timing.boxes[0].style, 36u);
  EXPECT_EQ(host.Number("CBK_MsgEx"), idb::kNo);
  EXPECT_EQ(host.pages.MasterLayer().objects[0].text, "7");

  // A quoted text may hold commas; a timeout that runs out answers -1.
  EXPECT_TRUE(host.Run("MessageEx(\"Cap\",\"\"Yes, or no?\",4,3000\")"));
  ASSERT_EQ(host.timing.boxes.size(), 2u);
  EXPECT_EQ(host.timing.boxes[1].text, "Yes, or no?");
  EXPECT_EQ(host.timing.boxes[1].style, 4u);
  EXPECT_EQ(host.timing.timeouts, (std::vector<uint32_t>{0, 3000}));
  EXPECT_EQ(host.Number("CBK_MsgEx"), -1);
  EXPECT_EQ(host.pages.MasterLayer().objects[0].text, "-1");
}

}  // namespace
}  // namespace qlm
