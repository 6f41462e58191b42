#pragma once

#include "document/ObjectRecord.h"
#include "plugins/PluginHost.h"

namespace qlm {

// What a plug-in object's record gives its plug-in at set-up: the parameter groups A, B and C
// and the integer- and string-parameter texts (where the record keeps them: PluginParams in
// document/ObjectFields.h; the library's file name is the object's text). Fills those members of
// `setup`; the rest is the caller's.
void FillPluginParameters(const ObjectRecord& object, PluginSetup& setup);

}  // namespace qlm
