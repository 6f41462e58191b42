#include "platform/headless/VirtualEventLoop.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qlm {
namespace {

// Logs every event as "tick:what" and runs an optional action per timer or message id.
class LogHandler : public EventHandler {
 public:
  explicit LogHandler(VirtualEventLoop& loop) : loop_(loop) { loop.SetHandler(this); }

  void OnTimer(uint32_t id) override {
    Log("t" + std::to_string(id));
    if (auto it = onTimer.find(id); it != onTimer.end())
      it->second();
  }
  void OnMessage(const WindowMessage& m) override {
    Log("m" + std::to_string(m.id));
    if (auto it = onMessage.find(m.id); it != onMessage.end())
      it->second();
  }
  void OnMouse(const MouseEvent& e) override {
    Log("mouse" + std::to_string(static_cast<int>(e.action)) + "@" + std::to_string(e.x) + "," +
        std::to_string(e.y));
  }
  void OnKey(const KeyEvent& e) override { Log("key" + std::to_string(e.vk)); }
  void OnClose() override { Log("close"); }

  std::map<uint32_t, std::function<void()>> onTimer;
  std::map<uint32_t, std::function<void()>> onMessage;
  std::vector<std::string> log;

 private:
  void Log(const std::string& what) {
    log.push_back(std::to_string(loop_.TickCount()) + ":" + what);
  }
  VirtualEventLoop& loop_;
};

using Log = std::vector<std::string>;

TEST(VirtualEventLoop, TimersFireInDueOrderWithTiesByArmingOrder) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  loop.SetTimer(7, 30);
  loop.SetTimer(5, 20);
  loop.SetTimer(9, 20);
  EXPECT_FALSE(loop.Advance(59));
  EXPECT_EQ(h.log, (Log{"20:t5", "20:t9", "30:t7", "40:t5", "40:t9"}));
  h.log.clear();
  loop.Advance(1);
  EXPECT_EQ(h.log, (Log{"60:t7", "60:t5", "60:t9"}));
  EXPECT_EQ(loop.TickCount(), 60u);
}

TEST(VirtualEventLoop, HandlersRearmFromTheFiringTimeOrKillTheirTimer) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  int fired = 0;
  h.onTimer[1] = [&] {
    if (++fired == 1)
      loop.SetTimer(1, 50);
  };
  h.onTimer[4] = [&] { loop.KillTimer(4); };  // one-shot, as script timers are
  loop.SetTimer(1, 100);
  loop.SetTimer(4, 30);
  loop.Advance(250);
  EXPECT_EQ(h.log, (Log{"30:t4", "100:t1", "150:t1", "200:t1", "250:t1"}));
  EXPECT_FALSE(loop.HasTimer(4));
  // Arming an armed id again replaces it: the old schedule is gone.
  loop.SetTimer(1, 500);
  h.log.clear();
  loop.Advance(499);
  EXPECT_TRUE(h.log.empty());
}

TEST(VirtualEventLoop, MessagesPostedByATimerComeBeforeTheNextTimerAndBeforeTimeMoves) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  h.onTimer[1] = [&] { loop.PostMessage({2247, 0, 0, {}}); };
  h.onMessage[2247] = [&] { loop.PostMessage({2324, 0, 0, {}}); };
  loop.SetTimer(1, 10);
  loop.SetTimer(2, 10);
  loop.PostInput(MouseEvent{MouseAction::kLeftDown, 3, 4, {}});
  loop.Advance(10);
  EXPECT_EQ(h.log, (Log{"0:mouse1@3,4", "10:t1", "10:m2247", "10:t2", "10:m2324"}));
}

TEST(VirtualEventLoop, NestedPumpDoesNotFireTheSameTimerTwiceAtOneInstant) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  h.onTimer[1] = [&] {
    loop.Pump();
    loop.Pump();
  };
  loop.SetTimer(1, 10);
  loop.SetTimer(2, 10);
  loop.Advance(20);
  // Timer 2 fires inside timer 1's handler and not again afterwards.
  EXPECT_EQ(h.log, (Log{"10:t1", "10:t2", "20:t1", "20:t2"}));
}

