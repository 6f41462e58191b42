#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "InputFixture.h"
#include "player/ProgramObjects.h"

namespace qlm {
namespace {

// What happened to the fake programs and windows, in order.
using Journal = std::vector<std::string>;

struct FakeProgram : RunningProgram {
  FakeProgram(int id, Journal& log) : pid(id), journal(log) {}
  ~FakeProgram() override { journal.push_back("end " + std::to_string(pid)); }
  int Pid() const override { return pid; }
  bool Running() override { return running; }
  int pid;
  bool running = true;
  Journal& journal;
};

struct FakeWindow : ProgramWindow {
  FakeWindow(int id, Journal& log) : pid(id), journal(log) {}
  ~FakeWindow() override { journal.push_back("close " + std::to_string(pid)); }
  void Place(const IntRect& rect, bool shown) override {
    const std::string place = std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                              std::to_string(rect.right) + "," + std::to_string(rect.bottom) +
                              (shown ? " shown" : " hidden");
    if (place != last)
      journal.push_back("place " + place);
    last = place;
  }
  bool Send(const std::array<int32_t, 3>& v, int count) override {
    journal.push_back("send " + std::to_string(v[0]) + " " + std::to_string(v[1]) + " " +
                      std::to_string(v[2]) + " " + std::to_string(count));
    return true;
  }
  void Clip(const IntRect&, const std::vector<IntRect>& covered) override {
    journal.push_back("clip " + std::to_string(covered.size()));
  }
  bool Alive() override { return true; }
  int pid;
  Journal& journal;
  std::string last;
};

// A program's window appears after `looksBeforeWindow` looks; a negative count never.
struct FakeWindows : ProgramWindows {
  explicit FakeWindows(Journal& log) : journal(log) {}
  std::unique_ptr<ProgramWindow> Adopt(int pid) override {
    ++looks;
    if (looksBeforeWindow < 0 || looks <= looksBeforeWindow)
      return nullptr;
    return std::make_unique<FakeWindow>(pid, journal);
  }
  Journal& journal;
  int looks = 0;
  int looksBeforeWindow = 2;
};

struct FakeHost : ProgramHost {
  explicit FakeHost(Journal& log) : journal(log) {}
  std::unique_ptr<RunningProgram> Start(const ObjectRecord& object) override {
    journal.push_back("start " + object.name);
    if (refuse)
      return nullptr;
    auto program = std::make_unique<FakeProgram>(++nextPid, journal);
    last = program.get();
    return program;
  }
  IntRect RectOf(const ObjectRecord& object) override { return object.rect; }
  bool Shown(const ObjectRecord& object) override { return !IsHidden(object); }
  Journal& journal;
  bool refuse = false;
  int nextPid = 100;
  FakeProgram* last = nullptr;
};

class ProgramObjectsTest : public ::testing::Test {
 protected:
  ProgramObjectsTest() {
    prog.typeCode = kObjProgram;
    prog.name = "Prog";
    prog.rect = {10, 20, 110, 90};
  }

  // Runs the loop for `ms`, pumping every 10 ms as a desktop loop polls.
  void Run(uint64_t ms) {
    for (uint64_t t = 0; t < ms; t += 10)
      loop.Run(10);
  }

