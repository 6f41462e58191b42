#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace qlm {

// dlopen with RTLD_NOW | RTLD_LOCAL, so a library with unresolved symbols fails at load and
// two plug-ins may export the same names.
class HostLibraries : public Libraries {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& path,
                                      std::string& error) override;
};

}  // namespace qlm
