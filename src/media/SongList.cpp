#include "media/SongList.h"

#include <algorithm>
#include <utility>

#include "expr/ClassicRandom.h"
#include "expr/SystemVariables.h"

namespace qlm {

std::optional<std::string> SongList::Entry(int64_t number) const {
  if (number < 1 || static_cast<uint64_t>(number) > entries_.size())
    return std::nullopt;
  return entries_[static_cast<size_t>(number - 1)];
}

void SongList::Reset() {
  entries_.clear();
  current_ = 0;
}

bool SongList::Delete(int64_t index) {
  if (index < 0 || static_cast<uint64_t>(index) >= entries_.size())
    return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

void SongList::Shuffle(ClassicRandom& random) {
  const size_t n = entries_.size();
  if (n == 0)
    return;
  auto pick = [&random, n] {
    const double scaled = random.Next() / 32767.0 * static_cast<double>(n);
    return std::min(static_cast<size_t>(scaled), n - 1);
  };
  for (size_t i = 0; i < 2 * n; ++i) {
    const size_t a = pick();
    const size_t b = pick();
    std::swap(entries_[a], entries_[b]);
  }
}

void SongList::Publish(VariableStore& variables, BoundTextObjectFinder* objects) const {
  PublishSystemVariable(variables, objects, "CBK_CurItemList", current_, std::to_string(current_));
  PublishSystemVariable(variables, objects, "CBK_NumInList", static_cast<double>(entries_.size()),
                        std::to_string(entries_.size()));
  PublishSystemVariable(variables, objects, "CBK_TotalList", std::string(), std::string());
  PublishSystemVariable(variables, objects, "CBK_TotalListSec", 0.0, std::string());
}

}  // namespace qlm
