#include "platform/headless/EventScriptRunner.h"

namespace qlm {

EventScriptRunner::EventScriptRunner(VirtualEventLoop& loop, HeadlessDialogs& dialogs,
                                     HeadlessDisplay& display, AutomationTarget& target,
                                     CodePage codePage, std::ostream& diagnostics)
    : loop_(loop),
      dialogs_(dialogs),
      display_(display),
      target_(target),
      codePage_(std::move(codePage)),
      diagnostics_(diagnostics) {
  loop_.SetNestedFeed([this] { FeedNested(); }, [this] { return NextFeedDue(); });
}

EventScriptRunner::~EventScriptRunner() {
  loop_.SetNestedFeed(nullptr);
}

void EventScriptRunner::Mouse(MouseAction action, int x, int y) {
  // The pointer moves to a button event's place first, as it does on a real screen.
  if (action != MouseAction::kMove && (x != mouseX_ || y != mouseY_)) {
    loop_.PostInput(MouseEvent{MouseAction::kMove, x, y, {}});
  }
  mouseX_ = x;
  mouseY_ = y;
  loop_.PostInput(MouseEvent{action, x, y, {}});
}

void EventScriptRunner::Execute(const EventCommand& c) {
  using K = EventCommand::Kind;
  switch (c.kind) {
    case K::kWait:
      loop_.Advance(static_cast<uint64_t>(c.number));
      return;
    case K::kClick:
      Mouse(MouseAction::kLeftDown, c.x, c.y);
      Mouse(MouseAction::kLeftUp, c.x, c.y);
      break;
    case K::kDoubleClick:
      // The window system's order: the second press arrives as a double click.
      Mouse(MouseAction::kLeftDown, c.x, c.y);
      Mouse(MouseAction::kLeftUp, c.x, c.y);
      Mouse(MouseAction::kLeftDoubleClick, c.x, c.y);
      Mouse(MouseAction::kLeftUp, c.x, c.y);
      break;
    case K::kDown:
      Mouse(MouseAction::kLeftDown, c.x, c.y);
      break;
    case K::kUp:
      Mouse(MouseAction::kLeftUp, c.x, c.y);
      break;
    case K::kMove:
      Mouse(MouseAction::kMove, c.x, c.y);
      break;
    case K::kRightDown:
      Mouse(MouseAction::kRightDown, c.x, c.y);
      break;
    case K::kRightUp:
      Mouse(MouseAction::kRightUp, c.x, c.y);
      break;
    case K::kWheel: {
      Mouse(MouseAction::kMove, c.x, c.y);
      MouseEvent wheel{MouseAction::kWheel, c.x, c.y, {}};
      wheel.wheel = static_cast<int>(c.number);
      loop_.PostInput(wheel);
      break;
    }
    case K::kKey:
      loop_.PostInput(KeyEvent{KeyAction::kDown, c.key, c.modifiers});
      loop_.PostInput(KeyEvent{KeyAction::kUp, c.key, c.modifiers});
      break;
    case K::kType:
      for (char ch : codePage_.FromUtf8(c.text)) {
        loop_.PostInput(CharEvent{static_cast<uint8_t>(ch)});
      }
      break;
    case K::kAnswer:
      if (c.textAnswer)
        dialogs_.PushChoice(codePage_.FromUtf8(c.text));
      else
        dialogs_.PushAnswer(static_cast<int>(c.number));
      return;
    case K::kScript:
      target_.RunScript(codePage_.FromUtf8(c.text));
      break;
    case K::kScreenshot: {
      std::string error;
      if (!display_.WriteScreenshot(c.text, error)) {
        diagnostics_ << "events line " << c.line << ": " << error << '\n';
      }
      return;
    }
    case K::kDump:
      target_.Dump();
      return;
    case K::kQuit:
      loop_.PostQuit(0);
      return;
  }
  loop_.Settle();
}

void EventScriptRunner::Queue(const std::vector<EventCommand>& commands) {
  queue_.insert(queue_.end(), commands.begin(), commands.end());
}

bool EventScriptRunner::Play() {
  while (!queue_.empty() && !loop_.QuitRequested()) {
    // Until this command is done, the next one's time counts from its end (a wait's end, or
    // now for anything a script may stretch).
    const EventCommand& c = queue_.front();
    headSince_ = loop_.TickCount() +
                 (c.kind == EventCommand::Kind::kWait ? static_cast<uint64_t>(c.number) : 0);
    headReady_ = false;
    PopAndExecute();
  }
  return !loop_.QuitRequested();
}

void EventScriptRunner::PopAndExecute() {
  const EventCommand c = std::move(queue_.front());
  queue_.pop_front();
  Execute(c);
}

void EventScriptRunner::FeedNested() {
  const uint64_t now = loop_.TickCount();
  pumpsAtTick_ = now == lastNestedTick_ ? pumpsAtTick_ + 1 : 0;
  lastNestedTick_ = now;
  const bool spinning = pumpsAtTick_ >= kSpinningPumps;
  if (queue_.empty()) {
    if (endOfInput_ && spinning)
      Finish();
    return;
  }
  const EventCommand& head = queue_.front();
  if (head.kind == EventCommand::Kind::kWait) {
    const uint64_t wait = static_cast<uint64_t>(head.number);
    const uint64_t elapsed = now > headSince_ ? now - headSince_ : 0;
    if (elapsed >= wait) {
      // The loop let the time pass itself.
      headSince_ += wait;
      headReady_ = true;
      queue_.pop_front();
    } else if (spinning) {
      queue_.pop_front();
      pumpsAtTick_ = 0;
      loop_.Advance(wait - elapsed);
      headSince_ = loop_.TickCount();
      headReady_ = true;
    }
    return;
  }
  if (headReady_ || spinning) {
    pumpsAtTick_ = 0;
    PopAndExecute();
    headSince_ = loop_.TickCount();
    headReady_ = true;
  }
}

uint64_t EventScriptRunner::NextFeedDue() const {
  if (queue_.empty())
    return EventLoop::kForever;
  const EventCommand& head = queue_.front();
  if (head.kind != EventCommand::Kind::kWait)
    return headReady_ ? loop_.TickCount() : EventLoop::kForever;
  const uint64_t wait = static_cast<uint64_t>(head.number);
  return wait > EventLoop::kForever - headSince_ ? EventLoop::kForever : headSince_ + wait;
}

int EventScriptRunner::Run(const std::vector<EventCommand>& commands) {
  Queue(commands);
  EndOfInput();
  if (Start())
    Play();
  return Finish();
}

int EventScriptRunner::Finish() {
  if (!loop_.QuitRequested() && !finished_) {
    finished_ = true;
    target_.Cancel();
    loop_.Settle();
    // A Cancel path that keeps the window open (an object named CBK_EXIT) still ends the run.
    if (!loop_.QuitRequested())
      loop_.PostQuit(0);
  }
  return loop_.ExitCode();
}

}  // namespace qlm
