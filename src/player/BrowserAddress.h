#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// Addresses of browser objects.

// True when `text` starts with a URL scheme ("http:", "file:", "page:"): letters, digits, '+',
// '-' or '.' after a first letter, then a colon. One letter and a colon is a drive ("C:").
bool HasUrlScheme(std::string_view text);

// True for the links that drive the presentation: "page:NAME" and "script:NAME" (the scheme in
// any case).
bool IsPresentationLink(std::string_view url);

// True for addresses whose content comes from the page itself and reaches nothing outside it:
// "about:", "data:" and "blob:" (the scheme in any case).
bool IsSelfContainedAddress(std::string_view url);

// A presentation link as the window's link message takes it: the scheme in lower case and the
// name with its percent escapes decoded ("PAGE:Two%20Pages" is "page:Two Pages").
std::string PresentationLinkText(std::string_view url);

// The host path a "file:" address names (host empty or "localhost", percent escapes decoded,
// query and fragment dropped); nullopt for other addresses and for file addresses on another
// host.
std::optional<std::filesystem::path> FileUrlPath(std::string_view url);

// What a frame shows for an address: a file's name for a "file:" address, else the address.
std::string AddressLabel(std::string_view url);

// The "file://" address of an absolute host path, bytes outside the unreserved set escaped.
std::string FileUrl(const std::filesystem::path& hostPath);

}  // namespace qlm
