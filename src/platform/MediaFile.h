#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qlm {

// A media file handed to a decoding library: the name to read its bytes by, and the name it
// goes by. The player opens and checks the file first and hands on "/proc/self/fd/N", a name of
// exactly that open file, so nothing swapped on the disk afterwards can be read instead; such a
// name has no extension, so `named` keeps the file's resolved host path, whose extension can
// tell formats apart and whose folder the names inside a list are relative to.
struct MediaFile {
  MediaFile() = default;
  // A host path read as it is (tests, tools).
  MediaFile(std::filesystem::path path) : read(path), named(std::move(path)) {}
  MediaFile(std::filesystem::path readPath, std::filesystem::path namedPath)
      : read(std::move(readPath)), named(std::move(namedPath)) {}

  std::filesystem::path read;
  std::filesystem::path named;
};

// The files and addresses a media file names that a library refused to open, as the file names
// them (relative names made absolute against its folder), each once.
using RefusedReferences = std::vector<std::string>;

}  // namespace qlm
