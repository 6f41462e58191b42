#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// One choice of a file dialog's type list: what it is called and the name patterns it shows.
struct FileFilterChoice {
  std::string label;
  std::vector<std::string> patterns;  // "*.txt", "*.*"; at least one

  bool operator==(const FileFilterChoice&) const = default;
};

// The choices of a filter text as scripts write it: label and patterns in turns, each ended by
// "|" ("Text (*.txt)|*.txt|All Files (*.*)|*.*||"); patterns are separated by ";" and may carry
// spaces. A label without patterns is dropped; no choice at all gives "All Files (*.*)".
std::vector<FileFilterChoice> ParseFileFilter(std::string_view text);

// The choice a user makes by typing patterns ("*.txt;*.bmp") into a name field.
FileFilterChoice TypedFilter(std::string_view patterns);

// True when `name` matches the wildcard `pattern` without regard to ASCII case: "*" stands for
// any run of characters, "?" for one. As on Windows, "*.*" matches every name, with a dot or
// without.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// True when `name` matches one of the choice's patterns.
bool MatchesFilter(std::string_view name, const FileFilterChoice& choice);

// The extension a save dialog adds to a name typed without one: the extension of the choice's
// first pattern when it is a plain one ("*.txt" gives "txt"); nullopt for "*.*" or wildcards.
std::optional<std::string> DefaultExtension(const FileFilterChoice& choice);

}  // namespace qlm
