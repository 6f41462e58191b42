#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/host/HostEnvironment.h"

namespace qlm::test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "qlm-platform-XXXXXX").string();
    if (mkdtemp(templ.data()) != nullptr)
      path_ = templ;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Creates a file (and its folders) below the temporary folder.
  std::filesystem::path Touch(const std::string& relative, const std::string& content = "") const {
    const auto p = path_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }

  // An environment whose data, config and temp folders all live below the temporary folder.
  HostEnvironment Environment() const {
    HostEnvironment env;
    env.home = path_ / "home";
    env.xdgDataHome = path_ / "data";
    env.xdgConfigHome = path_ / "config";
    env.tmpDir = path_ / "tmp";
    std::filesystem::create_directories(env.tmpDir);
    env.userId = 1000;
    return env;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace qlm::test
