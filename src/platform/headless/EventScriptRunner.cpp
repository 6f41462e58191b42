#include "platform/headless/EventScriptRunner.h"

namespace qlm {

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

int EventScriptRunner::Run(const std::vector<EventCommand>& commands) {
  if (Start()) {
    for (const EventCommand& c : commands) {
      if (!Step(c))
        break;
    }
  }
  return Finish();
}

int EventScriptRunner::Finish() {
  if (!loop_.QuitRequested()) {
    target_.Cancel();
    loop_.Settle();
    // A Cancel path that keeps the window open (an object named CBK_EXIT) still ends the run.
    if (!loop_.QuitRequested())
      loop_.PostQuit(0);
  }
  return loop_.ExitCode();
}

}  // namespace qlm
