#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "document/Project.h"
#include "document/ProjectWriter.h"

namespace qlm {

class CodePage;

// The project file of a project folder.
inline constexpr const char* kProjectFileName = "project.json";

// How a document was stored around its project: what build needs to write it the same way.
struct DocumentForm {
  std::string codePage = "WINDOWS-1252";  // of every text in the document
  SecureLayer secure = SecureLayer::None;
  int32_t outerVersion = 0;  // version of the secure wrapper when it differs from the project's
  bool oneInstance = false;  // read from a one-instance stand-alone file
  std::string identifier;    // its identifier

  bool operator==(const DocumentForm&) const = default;
};

// A project folder in memory: relative path (with '/') to file contents, project.json included.
using FolderFiles = std::map<std::string, std::vector<uint8_t>>;

// The folder form of a project: the project file holding every stored field, images as PNG
// files (or their stored JPEG/PNG/TIFF files), scripts as source text where the text compiles
// back to the very same statements, and binary blocks as files.
FolderFiles UnpackProject(const Project& project, const DocumentForm& form);

// How a document stores its project: the secure layer and the wrapper's version.
DocumentForm DetectDocumentForm(std::span<const uint8_t> document, int32_t projectVersion);

// Writes the files into `dir`, which must not exist or be empty. The files go to a fresh
// folder beside it first, which is then renamed into place, so a failure leaves nothing
// half-written. Throws std::runtime_error with a message for the user.
void WriteFolder(const FolderFiles& files, const std::filesystem::path& dir);

// Writes `bytes` to a temporary file beside `path` and renames it into place.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace qlm
