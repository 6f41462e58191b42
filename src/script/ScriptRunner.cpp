#include "script/ScriptRunner.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "document/ObjectFields.h"
#include "document/PageManager.h"
#include "expr/ExpandArgument.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "graphics/SaturatingRect.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "script/CommandTable.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr size_t kHandlerSlots = kMaxCommandCode + 1;

// The message of a nesting limit: "<what> reached <limit> levels."
std::string LimitMessage(std::string_view what, int limit) {
  return std::string(what) + " reached " + std::to_string(limit) + " levels.";
}

// The loop variable of a For: the text before the first "=", trimmed; empty when "=" is
// missing or first.
std::string ForVariable(const std::string& init) {
  const size_t eq = init.find('=');
  if (eq == std::string::npos || eq == 0)
    return {};
  return std::string(Trim(std::string_view(init).substr(0, eq)));
}

bool IsInfinity(const std::string& limit) {
  return limit == "infinity" || limit == "INFINITY" || limit == "Infinity";
}

}  // namespace

ScriptRunner::ScriptRunner(const ScriptRoles& roles)
    : roles_(roles), host_(roles.core), handlers_(kHandlerSlots) {}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::SetHandler(CommandCode code, CommandHandler handler) {
  handlers_[static_cast<size_t>(StoredCode(code))] = std::move(handler);
}

bool ScriptRunner::HasHandler(CommandCode code) const {
  return static_cast<bool>(handlers_[static_cast<size_t>(StoredCode(code))]);
}

void ScriptRunner::SetStopFlag(bool stop) {
  stopFlag_ = stop;
  if (stop)
    currentScript_ = nullptr;
}

std::string ScriptRunner::RunningOwnerName() const {
  return owners_.empty() ? std::string() : owners_.back();
}

void ScriptRunner::NoteBodyReplaced(const ScriptBody& body) {
  if (depth_ > 0)
    replacedBodies_.push_back(&body);
}

bool ScriptRunner::BodyReplacedSince(const ScriptBody* origin, size_t mark) const {
  if (!origin || replacedBodies_.size() <= mark)
    return false;
  return std::find(replacedBodies_.begin() + static_cast<std::ptrdiff_t>(mark),
                   replacedBodies_.end(), origin) != replacedBodies_.end();
}

bool ScriptRunner::ExecuteScript(const ScriptBody& body) {
  if (depth_ + 1 >= kMaxDepth)
    return RunNested(body, &body);
  if (body.statements.empty())
    return RunNested(body, &body);
  // The run reads a copy: handlers may replace the stored body or move the object that owns it.
  const auto snapshot = std::make_shared<const ScriptBody>(body);
  return RunNested(*snapshot, &body);
}

bool ScriptRunner::ExecuteScript(std::shared_ptr<const ScriptBody> body) {
  if (!body)
    return false;
  return RunNested(*body, nullptr);
}

bool ScriptRunner::RunNested(const ScriptBody& body, const ScriptBody* origin,
                             BodyPrograms* programs) {
  ++depth_;
  bool result = false;
  if (depth_ >= kMaxDepth) {
    host_.GetDialogs().Message(LimitMessage("Recursion in Script", kMaxDepth));
  } else {
    const ScriptBody* saved = currentScript_;
    const bool owned = !body.ownerName.empty();
    if (owned)
      owners_.push_back(body.ownerName);
    result = StatementLoop(body, origin, programs);
    if (owned)
      owners_.pop_back();
    if (currentScript_ != nullptr || !stopFlag_)
      currentScript_ = saved;
  }
  --depth_;
  if (depth_ == 0) {
    // A Break outside any For has no loop to consume it; it must not block later scripts.
    breakFlag_ = false;
    replacedBodies_.clear();
  }
  return result;
}

void ScriptRunner::ShowEvaluatorError() {
  ExpressionEvaluator& ev = host_.Evaluator();
  host_.GetDialogs().Message(ev.ErrorMessage() + "\n" + ev.ErrorLocation());
}

