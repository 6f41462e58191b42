#include "tools/Guid.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace qlm {

std::string FormatGuid(std::array<uint8_t, 16> random) {
  random[6] = static_cast<uint8_t>((random[6] & 0x0F) | 0x40);  // version 4
  random[8] = static_cast<uint8_t>((random[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "{";
  for (size_t i = 0; i < random.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) {
      out += '-';
    }
    out += kHex[random[i] >> 4];
    out += kHex[random[i] & 0x0F];
  }
  out += '}';
  return out;
}

std::string NewGuid() {
  std::array<uint8_t, 16> random{};
  std::ifstream source("/dev/urandom", std::ios::binary);
  if (!source.read(reinterpret_cast<char*>(random.data()), random.size())) {
    throw std::runtime_error("cannot read random bytes from /dev/urandom");
  }
  return FormatGuid(random);
}

bool IsRegistryGuid(std::string_view text) {
  constexpr std::string_view kShape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != kShape.size()) {
    return false;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const bool ok = kShape[i] == 'X' ? std::isxdigit(static_cast<unsigned char>(text[i])) != 0
                                     : text[i] == kShape[i];
    if (!ok) {
      return false;
    }
  }
  return true;
}

}  // namespace qlm
