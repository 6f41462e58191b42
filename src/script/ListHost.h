#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/ObjectRecord.h"

namespace qlm {

class ListBoxControl;

// The lists scripts fill: the list controls of list-box objects and the song list.
class ListHost {
 public:
  virtual ~ListHost() = default;

  // The list control of a list-box object (kind 29), made from its stored strings the first
  // time it is asked for; null for other objects and where no list controls exist.
  virtual ListBoxControl* ListBoxOf(ObjectRecord& /*object*/) { return nullptr; }

  // Entry `number` (counted from 1) of the song list, or nullopt outside the list.
  virtual std::optional<std::string> SongListEntry(int64_t /*number*/) const {
    return std::nullopt;
  }
  // SearchForFiles: the song list becomes these files (Windows paths), in order.
  virtual void SetSongList(std::vector<std::string> /*files*/) {}
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
