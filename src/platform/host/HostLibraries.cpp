#include "platform/host/HostLibraries.h"

#include <dlfcn.h>

namespace qlm {

namespace {

class DlLibrary : public LoadedLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { dlclose(handle_); }
  DlLibrary(const DlLibrary&) = delete;
  DlLibrary& operator=(const DlLibrary&) = delete;

  void* Symbol(const std::string& name) override {
    if (name.empty())
      return nullptr;
    return dlsym(handle_, name.c_str());
  }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> HostLibraries::Load(const std::filesystem::path& path,
                                                   std::string& error) {
  // A bare name would make dlopen search the system's library path; plug-ins are only ever
  // taken from the folders the player names.
  if (!path.has_parent_path()) {
    error = "not a path: " + path.string();
    return nullptr;
  }
  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = reason ? reason : "cannot load " + path.string();
    return nullptr;
  }
  return std::make_unique<DlLibrary>(handle);
}

}  // namespace qlm
