#pragma once

#include <cstdint>

#include "document/ObjectRecord.h"

namespace qlm {

class CPageManager;
class Dialogs;
class EventLoop;
class ExpressionEvaluator;
class ObjectHost;
class ScriptHost;
struct WindowMessage;

// Window messages the command handlers post to the player window.
namespace script_message {
// DeleteObject: texts {page name, object name}; wParam 0 for a list page, 1 the Master Page,
// 2 the Master Layer; lParam the list position of the page.
inline constexpr uint32_t kDeleteObject = 2250;
}  // namespace script_message

// Carries out a message that a command handler posted (the deferred DeleteObject). False when
// the message is not one of theirs. The window calls it from its message handler.
bool HandleScriptMessage(ScriptHost& host, ObjectHost& objects, const WindowMessage& message);

// What every script run needs from the player window: the pages, the live evaluator, the
// dialogs, the event loop and repaints. The other roles (PageHost, ObjectHost, WindowHost,
// SystemHost, ListHost) are handed to the command groups that need them; ScriptRoles bundles
// them for the runner. Tests implement all of them over a virtual event loop and recording
// dialogs.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  virtual CPageManager& PageManager() = 0;
  // The live evaluator; its variable store is shared by every run.
  virtual ExpressionEvaluator& Evaluator() = 0;
  virtual Dialogs& GetDialogs() = 0;
  // Window timers (window_timer: 0, 4, 105, 1001..2000 are the executor's) and the pump of
  // nested loops.
  virtual EventLoop& Loop() = 0;

  // False before the window is created and after it is gone: no script runs then.
  virtual bool WindowExists() const { return true; }
  // The deferred page script of timer 105 waits until this is true.
  virtual bool IsWindowVisible() const = 0;

  // Repaint requests in client coordinates.
  virtual void Invalidate(const IntRect& rect, bool erase) = 0;
  virtual void InvalidateAll(bool erase) = 0;
};

}  // namespace qlm
