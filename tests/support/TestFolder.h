#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace qlm::test {

// A fresh folder under the test temporary folder, named after `prefix`, the process and the
// running test, so parallel test processes never share one. The caller removes it.
inline std::filesystem::path MakeTestFolder(const std::string& prefix) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) /
      (prefix + "_" + std::to_string(::getpid()) + "_" +
       testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace qlm::test
