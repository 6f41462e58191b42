#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "document/Project.h"

namespace qlm {

class CodePage;

// How the leaves of the project tree are written. The tree (field names and their order) is
// the same for every purpose; `dump` summarises the leaves (texts converted as well as they go,
// images as size and format, blocks as byte counts), while `unpack` writes them exactly and
// puts images, scripts and binary blocks into files of their own. `where` is a file stem
// relative to the project folder ("pages/01-Intro/03-Logo.state1") that names the leaf.
class JsonLeaves {
 public:
  virtual ~JsonLeaves() = default;

  virtual nlohmann::ordered_json Text(const std::string& text) = 0;
  virtual nlohmann::ordered_json Number(double value) = 0;
  // A page background (only called when the page has one).
  virtual nlohmann::ordered_json PageImage(const StoredImage& image, const std::string& where) = 0;
  virtual nlohmann::ordered_json BackdropImage(const StoredImage& image,
                                               const std::string& where) = 0;
  virtual nlohmann::ordered_json ObjectImage(const qlm::ObjectImage& image,
                                             const std::string& where) = 0;
  virtual nlohmann::ordered_json Script(const ScriptBody& script, const std::string& where) = 0;
  // Plain bytes (metafile, GIF data, window mask); `extension` names the file's kind.
  virtual nlohmann::ordered_json Bytes(const std::vector<uint8_t>& bytes, const std::string& where,
                                       const std::string& extension) = 0;
  virtual nlohmann::ordered_json Block(const CompressedBlock& block, const std::string& where,
                                       const std::string& extension) = 0;
  // Whether derived summary fields (the stored page count) are written.
  virtual bool WithPageCount() const { return true; }
};

// The project as JSON: every stored field by name, texts converted from the presentation's
// code page to UTF-8, scripts as statement lists, images as form, size and file format, and
// binary blocks (metafiles, GIF data, page data, sounds, the shape mask) as their byte count.
nlohmann::ordered_json ProjectToJson(const Project& project, const CodePage& codePage);
nlohmann::ordered_json SettingsToJson(const ProjectSettings& settings, const CodePage& codePage);
nlohmann::ordered_json PageToJson(const PageRecord& page, const CodePage& codePage);
nlohmann::ordered_json ObjectToJson(const ObjectRecord& object, const CodePage& codePage);
nlohmann::ordered_json ScriptToJson(const ScriptBody& script, const CodePage& codePage);
nlohmann::ordered_json StoredImageToJson(const StoredImage& image);

// The same tree with leaves of the caller's choice.
nlohmann::ordered_json ProjectToJson(const Project& project, JsonLeaves& leaves);
nlohmann::ordered_json SettingsToJson(const ProjectSettings& settings, JsonLeaves& leaves);
nlohmann::ordered_json PageToJson(const PageRecord& page, JsonLeaves& leaves,
                                  const std::string& where);
nlohmann::ordered_json ObjectToJson(const ObjectRecord& object, JsonLeaves& leaves,
                                    const std::string& where);
// One statement in its stored form (code, kind, the four texts, reserved, argCount, number).
nlohmann::ordered_json StatementToJson(const ScriptStatement& statement, JsonLeaves& leaves);

// A readable name for an object type code ("text", "button" ...; "type 9" for unnamed codes).
std::string ObjectKindName(int32_t typeCode);
// The name of a statement kind ("assign", "if" ..., "command" for command codes).
std::string StatementKindName(int32_t code);
// The names of the image forms: "raw", "packed", "zlib", "encoded".
std::string ImageFormName(ImageForm form);
// "JPEG", "PNG", "TIFF" or "unknown" for an encoded image file; "raw" for pixels as stored.
std::string ImageFileFormat(const StoredImage& image);

// File stems of the project folder: "pages/01-Intro", "master-page", "03-Logo" ... Names keep
// letters, digits, '-', '_' and '.', blanks become '_'; the index keeps stems unique.
std::string FileStem(size_t index, size_t count, const std::string& name);

// Serialises with two-space indents; bytes that are not UTF-8 become U+FFFD instead of failing.
std::string JsonText(const nlohmann::ordered_json& json);

}  // namespace qlm
