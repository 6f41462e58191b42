#include "player/BrowserAddress.h"

#include "platform/AsciiText.h"

namespace qlm {

namespace {

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Percent escapes replaced by their bytes; a '%' without two hex digits stays.
std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = AsciiHexValue(text[i + 1]);
      const int low = AsciiHexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    decoded.push_back(text[i]);
  }
  return decoded;
}

}  // namespace

bool HasUrlScheme(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2 || !IsAsciiAlpha(text[0]))
    return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = text[i];
    if (!IsAsciiAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
      return false;
  }
  return true;
}

bool IsPresentationLink(std::string_view url) {
  return StartsWithIgnoreAsciiCase(url, "page:") || StartsWithIgnoreAsciiCase(url, "script:");
}

bool IsSelfContainedAddress(std::string_view url) {
  return StartsWithIgnoreAsciiCase(url, "about:") || StartsWithIgnoreAsciiCase(url, "data:") ||
         StartsWithIgnoreAsciiCase(url, "blob:");
}

std::string PresentationLinkText(std::string_view url) {
  const size_t colon = url.find(':');
  return AsciiLower(url.substr(0, colon + 1)) + PercentDecoded(url.substr(colon + 1));
}

std::optional<std::filesystem::path> FileUrlPath(std::string_view url) {
  if (!StartsWithIgnoreAsciiCase(url, "file:"))
    return std::nullopt;
  std::string_view rest = url.substr(5);
  if (const size_t end = rest.find_first_of("?#"); end != std::string_view::npos)
    rest = rest.substr(0, end);
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !EqualsIgnoreAsciiCase(host, "localhost"))
      return std::nullopt;
    rest = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
  }
  if (!rest.starts_with('/'))
    return std::nullopt;
  const std::string path = PercentDecoded(rest);
  // A NUL cannot be part of a host path; such an address names nothing.
  if (path.find('\0') != std::string::npos)
    return std::nullopt;
  return std::filesystem::path(path).lexically_normal();
}

std::string AddressLabel(std::string_view url) {
  if (const std::optional<std::filesystem::path> path = FileUrlPath(url))
    return path->filename().string();
  return std::string(url);
}

std::string FileUrl(const std::filesystem::path& hostPath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : hostPath.string()) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.' || c == '_' ||
        c == '~') {
      url.push_back(c);
    } else {
      url.push_back('%');
      url.push_back(kHex[byte >> 4]);
      url.push_back(kHex[byte & 15]);
    }
  }
  return url;
}

}  // namespace qlm
