#include "plugins/PluginObjectFields.h"

namespace qlm {

void FillPluginParameters(const ObjectRecord& object, PluginSetup& setup) {
  auto group = [&](size_t first) {
    return std::array<int32_t, 3>{static_cast<int32_t>(object.values[first]),
                                  static_cast<int32_t>(object.values[first + 1]),
                                  static_cast<int32_t>(object.values[first + 2])};
  };
  setup.paramA = group(1);
  setup.paramB = group(4);
  setup.paramC = group(14);
  setup.intString = object.strings[3];
  setup.string = object.strings[4];
}

}  // namespace qlm
