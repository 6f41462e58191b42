#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "document/Project.h"

namespace qlm {

class CodePage;

// The project as JSON: every stored field by name, texts converted from the presentation's
// code page to UTF-8, scripts as statement lists, images as form, size and file format, and
// binary blocks (metafiles, GIF data, page data, sounds, the shape mask) as their byte count.
nlohmann::ordered_json ProjectToJson(const Project& project, const CodePage& codePage);
nlohmann::ordered_json SettingsToJson(const ProjectSettings& settings, const CodePage& codePage);
nlohmann::ordered_json PageToJson(const PageRecord& page, const CodePage& codePage);
nlohmann::ordered_json ObjectToJson(const ObjectRecord& object, const CodePage& codePage);
nlohmann::ordered_json ScriptToJson(const ScriptBody& script, const CodePage& codePage);
nlohmann::ordered_json StoredImageToJson(const StoredImage& image);

// A readable name for an object type code ("text", "button" ...; "type 9" for unnamed codes).
std::string ObjectKindName(int32_t typeCode);
// "JPEG", "PNG", "TIFF" or "unknown" for an encoded image file; "raw" for pixels as stored.
std::string ImageFileFormat(const StoredImage& image);

// Serialises with two-space indents; bytes that are not UTF-8 become U+FFFD instead of failing.
std::string JsonText(const nlohmann::ordered_json& json);

}  // namespace qlm
