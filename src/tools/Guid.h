#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qlm {

// A version-4 GUID in registry form, braces included, upper case, 38 characters:
// "{XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX}". `random` supplies the 16 bytes.
std::string FormatGuid(std::array<uint8_t, 16> random);

// A fresh GUID from the system's random source (/dev/urandom). Throws std::runtime_error
// when no random bytes can be read.
std::string NewGuid();

// True for 38 characters in registry form (any hex digits, either case).
bool IsRegistryGuid(std::string_view text);

}  // namespace qlm
