#pragma once

#include "document/ObjectRecord.h"
#include "plugins/PluginHost.h"

namespace qlm {

// Where a plug-in object's record keeps what its plug-in is given at set-up:
//   parameter group A: object values 1, 2, 3
//   parameter group B: object values 4, 5, 6
//   parameter group C: object values 14, 15, 16
//   integer-parameter text: object string 3
//   string-parameter text: object string 4
// (the library's file name is the object's text). These fields have no other role for plug-in
// objects. Fills those members of `setup`; the rest is the caller's.
void FillPluginParameters(const ObjectRecord& object, PluginSetup& setup);

}  // namespace qlm
