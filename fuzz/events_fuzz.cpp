// Parses arbitrary text as an events file; a fault must come out as EventScriptError.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/headless/EventScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    qlm::ParseEventScript(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const qlm::EventScriptError&) {
  }
  return 0;
}
