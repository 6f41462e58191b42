#include "platform/host/ModuleLibrary.h"

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

namespace qlm {

namespace fs = std::filesystem;

std::vector<fs::path> ModuleFolders(const fs::path& executable) {
  std::error_code ec;
  fs::path real = fs::canonical(executable, ec);
  const fs::path folder = (ec ? executable : real).parent_path();
  std::vector<fs::path> folders{folder, (folder / QLM_MODULE_RELATIVE).lexically_normal()};
  for (const char* installed : {QLM_MODULE_INSTALLED, QLM_MODULE_PACKAGED}) {
    if (std::find(folders.begin(), folders.end(), fs::path(installed)) == folders.end())
      folders.push_back(installed);
  }
  return folders;
}

std::vector<fs::path> ModuleCandidates(const fs::path& executable, const std::string& fileName) {
  std::vector<fs::path> paths;
  for (const fs::path& folder : ModuleFolders(executable))
    paths.push_back(folder / fileName);
  return paths;
}

bool LoadModule(const std::vector<fs::path>& candidates, const char* entryName,
                const std::function<bool(void* entry)>& adopt, std::string& error) {
  std::string reason = "the module " +
                       (candidates.empty() ? std::string() : candidates[0].filename().string()) +
                       " was not found";
  for (const fs::path& path : candidates) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
      continue;
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
      const char* why = dlerror();
      reason = why ? why : "cannot load " + path.string();
      continue;
    }
    void* entry = dlsym(handle, entryName);
    const bool adopted = entry && adopt(entry);
    dlclose(handle);  // stays mapped: RTLD_NODELETE
    if (adopted)
      return true;
    reason = path.string() + " is not a module of this player";
  }
  error = reason;
  return false;
}

void* LoadModuleSymbol(const std::vector<fs::path>& folders, const char* name, const char* symbol,
                       std::string& error) {
  std::vector<fs::path> candidates;
  for (const fs::path& folder : folders)
    candidates.push_back(folder / name);
  void* found = nullptr;
  LoadModule(
      candidates, symbol,
      [&found](void* entry) {
        found = entry;
        return true;
      },
      error);
  return found;
}

}  // namespace qlm
