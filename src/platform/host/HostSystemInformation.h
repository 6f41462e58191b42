#pragma once

#include <filesystem>
#include <string_view>

#include "platform/SystemInformation.h"

namespace qlm {

// The figures of a Linux machine, from the kernel's files under `root` (normally "/"):
// the version from /proc/sys/kernel/osrelease ("6.1.55-amd64" is 6, 1, build 55), the memory
// from /proc/meminfo, the processor's name and clock from /proc/cpuinfo, its top clock from
// /sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq when the kernel has one. A figure the
// machine does not give stays 0 or empty.
class HostSystemInformation : public SystemInformationSource {
 public:
  explicit HostSystemInformation(std::filesystem::path root = "/") : root_(std::move(root)) {}
  SystemInformation Read() const override;

  // The parts of the kernel's texts, each filling what it finds in `info`.
  static void ParseRelease(std::string_view release, SystemInformation& info);
  static void ParseMeminfo(std::string_view meminfo, SystemInformation& info);
  static void ParseCpuinfo(std::string_view cpuinfo, SystemInformation& info);

 private:
  std::filesystem::path root_;
};

}  // namespace qlm
