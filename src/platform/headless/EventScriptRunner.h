#pragma once

#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/headless/EventScript.h"
#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/VirtualEventLoop.h"

namespace qlm {

// What the player does for the commands of an events file that reach into it.
class AutomationTarget {
 public:
  virtual ~AutomationTarget() = default;
  // Compiles and runs script text (code-page bytes, lines separated by CR LF) on the current
  // page, as RunScriptCode does with its error flag on.
  virtual void RunScript(const std::string& text) = 0;
  // Writes the "state" line.
  virtual void Dump() = 0;
  // Closes the window as the Escape key and the close box do (the Cancel path).
  virtual void Cancel() = 0;
};

// Plays an events file into a headless player: input goes through the event loop, time moves
// only with "wait", message boxes take the queued answers. After the last command the window is
// closed as the Cancel path does; "quit" ends the run at once.
//
// Commands are also played from inside the nested loops of scripts, so a presentation whose
// script never returns is still driven and ended by its events. A command normally waits for
// the one before it to finish; inside a nested loop the rest of the file goes on when its time
// comes: a "wait" is used up by the time the loop itself lets pass (Pause, MoveTo), and the
// commands after it then play at once; a loop that keeps pumping without time moving (an
// endless For) is spinning, and the next command plays there, a "wait" moving the clock.
class EventScriptRunner {
 public:
  EventScriptRunner(VirtualEventLoop& loop, HeadlessDialogs& dialogs, HeadlessDisplay& display,
                    AutomationTarget& target, CodePage codePage, std::ostream& diagnostics);
  ~EventScriptRunner();
  EventScriptRunner(const EventScriptRunner&) = delete;
  EventScriptRunner& operator=(const EventScriptRunner&) = delete;

  // Returns the loop's exit code.
  int Run(const std::vector<EventCommand>& commands);

  // The same in parts, for events that arrive while the player runs: Start() settles what
  // start-up left pending, Play() queues commands and plays them, and both return false once a
  // quit was requested; EndOfInput() says no command will follow (a nested loop that finds the
  // queue empty then closes the window as Finish does); Finish() closes the window as Run does
  // after the last command.
  bool Start() { return !loop_.Settle(); }
  void Queue(const std::vector<EventCommand>& commands);
  bool Play();
  bool Step(const EventCommand& command) {
    Queue({command});
    return Play();
  }
  void EndOfInput() { endOfInput_ = true; }
  int Finish();

 private:
  void Execute(const EventCommand& c);
  void Mouse(MouseAction action, int x, int y);
  // Plays the next queued command from a nested loop when its time has come.
  void FeedNested();
  // When FeedNested next plays something as the clock moves: the end of a queued wait, now for
  // a command whose time has come, never otherwise.
  uint64_t NextFeedDue() const;
  void PopAndExecute();

  // Nested pumps in a row at one instant after which the loop counts as spinning.
  static constexpr int kSpinningPumps = 8;

  VirtualEventLoop& loop_;
  HeadlessDialogs& dialogs_;
  HeadlessDisplay& display_;
  AutomationTarget& target_;
  CodePage codePage_;
  std::ostream& diagnostics_;
  std::deque<EventCommand> queue_;
  bool endOfInput_ = false;
  bool finished_ = false;
  uint64_t headSince_ = 0;  // when the first queued command could start
  bool headReady_ = false;  // the time of the first queued command has come in a nested loop
  uint64_t lastNestedTick_ = UINT64_MAX;
  int pumpsAtTick_ = 0;
  int mouseX_ = -1;
  int mouseY_ = -1;
};

}  // namespace qlm
