#pragma once

#include <string>

#include "document/ObjectRecord.h"

namespace qlm {

class CPageManager;
class Dialogs;
class EventLoop;
class ExpressionEvaluator;
struct PageRecord;

// What the script executor needs from the player window. The window implements it and hands
// it to its ScriptRunner; tests implement it over a virtual event loop and recording dialogs.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  virtual CPageManager& PageManager() = 0;
  // The live evaluator; its variable store is shared by every run.
  virtual ExpressionEvaluator& Evaluator() = 0;
  virtual Dialogs& GetDialogs() = 0;
  // Window timers (0, 4, 105, 1001..2000 are the executor's) and the pump of nested loops.
  virtual EventLoop& Loop() = 0;

  // False before the window is created and after it is gone: no script runs then.
  virtual bool WindowExists() const { return true; }
  // The deferred page script of timer 105 waits until this is true.
  virtual bool IsWindowVisible() const = 0;

  // Repaint requests in client coordinates.
  virtual void Invalidate(const Rect& rect, bool erase) = 0;
  virtual void InvalidateAll(bool erase) = 0;

  // Closes the player the OK way (Exit, the exit timer, No on a missing Next).
  virtual void ClosePlayer() = 0;

  // The page-shown routine after the page manager made a page current: ShowCurrentPage with
  // the window's hooks, plus whatever the window does for a new page. Not the enter script.
  virtual void ShowPage() = 0;

  // Page transitions: the old picture is captured before the page is left; Start returns true
  // when an animated transition began (it then repaints by itself).
  virtual void PrepareTransition() {}
  virtual bool StartTransition() { return false; }

  // The Page command gives the window the keyboard focus unless a list object holds it.
  virtual void FocusPlayerWindow() {}
  // Show of an edit-box object that owns a child window and was hidden before.
  virtual void FocusObject(PageRecord& /*page*/, ObjectRecord& /*object*/) {}

  // Caption of Message boxes.
  virtual std::string WindowTitle() const = 0;
  // The text the Page command uses for the page name "<File>".
  virtual std::string FileText() const { return {}; }
};

}  // namespace qlm
