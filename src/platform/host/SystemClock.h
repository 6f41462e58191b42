#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace qlm {

// The machine's clocks: a monotonic tick and the local time of the host's zone.
class SystemClock : public Clock {
 public:
  SystemClock();
  uint64_t TickCount() const override;
  LocalDateTime Now() const override;

 private:
  int64_t startNs_;
};

}  // namespace qlm
