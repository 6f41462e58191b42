// Reads arbitrary bytes as a stand-alone executable: the trailer, the embedded block and, when
// they are sound, the project inside.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzMemoryFile.h"
#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/StandaloneContainer.h"
#include "support/RecordingDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qlm::fuzz::MemoryFile file(std::span<const uint8_t>(data, size));
  qlm::IsStandaloneFile(file);
  const qlm::StandaloneReadResult result = qlm::ReadStandaloneContainer(&file, "fuzz.exe");
  if (result.status != qlm::StandaloneStatus::kOk || !result.container)
    return 0;
  qlm::test::RecordingDialogs dialogs;
  qlm::LoadContext context(dialogs);
  qlm::LoadProjectFromMemory(result.container->Project(), context);
  return 0;
}
