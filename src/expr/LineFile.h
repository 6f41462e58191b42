#pragma once

#include <cstdint>
#include <string>

namespace qlm {

class FileSystem;

// Text files as the file functions of scripts see them: lines end at a carriage return
// followed by a line feed (a lone line feed is part of a line). Paths are as scripts write
// them, resolved by `files`.
namespace line_file {

// Number of lines: 1 + the number of CR LF pairs; an empty file has 1 line. 0 when the file
// cannot be read.
int64_t CountLines(const FileSystem& files, const std::string& path);

// Lines start to start + count - 1 (numbered from 1) with the line breaks between them. A count
// of -1 means every line from start on. Empty when start is below 1, beyond the last line, or
// the file cannot be read.
std::string ReadLines(const FileSystem& files, const std::string& path, int32_t start,
                      int32_t count);

// Writes text to the file, replacing it or appending; with separate, an appended text on a
// non-empty file is preceded by CR LF. False when the file cannot be written.
bool WriteText(const FileSystem& files, const std::string& path, const std::string& text,
               bool append, bool separate);

// Puts text into line `line` of the file through the temporary file `temporary`: before the
// line as a new line, or (replace) in place of the line's content. A line beyond the last
// becomes a new last line.
enum class LineResult { kOk, kCannotOpenSource, kCannotCreateTemporary, kWriteFailed };
LineResult PutLine(const FileSystem& files, const std::string& path, const std::string& temporary,
                   const std::string& text, int64_t line, bool replace);

}  // namespace line_file
}  // namespace qlm
