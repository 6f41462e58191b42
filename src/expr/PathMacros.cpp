#include "expr/PathMacros.h"

#include <array>
#include <utility>

namespace qlm {

namespace {

// Blanks stripped from the text before the macros are searched in it.
constexpr const char* kBlanks = " \t\r\n";

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos)
    return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  std::size_t pos = 0;
  while ((pos = text.find(what, pos)) != std::string::npos) {
    text.replace(pos, what.size(), with);
    pos += with.size();
  }
}

}  // namespace

PathMacros::PathMacros(const SystemFolders& folders, std::string executablePath)
    : folders_(folders), executablePath_(std::move(executablePath)) {}

void PathMacros::Reset() {
  stale_ = true;
}

void PathMacros::SetExecutablePath(std::string path) {
  executablePath_ = std::move(path);
  stale_ = true;
}

void PathMacros::Refresh() {
  // A path without any backslash names no folder and no drive.
  const auto lastSlash = executablePath_.rfind('\\');
  srcDir_ = lastSlash == std::string::npos ? std::string() : executablePath_.substr(0, lastSlash);
  const auto firstSlash = executablePath_.find('\\');
  srcDrive_ =
      firstSlash == std::string::npos ? std::string() : executablePath_.substr(0, firstSlash);
  cd_ = folders_.cd;
  embedded_ = folders_.embedded;
  windows_ = folders_.windows;
  system_ = folders_.system;
  temp_ = folders_.temp;
  stale_ = false;
}

std::string PathMacros::Expand(const std::string& text) {
  if (stale_)
    Refresh();

  // Table order matters: "<File>" ends the expansion, and an earlier replacement is
  // visible to the later ones.
  const std::array<std::pair<const char*, const std::string*>, 8> table = {{
      {"<SrcDir>", &srcDir_},
      {"<SrcDrive>", &srcDrive_},
      {"<CD>", &cd_},
      {"<File>", &file_},
      {"<Embedded>", &embedded_},
      {"<Windows>", &windows_},
      {"<System>", &system_},
      {"<Temp>", &temp_},
  }};

  // The search runs on the trimmed original; replacements go into the untrimmed working text.
  const std::string search = Trimmed(text);
  std::string result = text;
  for (const auto& [macro, value] : table) {
    const std::string name = macro;
    const auto at = search.find(name);
    if (at == std::string::npos)
      continue;
    if (name == "<File>")
      return file_;
    const auto after = at + name.size();
    const bool backslashFollows = after < search.size() && search[after] == '\\';
    ReplaceAll(result, name, backslashFollows ? *value : *value + '\\');
  }
  return result;
}

}  // namespace qlm