bool ScriptRunner::StatementLoop(const ScriptBody& body, const ScriptBody* origin,
                                 BodyPrograms* programs) {
  if (!host_.WindowExists() || body.statements.empty() || stopFlag_ ||
      host_.PageManager().CurrentPage() == nullptr) {
    return false;
  }
  currentScript_ = &body;
  running_ = true;
  std::array<bool, kMaxIfLevel + 1> ifActive{};
  ifActive[0] = true;
  int ifLevel = 0;
  bool executing = true;
  IntRect dirty{};
  const size_t replacedMark = replacedBodies_.size();
  ExpressionEvaluator& ev = host_.Evaluator();
  CPageManager& pages = host_.PageManager();
  const auto& statements = body.statements;
  if (programs && programs->evaluator != &ev)
    programs = nullptr;

  // Evaluates the statement at `index` through its kept program when the body has them.
  auto evaluate = [&](size_t index, ExpressionEvaluator::Mode mode) {
    const std::string& text = statements[index].arg2;
    if (programs) {
      auto& program = programs->statements[index];
      if (!program)
        program = ev.Compile(text, mode);
      if (program)
        return ev.Run(*program);
    }
    return mode == ExpressionEvaluator::StatementMode ? ev.ExecuteStatement(text)
                                                      : ev.EvaluateCondition(text);
  };

  // An If opens a level with this state unless the levels are used up.
  auto openIfLevel = [&](bool active) {
    if (ifLevel >= kMaxIfLevel) {
      host_.GetDialogs().Message(LimitMessage("If .. Then", kMaxIfLevel));
      return false;
    }
    ifActive[static_cast<size_t>(++ifLevel)] = active;
    return true;
  };

  // Every way out repaints what the run changed: grown by 1 pixel when it ran to its end.
  auto endTrue = [&] {
    if (!dirty.Empty())
      host_.Invalidate(InflatedRect(dirty, 1), true);
    running_ = false;
    return true;
  };
  auto endFalse = [&] {
    if (!dirty.Empty())
      host_.Invalidate(dirty, true);
    running_ = false;
    return false;
  };

  for (size_t index = 0; index < statements.size(); ++index) {
    const ScriptStatement& statement = statements[index];
    if (stopFlag_)
      return endFalse();
    if (breakFlag_)
      return endTrue();

    const int32_t code = statement.code;
    if (!executing) {
      switch (code) {
        case KindIf:
          openIfLevel(false);
          break;
        case KindEnd:
          if (ifLevel > 0)
            executing = ifActive[static_cast<size_t>(--ifLevel)];
          break;
        case KindElse:
          if (ifLevel > 0 && ifActive[static_cast<size_t>(ifLevel - 1)]) {
            ifActive[static_cast<size_t>(ifLevel)] = true;
            executing = true;
          }
          break;
        default:
          break;
      }
    } else {
      switch (code) {
        case KindAssign:
          if (!statement.arg2.empty()) {
            evaluate(index, ExpressionEvaluator::StatementMode);
            if (ev.HasError())
              ShowEvaluatorError();
          }
          break;
        case KindIf: {
          if (statement.arg2.empty())
            break;
          const double value = evaluate(index, ExpressionEvaluator::ConditionMode);
          if (ev.HasError())
            ShowEvaluatorError();
          if (openIfLevel(value != 0.0))
            executing = value != 0.0;
          break;
        }
        case KindEnd:
          if (ifLevel > 0)
            executing = ifActive[static_cast<size_t>(--ifLevel)];
          break;
        case KindElse:
          ifActive[static_cast<size_t>(ifLevel)] = false;
          executing = false;
          break;
        case KindFor: {
          bool ended = false;
          if (!RunFor(body, index, ended))
            return endFalse();
          if (ended)
            return endTrue();
          break;
        }
        case KindNext:
          if (!statement.arg2.empty()) {
            host_.GetDialogs().Message("Script Error: Unused next\nnext " + statement.arg2);
          }
          break;
        case KindCommentBegin:
        case KindCommentLine:
        case KindCommentEnd:
        case KindMarked:
          break;
        case StoredCode(CommandCode::kReturn):
          return endFalse();
        case StoredCode(CommandCode::kBreak):
          breakFlag_ = true;
          break;
        default: {
          if (code < 0 || static_cast<size_t>(code) >= handlers_.size())
            break;
          const CommandHandler& handler = handlers_[static_cast<size_t>(code)];
          if (!handler)
            break;
          const std::string name = ExpandArgument(ev.Variables(), statement.arg1);
          const bool resolveIndex = !CommandHasFlag(code, command_flag::kNameAsWritten);
          const ObjectTarget target = FindObject(pages, ev.Variables(), name, resolveIndex);
          CommandContext context{
              *this, host_, statement, target.object, FindPrefixPage(pages, name), dirty, roles_};
          if (handler(context) == CommandResult::kEndFalse)
            return endFalse();
          break;
        }
      }
    }

    if (index + 1 >= statements.size())
      return endTrue();
    if (currentScript_ != nullptr && BodyReplacedSince(origin, replacedMark))
      return endTrue();
  }
  return endTrue();
}

