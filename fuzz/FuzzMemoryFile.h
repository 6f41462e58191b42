#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/ReadableFile.h"

namespace qlm::fuzz {

// A file that is the fuzzer's bytes.
class MemoryFile : public ReadableFile {
 public:
  explicit MemoryFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
      return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace qlm::fuzz
