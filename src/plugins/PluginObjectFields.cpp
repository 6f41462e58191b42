#include "plugins/PluginObjectFields.h"

#include "document/ObjectFields.h"

namespace qlm {

void FillPluginParameters(const ObjectRecord& object, PluginSetup& setup) {
  setup.paramA = PluginParams(object, PluginParamGroup::kA);
  setup.paramB = PluginParams(object, PluginParamGroup::kB);
  setup.paramC = PluginParams(object, PluginParamGroup::kC);
  setup.intString = PluginIntParamText(object);
  setup.string = PluginStringParamText(object);
}

}  // namespace qlm
