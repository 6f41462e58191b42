// Reads arbitrary bytes as the profile file, then writes an entry and reads it back: the reader
// must accept anything, and a write must keep what it wrote readable.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/host/IniProfileStore.h"

namespace {

std::filesystem::path Folder() {
  // A memory-backed folder keeps the store's fsync cheap.
  const std::filesystem::path shm = "/dev/shm";
  const std::filesystem::path base =
      std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
  const std::filesystem::path dir = base / ("qlm_profile_fuzz_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path dir = Folder();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::ofstream(dir / qlm::IniProfileStore::kFileName, std::ios::binary | std::ios::trunc) << text;
  qlm::IniProfileStore store(dir);
  // Names and a value taken from the input, so sections and entries it holds are hit.
  const size_t cut = text.find('\n');
  const std::string section = text.substr(0, std::min<size_t>(cut, 16));
  const std::string entry = cut == std::string::npos ? "X" : text.substr(cut + 1, 16);
  store.GetInt(section, entry, 0);
  store.GetString(section, entry, "");
  if (section.empty() || entry.empty())
    return 0;
  const std::string value = text.substr(0, 32);
  if (store.WriteString(section, entry, value) && store.GetString(section, entry, "") != value)
    __builtin_trap();
  return 0;
}
