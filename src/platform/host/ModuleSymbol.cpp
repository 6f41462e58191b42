#include "platform/host/ModuleSymbol.h"

#include <dlfcn.h>

#include <system_error>

namespace qlm {

void* LoadModuleSymbol(const std::vector<std::filesystem::path>& folders, const char* name,
                       const char* symbol, std::string& error) {
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path path = folder / name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
      continue;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module) {
      const char* why = dlerror();
      error = why ? why : path.string() + " does not load";
      continue;
    }
    if (void* found = dlsym(module, symbol))
      return found;
    error = path.string() + ": no " + symbol;
  }
  if (error.empty())
    error = std::string(name) + " was not found";
  return nullptr;
}

}  // namespace qlm
