#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "document/ObjectRecord.h"

namespace qlm {

// What objects hold at run time (browser views, programs), each kept by its object's record and
// pointing back at it through its `object` member.
template <typename Held>
using ObjectHoldings = std::map<const ObjectRecord*, std::unique_ptr<Held>>;

// An edit of a page's object list moved its objects: `records` are the addresses before,
// `objects` the list after and `from[j]` the old position of object j (or none). What the moved
// objects hold follows them; what removed objects of this list held goes, and what objects of
// other pages hold stays.
template <typename Held>
void RebindHoldings(ObjectHoldings<Held>& holdings, const std::vector<const ObjectRecord*>& records,
                    std::vector<ObjectRecord>& objects, const std::vector<size_t>& from) {
  ObjectHoldings<Held> moved;
  for (size_t j = 0; j < objects.size() && j < from.size(); ++j) {
    if (from[j] >= records.size())
      continue;
    const auto it = holdings.find(records[from[j]]);
    if (it == holdings.end())
      continue;
    it->second->object = &objects[j];
    moved.emplace(&objects[j], std::move(it->second));
    holdings.erase(it);
  }
  for (const ObjectRecord* record : records)
    holdings.erase(record);
  holdings.merge(moved);
}

}  // namespace qlm
