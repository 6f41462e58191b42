#include "expr/LineFile.h"

#include <cstdio>
#include <memory>
#include <system_error>

namespace qlm::line_file {
namespace {

constexpr size_t kBlock = 4096;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForReading(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return nullptr;
  return File(std::fopen(path.c_str(), "rb"));
}

// Copies bytes [from, to) of source into target.
bool CopyRange(std::FILE* source, std::FILE* target, uint64_t from, uint64_t to) {
  if (from >= to)
    return true;
  if (std::fseek(source, static_cast<long>(from), SEEK_SET) != 0)
    return false;
  char buffer[kBlock];
  uint64_t left = to - from;
  while (left > 0) {
    size_t want = left < kBlock ? static_cast<size_t>(left) : kBlock;
    size_t got = std::fread(buffer, 1, want, source);
    if (got == 0)
      return false;
    if (std::fwrite(buffer, 1, got, target) != got)
      return false;
    left -= got;
  }
  return true;
}

bool Write(std::FILE* f, const std::string& text) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), f) == text.size();
}

}  // namespace

int64_t CountLines(const std::filesystem::path& path) {
  File f = OpenForReading(path);
  if (!f)
    return 0;
  int64_t lines = 1;
  bool afterCr = false;
  char buffer[kBlock];
  size_t got;
  while ((got = std::fread(buffer, 1, kBlock, f.get())) > 0) {
    for (size_t i = 0; i < got; ++i) {
      if (afterCr && buffer[i] == '\n')
        ++lines;
      afterCr = buffer[i] == '\r';
    }
  }
  return lines;
}

std::string ReadLines(const std::filesystem::path& path, int32_t start, int32_t count) {
  if (count == -1) {
    if (start < 1)
      start = 1;
    count = 2147483646 - start;
  }
  if (start <= 0 || count <= 0)
    return {};
  File f = OpenForReading(path);
  if (!f)
    return {};
  const int64_t last = int64_t{start} + count - 1;
  int64_t line = 1;
  bool afterCr = false;
  std::string out;
  char buffer[kBlock];
  size_t got;
  while ((got = std::fread(buffer, 1, kBlock, f.get())) > 0) {
    for (size_t i = 0; i < got; ++i) {
      char c = buffer[i];
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
  }
  return out;
}

WriteResult WriteText(const std::filesystem::path& path, const std::string& text, bool append,
                      bool separate) {
  uint64_t length = 0;
  if (append) {
    std::error_code ec;
    length = std::filesystem::file_size(path, ec);
    if (ec)
      length = 0;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return WriteResult::kCannotCreate;
  File f(std::fopen(path.c_str(), append ? "ab" : "wb"));
  if (!f)
    return WriteResult::kCannotCreate;
  bool ok = true;
  if (append && separate && length > 0)
    ok = Write(f.get(), "\r\n");
  ok = ok && Write(f.get(), text);
  ok = std::fclose(f.release()) == 0 && ok;
  return ok ? WriteResult::kOk : WriteResult::kWriteFailed;
}

LineResult PutLine(const std::filesystem::path& path, const std::filesystem::path& temporary,
                   const std::string& text, int64_t line, bool replace) {
  File source = OpenForReading(path);
  if (!source)
    return LineResult::kCannotOpenSource;
  if (line < 1)
    line = 1;

  // Find where the line begins and the CR that ends it.
  bool haveStart = line == 1, haveEnd = false;
  uint64_t start = 0, end = 0, offset = 0;
  int64_t current = 1;
  bool afterCr = false;
  char buffer[kBlock];
  size_t got;
  while (!haveEnd && (got = std::fread(buffer, 1, kBlock, source.get())) > 0) {
    for (size_t i = 0; i < got && !haveEnd; ++i, ++offset) {
      if (afterCr && buffer[i] == '\n') {
        if (current == line) {
          end = offset - 1;
          haveEnd = true;
        } else if (++current == line) {
          start = offset + 1;
          haveStart = true;
        }
      }
      afterCr = buffer[i] == '\r';
    }
  }
  std::error_code ec;
  uint64_t size = std::filesystem::file_size(path, ec);
  if (ec)
    return LineResult::kCannotOpenSource;
  if (!haveEnd)
    end = size;

  File target(std::fopen(temporary.c_str(), "wb"));
  if (!target)
    return LineResult::kCannotCreateTemporary;
  bool ok;
  if (!haveStart) {
    // Beyond the last line: the text becomes a new line after it.
    ok = CopyRange(source.get(), target.get(), 0, size) && Write(target.get(), "\r\n") &&
         Write(target.get(), text) && (replace || Write(target.get(), "\r\n"));
  } else {
    ok = CopyRange(source.get(), target.get(), 0, start) && Write(target.get(), text);
    if (replace) {
      ok = ok && CopyRange(source.get(), target.get(), end, size);
    } else {
      ok = ok && Write(target.get(), "\r\n") && CopyRange(source.get(), target.get(), start, size);
    }
  }
  ok = std::fclose(target.release()) == 0 && ok;
  source.reset();
  if (ok) {
    std::filesystem::rename(temporary, path, ec);
    ok = !ec;
  }
  if (!ok) {
    std::filesystem::remove(temporary, ec);
    return LineResult::kWriteFailed;
  }
  return LineResult::kOk;
}

}  // namespace qlm::line_file
