#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qlm {

// The storage of a file mapping. The file may shrink while it is mapped, and touching a mapped
// byte past its end raises a signal, so every use of mapped bytes asks first.
class MappedStorage {
 public:
  virtual ~MappedStorage() = default;
  // Whether the file still holds every byte of `bytes` (a range inside the mapping).
  virtual bool Backs(std::span<const uint8_t> bytes) const = 0;
};

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
  // A read-only mapping of a file, whose pages the system can read again at any time.
  static SharedBytes Mapped(std::shared_ptr<const MappedStorage> storage,
                            std::span<const uint8_t> bytes) {
    const MappedStorage* mapping = storage.get();
    SharedBytes out(std::move(storage), bytes);
    out.mapping_ = mapping;
    return out;
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
    SharedBytes out(owner_, bytes_.subspan(offset, count));
    out.mapping_ = mapping_;
    return out;
  }

  // Whether every byte can still be read: false once a mapped file has shrunk below them.
  // Memory buffers always can.
  bool StillBacked() const { return !mapping_ || mapping_->Backs(bytes_); }
  // A view of a mapped file (its pages come in as they are touched).
  bool Mapped() const { return mapping_ != nullptr; }

  // The bytes have been used and will not be for a while: a mapping lets go of the whole pages
  // they fill, which are read from the file again if touched. Memory buffers keep everything.
  void LetGo() const;

 private:
  std::shared_ptr<const void> owner_;
  std::span<const uint8_t> bytes_;
  const MappedStorage* mapping_ = nullptr;  // kept alive by owner_
};

}  // namespace qlm
