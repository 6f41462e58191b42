#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/host/DiskFileSystem.h"

namespace qlm::test {

// The libraries tests/plugins/libraries builds.
inline std::filesystem::path BuiltPlugin(const std::string& file) {
  return std::filesystem::path(QLM_TEST_PLUGIN_DIR) / file;
}

// A fresh folder per test; libraries copied into it are new files, so each test loads its own
// instance with its own static state.
inline std::filesystem::path TestFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path root = std::filesystem::path(QLM_BINARY_DIR) / "plugin-test" /
                                     info->test_suite_name() / info->name();
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  return root;
}

// Copies a built library to `root`/`relative` and returns the copy's path.
inline std::filesystem::path Install(const std::filesystem::path& root, const std::string& built,
                                     const std::string& relative) {
  const std::filesystem::path target = root / relative;
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::copy_file(BuiltPlugin(built), target,
                             std::filesystem::copy_options::overwrite_existing);
  return target;
}

// "C:\a\b" is root/a/b; names are matched as written.
class RootedFiles : public DiskFileSystem {
 public:
  explicit RootedFiles(std::filesystem::path root) : root_(std::move(root)) {}
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    std::string p = windowsPath;
    for (char& c : p)
      if (c == '\\')
        c = '/';
    if (p.size() > 1 && p[1] == ':')
      p = p.substr(2);
    return root_ / std::filesystem::path(p).relative_path();
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    return "C:\\" + hostPath.lexically_relative(root_).string();
  }

 private:
  std::filesystem::path root_;
};

// Reads the call log of a test plug-in through its own handle on the library, which also keeps
// the library (and its log) in memory after the player unloads it.
class CallLog {
 public:
  explicit CallLog(const std::filesystem::path& library)
      : handle_(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    EXPECT_NE(handle_, nullptr) << dlerror();
  }
  ~CallLog() {
    if (handle_)
      dlclose(handle_);
  }
  CallLog(const CallLog&) = delete;
  CallLog& operator=(const CallLog&) = delete;

  void* Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

  std::string Text() const {
    auto log = handle_ ? reinterpret_cast<const char* (*)()>(dlsym(handle_, "TestLog")) : nullptr;
    return log ? log() : "";
  }
  void Clear() {
    if (auto clear =
            handle_ ? reinterpret_cast<void (*)()>(dlsym(handle_, "TestLogClear")) : nullptr)
      clear();
  }

 private:
  void* handle_;
};

}  // namespace qlm::test
