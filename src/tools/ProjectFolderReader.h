#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "document/Project.h"
#include "tools/ProjectFolder.h"

namespace qlm {

// One problem found in a project folder, located by file and line (0 when the whole file is
// meant).
struct FolderMessage {
  std::string file;  // as the user named it: the folder path joined with the file's name
  size_t line = 0;
  std::string text;  // UTF-8; the player's compiler messages keep their own line breaks

  bool operator==(const FolderMessage&) const = default;
};

// "file:line: text" (or "file: text").
std::string FormatFolderMessage(const FolderMessage& message);

struct FolderProject {
  Project project;
  DocumentForm form;
  std::vector<FolderMessage> errors;    // any error: the project must not be written
  std::vector<FolderMessage> warnings;  // it can be written, but something looks wrong
};

// Reads a project folder: the project file (missing keys keep the values of a fresh project,
// page or object; unknown keys and wrong types are errors), its images, scripts (compiled with
// the player's compiler and expression checker) and binary files. Never throws for problems in
// the folder; they are returned as errors.
FolderProject ReadProjectFolder(const std::filesystem::path& dir);

}  // namespace qlm
