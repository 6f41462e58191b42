#include "media/PlayListFile.h"

#include "platform/AsciiText.h"

namespace qlm {

namespace {

std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos)
      end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    start = next;
  }
  return lines;
}

// `entry` (which holds no ":") read against `folder`, with "." steps dropped and ".." steps
// taking back the step before; nothing when a ".." would climb above the folder.
bool PrefixInside(const std::string& folder, std::string_view entry, std::string& out) {
  std::vector<std::string_view> steps;
  size_t start = 0;
  while (start <= entry.size()) {
    size_t end = entry.find_first_of("\\/", start);
    if (end == std::string_view::npos)
      end = entry.size();
    const std::string_view step = entry.substr(start, end - start);
    if (step == "..") {
      if (steps.empty())
        return false;
      steps.pop_back();
    } else if (step != "." && !(step.empty() && end < entry.size())) {
      steps.push_back(step);
    }
    start = end + 1;
  }
  out = folder;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (i > 0)
      out += '\\';
    out += steps[i];
  }
  return true;
}

std::vector<std::string_view> M3lEntries(const std::vector<std::string_view>& lines) {
  std::vector<std::string_view> entries;
  for (std::string_view line : lines) {
    if (!line.empty())
      entries.push_back(line);
  }
  return entries;
}

// The paths after "#EXTINF:" lines, or nothing when the file has no such line.
std::vector<std::string_view> M3uEntries(const std::vector<std::string_view>& lines,
                                         bool& hasExtinf) {
  std::vector<std::string_view> entries;
  hasExtinf = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with("#EXTINF:")) {
      hasExtinf = true;
      if (i + 1 < lines.size() && !lines[i + 1].starts_with("#EXTINF:"))
        entries.push_back(lines[++i]);
    }
  }
  return entries;
}

std::vector<std::string_view> RawEntries(std::string_view bytes, PlayListFile::Type type) {
  const std::vector<std::string_view> lines = Lines(bytes);
  switch (type) {
    case PlayListFile::Type::kM3l:
      return M3lEntries(lines);
    case PlayListFile::Type::kM3u: {
      bool hasExtinf = false;
      std::vector<std::string_view> entries = M3uEntries(lines, hasExtinf);
      return hasExtinf ? entries : M3lEntries(lines);
    }
    case PlayListFile::Type::kPls: {
      std::vector<std::string_view> entries;
      for (std::string_view line : lines) {
        const size_t file = line.find("File");
        if (file == std::string_view::npos)
          continue;
        const size_t equals = line.find('=', file + 4);
        if (equals != std::string_view::npos)
          entries.push_back(line.substr(equals + 1));
      }
      return entries;
    }
    case PlayListFile::Type::kText:
      break;
  }
  return lines;
}

}  // namespace

PlayListFile::Type PlayListFile::TypeFor(std::string_view path, std::string_view requested) {
  auto named = [](std::string_view name, Type& type) {
    if (EqualsIgnoreAsciiCase(name, "M3L"))
      type = Type::kM3l;
    else if (EqualsIgnoreAsciiCase(name, "M3U"))
      type = Type::kM3u;
    else if (EqualsIgnoreAsciiCase(name, "PLS"))
      type = Type::kPls;
    else if (EqualsIgnoreAsciiCase(name, "TXT"))
      type = Type::kText;
    else
      return false;
    return true;
  };
  Type type = Type::kText;
  if (named(requested, type))
    return type;
  const size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && named(path.substr(dot + 1, 3), type))
    return type;
  return Type::kText;
}

std::string PlayListFile::FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::vector<std::string> PlayListFile::Parse(std::string_view bytes, Type type,
                                             const std::string& folder) {
  std::vector<std::string> entries;
  for (std::string_view raw : RawEntries(bytes, type)) {
    if (raw.find('\0') != std::string_view::npos)
      continue;
    if (type == Type::kText || raw.find(':') != std::string_view::npos) {
      entries.emplace_back(raw);
      continue;
    }
    std::string joined;
    if (PrefixInside(folder, raw, joined))
      entries.push_back(std::move(joined));
  }
  return entries;
}

std::string PlayListFile::Join(const std::vector<std::string>& entries) {
  std::string text;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += entries[i];
  }
  return text;
}

}  // namespace qlm
