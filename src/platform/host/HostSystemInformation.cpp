#include "platform/host/HostSystemInformation.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace qlm {

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos)
    return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Calls `field(key, value)` for each "key : value" line of a kernel text, keys and values
// trimmed; stops when it answers false.
template <typename Field>
void ForEachField(std::string_view text, Field field) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
      continue;
    if (!field(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1))))
      return;
  }
}

// The leading decimal number of a text; `rest` receives what follows it.
uint64_t LeadingNumber(std::string_view text, std::string_view* rest = nullptr) {
  uint64_t value = 0;
  size_t i = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value < (uint64_t{1} << 60))
    value = value * 10 + static_cast<uint64_t>(text[i++] - '0');
  if (rest)
    *rest = text.substr(i);
  return value;
}

double LeadingDecimal(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

void HostSystemInformation::ParseRelease(std::string_view release, SystemInformation& info) {
  // "major.minor.patch" followed by the distribution's suffix; missing parts are 0.
  std::string_view rest = Trim(release);
  uint64_t parts[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    parts[i] = LeadingNumber(rest, &rest);
    if (rest.empty() || rest.front() != '.')
      break;
    rest.remove_prefix(1);
  }
  info.osMajor = static_cast<int>(parts[0] % 1000);
  info.osMinor = static_cast<int>(parts[1] % 1000);
  info.osBuild = static_cast<uint32_t>(parts[2] & 0xFFFFFFFF);
}

void HostSystemInformation::ParseMeminfo(std::string_view meminfo, SystemInformation& info) {
  uint64_t freeKb = 0;
  bool available = false;
  ForEachField(meminfo, [&](std::string_view key, std::string_view value) {
    const uint64_t kb = LeadingNumber(value);
    if (key == "MemTotal") {
      info.totalMemoryBytes = kb * 1024;
    } else if (key == "MemAvailable") {
      info.availableMemoryBytes = kb * 1024;
      available = true;
    } else if (key == "MemFree") {
      freeKb = kb;
    }
    return true;
  });
  // Kernels before 3.14 do not estimate the available memory: the free memory stands for it.
  if (!available)
    info.availableMemoryBytes = freeKb * 1024;
}

void HostSystemInformation::ParseCpuinfo(std::string_view cpuinfo, SystemInformation& info) {
  // The first processor's block; the name's key differs between architectures.
  static constexpr std::string_view kNameKeys[] = {"model name", "Processor", "cpu model", "cpu",
                                                   "uarch"};
  size_t nameRank = std::size(kNameKeys);
  bool seenProcessor = false;
  ForEachField(cpuinfo, [&](std::string_view key, std::string_view value) {
    if (key == "processor") {
      if (seenProcessor)
        return false;
      seenProcessor = true;
    }
    for (size_t i = 0; i < nameRank; ++i) {
      if (key == kNameKeys[i] && !value.empty()) {
        info.processorName = std::string(value);
        nameRank = i;
        break;
      }
    }
    if ((key == "cpu MHz" || key == "clock") && info.processorClock == 0)
      info.processorClock = std::round(LeadingDecimal(value));
    return true;
  });
}

SystemInformation HostSystemInformation::Read() const {
  SystemInformation info;
  ParseRelease(ReadFile(root_ / "proc/sys/kernel/osrelease"), info);
  ParseMeminfo(ReadFile(root_ / "proc/meminfo"), info);
  ParseCpuinfo(ReadFile(root_ / "proc/cpuinfo"), info);
  // The processor's rated clock where the kernel gives one (kHz), rather than the momentary one.
  const std::filesystem::path cpufreq = root_ / "sys/devices/system/cpu/cpu0/cpufreq";
  for (const char* file : {"base_frequency", "cpuinfo_max_freq"}) {
    const uint64_t khz = LeadingNumber(Trim(ReadFile(cpufreq / file)));
    if (khz > 0) {
      info.processorClock = std::round(static_cast<double>(khz) / 1000.0);
      break;
    }
  }
  return info;
}

}  // namespace qlm