TEST(VirtualEventLoop, NestedWaitMovesTimeAndTheOuterAdvanceCatchesUp) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  // Timer 1 pauses 40 ms the way the Pause command does: pump until the tick is reached.
  h.onTimer[1] = [&] {
    loop.KillTimer(1);
    const uint64_t end = loop.TickCount() + 40;
    while (loop.TickCount() < end) {
      if (loop.WaitUntil(end))
        return;
    }
  };
  loop.SetTimer(1, 10);
  loop.SetTimer(2, 15);
  loop.Advance(35);
  EXPECT_EQ(h.log, (Log{"10:t1", "15:t2", "30:t2", "45:t2"}));
  EXPECT_EQ(loop.TickCount(), 50u);  // the pause ran past the 35 ms asked for
  h.log.clear();
  loop.Advance(10);
  EXPECT_EQ(h.log, (Log{"60:t2"}));
}

TEST(VirtualEventLoop, QuitStopsDispatchAndIsSeenByEveryLoop) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  h.onTimer[1] = [&] {
    loop.PostQuit(3);
    loop.PostQuit(5);  // the first code stays
    EXPECT_TRUE(loop.Pump());
  };
  loop.SetTimer(1, 10);
  loop.SetTimer(2, 10);
  loop.PostMessage({100, 0, 0, {}});
  EXPECT_TRUE(loop.Advance(100));
  EXPECT_EQ(h.log, (Log{"0:m100", "10:t1"}));
  EXPECT_EQ(loop.TickCount(), 10u);
  EXPECT_TRUE(loop.Pump());
  EXPECT_EQ(loop.ExitCode(), 3);
}

TEST(VirtualEventLoop, ShortPeriodsAreRaisedToTheMinimum) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  loop.SetTimer(105, 0);
  loop.SetTimer(8, 1);
  loop.Advance(25);
  EXPECT_EQ(h.log, (Log{"10:t105", "10:t8", "20:t105", "20:t8"}));
}

TEST(VirtualEventLoop, HandlerThatKeepsPostingDoesNotHangPumpOrAdvance) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  int count = 0;
  h.onMessage[1] = [&] {
    ++count;
    loop.PostMessage({1, 0, 0, {}});
  };
  loop.PostMessage({1, 0, 0, {}});
  loop.Pump();
  EXPECT_EQ(count, 1);
  loop.SetTimer(9, 10);
  h.log.clear();
  loop.Advance(10);
  EXPECT_GT(count, 1);
  EXPECT_EQ(loop.TickCount(), 10u);
  EXPECT_NE(std::find(h.log.begin(), h.log.end(), "10:t9"), h.log.end());
}

TEST(VirtualEventLoop, KillTimersStopsARangeAndSourcesArePolledEachPump) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  for (uint32_t id : {0u, 4u, 600u, 1001u, 2000u, 2001u})
    loop.SetTimer(id, 10);
  loop.KillTimers(1001, 2000);
  loop.KillTimer(0);
  loop.KillTimer(77);  // not armed: nothing happens
  EXPECT_TRUE(loop.HasTimer(4));
  EXPECT_FALSE(loop.HasTimer(1001));
  EXPECT_FALSE(loop.HasTimer(2000));
  EXPECT_TRUE(loop.HasTimer(2001));

  int polls = 0;
  const int handle = loop.AddSource([&] {
    if (++polls == 2)
      loop.PostMessage({999, 0, 0, {}});
  });
  loop.Pump();
  loop.Pump();
  loop.RemoveSource(handle);
  loop.Pump();
  EXPECT_EQ(polls, 2);
  EXPECT_EQ(h.log, (Log{"0:m999"}));
}

TEST(VirtualEventLoop, WaitUntilWithNothingArmedDoesNotMoveTime) {
  VirtualEventLoop loop;
  EXPECT_FALSE(loop.WaitUntil(EventLoop::kForever));
  EXPECT_EQ(loop.TickCount(), 0u);
  EXPECT_FALSE(loop.WaitUntil(70));
  EXPECT_EQ(loop.TickCount(), 70u);
}

