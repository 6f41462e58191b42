// Compiles and runs arbitrary script text on a small two-page project with a few objects, as
// RunScriptCode does: every command with whatever arguments the fuzzer finds. Files, launches
// and the window are the test host's recordings, so nothing reaches the machine. Inputs that
// would only spin (endless or huge loops: "infinity", numbers of five digits or more) are
// skipped so that every run ends quickly.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/TestScriptHost.h"

namespace {

bool Spins(const std::string& text) {
  std::string lower;
  lower.reserve(text.size());
  size_t digits = 0;
  for (char c : text) {
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    digits = std::isdigit(static_cast<unsigned char>(c)) ? digits + 1 : 0;
    if (digits > 4)
      return true;
  }
  return lower.find("infinity") != std::string::npos;
}

qlm::Project SmallProject() {
  qlm::Project project;
  for (const char* name : {"A", "B"}) {
    qlm::PageRecord page;
    page.name = name;
    for (int i = 0; i < 3; ++i) {
      qlm::ObjectRecord object = qlm::ObjectRecord::Fresh();
      object.typeCode = 2 + i * 4;
      object.name = std::string("O") + std::to_string(i);
      object.rect = {10 * i, 10 * i, 10 * i + 40, 10 * i + 30};
      object.text = "Text";
      page.objects.push_back(std::move(object));
    }
    project.pages.push_back(std::move(page));
  }
  project.storedPageCount = 2;
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096)
    return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (Spins(text))
    return 0;
  qlm::test::TestScriptHost host(SmallProject());
  host.ShowPage();
  host.Run(text);
  host.loop.Advance(1000);
  return 0;
}
