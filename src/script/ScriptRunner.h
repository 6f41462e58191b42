#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/ScriptBody.h"
#include "script/CommandCode.h"
#include "script/PageNavigator.h"
#include "script/ScriptRoles.h"
#include "script/WindowTimers.h"

namespace qlm {

class ExpressionEvaluator;
class ScriptRunner;
struct CompiledExpression;
struct PageRecord;

// How a command handler lets the run go on.
enum class CommandResult {
  kContinue,
  kEndFalse,  // the whole run ends with false (a pump saw a quit or a page change)
};

// What a command handler receives for one statement. `host` is what every command may use;
// the other roles are reached by name, so a handler says which parts of the window it needs.
struct CommandContext {
  ScriptRunner& runner;
  ScriptHost& host;
  const ScriptStatement& statement;
  ObjectRecord* object;  // FindObject of the expanded arg1, or null
  PageRecord* page;      // the page a "Page::" prefix named, or null for the current page
  IntRect& dirtyRect;    // union of the areas this run changed; repainted when the run ends
  const ScriptRoles& roles;

  PageHost& Pages() const { return roles.pages; }
  ObjectHost& Objects() const { return roles.objects; }
  WindowHost& Window() const { return roles.window; }
  SystemHost& System() const { return roles.system; }
  ListHost& Lists() const { return roles.lists; }
  PageNavigator& Navigation() const;
};

using CommandHandler = std::function<CommandResult(CommandContext&)>;

// Runs scripts on the player's user-interface thread: the recursion depth, If levels, For
// loops, Break, Return and the stop flag; the page, exit and script timers; and the batching of
// repaints into one invalidation per run. Commands are dispatched by code to handlers; codes
// without a handler do nothing.
class ScriptRunner {
 public:
  static constexpr int kMaxDepth = 50;
  static constexpr int kMaxIfLevel = 50;
  static constexpr size_t kTimerSlots = 1001;  // slot 0: timer 4; slots 1..1000: 1001..2000

  enum PageTimerMode { kTimerNone = 0, kTimerExit = 2, kTimerPage = 3 };

  explicit ScriptRunner(const ScriptRoles& roles);
  explicit ScriptRunner(CombinedScriptHost& host) : ScriptRunner(host.Roles()) {}
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs a body to its end. The statements are taken as they are when the run starts, so a
  // handler that replaces or moves the body cannot pull them away from under the run. False
  // when the run was refused (depth limit, stop flag, nothing to run) or ended by Return, the
  // stop flag or a failed nested run.
  bool ExecuteScript(const ScriptBody& body);
  // The same for a body the caller gives up; no copy is made.
  bool ExecuteScript(std::shared_ptr<const ScriptBody> body);

  // The page-enter step: runs the current page's enter script now, or, when it holds a command
  // whose row defers the page enter (VideoPlay, Minimize, MoveTo, Refresh), from timer 105
  // after `delayMs` once the window is visible.
  void StartPageScript(uint32_t delayMs);
  // Runs a page's exit script with the page name as its owner (for the page manager's owner).
  bool RunPageExitScript(PageRecord& page);

  // The window forwards its timers here. True when the id is one of the executor's.
  bool OnTimer(uint32_t id);

  // Page changes and requests for another project.
  PageNavigator& Navigation() { return navigation_; }

  // Kills timers 0, 4 and 1001..2000 and forgets the page timer.
  void KillScriptTimers();

  // A handler that replaces a script body calls this first: a run of that body ends after the
  // statement that replaced it.
  void NoteBodyReplaced(const ScriptBody& body);

  // The stop flag makes every active loop end with false at its next statement; it stays set
  // (and no script starts) until cleared.
  void SetStopFlag(bool stop);
  bool StopFlag() const { return stopFlag_; }
  bool IsRunning() const { return running_; }
  int Depth() const { return depth_; }
  bool BreakFlag() const { return breakFlag_; }
  void SetBreakFlag() { breakFlag_ = true; }
  // Set by the Page command so that a pumping loop knows the page changed under it.
  void SetPageChanged() { pageChanged_ = true; }

  // Pumps pending window messages for a waiting command. False when a quit was requested or a
  // Page command ran meanwhile.
  bool PumpMessages();
  // The same for a command that waits until `tick` (Pause, MoveTo): dispatches what comes
  // meanwhile and returns at the tick, the next timer or input. False as PumpMessages answers.
  bool WaitMessages(uint64_t tick);

  int PageTimerModeValue() const { return pageTimerMode_; }
  const std::string& PageTimerTarget() const { return pageTimerTarget_; }
  void ArmPageTimer(int mode, std::string target, uint32_t intervalMs);
  // Stores the object name in the timer's slot and arms the one-shot timer (4, 1001..2000).
  void ArmScriptTimer(uint32_t id, std::string objectName, uint32_t intervalMs);
  const std::string& TimerSlot(uint32_t id) const;

  // Handlers by command code; a later handler for a code replaces the earlier one.
  void SetHandler(CommandCode code, CommandHandler handler);
  bool HasHandler(CommandCode code) const;

  ScriptHost& Host() { return host_; }
  const ScriptRoles& Roles() const { return roles_; }
  // The owner of the innermost running script that has one (For bodies and compiled script
  // texts run within the script that started them); empty when no script runs.
  std::string RunningOwnerName() const;

 private:
  using BodyPtr = std::shared_ptr<const ScriptBody>;
  struct LoopState;

  // The compiled expressions of a body's statements, by index, made when a statement first
  // runs. A For keeps one for its body through all its iterations, so that they skip the
  // evaluator's look-up by text. They belong to the evaluator that compiled them.
  struct BodyPrograms {
    ExpressionEvaluator* evaluator = nullptr;
    std::vector<std::shared_ptr<const CompiledExpression>> statements;
  };

  // Depth accounting around one statement loop.
  bool RunNested(const ScriptBody& body, const ScriptBody* origin,
                 BodyPrograms* programs = nullptr);
  bool StatementLoop(const ScriptBody& body, const ScriptBody* origin, BodyPrograms* programs);
  // Runs the For statement at `index` and moves `index` to its Next. Returns false when the
  // whole run must end with false; sets `ended` when the run ends with true.
  bool RunFor(const ScriptBody& body, size_t& index, bool& ended);
  bool RunPageEnterNow();
  void OnPageTimer();
  void OnScriptTimer(uint32_t id);
  bool BodyReplacedSince(const ScriptBody* origin, size_t mark) const;
  void ShowEvaluatorError();

  ScriptRoles roles_;
  ScriptHost& host_;
  int depth_ = 0;
  bool running_ = false;
  bool breakFlag_ = false;
  bool stopFlag_ = false;
  bool pageChanged_ = false;
  const ScriptBody* currentScript_ = nullptr;
  int pageTimerMode_ = kTimerNone;
  std::string pageTimerTarget_;
  std::array<std::string, kTimerSlots> timerSlots_;
  std::vector<CommandHandler> handlers_;  // by code
  std::vector<const ScriptBody*> replacedBodies_;
  std::vector<std::string> owners_;  // owner names of the running scripts that have one
  PageNavigator navigation_{*this};
};

inline PageNavigator& CommandContext::Navigation() const {
  return runner.Navigation();
}

// Registers the command handlers of the core groups: objects, pages, timers, scripts and
// messages.
void RegisterCoreCommands(ScriptRunner& runner);

}  // namespace qlm