  test::InputLoop loop;
  Journal journal;
  FakeWindows windows{journal};
  FakeHost host{journal};
  ProgramObjects programs{loop, &windows, host};
  ObjectRecord prog = ObjectRecord::Fresh();
};

// Shown, the object starts its program once the loop runs, finds its window and holds it at the
// object's place; hidden, the window hides; its page left, the window closes before the
// program ends. Shown again, it starts afresh.
TEST_F(ProgramObjectsTest, ProgramStartsWithItsPageAndItsWindowFollowsTheObject) {
  ObjectRecord text = ObjectRecord::Fresh();
  text.typeCode = kObjText;
  programs.PagesShown({&text, &prog, &prog});
  EXPECT_TRUE(journal.empty()) << "started before the page change was through";
  Run(1000);
  EXPECT_EQ(journal, (Journal{"start Prog", "place 10,20,110,90 shown"}));
  EXPECT_EQ(windows.looks, 3);
  EXPECT_TRUE(programs.HoldsWindow(prog));

  prog.values[10] = 1;  // Hide
  prog.rect = {30, 20, 130, 90};
  programs.Follow();
  EXPECT_EQ(journal.back(), "place 30,20,130,90 hidden");

  programs.PagesShown({});
  EXPECT_EQ(journal, (Journal{"start Prog", "place 10,20,110,90 shown", "place 30,20,130,90 hidden",
                              "close 101", "end 101"}));
  EXPECT_FALSE(programs.HoldsWindow(prog));

  journal.clear();
  prog.values[10] = 0;
  programs.PagesShown({&prog});
  Run(1000);
  EXPECT_EQ(journal.front(), "start Prog");
  EXPECT_TRUE(programs.HoldsWindow(prog));
}

// A program that shows no window is looked at for a bounded time only; one that ends by itself
// gives its window up and is not started again while its page stays.
TEST_F(ProgramObjectsTest, WindowSearchIsBoundedAndAnEndedProgramStaysEnded) {
  windows.looksBeforeWindow = -1;
  programs.PagesShown({&prog});
  Run(ProgramObjects::kFindWindowMs + 5000);
  const int looks = windows.looks;
  EXPECT_GT(looks, 10);
  EXPECT_LE(looks,
            static_cast<int>(ProgramObjects::kFindWindowMs / ProgramObjects::kLookEveryMs) + 1);
  Run(5000);
  EXPECT_EQ(windows.looks, looks);

  ObjectRecord other = prog;
  other.name = "Other";
  windows.looksBeforeWindow = 0;
  programs.PagesShown({&prog, &other});
  Run(100);
  ASSERT_TRUE(programs.HoldsWindow(other));
  host.last->running = false;
  Run(100);
  EXPECT_FALSE(programs.HoldsWindow(other));
  Run(1000);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "start Other"), 1);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "start Prog"), 1);
}

// SendCommand hands two or three numbers to the object's window, with their count; other counts,
// other kinds and objects without a window do nothing.
TEST(ProgramCommands, SendCommandHandsTwoOrThreeNumbersToTheHeldWindow) {
  Project project = test::Pages({"One"});
  project.pages[0].objects = {test::Object(kObjProgram, "Prog", {10, 10, 60, 60}),
                              test::Object(kObjProgram, "Idle", {70, 10, 120, 60}),
                              test::Object(kObjBrowser, "Web", {10, 70, 60, 120})};
  test::InputPlayer player(std::move(project));
  Journal journal;
  FakeWindows windows(journal);
  windows.looksBeforeWindow = 0;
  FakeHost host(journal);
  ProgramObjects programs(player.loop, &windows, host);
  ObjectRecord& prog = player.Find("Prog");
  programs.PagesShown({&prog});
  player.loop.Run(100);
  ASSERT_TRUE(programs.HoldsWindow(prog));

  ScriptRunner runner(player.window->Runner().Roles());
  RegisterProgramCommands(runner, programs);
  const struct {
    std::string line;
    std::optional<std::string> sent;
  } cases[] = {
      {R"(SendCommand("Prog","7,-8,9"))", "send 7 -8 9 3"},
      {R"(SendCommand("Prog","1+1,2.9"))", "send 2 2 0 2"},
      {R"(SendCommand("Prog","1,2,3,4"))", "send 1 2 3 3"},
      {R"(SendCommand("Prog","5"))", std::nullopt},
      {R"(SendCommand("Prog",""))", std::nullopt},
      {R"(SendCommand("Idle","1,2,3"))", std::nullopt},
      {R"(SendCommand("Web","1,2,3"))", std::nullopt},
      {R"(SendCommand("Nobody","1,2,3"))", std::nullopt},
  };
  for (const auto& c : cases) {
    journal.clear();
    runner.ExecuteScript(test::CompileScript(c.line));
    EXPECT_EQ(journal, c.sent ? Journal{*c.sent} : Journal{}) << c.line;
  }
}

}  // namespace
}  // namespace qlm