TEST(VirtualEventLoop, DateAndTimeFollowTheVirtualClock) {
  VirtualEventLoop loop(*LocalDateTime::Parse("1999-12-31T23:59:58"));
  EXPECT_EQ(loop.Clock().Now().ToString(), "1999-12-31T23:59:58");
  loop.Advance(1999);
  EXPECT_EQ(loop.Clock().Now().ToString(), "1999-12-31T23:59:59");
  loop.Advance(1);
  EXPECT_EQ(loop.Clock().Now().ToString(), "2000-01-01T00:00:00");
  EXPECT_EQ(loop.Clock().Now().Weekday(), 6);  // Saturday
}

constexpr uint64_t kFar = 2147483648;  // the longest wait an events file can ask for

// A wait over billions of clock-timer periods: the clock timer fires at the last of its periods
// before each thing that happens, while an ordinary timer due far away fires exactly.
TEST(VirtualEventLoop, ClockTimersSkipIdlePeriodsAndOtherTimersFireExactly) {
  VirtualEventLoop loop;
  LogHandler h(loop);
  loop.SetTimer(1, static_cast<uint32_t>(kFar));
  loop.SetClockTimer(600, 500);
  ASSERT_FALSE(loop.Advance(kFar + 250));
  EXPECT_EQ(h.log, (Log{"2147483500:t600", "2147483648:t1"}));
  EXPECT_EQ(loop.TickCount(), kFar + 250);
  h.log.clear();
  ASSERT_FALSE(loop.Advance(1000));
  EXPECT_EQ(h.log, (Log{"2147484500:t600"}));
}

// Over a shorter wait every period of an ordinary timer can fire: what a clock timer leaves is
// the tail of that, the last period before the far timer and everything after it.
TEST(VirtualEventLoop, ClockTimersLeaveTheSameLastFiresAsOrdinaryTimers) {
  std::vector<Log> logs;
  for (bool clockTimer : {false, true}) {
    VirtualEventLoop loop;
    LogHandler h(loop);
    loop.SetTimer(1, 1'000'003);
    if (clockTimer)
      loop.SetClockTimer(600, 500);
    else
      loop.SetTimer(600, 500);
    loop.Advance(1'000'003 + 750);
    logs.push_back(h.log);
  }
  EXPECT_EQ(logs[1], (Log{"1000000:t600", "1000003:t1", "1000500:t600"}));
  ASSERT_GE(logs[0].size(), 3u);
  EXPECT_EQ(Log(logs[0].end() - 3, logs[0].end()), logs[1]);
}

// A handler that pauses in a nested loop (the Pause command) while the automation's next
// command waits for its time: the clock timer still fires at its last period before that time,
// and the command plays at the first pump after it, as it does when every period fires.
TEST(VirtualEventLoop, NestedPauseSkipsClockPeriodsUpToTheFeedsNextCommand) {
  for (bool clockTimer : {false, true}) {
    VirtualEventLoop loop;
    LogHandler h(loop);
    const uint64_t commandDue = 10'000'250;
    bool played = false;
    loop.SetNestedFeed(
        [&] {
          if (!played && loop.TickCount() >= commandDue) {
            played = true;
            WindowMessage message;
            message.id = 42;
            loop.PostMessage(message);
          }
        },
        [&] { return played ? EventLoop::kForever : commandDue; });
    h.onTimer[1] = [&] {
      loop.KillTimer(1);
      const uint64_t end = loop.TickCount() + 20'000'000;
      while (loop.TickCount() < end && !loop.WaitUntil(end)) {
      }
    };
    if (clockTimer)
      loop.SetClockTimer(600, 500);
    else
      loop.SetTimer(600, 500);
    loop.SetTimer(1, 1);
    h.onMessage[42] = [&] { h.log.push_back("played"); };
    loop.Advance(20);
    // What happened around the command is the same either way.
    const auto at = std::find(h.log.begin(), h.log.end(), "played");
    ASSERT_NE(at, h.log.end()) << clockTimer;
    ASSERT_GE(at - h.log.begin(), 2);
    EXPECT_EQ(Log(at - 2, at + 1), (Log{"10000000:t600", "10000500:m42", "played"})) << clockTimer;
    EXPECT_EQ(h.log.back(), "20000000:t600") << clockTimer;
    EXPECT_EQ(loop.TickCount(), 20'000'010u);
    if (clockTimer) {
      EXPECT_LT(h.log.size(), 10u);
    }
  }
}

}  // namespace
}  // namespace qlm
