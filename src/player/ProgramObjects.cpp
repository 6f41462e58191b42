#include "player/ProgramObjects.h"

#include "platform/EventLoop.h"

namespace qlm {

struct ProgramObjects::Entry {
  ObjectRecord* object = nullptr;
  bool started = false;
  uint64_t startedAt = 0;
  uint64_t lastLook = 0;
  int looks = 0;
  // Declared before the window: the window is let go (asked to close) before the program ends.
  std::unique_ptr<RunningProgram> program;
  std::unique_ptr<ProgramWindow> window;
};

ProgramObjects::ProgramObjects(EventLoop& loop, ProgramWindows* windows, ProgramHost& host)
    : loop_(loop), windows_(windows), host_(host) {}

ProgramObjects::~ProgramObjects() {
  Clear();
}

void ProgramObjects::PagesShown(const std::vector<ObjectRecord*>& shown) {
  ObjectHoldings<Entry> kept;
  for (ObjectRecord* object : shown) {
    if (object->typeCode != kObjProgram || kept.contains(object))
      continue;
    auto it = entries_.find(object);
    if (it == entries_.end()) {
      auto entry = std::make_unique<Entry>();
      entry->object = object;
      kept.emplace(object, std::move(entry));
    } else {
      kept.emplace(object, std::move(it->second));
      entries_.erase(it);
    }
  }
  // What is left went with its page.
  entries_.swap(kept);
  kept.clear();
  UpdatePolling();
}

void ProgramObjects::Rebind(const std::vector<const ObjectRecord*>& records,
                            std::vector<ObjectRecord>& objects, const std::vector<size_t>& from) {
  RebindHoldings(entries_, records, objects, from);
  UpdatePolling();
}

void ProgramObjects::Clear() {
  entries_.clear();
  UpdatePolling();
}

void ProgramObjects::Follow() {
  for (auto& [record, entry] : entries_) {
    if (entry->window)
      entry->window->Place(host_.RectOf(*entry->object), host_.Shown(*entry->object));
  }
}

bool ProgramObjects::Send(const ObjectRecord& object, const std::array<int32_t, 3>& values,
                          int count) {
  const auto it = entries_.find(&object);
  if (it == entries_.end() || !it->second->window)
    return false;
  return it->second->window->Send(values, count);
}

void ProgramObjects::Clip(const ObjectRecord& object, const IntRect& rect,
                          const std::vector<IntRect>& covered) {
  const auto it = entries_.find(&object);
  if (it != entries_.end() && it->second->window)
    it->second->window->Clip(rect, covered);
}

bool ProgramObjects::HoldsWindow(const ObjectRecord& object) const {
  const auto it = entries_.find(&object);
  return it != entries_.end() && it->second->window != nullptr;
}

void ProgramObjects::StartPending() {
  // Starting may ask the user, and the box lets the loop run: a page change meanwhile may
  // close any entry, so each start looks the entries up afresh.
  for (;;) {
    Entry* next = nullptr;
    for (auto& [record, entry] : entries_) {
      if (!entry->started) {
        next = entry.get();
        break;
      }
    }
    if (!next)
      return;
    next->started = true;
    const ObjectRecord* object = next->object;
    std::unique_ptr<RunningProgram> program = host_.Start(*object);
    const auto it = entries_.find(object);
    if (it == entries_.end() || it->second.get() != next)
      continue;  // its page went while the user was asked: the program goes with it
    next->program = std::move(program);
    next->startedAt = loop_.TickCount();
  }
}

void ProgramObjects::Poll() {
  if (polling_)
    return;
  polling_ = true;
  StartPending();
  const uint64_t now = loop_.TickCount();
  for (auto& [record, entry] : entries_) {
    if (!entry->program)
      continue;
    const bool held = entry->window != nullptr;
    if (entry->window && !entry->window->Alive())
      entry->window.reset();
    if (!entry->program->Running()) {
      // It ended by itself: the object shows its frame again.
      entry->window.reset();
      entry->program.reset();
    }
    if (held && !entry->window)
      host_.HoldChanged(*entry->object);
    if (!entry->program)
      continue;
    if (entry->window || !windows_ || now - entry->startedAt > kFindWindowMs ||
        (entry->looks > 0 && now - entry->lastLook < kLookEveryMs))
      continue;
    entry->lastLook = now;
    ++entry->looks;
    entry->window = windows_->Adopt(entry->program->Pid());
    if (entry->window) {
      entry->window->Place(host_.RectOf(*entry->object), host_.Shown(*entry->object));
      host_.HoldChanged(*entry->object);
    }
  }
  Follow();
  polling_ = false;
  UpdatePolling();
}

void ProgramObjects::UpdatePolling() {
  bool needed = false;
  for (const auto& [record, entry] : entries_)
    needed = needed || !entry->started || entry->program;
  if (needed && pollSource_ == 0) {
    pollSource_ = loop_.AddSource([this] { Poll(); });
  } else if (!needed && pollSource_ != 0 && !polling_) {
    loop_.RemoveSource(pollSource_);
    pollSource_ = 0;
  }
}

}  // namespace qlm
