#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/host/SystemClock.h"

namespace qlm {

// The tick of the desktop frontend: SDL's millisecond counter, which its event waits use too.
// The date and time are the host's.
class SdlClock : public Clock {
 public:
  SdlClock();
  uint64_t TickCount() const override;
  LocalDateTime Now() const override { return system_.Now(); }

 private:
  uint64_t start_;
  SystemClock system_;
};

}  // namespace qlm
