#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace qlm {

// A loaded dynamic library; unloaded when destroyed.
class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // The address of an export, or null when the library has none of that name.
  virtual void* Symbol(const std::string& name) = 0;
};

// Loads plug-in libraries. The host form uses dlopen and dlsym.
class Libraries {
 public:
  virtual ~Libraries() = default;
  // The library at a host path, or null; `error` then holds the loader's reason.
  virtual std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& path,
                                              std::string& error) = 0;
};

// dlopen with RTLD_NOW | RTLD_LOCAL, so a library with unresolved symbols fails at load and
// two plug-ins may export the same names.
class HostLibraries : public Libraries {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& path,
                                      std::string& error) override;
};

}  // namespace qlm
