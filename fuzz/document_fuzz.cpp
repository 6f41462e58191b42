// Reads arbitrary bytes as a project document from memory. The first byte picks the format
// version the previous load left in the context (2 to 29), since lower versions keep settings
// and gates from it; the rest is the document, whose own magic string names its version.

#include <cstddef>
#include <cstdint>
#include <span>

#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "support/RecordingDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  qlm::test::RecordingDialogs dialogs;
  qlm::LoadContext context(dialogs);
  context.version = 2 + data[0] % 28;
  context.sourceName = "fuzz.qmd";
  qlm::LoadProjectFromMemory(std::span<const uint8_t>(data + 1, size - 1), context);
  return 0;
}
