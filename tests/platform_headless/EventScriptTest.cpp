#include "platform/headless/EventScript.h"

#include <gtest/gtest.h>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

using K = EventCommand::Kind;

EventCommand Cmd(K kind, int line) {
  EventCommand c;
  c.kind = kind;
  c.line = line;
  return c;
}

TEST(EventScript, ParsesEveryCommandWithItsLine) {
  const std::string text =
      "# a comment\r\n"
      "\n"
      "wait 2000\n"
      "click 10 -20\n"
      "dblclick 1 2\n"
      "  down 3 4\n"
      "up 5 6\n"
      "move 7 8\n"
      "rdown 9 10\n"
      "rup 11 12\n"
      "key Return\n"
      "KEY f5 ALT shift\n"
      "type  Grüße # not a comment\n"
      "answer 7\n"
      "script Message(\"a#b\",\"\")\n"
      "script-begin\n"
      "a = 1\n"
      "\n"
      "# kept: script text\n"
      "  script-end  \n"
      "screenshot out dir/shot.png\n"
      "dump\n"
      "quit\n"
      "wheel 30 40 -2\n";
  const auto commands = ParseEventScript(text);

  std::vector<EventCommand> expected;
  auto add = [&](K kind, int line) -> EventCommand& {
    return expected.emplace_back(Cmd(kind, line));
  };
  add(K::kWait, 3).number = 2000;
  auto point = [&](K kind, int line, int x, int y) {
    EventCommand& c = add(kind, line);
    c.x = x;
    c.y = y;
  };
  point(K::kClick, 4, 10, -20);
  point(K::kDoubleClick, 5, 1, 2);
  point(K::kDown, 6, 3, 4);
  point(K::kUp, 7, 5, 6);
  point(K::kMove, 8, 7, 8);
  point(K::kRightDown, 9, 9, 10);
  point(K::kRightUp, 10, 11, 12);
  add(K::kKey, 11).key = vk::kReturn;
  EventCommand& f5 = add(K::kKey, 12);
  f5.key = vk::kF1 + 4;
  f5.modifiers = {true, false, true};
  add(K::kType, 13).text = "Grüße # not a comment";
  add(K::kAnswer, 14).number = 7;
  add(K::kScript, 15).text = "Message(\"a#b\",\"\")";
  add(K::kScript, 16).text = "a = 1\r\n\r\n# kept: script text";
  add(K::kScreenshot, 21).text = "out dir/shot.png";
  add(K::kDump, 22);
  add(K::kQuit, 23);
  EventCommand& wheel = add(K::kWheel, 24);
  wheel.x = 30;
  wheel.y = 40;
  wheel.number = -2;
  EXPECT_EQ(commands, expected);
}

TEST(EventScript, EmptyScriptBlockAndEmptyFile) {
  EXPECT_TRUE(ParseEventScript("").empty());
  EXPECT_TRUE(ParseEventScript("\n  # only comments\n").empty());
  const auto c = ParseEventScript("script-begin\nscript-end\n");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].text, "");
}

TEST(EventScript, FaultsNameTheirLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"wait 10\nfly 1 2", "events line 2: unknown command \"fly\""},
      {"wait", "events line 1: usage: wait MS"},
      {"wait -5", "events line 1: milliseconds expected, found \"-5\""},
      {"wait 1.5", "events line 1: milliseconds expected, found \"1.5\""},
      {"click 1", "events line 1: usage: click X Y"},
      {"click 1 2 3", "events line 1: usage: click X Y"},
      {"move a 2", "events line 1: a whole number expected, found \"a\""},
      {"key", "events line 1: usage: key NAME [shift] [ctrl] [alt]"},
      {"key Hyper", "events line 1: unknown key \"Hyper\""},
      {"key A meta", "events line 1: unknown modifier \"meta\" (shift, ctrl or alt)"},
      {"answer", "events line 1: usage: answer N"},
      {"answer yes", "events line 1: a button number expected, found \"yes\""},
      {"type", "events line 1: usage: type TEXT"},
      {"script   ", "events line 1: usage: script LINE"},
      {"screenshot", "events line 1: usage: screenshot PATH"},
      {"dump now", "events line 1: usage: dump"},
      {"quit 1", "events line 1: usage: quit"},
      {"wheel 1 2", "events line 1: usage: wheel X Y N"},
      {"wheel 1 2 5000", "events line 1: notches expected, found \"5000\""},
      {"\n\nscript-begin\na=1\n", "events line 3: script-begin without script-end"},
      {"script-end", "events line 1: script-end without script-begin"},
  };
  for (const auto& c : cases) {
    try {
      ParseEventScript(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const EventScriptError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(KeyNames, NamesAndCodesBothWays) {
  struct Case {
    const char* name;
    uint32_t code;
    const char* canonical;
  } cases[] = {
      {"Return", 0x0D, "Return"},
      {"enter", 0x0D, "Return"},
      {"Escape", 0x1B, "Escape"},
      {"Tab", 0x09, "Tab"},
      {"SPACE", 0x20, "Space"},
      {"Left", 0x25, "Left"},
      {"Up", 0x26, "Up"},
      {"Right", 0x27, "Right"},
      {"Down", 0x28, "Down"},
      {"F1", 0x70, "F1"},
      {"f12", 0x7B, "F12"},
      {"F24", 0x87, "F24"},
      {"Home", 0x24, "Home"},
      {"End", 0x23, "End"},
      {"PageUp", 0x21, "PageUp"},
      {"Next", 0x22, "PageDown"},
      {"Insert", 0x2D, "Insert"},
      {"Delete", 0x2E, "Delete"},
      {"BackSpace", 0x08, "BackSpace"},
      {"a", 0x41, "A"},
      {"Z", 0x5A, "Z"},
      {"0", 0x30, "0"},
      {"9", 0x39, "9"},
      {"NumPad0", 0x60, "NumPad0"},
      {"numpad9", 0x69, "NumPad9"},
      {"Add", 0x6B, "Add"},
      {"Minus", 0xBD, "Minus"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualKeyFromName(c.name), c.code) << c.name;
    EXPECT_EQ(VirtualKeyName(c.code), c.canonical) << c.name;
  }
  for (const char* bad : {"", "F0", "F25", "F01", "NumPad10", "NumPad", "!", "Returns", "ö"}) {
    EXPECT_FALSE(VirtualKeyFromName(bad).has_value()) << bad;
  }
  EXPECT_EQ(VirtualKeyName(0xFF), "");
}

}  // namespace
}  // namespace qlm
