#include "mediamodule/ListedReferences.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>
#include <vector>

namespace qlm {

namespace {

constexpr size_t kListBytes = 64 * 1024;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// An address ("http://...", "file:x") rather than a path: a scheme of two letters or more.
bool IsAddress(std::string_view name) {
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos || colon < 2 ||
      !std::isalpha(static_cast<unsigned char>(name[0])))
    return false;
  return std::all_of(name.begin(), name.begin() + static_cast<ptrdiff_t>(colon), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

class ListReader {
 public:
  ListReader(const MediaFile& file, RefusedReferences& refused)
      : folder_(file.named.parent_path()), refused_(refused) {}

  void Add(std::string_view name) {
    name = Trimmed(name);
    if (name.empty())
      return;
    if (IsAddress(name) || name.front() == '/')
      AddRefused(refused_, std::string(name));
    else
      AddRefused(refused_, (folder_ / std::string(name)).lexically_normal().string());
  }

  // Entries are the lines that are no comments; tags of stream lists name files in URI="...".
  void Playlist(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines) {
      if (line.empty())
        continue;
      if (line.front() != '#') {
        Add(line);
        continue;
      }
      const size_t uri = line.find("URI=\"");
      if (StartsWithNoCase(line, "#EXT-X-") && uri != std::string_view::npos) {
        const size_t start = uri + 5;
        Add(line.substr(start, line.find('"', start) - start));
      }
    }
  }

  // "FileN=name" lines.
  void Pls(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines) {
      const size_t equals = line.find('=');
      if (StartsWithNoCase(line, "file") && equals != std::string_view::npos)
        Add(line.substr(equals + 1));
    }
  }

  // Entries separated by line breaks or ";", each a name (or "%N%" and N bytes of name), then
  // ",start,length"; "#" starts a comment and "!" a header.
  void Edl(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
      const size_t end = std::min(text.find_first_of(";\n", i), text.size());
      std::string_view entry = Trimmed(text.substr(i, end - i));
      i = end + 1;
      if (entry.empty() || entry.front() == '#' || entry.front() == '!')
        continue;
      if (entry.front() == '%') {
        const size_t close = entry.find('%', 1);
        size_t length = 0;
        for (size_t k = 1; k < close && close != std::string_view::npos; ++k)
          length = length * 10 + static_cast<size_t>(entry[k] - '0');
        if (close != std::string_view::npos) {
          // The name may hold ";" or line breaks: take it from the whole text.
          const size_t start = static_cast<size_t>(entry.data() - text.data()) + close + 1;
          Add(text.substr(start, std::min(length, text.size() - std::min(start, text.size()))));
          i = std::max(i, std::min(start + length, text.size()));
          i = std::min(text.find_first_of(";\n", i), text.size()) + 1;
        }
        continue;
      }
      Add(entry.substr(0, entry.find(',')));
    }
  }

  // "file NAME" lines, NAME in single quotes or with backslash escapes.
  void Concat(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines) {
      if (!line.starts_with("file ") && !line.starts_with("file\t"))
        continue;
      const std::string_view rest = Trimmed(line.substr(5));
      std::string name;
      bool quoted = false;
      for (size_t k = 0; k < rest.size(); ++k) {
        const char c = rest[k];
        if (c == '\'') {
          quoted = !quoted;
        } else if (c == '\\' && !quoted && k + 1 < rest.size()) {
          name += rest[++k];
        } else if ((c == ' ' || c == '\t') && !quoted) {
          break;
        } else {
          name += c;
        }
      }
      Add(name);
    }
  }

 private:
  std::filesystem::path folder_;
  RefusedReferences& refused_;
};

}  // namespace

void AddRefused(RefusedReferences& refused, std::string name) {
  if (std::find(refused.begin(), refused.end(), name) == refused.end())
    refused.push_back(std::move(name));
}

void AddListedReferences(const MediaFile& file, RefusedReferences& refused) {
  std::string text(kListBytes, '\0');
  std::ifstream in(file.read, std::ios::binary);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  if (text.find('\0') != std::string::npos)
    return;  // media, not a list
  std::string_view body = text;
  if (body.starts_with("\xEF\xBB\xBF"))
    body.remove_prefix(3);
  std::vector<std::string_view> lines;
  for (size_t i = 0; i <= body.size();) {
    const size_t end = std::min(body.find('\n', i), body.size());
    lines.push_back(Trimmed(body.substr(i, end - i)));
    i = end + 1;
  }
  const auto first =
      std::find_if(lines.begin(), lines.end(), [](std::string_view line) { return !line.empty(); });
  if (first == lines.end())
    return;
  std::string extension = file.named.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  ListReader reader(file, refused);
  if (first->starts_with("#EXTM3U") || extension == ".m3u" || extension == ".m3u8")
    reader.Playlist(lines);
  else if (StartsWithNoCase(*first, "[playlist]"))
    reader.Pls(lines);
  else if (first->starts_with("# mpv EDL v0"))
    reader.Edl(
        body.substr(body.find('\n') == std::string_view::npos ? body.size() : body.find('\n') + 1));
  else if (first->starts_with("ffconcat version"))
    reader.Concat(lines);
}

}  // namespace qlm
