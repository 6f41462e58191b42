#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/PageRecord.h"

namespace qlm {

class CPageManager;
class Dialogs;
class EventLoop;
class ExpressionEvaluator;
class FileSystem;
class ListBoxControl;
class ProfileStore;
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
bool HandleScriptMessage(ScriptHost& host, const WindowMessage& message);

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
  virtual void Invalidate(const IntRect& rect, bool erase) = 0;
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

  // ---- Object and window commands ----

  // Minimize and Restore: the platform's minimise and restore of the window.
  virtual void MinimizeWindow() {}
  virtual void RestoreWindow() {}

  // Changes the object list of a page. `edit` changes the list and returns, for each object of
  // the new list, the index it had before (kNewObject for one it added), so that the window
  // keeps the run-time state (offset, highlight, hover) of every object that stayed.
  static constexpr size_t kNewObject = SIZE_MAX;
  using ObjectListEdit = std::function<std::vector<size_t>(std::vector<ObjectRecord>&)>;
  virtual void EditObjectList(PageRecord& page, const ObjectListEdit& edit) { edit(page.objects); }

  // A script moved or resized an object (or changed its drawing order): objects that own a
  // child window move it along.
  virtual void ObjectMoved(PageRecord& /*page*/, ObjectRecord& /*object*/, bool /*resized*/) {}
  // A script replaced an object's text: an edit box shows it in its window.
  virtual void ObjectTextChanged(PageRecord& /*page*/, ObjectRecord& /*object*/) {}
  // A script changed the look of an object (colours, font, border).
  virtual void ObjectStyleChanged(PageRecord& /*page*/, ObjectRecord& /*object*/) {}

  // Path macros ("<SrcDir>", "<Temp>" ...) applied to a file argument.
  virtual std::string ExpandPathMacros(const std::string& text) { return text; }
  // The bytes of a file named as scripts name files, or nullopt when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& /*windowsPath*/) {
    return std::nullopt;
  }
  // Entry `number` (counted from 1) of the song list, or nullopt outside the list.
  virtual std::optional<std::string> SongListEntry(int64_t /*number*/) const {
    return std::nullopt;
  }
  // Vertical resolution of the screen in dots per inch; font sizes in points use it.
  virtual int ScreenDpiY() const { return 96; }
  // The full-screen background behind the window changed (colour, image or placement).
  virtual void BackdropChanged() {}

  // ---- System and file commands ----

  // Starts a program or document as Run does: applies the path macros, starts it (or records
  // what it would start), publishes CBK_ReturnVal and repaints.
  virtual void Launch(const std::string& /*program*/, const std::string& /*options*/) {}
  // The files scripts name, or null when the host reaches none.
  virtual FileSystem* Files() { return nullptr; }
  // The per-user profile (null when there is none) and the project's section in it.
  virtual ProfileStore* Profile() { return nullptr; }
  virtual std::string ProfileSection() const { return "QLM"; }
  // A file dialog chose a path: "<File>" stands for it from now on.
  virtual void SetFileText(const std::string& /*path*/) {}
  // SysCommand's window placement; a size below 1 keeps that dimension.
  virtual void ResizeWindow(int /*width*/, int /*height*/) {}
  virtual void MoveWindow(int /*x*/, int /*y*/) {}
  virtual void CenterWindow() {}
  virtual void SetTopmost(bool /*topmost*/) {}
  // The clipboard's text; nullopt when it holds none.
  virtual void SetClipboardText(const std::string& /*text*/) {}
  virtual std::optional<std::string> ClipboardText() { return std::nullopt; }
  // SearchForFiles: the song list becomes these files (Windows paths), in order.
  virtual void SetSongList(std::vector<std::string> /*files*/) {}
  // Adds a font file (a host path) to the fonts the player draws with; false on failure.
  virtual bool InstallFont(const std::filesystem::path& /*file*/) { return false; }

  // ---- List-object commands ----

  // The list control of a list-box object (kind 29), made from its stored strings the first
  // time it is asked for; null for other objects and where no list controls exist.
  virtual ListBoxControl* ListBoxOf(ObjectRecord& /*object*/) { return nullptr; }
  // Appends entries to the song list and updates its display. The default rebuilds the list
  // through SongListEntry and SetSongList.
  virtual void AppendToSongList(const std::vector<std::string>& entries) {
    std::vector<std::string> list;
    for (int64_t n = 1; std::optional<std::string> entry = SongListEntry(n); ++n)
      list.push_back(std::move(*entry));
    list.insert(list.end(), entries.begin(), entries.end());
    SetSongList(std::move(list));
  }
};

}  // namespace qlm
