#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "document/ObjectRecord.h"
#include "graphics/Geometry.h"
#include "platform/Processes.h"
#include "platform/ProgramWindows.h"
#include "player/ObjectHoldings.h"

namespace qlm {

class EventLoop;
class ScriptRunner;

// What embedded-program objects need from the player window.
class ProgramHost {
 public:
  virtual ~ProgramHost() = default;
  // Starts the object's program as any launch starts: the trust policy judges it (asking for
  // consent), the launch is reported, a failure shows its message. Null when nothing runs.
  virtual std::unique_ptr<RunningProgram> Start(const ObjectRecord& object) = 0;
  // Where the object is now (client pixels, its offset included), and whether it is shown.
  virtual IntRect RectOf(const ObjectRecord& object) = 0;
  virtual bool Shown(const ObjectRecord& object) = 0;
  // The object came to hold a window or let it go (the page's drawing changes).
  virtual void HoldChanged(const ObjectRecord& /*object*/) {}
};

// The embedded-program objects (kind 24) of the shown pages. An object that comes into view
// starts its program (once the events of the page change are through, as consent may be
// asked); the program's top-level window, looked for by its process for kFindWindowMs, is then
// held over the object's rectangle, hidden while the object is, moved and scaled with it.
// An object whose page goes closes its program. Without program windows (headless, no X
// server) the program starts, or is only reported, and the object shows its frame.
class ProgramObjects {
 public:
  static constexpr uint64_t kFindWindowMs = 10000;
  static constexpr uint64_t kLookEveryMs = 50;

  // `windows` may be null: no window is ever held.
  ProgramObjects(EventLoop& loop, ProgramWindows* windows, ProgramHost& host);
  ~ProgramObjects();
  ProgramObjects(const ProgramObjects&) = delete;
  ProgramObjects& operator=(const ProgramObjects&) = delete;

  // The program objects of the shown layers: objects that came are started, objects that went
  // are closed.
  void PagesShown(const std::vector<ObjectRecord*>& shown);
  // An edit of a page's object list moved its objects: `records` are the addresses before,
  // `objects` the list after and `from[j]` the old position of object j (or none).
  void Rebind(const std::vector<const ObjectRecord*>& records, std::vector<ObjectRecord>& objects,
              const std::vector<size_t>& from);
  // Closes every program (the project goes).
  void Clear();
  // Brings each held window to its object's place and visibility.
  void Follow();
  // SendCommand: `count` (2 or 3) numbers for the object's window. False when the object holds
  // no window.
  bool Send(const ObjectRecord& object, const std::array<int32_t, 3>& values, int count);
  // After the object was drawn: its window shows `rect` less `covered`.
  void Clip(const ObjectRecord& object, const IntRect& rect, const std::vector<IntRect>& covered);
  // Whether the object holds its program's window.
  bool HoldsWindow(const ObjectRecord& object) const;

 private:
  struct Entry;
  // Runs with the loop: starts what came into view, looks for windows, forgets ended programs.
  void Poll();
  void StartPending();
  void UpdatePolling();

  EventLoop& loop_;
  ProgramWindows* windows_;
  ProgramHost& host_;
  ObjectHoldings<Entry> entries_;
  int pollSource_ = 0;
  bool polling_ = false;  // inside Poll: a consent box pumps the loop, which must not poll again
};

// Installs the SendCommand command over `programs`.
void RegisterProgramCommands(ScriptRunner& runner, ProgramObjects& programs);

}  // namespace qlm