bool ScriptRunner::RunFor(const ScriptBody& body, size_t& index, bool& ended) {
  const ScriptStatement& forLine = body.statements[index];
  if (forLine.arg2.empty() || forLine.arg3.empty())
    return true;
  ExpressionEvaluator& ev = host_.Evaluator();
  const int64_t start = TruncateToInt32(ev.ExecuteStatement(forLine.arg2));
  std::string variable = ForVariable(forLine.arg2);
  if (variable.find('[') != std::string::npos)
    variable = ev.NormalizeName(variable);
  const bool endless = IsInfinity(forLine.arg3);
  int64_t limit = endless ? 0 : TruncateToInt32(ev.ExecuteStatement(forLine.arg3));

  // The body runs as a script of its own, built once for this execution of the For.
  size_t next = index + 1;
  const auto& statements = body.statements;
  while (next < statements.size() &&
         !(statements[next].code == KindNext && Trim(statements[next].arg2) == variable)) {
    ++next;
  }
  if (next >= statements.size()) {
    const int answer =
        host_.GetDialogs().MessageBox("Script Error: Cannot find 'next' for identifier '" +
                                          variable + "'\nDo you want to continue?",
                                      host_.GetDialogs().Caption(), mb::kYesNo);
    if (answer == idb::kNo)
      roles_.pages.ClosePlayer();
    index = statements.size() - 1;
    ended = true;
    return true;
  }
  auto loopBody = std::make_shared<ScriptBody>();
  loopBody->statements.assign(statements.begin() + static_cast<std::ptrdiff_t>(index + 1),
                              statements.begin() + static_cast<std::ptrdiff_t>(next));
  index = next;
  BodyPrograms programs{&ev, {}};
  programs.statements.resize(loopBody->statements.size());

  if (endless) {
    while (!stopFlag_) {
      if (!RunNested(*loopBody, nullptr, &programs))
        return false;
      host_.InvalidateAll(true);
      if (!PumpMessages())
        return false;
      if (stopFlag_)
        return false;
      if (breakFlag_) {
        breakFlag_ = false;
        break;
      }
    }
    return true;
  }

  // The counter lives outside the script: the variable is set from it every iteration, and
  // 64 bits keep a limit at the end of the 32-bit range from wrapping around.
  // The limit is evaluated again after every iteration; its program is kept for the loop, and
  // so is the loop variable's record once it exists (records never move).
  const auto limitProgram = ev.Compile(forLine.arg3, ExpressionEvaluator::StatementMode);
  VariableRecord* counter = nullptr;
  const bool down = start > limit;
  int64_t i = start;
  do {
    if (counter) {
      counter->number = static_cast<double>(i);
    } else if (!variable.empty()) {
      ev.SetNumber(variable, static_cast<double>(i));
      counter = ev.Variables().FindMutable(variable);
    }
    if (stopFlag_)
      return false;
    if (!RunNested(*loopBody, nullptr, &programs))
      return false;
    if (breakFlag_) {
      breakFlag_ = false;
      i = limit;
    }
    if (stopFlag_)
      return false;
    limit =
        TruncateToInt32(limitProgram ? ev.Run(*limitProgram) : ev.ExecuteStatement(forLine.arg3));
    i = down ? i - 1 : i + 1;
  } while (down ? i >= limit : i <= limit);
  return true;
}

bool ScriptRunner::PumpMessages() {
  pageChanged_ = false;
  if (host_.Loop().Pump())
    return false;
  return !pageChanged_;
}

bool ScriptRunner::WaitMessages(uint64_t tick) {
  pageChanged_ = false;
  if (host_.Loop().WaitUntil(tick))
    return false;
  return !pageChanged_;
}

bool ScriptRunner::RunPageExitScript(PageRecord& page) {
  page.exitScript.ownerName = page.name;
  return ExecuteScript(page.exitScript);
}

