// Path text against the reach model: whatever the path, the door reads, describes and lists
// exactly what the kernel resolves inside the presentation's folder, and nothing outside it. A
// leading '@' stands for the host path of drive D: (a temporary folder the fuzzer cannot guess),
// so host-style paths are tried as well as Windows ones.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ReachModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const qlm::test::ReachModel model;
  if (size > 4096)
    return 0;
  std::string path(reinterpret_cast<const char*>(data), size);
  if (!path.empty() && path[0] == '@')
    path.replace(0, 1, model.Root().string());
  const std::string failure = model.Check(path);
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
