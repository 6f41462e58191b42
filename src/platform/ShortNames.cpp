#include "platform/ShortNames.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qlm {

namespace {

bool IsShortChar(unsigned char c) {
  if (std::isalnum(c))
    return true;
  return std::string_view("!#$%&'()-@^_`{}~").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string Upper(std::string s) {
  for (auto& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The characters a long name contributes to its short form: spaces and dots dropped, letters
// upper-cased, characters 8.3 does not allow (including each non-ASCII character) as '_'.
std::string ShortChars(std::string_view part) {
  std::string out;
  for (std::size_t i = 0; i < part.size(); ++i) {
    const auto c = static_cast<unsigned char>(part[i]);
    if (c == ' ' || c == '.')
      continue;
    if (c >= 0x80) {
      // One '_' for a whole UTF-8 character.
      while (i + 1 < part.size() && (static_cast<unsigned char>(part[i + 1]) & 0xC0) == 0x80)
        ++i;
      out += '_';
    } else if (IsShortChar(c)) {
      out += static_cast<char>(std::toupper(c));
    } else {
      out += '_';
    }
  }
  return out;
}

}  // namespace

bool IsShortName(const std::string& name) {
  if (name.empty() || name == "." || name == "..")
    return false;
  const auto dot = name.find('.');
  if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos)
    return false;
  const std::size_t baseLen = dot == std::string::npos ? name.size() : dot;
  const std::size_t extLen = dot == std::string::npos ? 0 : name.size() - dot - 1;
  if (baseLen == 0 || baseLen > 8 || extLen > 3)
    return false;
  if (dot != std::string::npos && extLen == 0)
    return false;
  return std::all_of(name.begin(), name.end(), [](char ch) {
    return ch == '.' || IsShortChar(static_cast<unsigned char>(ch));
  });
}

std::vector<std::string> MakeShortNames(const std::vector<std::string>& longNames) {
  std::vector<std::string> result(longNames.size());
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, unsigned> nextNumber;
  std::vector<std::size_t> needTail;
  for (std::size_t i = 0; i < longNames.size(); ++i) {
    if (IsShortName(longNames[i])) {
      result[i] = Upper(longNames[i]);
      taken.insert(result[i]);
    } else {
      needTail.push_back(i);
    }
  }
  std::sort(needTail.begin(), needTail.end(),
            [&](std::size_t a, std::size_t b) { return longNames[a] < longNames[b]; });

  for (std::size_t i : needTail) {
    const std::string_view name = longNames[i];
    // Leading dots do not start an extension (".profile" has none).
    const auto firstReal = name.find_first_not_of('.');
    const auto lastDot = name.rfind('.');
    const bool hasExt = firstReal != std::string_view::npos && lastDot != std::string_view::npos &&
                        lastDot > firstReal;
    std::string base = ShortChars(hasExt ? name.substr(0, lastDot) : name);
    std::string ext = hasExt ? ShortChars(name.substr(lastDot + 1)) : std::string();
    if (ext.size() > 3)
      ext.resize(3);
    if (base.empty())
      base = "_";
    // Names sharing a six-character base and extension take consecutive numbers; remembering
    // the next one keeps a folder of thousands of similar names from going quadratic.
    unsigned& next = nextNumber[base.substr(0, 6) + "." + ext];
    for (unsigned n = std::max(next, 1u);; ++n) {
      const std::string tail = "~" + std::to_string(n);
      std::string candidate = base.substr(0, std::min<std::size_t>(6, 8 - tail.size())) + tail;
      if (!ext.empty())
        candidate += "." + ext;
      if (taken.insert(candidate).second) {
        next = n + 1;
        result[i] = std::move(candidate);
        break;
      }
    }
  }
  return result;
}

}  // namespace qlm
