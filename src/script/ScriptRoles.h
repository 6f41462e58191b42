#pragma once

#include "script/ListHost.h"
#include "script/ObjectHost.h"
#include "script/PageHost.h"
#include "script/ScriptHost.h"
#include "script/SystemHost.h"
#include "script/WindowHost.h"

namespace qlm {

// The roles a script runner is handed, each by whoever plays it: the player window plays most,
// its window geometry plays WindowHost.
struct ScriptRoles {
  ScriptHost& core;
  PageHost& pages;
  ObjectHost& objects;
  WindowHost& window;
  SystemHost& system;
  ListHost& lists;
};

// One object that plays every role: the hosts of tests and tools.
class CombinedScriptHost : public ScriptHost,
                           public PageHost,
                           public ObjectHost,
                           public WindowHost,
                           public SystemHost,
                           public ListHost {
 public:
  ScriptRoles Roles() { return {*this, *this, *this, *this, *this, *this}; }
};

}  // namespace qlm
