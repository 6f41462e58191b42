#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "document/PageRecord.h"

namespace qlm {

// The names of each page's objects, so that a create command finds a free name in constant time
// instead of searching the page once for every candidate number. The index of a page is rebuilt
// whenever the page no longer looks as it did after the last create (objects deleted, reordered
// or another project loaded), so it never answers from a stale list.
class ObjectNameIndex {
 public:
  // The name a new object gets: `given` when no object of the page has it, otherwise `given`
  // (or `defaultName` when nothing is given) with the lowest number from 1 appended that no
  // object of the page has.
  std::string FreeName(const PageRecord& page, const std::string& given,
                       const std::string& defaultName);
  // Records that `page` has just gained its last object (named by FreeName).
  void Added(const PageRecord& page);

 private:
  struct Entry {
    const ObjectRecord* data = nullptr;
    size_t count = 0;
    std::string lastName;
    std::unordered_set<std::string> names;
    std::unordered_map<std::string, size_t> nextNumber;  // base name -> lowest number maybe free
  };
  Entry& Current(const PageRecord& page);
  static bool Matches(const Entry& entry, const PageRecord& page);

  std::unordered_map<const PageRecord*, Entry> pages_;
};

}  // namespace qlm
