#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/DiskFileSystem.h"

namespace qlm::test {

// Writes a mono 16-bit PCM wave file of `ms` milliseconds of a 440 Hz tone.
inline void WriteWave(const std::filesystem::path& path, uint32_t ms, uint32_t rate = 8000) {
  const uint32_t samples = rate * ms / 1000;
  const uint32_t dataBytes = samples * 2;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.put(static_cast<char>(v >> (8 * i)));
  };
  auto u16 = [&out](uint16_t v) {
    out.put(static_cast<char>(v));
    out.put(static_cast<char>(v >> 8));
  };
  out << "RIFF";
  u32(36 + dataBytes);
  out << "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out << "data";
  u32(dataBytes);
  for (uint32_t i = 0; i < samples; ++i)
    u16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate))));
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              (name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + std::to_string(reinterpret_cast<uintptr_t>(this)))) {
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Windows paths "C:\a\b" and relative "a\b" under one host folder.
class FolderFileSystem : public DiskFileSystem {
 public:
  explicit FolderFileSystem(std::filesystem::path root) : root_(std::move(root)) {}
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    std::string path = windowsPath;
    if (path.size() >= 2 && path[1] == ':')
      path.erase(0, 2);
    for (char& c : path) {
      if (c == '\\')
        c = '/';
    }
    while (!path.empty() && path[0] == '/')
      path.erase(0, 1);
    return root_ / path;
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    std::string rel = std::filesystem::relative(hostPath, root_).string();
    for (char& c : rel) {
      if (c == '/')
        c = '\\';
    }
    return "C:\\" + rel;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace qlm::test
