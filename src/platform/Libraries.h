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

// Loads plug-in libraries (native code: one of the doors to the host).
class Libraries {
 public:
  virtual ~Libraries() = default;
  // The library at a host path, or null; `error` then holds the loader's reason.
  virtual std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& path,
                                              std::string& error) = 0;
};

// Loads nothing: where no plug-in loader is given, every plug-in is missing.
class NoLibraries : public Libraries {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& /*path*/,
                                      std::string& error) override {
    error = "plug-in libraries cannot be loaded here";
    return nullptr;
  }
};

}  // namespace qlm
