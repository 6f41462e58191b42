#pragma once

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
class EventScriptRunner {
 public:
  EventScriptRunner(VirtualEventLoop& loop, HeadlessDialogs& dialogs, HeadlessDisplay& display,
                    AutomationTarget& target, CodePage codePage, std::ostream& diagnostics)
      : loop_(loop),
        dialogs_(dialogs),
        display_(display),
        target_(target),
        codePage_(std::move(codePage)),
        diagnostics_(diagnostics) {}

  // Returns the loop's exit code.
  int Run(const std::vector<EventCommand>& commands);

  // The same one command at a time, for events that arrive while the player runs: Start()
  // settles what start-up left pending, Step() plays one command, and both return false once a
  // quit was requested; Finish() closes the window as Run does after the last command.
  bool Start() { return !loop_.Settle(); }
  bool Step(const EventCommand& command) {
    Execute(command);
    return !loop_.QuitRequested();
  }
  int Finish();

 private:
  void Execute(const EventCommand& c);
  void Mouse(MouseAction action, int x, int y);

  VirtualEventLoop& loop_;
  HeadlessDialogs& dialogs_;
  HeadlessDisplay& display_;
  AutomationTarget& target_;
  CodePage codePage_;
  std::ostream& diagnostics_;
  int mouseX_ = -1;
  int mouseY_ = -1;
};

}  // namespace qlm
