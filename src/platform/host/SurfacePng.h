#pragma once

#include <filesystem>
#include <string>

#include "graphics/Surface.h"

namespace qlm {

// Writes `frame` as a PNG file on the host (screenshots the user asked for, never a script's). False, with `error` saying why, when it cannot.
bool WriteSurfacePng(const Surface& frame, const std::filesystem::path& path, std::string& error);

}  // namespace qlm
