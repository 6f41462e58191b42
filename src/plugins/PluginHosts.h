#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "document/ObjectRecord.h"
#include "plugins/PluginHost.h"

namespace qlm {

// The plug-in hosts of the loaded project's plug-in objects, by object. Records are plain data,
// so the hosts live beside them; whoever moves records (an object list edit) moves the hosts
// along with Rebind, and a host goes with its object through Remove.
class PluginHosts {
 public:
  PluginHost* Find(const ObjectRecord& object) const;
  // Replaces any host the object had.
  PluginHost& Add(const ObjectRecord& object, std::unique_ptr<PluginHost> host);
  void Remove(const ObjectRecord& object);
  // The hosts of `before[i]` belong to `after[j]` where from[j] == i now; the hosts of objects
  // that are not in the new list are destroyed.
  void Rebind(const std::vector<const ObjectRecord*>& before, std::vector<ObjectRecord>& after,
              const std::vector<size_t>& from);
  // Destroys every host (a project is replaced or the window closes).
  void Clear() { hosts_.clear(); }
  size_t Size() const { return hosts_.size(); }

 private:
  std::unordered_map<const ObjectRecord*, std::unique_ptr<PluginHost>> hosts_;
};

class ScriptRunner;

// PluginSet (76), PluginGet (77) and PluginRun (78), on the plug-in objects of `hosts`.
void RegisterPluginCommands(ScriptRunner& runner, PluginHosts& hosts);

}  // namespace qlm
