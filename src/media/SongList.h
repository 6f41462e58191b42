#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qlm {

class BoundTextObjectFinder;
class ClassicRandom;
class VariableStore;

// The player's song list: an ordered list of media file paths, kept as they came, and the
// current item number. It lives as long as the player window.
class SongList {
 public:
  const std::vector<std::string>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  int32_t Current() const { return current_; }
  // Entry `number` counted from 1, or nullopt outside the list.
  std::optional<std::string> Entry(int64_t number) const;

  // Empties the list; current becomes 0.
  void Reset();
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  // Removes the entry at `index` counted from 0; false (nothing changes) outside the list.
  bool Delete(int64_t index);
  // The list becomes `entries` (current stays).
  void Replace(std::vector<std::string> entries) { entries_ = std::move(entries); }
  // With n entries, 2n swaps of two positions drawn from the classic generator.
  void Shuffle(ClassicRandom& random);
  // After the editor closed with OK.
  void SetCurrent(int32_t current) { current_ = current; }

  // CBK_CurItemList (current), CBK_NumInList (entries), CBK_TotalList (empty text) and
  // CBK_TotalListSec (0), each shown in the object of its name when there is one.
  void Publish(VariableStore& variables, BoundTextObjectFinder* objects) const;

 private:
  std::vector<std::string> entries_;
  int32_t current_ = 0;
};

}  // namespace qlm
