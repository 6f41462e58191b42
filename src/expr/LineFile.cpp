#include "expr/LineFile.h"

#include <optional>

#include "platform/FileSystem.h"

namespace qlm::line_file {

int64_t CountLines(const FileSystem& files, const std::string& path) {
  const std::optional<std::string> bytes = files.ReadFile(path);
  if (!bytes)
    return 0;
  int64_t lines = 1;
  bool afterCr = false;
  for (const char c : *bytes) {
    if (afterCr && c == '\n')
      ++lines;
    afterCr = c == '\r';
  }
  return lines;
}

std::string ReadLines(const FileSystem& files, const std::string& path, int32_t start,
                      int32_t count) {
  if (count == -1) {
    if (start < 1)
      start = 1;
    count = 2147483646 - start;
  }
  if (start <= 0 || count <= 0)
    return {};
  const std::optional<std::string> bytes = files.ReadFile(path);
  if (!bytes)
    return {};
  const int64_t last = int64_t{start} + count - 1;
  int64_t line = 1;
  bool afterCr = false;
  std::string out;
  for (const char c : *bytes) {
    if (line >= start)
      out += c;
    if (afterCr && c == '\n') {
      if (line == last) {
        out.resize(out.size() - 2);  // the CR LF that ends the last wanted line
        return out;
      }
      ++line;
    }
    afterCr = c == '\r';
  }
  return out;
}

bool WriteText(const FileSystem& files, const std::string& path, const std::string& text,
               bool append, bool separate) {
  if (!append)
    return files.WriteFile(path, text);
  const std::optional<FileInfo> info = files.Stat(path);
  const bool nonEmpty = info && info->kind == FileKind::kFile && info->size > 0;
  return files.AppendFile(path, separate && nonEmpty ? "\r\n" + text : text);
}

LineResult PutLine(const FileSystem& files, const std::string& path, const std::string& temporary,
                   const std::string& text, int64_t line, bool replace) {
  const std::optional<std::string> source = files.ReadFile(path);
  if (!source)
    return LineResult::kCannotOpenSource;
  if (line < 1)
    line = 1;

  // Find where the line begins and the CR that ends it.
  bool haveStart = line == 1, haveEnd = false;
  size_t start = 0, end = source->size();
  int64_t current = 1;
  bool afterCr = false;
  for (size_t offset = 0; offset < source->size() && !haveEnd; ++offset) {
    const char c = (*source)[offset];
    if (afterCr && c == '\n') {
      if (current == line) {
        end = offset - 1;
        haveEnd = true;
      } else if (++current == line) {
        start = offset + 1;
        haveStart = true;
      }
    }
    afterCr = c == '\r';
  }

  std::string out;
  if (!haveStart) {
    // Beyond the last line: the text becomes a new line after it.
    out = *source + "\r\n" + text + (replace ? "" : "\r\n");
  } else if (replace) {
    out = source->substr(0, start) + text + source->substr(end);
  } else {
    out = source->substr(0, start) + text + "\r\n" + source->substr(start);
  }
  if (!files.WriteFile(temporary, out))
    return LineResult::kCannotCreateTemporary;
  if (!files.Rename(temporary, path)) {
    files.Remove(temporary);
    return LineResult::kWriteFailed;
  }
  return LineResult::kOk;
}

}  // namespace qlm::line_file
