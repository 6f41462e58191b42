#include "platform/FileFilter.h"

#include "platform/AsciiText.h"

namespace qlm {
namespace {

std::vector<std::string> SplitPatterns(std::string_view text) {
  std::vector<std::string> patterns;
  for (;;) {
    const size_t at = text.find(';');
    const std::string_view piece = TrimSpacesAndTabs(text.substr(0, at));
    if (!piece.empty())
      patterns.emplace_back(piece);
    if (at == std::string_view::npos)
      return patterns;
    text.remove_prefix(at + 1);
  }
}

}  // namespace

std::vector<FileFilterChoice> ParseFileFilter(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t at = text.find('|');
    fields.push_back(text.substr(0, at));
    if (at == std::string_view::npos)
      break;
    text.remove_prefix(at + 1);
  }
  std::vector<FileFilterChoice> choices;
  for (size_t i = 0; i + 1 < fields.size(); i += 2) {
    FileFilterChoice choice{std::string(TrimSpacesAndTabs(fields[i])),
                            SplitPatterns(fields[i + 1])};
    if (choice.patterns.empty())
      continue;
    if (choice.label.empty())
      choice.label = std::string(TrimSpacesAndTabs(fields[i + 1]));
    choices.push_back(std::move(choice));
  }
  if (choices.empty())
    choices.push_back({"All Files (*.*)", {"*.*"}});
  return choices;
}

FileFilterChoice TypedFilter(std::string_view patterns) {
  return {std::string(TrimSpacesAndTabs(patterns)), SplitPatterns(patterns)};
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*")
    return true;
  // Greedy matching with one back-track point: the last "*" seen.
  size_t n = 0, p = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

bool MatchesFilter(std::string_view name, const FileFilterChoice& choice) {
  for (const std::string& pattern : choice.patterns) {
    if (MatchesWildcard(name, pattern))
      return true;
  }
  return false;
}

std::optional<std::string> DefaultExtension(const FileFilterChoice& choice) {
  if (choice.patterns.empty())
    return std::nullopt;
  const std::string& first = choice.patterns.front();
  const size_t dot = first.rfind('.');
  if (dot == std::string::npos)
    return std::nullopt;
  const std::string extension = first.substr(dot + 1);
  if (extension.empty() || extension.find_first_of("*?") != std::string::npos)
    return std::nullopt;
  return extension;
}

}  // namespace qlm
