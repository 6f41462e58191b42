#include "platform/host/IniProfileStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/AsciiText.h"
#include "platform/host/HostFiles.h"
#include "platform/host/StaleTempFiles.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader =
    "; QLM Player settings. Escapes: \\\\ backslash, \\n LF, \\r CR, \\xHH any byte.";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z')
      ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z')
      cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb)
      return false;
  }
  return true;
}

// special: bytes that need an escape in this kind of field besides control bytes and blanks
// at either end ('=' in entry names, ']' in section names).
std::string Escape(std::string_view s, std::string_view special) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool edgeBlank = IsBlank(s[i]) && (i == 0 || i + 1 == s.size());
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F || edgeBlank ||
               special.find(static_cast<char>(c)) != std::string_view::npos) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char next = s[i + 1];
    if (next == '\\') {
      out += '\\';
      ++i;
    } else if (next == 'n') {
      out += '\n';
      ++i;
    } else if (next == 'r') {
      out += '\r';
      ++i;
    } else if (next == 'x' && i + 3 < s.size() + 0 && AsciiHexValue(s[i + 2]) >= 0 &&
               AsciiHexValue(s[i + 3]) >= 0) {
      out += static_cast<char>(AsciiHexValue(s[i + 2]) * 16 + AsciiHexValue(s[i + 3]));
      i += 3;
    } else {
      out += '\\';  // not an escape: the backslash stands for itself
    }
  }
  return out;
}

// Optional blanks, a sign and the leading digits; false when there are no digits.
bool ParseInt(std::string_view s, int& value) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i]))
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-'))
    negative = s[i++] == '-';
  if (i == s.size() || s[i] < '0' || s[i] > '9')
    return false;
  long long n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    n = n * 10 + (s[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1)
      n = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative)
    n = -n;
  if (n > INT_MAX)
    n = INT_MAX;
  value = static_cast<int>(n);
  return true;
}

