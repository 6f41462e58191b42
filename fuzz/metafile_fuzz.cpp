// Draws arbitrary bytes as an enhanced metafile the way the player does: the module's checks and
// the converter libraries in a child process. The converter libraries crash on some damaged
// records the checks do not catch; the player survives those, and so must this caller, which
// also demands that a picture that did not draw leaves the pixels clear. Set
// QLM_METAFILE_IN_PROCESS=1 to run the conversion in the fuzzer's own process instead and hunt
// the converter's crashes. The first byte picks the picture's size.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "metafile/MetafileModule.h"
#include "platform/host/ChildCall.h"

// libemf2svg 1.1 loses a few bytes on some conversions; its own leaks are not ours to find.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libemf2svg.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const int width = 1 + data[0] % 64, height = 1 + (data[0] / 64) * 16;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
  static const bool inProcess = std::getenv("QLM_METAFILE_IN_PROCESS") != nullptr;
  int drawn = 0;
  if (inProcess) {
    drawn = qlm_metafile_render(data + 1, size - 1, width, height, pixels.data());
  } else {
    const std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(pixels.data()), pixels.size() * 4);
    const std::optional<bool> result = qlm::CallInChild(
        bytes,
        [&](std::span<uint8_t> shared) {
          return qlm_metafile_render(data + 1, size - 1, width, height,
                                     reinterpret_cast<uint32_t*>(shared.data())) == 1;
        },
        std::chrono::seconds(5));
    drawn = result == true ? 1 : 0;
  }
  if (drawn != 0 && drawn != 1)
    __builtin_trap();
  if (!drawn) {
    for (uint32_t p : pixels) {
      if (p != 0)
        __builtin_trap();  // a picture that did not draw leaves the buffer clear
    }
  }
  return 0;
}
