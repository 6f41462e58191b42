#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/host/HostFileSystem.h"

namespace qlm::test {

// The real file system with a drive D: in a fresh folder, shown from D:\Show.
class DriveFixture : public ::testing::Test {
 protected:
  DriveFixture() : env(temp.Environment()), files(env), drive(temp.Path() / "d") {
    files.AddMount('D', drive);
    files.SetCurrentFolder(drive / "Show");
  }

  // Creates a file (and its folders) below the root of drive D:.
  std::filesystem::path Put(const std::string& relative, const std::string& content = "") const {
    return temp.Touch("d/" + relative, content);
  }

  TempFolder temp;
  HostEnvironment env;
  HostFileSystem files;
  std::filesystem::path drive;
};

}  // namespace qlm::test