// Reads the whole file; false when it exists but cannot be read.
bool ReadFile(const fs::path& file, std::string& content, bool& exists) {
  content.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  exists = fd >= 0 || errno != ENOENT;
  if (fd < 0)
    return !exists;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      ok = false;
    if (n <= 0)
      break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

std::string ErrnoText(const std::string& what, const fs::path& path) {
  return "Cannot " + what + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

IniProfileStore::IniProfileStore(fs::path dir, const char* fileName)
    : dir_(std::move(dir)), file_(dir_ / fileName) {
  // Saves killed between creating their temporary file and the rename leave it behind.
  RemoveStaleTempFiles(dir_, fileName, std::chrono::minutes(1));
}

IniProfileStore IniProfileStore::ForUser(const HostEnvironment& env) {
  return IniProfileStore(env.ConfigDir());
}

std::vector<IniProfileStore::Line> IniProfileStore::Parse(const std::string& content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    auto end = content.find('\n', pos);
    if (end == std::string::npos)
      end = content.size();
    Line line;
    line.raw = content.substr(pos, end - pos);
    if (!line.raw.empty() && line.raw.back() == '\r')
      line.raw.pop_back();
    pos = end + 1;

    const std::string_view text = TrimBlanks(line.raw);
    if (text.empty() || text[0] == ';' || text[0] == '#') {
      // comment or blank: kept as it is
    } else if (text[0] == '[') {
      const auto close = text.find(']');
      if (close != std::string_view::npos) {
        line.kind = Line::Kind::kSection;
        line.name = Unescape(TrimBlanks(text.substr(1, close - 1)));
      }
    } else if (const auto eq = text.find('='); eq != std::string_view::npos) {
      line.kind = Line::Kind::kEntry;
      line.name = Unescape(TrimBlanks(text.substr(0, eq)));
      line.value = Unescape(TrimBlanks(text.substr(eq + 1)));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string IniProfileStore::Serialize(const std::vector<Line>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line.raw;
    out += '\n';
  }
  return out;
}

const IniProfileStore::Line* IniProfileStore::Find(const std::vector<Line>& lines,
                                                   const std::string& section,
                                                   const std::string& entry) {
  bool inSection = false;
  for (const auto& line : lines) {
    if (line.kind == Line::Kind::kSection) {
      inSection = SameName(line.name, section);
    } else if (inSection && line.kind == Line::Kind::kEntry && SameName(line.name, entry)) {
      return &line;
    }
  }
  return nullptr;
}

void IniProfileStore::Set(std::vector<Line>& lines, const std::string& section,
                          const std::string& entry, const std::string& value) {
  Line fresh;
  fresh.kind = Line::Kind::kEntry;
  fresh.name = entry;
  fresh.value = value;
  fresh.raw = Escape(entry, "=[;#") + "=" + Escape(value, "");

  // Replace the first entry of that name, or add one after the last entry of the first
  // section of that name.
  std::size_t insertAt = std::string::npos;
  bool inSection = false;
  bool seenSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto& line = lines[i];
    if (line.kind == Line::Kind::kSection) {
      inSection = SameName(line.name, section) && !seenSection;
      if (inSection) {
        seenSection = true;
        insertAt = i + 1;
      }
    } else if (inSection && line.kind == Line::Kind::kEntry) {
      if (SameName(line.name, entry)) {
        fresh.name = line.name;  // keep the first spelling
        fresh.raw = Escape(line.name, "=[;#") + "=" + Escape(value, "");
        line = std::move(fresh);
        return;
      }
      insertAt = i + 1;
    }
  }
  if (insertAt != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(fresh));
    return;
  }
  if (lines.empty()) {
    lines.push_back(Line{Line::Kind::kOther, kHeader, {}, {}});
  } else if (!TrimBlanks(lines.back().raw).empty()) {
    lines.push_back(Line{});
  }
  lines.push_back(Line{Line::Kind::kSection, "[" + Escape(section, "]") + "]", section, {}});
  lines.push_back(std::move(fresh));
}

const std::vector<IniProfileStore::Line>& IniProfileStore::Current() const {
  struct stat st {};
  Identity now;
  if (::stat(file_.c_str(), &st) == 0) {
    now = Identity{true,
                   st.st_dev,
                   st.st_ino,
                   st.st_size,
                   st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
                   st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
  }
  if (loaded_ && now == seen_)
    return lines_;
  std::string content;
  bool exists = false;
  // A file that cannot be read is treated as empty; Write refuses to replace it.
  ReadFile(file_, content, exists);
  lines_ = Parse(content);
  seen_ = now;
  loaded_ = true;
  return lines_;
}

int IniProfileStore::GetInt(const std::string& section, const std::string& entry,
                            int fallback) const {
  const Line* line = Find(Current(), section, entry);
  int value = fallback;
  if (line == nullptr || !ParseInt(line->value, value))
    return fallback;
  return value;
}

std::string IniProfileStore::GetString(const std::string& section, const std::string& entry,
                                       const std::string& fallback) const {
  const Line* line = Find(Current(), section, entry);
  return line == nullptr ? fallback : line->value;
}

bool IniProfileStore::WriteInt(const std::string& section, const std::string& entry, int value) {
  return Write(section, entry, std::to_string(value));
}

bool IniProfileStore::WriteString(const std::string& section, const std::string& entry,
                                  const std::string& value) {
  return Write(section, entry, value);
}

bool IniProfileStore::Write(const std::string& section, const std::string& entry,
                            const std::string& value) {
  lastError_.clear();
  std::error_code ec;
  fs::create_directories(dir_, ec);
  Descriptor dirFd(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.Get() < 0) {
    lastError_ = ErrnoText("open the settings folder", dir_);
    return false;
  }
  // Other players may write the same profile: one writer at a time, each starting from the
  // file as the last one left it.
  while (::flock(dirFd.Get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      lastError_ = ErrnoText("lock the settings folder", dir_);
      return false;
    }
  }

  std::string content;
  bool exists = false;
  if (!ReadFile(file_, content, exists)) {
    lastError_ = ErrnoText("read the settings file", file_);
    return false;
  }
  std::vector<Line> lines = Parse(content);
  Set(lines, section, entry, value);
  const std::string data = Serialize(lines);

  // The file keeps its private mode: other users have no business reading a player's settings.
  if (!ReplaceFile(
          file_, 0600, [&data](int fd) { return WriteAllBytes(fd, data); }, lastError_))
    return false;
  // The rename is durable only once the folder itself is on disk.
  ::fsync(dirFd.Get());
  loaded_ = false;
  return true;
}

}  // namespace qlm
