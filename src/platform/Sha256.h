#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qlm {

class ReadableFile;

// SHA-256 of a byte stream, fed in pieces: what the consent box shows for a native plug-in and
// what names a presentation's overlay.
class Sha256 {
 public:
  Sha256();
  void Add(std::string_view bytes);
  // The digest in lower-case hex; the object is spent after it.
  std::string HexDigest();

  static std::string Hex(std::string_view bytes) {
    Sha256 h;
    h.Add(bytes);
    return h.HexDigest();
  }
  // Of a whole open file, read in pieces; empty when it cannot be read to its end.
  static std::string HexOfFile(ReadableFile& file);

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // in bytes
};

}  // namespace qlm