bool ScriptRunner::RunPageEnterNow() {
  PageRecord* page = host_.PageManager().CurrentPage();
  if (!page)
    return false;
  page->enterScript.ownerName = page->name;
  return ExecuteScript(page->enterScript);
}

void ScriptRunner::StartPageScript(uint32_t delayMs) {
  const PageRecord* page = host_.PageManager().CurrentPage();
  if (!page)
    return;
  const bool defer = std::any_of(page->enterScript.statements.begin(),
                                 page->enterScript.statements.end(), [](const ScriptStatement& s) {
                                   return CommandHasFlag(s.code, command_flag::kDefersPageEnter);
                                 });
  if (defer) {
    host_.Loop().SetTimer(window_timer::kPageScript, std::max<uint32_t>(delayMs, 1));
  } else {
    // A page left before its deferred script ran must not have it run on this one: the timer
    // runs whatever page is current, and this page's script runs now.
    host_.Loop().KillTimer(window_timer::kPageScript);
    RunPageEnterNow();
  }
}

void ScriptRunner::KillScriptTimers() {
  EventLoop& loop = host_.Loop();
  loop.KillTimer(window_timer::kPage);
  loop.KillTimer(window_timer::kScript);
  loop.KillTimers(window_timer::kFirstNamed, window_timer::kLastNamed);
  pageTimerMode_ = kTimerNone;
}

void ScriptRunner::ArmPageTimer(int mode, std::string target, uint32_t intervalMs) {
  EventLoop& loop = host_.Loop();
  loop.KillTimer(window_timer::kPage);
  pageTimerMode_ = mode;
  if (mode == kTimerPage)
    pageTimerTarget_ = std::move(target);
  loop.SetTimer(window_timer::kPage, intervalMs);
}

namespace {

size_t SlotOf(uint32_t id) {
  if (id == window_timer::kScript)
    return 0;
  if (id >= window_timer::kFirstNamed && id <= window_timer::kLastNamed) {
    return id - window_timer::kFirstNamed + 1;
  }
  return ScriptRunner::kTimerSlots;
}

}  // namespace

void ScriptRunner::ArmScriptTimer(uint32_t id, std::string objectName, uint32_t intervalMs) {
  const size_t slot = SlotOf(id);
  if (slot >= kTimerSlots)
    return;
  EventLoop& loop = host_.Loop();
  loop.KillTimer(id);
  timerSlots_[slot] = std::move(objectName);
  loop.SetTimer(id, intervalMs);
}

const std::string& ScriptRunner::TimerSlot(uint32_t id) const {
  static const std::string kNone;
  const size_t slot = SlotOf(id);
  return slot < kTimerSlots ? timerSlots_[slot] : kNone;
}

bool ScriptRunner::OnTimer(uint32_t id) {
  if (id == window_timer::kPage) {
    OnPageTimer();
    return true;
  }
  if (id == window_timer::kPageScript) {
    if (host_.IsWindowVisible()) {
      host_.Loop().KillTimer(window_timer::kPageScript);
      RunPageEnterNow();
    }
    return true;
  }
  if (SlotOf(id) < kTimerSlots) {
    OnScriptTimer(id);
    return true;
  }
  return false;
}

void ScriptRunner::OnPageTimer() {
  const int mode = pageTimerMode_;
  KillScriptTimers();
  if (mode == kTimerExit) {
    roles_.pages.ClosePlayer();
    return;
  }
  if (mode != kTimerPage)
    return;
  const std::string target = pageTimerTarget_;
  if (target.empty() || target == "IF_IDLE") {
    navigation_.ChangePage(CPageManager::kNext);
  } else if (target == "THIS_SCRIPT") {
    StartPageScript(1);
  } else if (target == "THIS_PAGE") {
    navigation_.ReshowPage();
  } else {
    navigation_.JumpToPage(target);
  }
}

void ScriptRunner::OnScriptTimer(uint32_t id) {
  host_.Loop().KillTimer(id);
  const std::string name = TimerSlot(id);
  if (name.empty())
    return;
  ExpressionEvaluator& ev = host_.Evaluator();
  const ObjectTarget target = FindObject(host_.PageManager(), ev.Variables(), name);
  if (!target.object)
    return;
  ScriptBody& body = ObjectScript(*target.object, ScriptSlot::kMain);
  body.ownerName = target.object->name;
  ExecuteScript(body);
}

}  // namespace qlm
