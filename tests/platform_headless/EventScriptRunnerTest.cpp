#include "platform/headless/EventScriptRunner.h"

#include <sstream>

#include <gtest/gtest.h>

namespace qlm {
namespace {

// A stand-in player: logs what reaches it, with the virtual time.
class FakePlayer : public EventHandler, public AutomationTarget {
 public:
  FakePlayer(VirtualEventLoop& loop, Dialogs& dialogs) : loop_(loop), dialogs_(dialogs) {
    loop.SetHandler(this);
  }
  void OnTimer(uint32_t id) override {
    Log("timer " + std::to_string(id));
    if (id == 0) {
      loop_.KillTimer(0);
      Log("box " + std::to_string(dialogs_.MessageBox("Go on?", "Q", mb::kYesNo)));
    }
  }
  void OnMessage(const WindowMessage& m) override { Log("msg " + std::to_string(m.id)); }
  void OnMouse(const MouseEvent& e) override {
    static const char* kNames[] = {"move", "down", "up", "dbl", "rdown", "rup"};
    Log(std::string(kNames[static_cast<int>(e.action)]) + " " + std::to_string(e.x) + "," +
        std::to_string(e.y));
  }
  void OnKey(const KeyEvent& e) override {
    Log(std::string(e.action == KeyAction::kDown ? "keydown " : "keyup ") + std::to_string(e.vk) +
        (e.modifiers.ctrl ? "+ctrl" : ""));
  }
  void OnChar(const CharEvent& e) override { Log("char " + std::to_string(e.ch)); }
  void RunScript(const std::string& text) override {
    Log("script " + text);
    if (text == "PageTimer")
      loop_.SetTimer(0, 2000);
    if (text == "Exit")
      loop_.PostMessage({2324, 0, 0, {}});
  }
  void Dump() override { Log("dump"); }
  void Cancel() override {
    Log("cancel");
    if (closes)
      loop_.PostQuit(7);
  }

  bool closes = true;
  std::vector<std::string> log;

 private:
  void Log(const std::string& s) { log.push_back(std::to_string(loop_.TickCount()) + " " + s); }
  VirtualEventLoop& loop_;
  Dialogs& dialogs_;
};

struct Rig {
  VirtualEventLoop loop;
  std::ostringstream out, diag;
  JsonLinesWriter writer{out};
  HeadlessDialogs dialogs{writer};
  HeadlessDisplay display{4, 4};
  FakePlayer player{loop, dialogs};
  int Run(const std::string& events) {
    EventScriptRunner runner(loop, dialogs, display, player, CodePage(), diag);
    return runner.Run(ParseEventScript(events));
  }
};

using Log = std::vector<std::string>;

TEST(EventScriptRunner, PlaysInputScriptsTimeAndAnswersInOrder) {
  Rig rig;
  const int code = rig.Run(
      "click 5 6\n"
      "dblclick 5 6\n"
      "rdown 1 1\n"
      "key C ctrl\n"
      "type é\n"
      "script PageTimer\n"
      "answer 7\n"
      "wait 1999\n"
      "dump\n"
      "wait 1\n");
  EXPECT_EQ(code, 7);
  EXPECT_EQ(rig.player.log,
            (Log{"0 move 5,6", "0 down 5,6", "0 up 5,6", "0 down 5,6", "0 up 5,6", "0 dbl 5,6",
                 "0 up 5,6", "0 move 1,1", "0 rdown 1,1", "0 keydown 67+ctrl", "0 keyup 67+ctrl",
                 "0 char 233", "0 script PageTimer", "1999 dump", "2000 timer 0", "2000 box 7",
                 "2000 cancel"}));
  EXPECT_EQ(rig.out.str(),
            "{\"event\":\"messagebox\",\"caption\":\"Q\",\"text\":\"Go on?\",\"style\":4,"
            "\"answer\":7}\n");
}

TEST(EventScriptRunner, QuitEndsAtOnceAndAnOpenWindowStillEndsTheRun) {
  Rig quitting;
  EXPECT_EQ(quitting.Run("script Exit\nquit\ndump\n"), 0);
  EXPECT_EQ(quitting.player.log, (Log{"0 script Exit", "0 msg 2324"}));

  Rig staying;
  staying.player.closes = false;  // the project's CBK_EXIT object keeps the window open
  EXPECT_EQ(staying.Run("wait 10\n"), 0);
  EXPECT_EQ(staying.player.log, (Log{"10 cancel"}));
  EXPECT_TRUE(staying.loop.QuitRequested());
}

TEST(EventScriptRunner, ScreenshotFailureIsReportedWithItsLine) {
  Rig rig;
  rig.Run("\nscreenshot /nonexistent-dir/x.png\n");
  EXPECT_EQ(rig.diag.str().rfind("events line 2: cannot write /nonexistent-dir/x.png", 0), 0u)
      << rig.diag.str();
}

}  // namespace
}  // namespace qlm
