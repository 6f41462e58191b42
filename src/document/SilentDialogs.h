#pragma once

#include "platform/Dialogs.h"

namespace qlm {

// Dialogs that show nothing: every box is answered as if its first button were pressed.
class SilentDialogs : public Dialogs {
 public:
  int MessageBox(const std::string&, const std::string&, uint32_t) override { return 1; }
};

}  // namespace qlm
