#pragma once

#include <cstdint>
#include <string>

namespace qlm {

// What the machine tells scripts about itself: the operating system's version, the physical
// memory and the processor.
struct SystemInformation {
  bool ntFamily = true;
  int osMajor = 0, osMinor = 0;
  uint32_t osBuild = 0;
  uint64_t totalMemoryBytes = 0, availableMemoryBytes = 0;
  double processorClock = 0;  // MHz
  std::string processorName;
};

// Where the player reads those figures; the host form asks the kernel, tests give their own.
class SystemInformationSource {
 public:
  virtual ~SystemInformationSource() = default;
  // The figures now (available memory changes from one call to the next).
  virtual SystemInformation Read() const = 0;
};

}  // namespace qlm
