#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qlm {

// Read-only bytes that keep their storage alive: a mapped file, one buffer holding a whole
// file, or an unpacked block. Pieces cut from it share the same storage, so a picture can point
// into the document it came from for as long as it lives.
class SharedBytes {
 public:
  SharedBytes() = default;
  SharedBytes(std::shared_ptr<const void> owner, std::span<const uint8_t> bytes)
      : owner_(std::move(owner)), bytes_(bytes) {}

  // Takes the buffer over.
  static SharedBytes Adopt(std::vector<uint8_t> buffer) {
    auto owned = std::make_shared<const std::vector<uint8_t>>(std::move(buffer));
    const std::span<const uint8_t> bytes(*owned);
    return {std::move(owned), bytes};
  }
  // A copy of bytes whose storage the caller cannot vouch for.
  static SharedBytes CopyOf(std::span<const uint8_t> bytes) {
    return Adopt(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }

  std::span<const uint8_t> Span() const { return bytes_; }
  const uint8_t* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  auto begin() const { return bytes_.begin(); }
  auto end() const { return bytes_.end(); }

  // count bytes from offset on, sharing this storage; offset and count must lie inside.
  SharedBytes Piece(size_t offset, size_t count) const {
    return {owner_, bytes_.subspan(offset, count)};
  }

 private:
  std::shared_ptr<const void> owner_;
  std::span<const uint8_t> bytes_;
};

}  // namespace qlm
