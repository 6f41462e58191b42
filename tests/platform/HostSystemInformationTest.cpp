#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/host/HostSystemInformation.h"

namespace qlm {
namespace {

TEST(HostSystemInformation, KernelReleaseGivesMajorMinorAndBuild) {
  struct Case {
    const char* release;
    int major, minor;
    uint32_t build;
  } cases[] = {
      {"6.1.55-amd64\n", 6, 1, 55},
      {"6.18.44-fc-v1523", 6, 18, 44},
      {"5.15.0-91-generic", 5, 15, 0},
      {"4.19", 4, 19, 0},
      {"3", 3, 0, 0},
      {"", 0, 0, 0},
      {"x.y", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SystemInformation info;
    HostSystemInformation::ParseRelease(c.release, info);
    EXPECT_EQ(info.osMajor, c.major) << c.release;
    EXPECT_EQ(info.osMinor, c.minor) << c.release;
    EXPECT_EQ(info.osBuild, c.build) << c.release;
  }
}

TEST(HostSystemInformation, MemoryInBytesWithFreeMemoryForOldKernels) {
  SystemInformation info;
  HostSystemInformation::ParseMeminfo(
      "MemTotal:       24683716 kB\nMemFree:        17129056 kB\n"
      "MemAvailable:   22615312 kB\nBuffers:          123 kB\n",
      info);
  EXPECT_EQ(info.totalMemoryBytes, uint64_t{24683716} * 1024);
  EXPECT_EQ(info.availableMemoryBytes, uint64_t{22615312} * 1024);

  SystemInformation old;
  HostSystemInformation::ParseMeminfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n", old);
  EXPECT_EQ(old.totalMemoryBytes, 2048u * 1024);
  EXPECT_EQ(old.availableMemoryBytes, 1024u * 1024);
}

TEST(HostSystemInformation, ProcessorOfTheFirstBlockOnEachArchitecture) {
  struct Case {
    const char* cpuinfo;
    const char* name;
    double clock;
  } cases[] = {
      {"processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
       "model name\t: Intel(R) Xeon(R) Processor\ncpu MHz\t\t: 2299.6\n\n"
       "processor\t: 1\nmodel name\t: Other\ncpu MHz\t\t: 800.000\n",
       "Intel(R) Xeon(R) Processor", 2300},
      {"Processor\t: ARMv7 Processor rev 4 (v7l)\nprocessor\t: 0\nBogoMIPS\t: 38.40\n",
       "ARMv7 Processor rev 4 (v7l)", 0},
      {"processor\t: 0\ncpu\t\t: POWER9 (raw), altivec supported\nclock\t\t: 2900.000000MHz\n",
       "POWER9 (raw), altivec supported", 2900},
      {"processor\t: 0\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\n", "", 0},
  };
  for (const Case& c : cases) {
    SystemInformation info;
    HostSystemInformation::ParseCpuinfo(c.cpuinfo, info);
    EXPECT_EQ(info.processorName, c.name);
    EXPECT_EQ(info.processorClock, c.clock) << c.name;
  }
}

TEST(HostSystemInformation, ReadsTheKernelFilesBelowItsRoot) {
  test::TempFolder root;
  root.Touch("proc/sys/kernel/osrelease", "5.10.0-28-amd64\n");
  root.Touch("proc/meminfo", "MemTotal: 8388608 kB\nMemAvailable: 1572864 kB\n");
  root.Touch("proc/cpuinfo", "processor : 0\nmodel name : Test CPU\ncpu MHz : 1234.5\n");
  const HostSystemInformation host(root.Path());
  SystemInformation info = host.Read();
  EXPECT_EQ(info.osMajor, 5);
  EXPECT_EQ(info.osMinor, 10);
  EXPECT_EQ(info.osBuild, 0u);
  EXPECT_EQ(info.totalMemoryBytes >> 20, 8192u);
  EXPECT_EQ(info.availableMemoryBytes >> 20, 1536u);
  EXPECT_EQ(info.processorName, "Test CPU");
  EXPECT_EQ(info.processorClock, 1235);
  // The rated clock (kHz) wins over the momentary one.
  root.Touch("sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "3600000\n");
  EXPECT_EQ(host.Read().processorClock, 3600);
  root.Touch("sys/devices/system/cpu/cpu0/cpufreq/base_frequency", "2100000\n");
  EXPECT_EQ(host.Read().processorClock, 2100);

  // A machine without those files reads as zeros, not as a failure.
  const test::TempFolder empty;
  info = HostSystemInformation(empty.Path()).Read();
  EXPECT_EQ(info.totalMemoryBytes, 0u);
  EXPECT_EQ(info.processorName, "");
}

}  // namespace
}  // namespace qlm
