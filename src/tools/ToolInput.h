#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/ProjectReader.h"

namespace qlm {

class CodePage;

// A file handed to info or dump: a document, or a stand-alone file with a document inside.
struct ToolInput {
  SharedBytes document;  // the project stream, a view of the file
  bool standalone = false;
  bool oneInstance = false;
  std::string identifier;  // only meaningful when oneInstance
  uint64_t fileBytes = 0;
  uint64_t playerBytes = 0;  // bytes before the embedded block
};

// Reads `path`; a file with a stand-alone trailer gives its embedded project. Throws
// std::runtime_error with the message for the user (the container's texts for a damaged
// trailer, "Cannot Open ..." when the file cannot be read).
ToolInput ReadToolInput(const std::filesystem::path& path);

// How much of the pictures a tool needs.
enum class ToolPictures {
  kDecoded,  // every picture decoded while reading: damage is found and reported up front
  kPacked,   // kept as stored, decoded only if asked for (a summary needs none of them)
};

// The project of `input`, read in full. Messages the reader shows are appended to `messages`;
// a load that does not complete throws std::runtime_error with the last of them. Wide strings
// are converted to `codePage` (Windows-1252 when null).
Project LoadToolProject(const ToolInput& input, const std::string& sourceName,
                        std::vector<std::string>& messages, const CodePage* codePage = nullptr,
                        ToolPictures pictures = ToolPictures::kDecoded);

}  // namespace qlm
