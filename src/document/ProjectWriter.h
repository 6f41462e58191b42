#pragma once

#include <cstdint>
#include <vector>

#include "document/Project.h"

namespace qlm {

enum class SecureLayer {
  None,    // the settings follow the header directly
  Stored,  // the whole archive again inside a secure layer, not compressed
  Packed,  // the same, zlib-compressed
};

// Writes a project document of any format version from 2 to 29 (the secure layer needs 13 or
// later). Fields the version does not store are left out; a reader of that version gets back
// what was stored and its defaults for the rest. Throws std::invalid_argument for a
// combination no document can hold.
std::vector<uint8_t> WriteProject(const Project& project, int32_t version,
                                  SecureLayer secure = SecureLayer::None);

}  // namespace qlm
