#include "plugins/PluginHosts.h"

namespace qlm {

PluginHost* PluginHosts::Find(const ObjectRecord& object) const {
  auto it = hosts_.find(&object);
  return it == hosts_.end() ? nullptr : it->second.get();
}

PluginHost& PluginHosts::Add(const ObjectRecord& object, std::unique_ptr<PluginHost> host) {
  std::unique_ptr<PluginHost>& slot = hosts_[&object];
  slot.reset();  // the old plug-in is destroyed before the new one is kept
  slot = std::move(host);
  return *slot;
}

void PluginHosts::Remove(const ObjectRecord& object) {
  hosts_.erase(&object);
}

void PluginHosts::Rebind(const std::vector<const ObjectRecord*>& before,
                         std::vector<ObjectRecord>& after, const std::vector<size_t>& from) {
  std::vector<std::unique_ptr<PluginHost>> taken(before.size());
  bool any = false;
  for (size_t i = 0; i < before.size(); ++i) {
    auto it = hosts_.find(before[i]);
    if (it != hosts_.end()) {
      taken[i] = std::move(it->second);
      hosts_.erase(it);
      any = true;
    }
  }
  if (!any)
    return;
  for (size_t j = 0; j < after.size() && j < from.size(); ++j) {
    if (from[j] < taken.size() && taken[from[j]])
      hosts_[&after[j]] = std::move(taken[from[j]]);
  }
  // What is left in `taken` belonged to deleted objects and is destroyed here.
}

}  // namespace qlm
