// Draws arbitrary bytes as an enhanced metafile with the metafile module's code (the converter
// libraries themselves are not instrumented: crashes and sanitizer reports in our code and at
// their calls show, coverage inside them does not). The first byte picks the picture's size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "metafile/MetafileModule.h"

// libemf2svg 1.1 loses a few bytes on some conversions; its own leaks are not ours to find.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libemf2svg.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const int width = 1 + data[0] % 64, height = 1 + (data[0] / 64) * 16;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
  const int drawn = qlm_metafile_render(data + 1, size - 1, width, height, pixels.data());
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
