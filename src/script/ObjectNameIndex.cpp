#include "script/ObjectNameIndex.h"

namespace qlm {

bool ObjectNameIndex::Matches(const Entry& entry, const PageRecord& page) {
  return entry.data == page.objects.data() && entry.count == page.objects.size() &&
         (page.objects.empty() || entry.lastName == page.objects.back().name);
}

ObjectNameIndex::Entry& ObjectNameIndex::Current(const PageRecord& page) {
  Entry& entry = pages_[&page];
  if (Matches(entry, page))
    return entry;
  entry = Entry{};
  entry.names.reserve(page.objects.size());
  for (const ObjectRecord& object : page.objects)
    entry.names.insert(object.name);
  entry.data = page.objects.data();
  entry.count = page.objects.size();
  if (!page.objects.empty())
    entry.lastName = page.objects.back().name;
  return entry;
}

std::string ObjectNameIndex::FreeName(const PageRecord& page, const std::string& given,
                                      const std::string& defaultName) {
  Entry& entry = Current(page);
  if (!given.empty() && !entry.names.contains(given))
    return given;
  const std::string& base = given.empty() ? defaultName : given;
  // Names only join the index until it is rebuilt, so the numbers below the cursor stay taken.
  size_t& n = entry.nextNumber.try_emplace(base, 1).first->second;
  std::string name = base + std::to_string(n);
  while (entry.names.contains(name))
    name = base + std::to_string(++n);
  return name;
}

void ObjectNameIndex::Added(const PageRecord& page) {
  Entry& entry = pages_[&page];
  if (entry.count + 1 != page.objects.size()) {
    entry = Entry{};  // rebuilt on the next use
    return;
  }
  entry.names.insert(page.objects.back().name);
  entry.data = page.objects.data();
  entry.count = page.objects.size();
  entry.lastName = page.objects.back().name;
}

}  // namespace qlm
