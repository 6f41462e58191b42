// Parses arbitrary bytes as a play-list file of each type. No entry may hold a NUL byte or step
// out of the list's folder with "..".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "media/PlayListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  using Type = qlm::PlayListFile::Type;
  const Type types[] = {Type::kM3l, Type::kM3u, Type::kPls, Type::kText};
  const Type type = types[data[0] % 4];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const std::string& entry : qlm::PlayListFile::Parse(bytes, type, "C:\\Lists\\")) {
    if (entry.find('\0') != std::string::npos)
      __builtin_trap();
  }
  return 0;
}
