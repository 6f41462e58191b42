#include "platform/host/HostFileSystem.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/ShortNames.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

constexpr long kIsoFsMagic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool ExistsOnHost(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

bool IsDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// Windows drops trailing dots and blanks from every name ("a.txt. " is "a.txt").
std::string WithoutTrailingDots(const std::string& part) {
  const auto end = part.find_last_not_of(". ");
  if (end == std::string::npos)
    return part;
  return part.substr(0, end + 1);
}

std::string AsciiUpper(std::string s) {
  for (auto& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The absolute, lexically normal form of a host path, without a trailing separator.
fs::path NormalHost(const fs::path& p, const fs::path& base) {
  fs::path abs = p.is_absolute() ? p : base / p;
  abs = abs.lexically_normal();
  if (abs.has_relative_path() && abs.filename().empty())
    abs = abs.parent_path();
  return abs;
}

// Number of components of prefix when it is a component-wise prefix of path, else -1.
int PrefixLength(const fs::path& prefix, const fs::path& path) {
  auto p = path.begin();
  int n = 0;
  for (auto it = prefix.begin(); it != prefix.end(); ++it, ++p, ++n) {
    if (it->empty())
      continue;  // trailing separator of a root like "/"
    if (p == path.end() || *p != *it)
      return -1;
  }
  return n;
}

bool OnCdFileSystem(const fs::path& p) {
  struct statfs info {};
  if (statfs(p.c_str(), &info) != 0)
    return false;
  return static_cast<long>(info.f_type) == kIsoFsMagic ||
         static_cast<long>(info.f_type) == kUdfMagic;
}

}  // namespace

HostFileSystem::HostFileSystem(const HostEnvironment& env, CodePage codePage)
    : driveC_(env.DataDir() / "drive_c"), codePage_(std::move(codePage)) {
  std::error_code ec;
  current_ = fs::current_path(ec);
  if (ec)
    current_ = "/";
  AddMount('C', driveC_);
  AddMount('Z', "/");
}

void HostFileSystem::AddMount(char letter, const fs::path& hostRoot, bool cd) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper < 'A' || upper > 'Z')
    return;
  mounts_[upper - 'A'] = Mount{upper, NormalHost(hostRoot, current_), cd};
}

void HostFileSystem::RemoveMount(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper >= 'A' && upper <= 'Z')
    mounts_[upper - 'A'].reset();
}

void HostFileSystem::AddMount(const DriveMount& mount) {
  AddMount(mount.letter, mount.hostPath, mount.cdrom || OnCdFileSystem(mount.hostPath));
}

std::optional<HostFileSystem::Mount> HostFileSystem::FindMount(char letter) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper < 'A' || upper > 'Z')
    return std::nullopt;
  return mounts_[upper - 'A'];
}

std::optional<HostFileSystem::Mount> HostFileSystem::FirstCdMount() const {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const auto& m = mounts_[letter - 'A'];
    if (m && m->cd)
      return m;
  }
  return std::nullopt;
}

void HostFileSystem::SetCurrentFolder(const fs::path& hostFolder) {
  current_ = NormalHost(hostFolder, current_);
}

fs::path HostFileSystem::DriveC() const {
  if (!driveCReady_) {
    std::error_code ec1, ec2;
    fs::create_directories(driveC_ / "Windows" / "System32", ec1);
    fs::create_directories(driveC_ / "Temp", ec2);
    driveCReady_ = !ec1 && !ec2;
  }
  return driveC_;
}

void HostFileSystem::Trace(const std::string& line) const {
  if (trace_)
    trace_(line);
}

const HostFileSystem::Mount* HostFileSystem::MountOfCurrentFolder() const {
  const Mount* best = nullptr;
  int bestLength = -1;
  for (const auto& m : mounts_) {
    if (!m)
      continue;
    const int n = PrefixLength(m->root, current_);
    if (n > bestLength) {
      bestLength = n;
      best = &*m;
    }
  }
  return best;
}

HostFileSystem::Parsed HostFileSystem::Parse(const std::string& input) const {
  Parsed out;
  std::string s = codePage_.ToUtf8(input);

  // "\\?\C:\x" and "\\.\C:\x" are plain paths with a prefix that turns off Windows' own parsing.
  if (s.size() >= 4 && IsSeparator(s[0]) && IsSeparator(s[1]) && (s[2] == '?' || s[2] == '.') &&
      IsSeparator(s[3])) {
    s.erase(0, 4);
  }
  const bool unc = (s.size() >= 2 && IsSeparator(s[0]) && IsSeparator(s[1])) ||
                   (s.size() >= 4 && AsciiUpper(s.substr(0, 3)) == "UNC" && IsSeparator(s[3]));
  if (unc) {
    out.error = "network paths are not supported";
    return out;
  }

  std::size_t pos = 0;
  bool fromCurrent = false;
  if (s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':') {
    const auto mount = FindMount(s[0]);
    if (!mount) {
      out.error = std::string("drive ") + AsciiUpper(s.substr(0, 2)) + " is not mapped";
      return out;
    }
    out.root = mount->root;
    out.rootName = std::string(1, mount->letter) + ":";
    if (mount->letter == 'C' && mount->root == driveC_)
      DriveC();
    pos = 2;
    // "C:name" is relative to the current folder when that lies on drive C:.
    if (pos >= s.size() || !IsSeparator(s[pos])) {
      const fs::path cur = current_;
      if (PrefixLength(mount->root, cur) >= 0) {
        fromCurrent = true;
      }
    }
  } else if (!s.empty() && s[0] == '\\') {
    // Rooted without a drive: the root of the current folder's drive.
    out.root = "/";
    out.rootName = "/";
    if (const Mount* m = MountOfCurrentFolder()) {
      out.root = m->root;
      out.rootName = std::string(1, m->letter) + ":";
    }
  } else {
    out.root = "/";
    out.rootName = "/";
    fromCurrent = true;
  }

  if (fromCurrent) {
    // Start from the current folder; ".." may climb up to the root in use.
    fs::path root = "/";
    std::string rootName = "/";
    if (!out.rootName.empty() && out.rootName != "/") {
      root = out.root;
      rootName = out.rootName;
    } else if (const Mount* m = MountOfCurrentFolder()) {
      root = m->root;
      rootName = std::string(1, m->letter) + ":";
    }
    out.root = root;
    out.rootName = rootName;
    const fs::path rel = current_.lexically_relative(root);
    for (const auto& part : rel) {
      if (!part.empty() && part != ".")
        out.parts.push_back(part.string());
    }
  }

  const bool windowsNames = out.rootName != "/";
  while (pos < s.size()) {
    while (pos < s.size() && IsSeparator(s[pos]))
      ++pos;
    const auto end =
        std::find_if(s.begin() + static_cast<std::ptrdiff_t>(pos), s.end(), IsSeparator) -
        s.begin();
    std::string part = s.substr(pos, static_cast<std::size_t>(end) - pos);
    pos = static_cast<std::size_t>(end);
    if (part.empty() || part == ".")
      continue;
    if (part == "..") {
      if (!out.parts.empty())
        out.parts.pop_back();
      continue;
    }
    out.parts.push_back(windowsNames ? WithoutTrailingDots(part) : part);
  }
  return out;
}

HostFileSystem::Listing* HostFileSystem::CachedListing(const fs::path& folder) const {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return nullptr;
  const long long modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  const std::string key = folder.string();
  if (auto it = listings_.find(key); it != listings_.end()) {
    const Listing& l = it->second;
    if (l.device == st.st_dev && l.inode == st.st_ino && l.modified == modified)
      return &it->second;
    listings_.erase(it);
  }

  Listing listing;
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  listing.modified = modified;
  std::error_code ec;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    listing.names.push_back(it->path().filename().string());
  }
  if (ec)
    return nullptr;
  std::sort(listing.names.begin(), listing.names.end());
  for (const auto& name : listing.names)
    listing.byFoldedName.emplace(FoldCaseUtf8(name), name);

  if (listings_.size() >= kMaxListings)
    listings_.clear();
  return &listings_.emplace(key, std::move(listing)).first->second;
}

std::optional<std::string> HostFileSystem::MatchInFolder(const fs::path& folder,
                                                         const std::string& part,
                                                         std::string& how) const {
  if (ExistsOnHost(folder / part))
    return part;

  std::lock_guard lock(listingsMutex_);
  Listing* listing = CachedListing(folder);
  if (listing == nullptr)
    return std::nullopt;
  if (auto it = listing->byFoldedName.find(FoldCaseUtf8(part)); it != listing->byFoldedName.end()) {
    how = "case";
    return it->second;
  }
  // A name that is not there as written may be a short name, which always holds a '~'.
  if (part.find('~') != std::string::npos && IsShortName(part)) {
    if (!listing->byShortName) {
      const auto shortNames = MakeShortNames(listing->names);
      listing->byShortName.emplace();
      for (std::size_t i = 0; i < shortNames.size(); ++i) {
        listing->byShortName->emplace(shortNames[i], listing->names[i]);
      }
    }
    if (auto it = listing->byShortName->find(AsciiUpper(part)); it != listing->byShortName->end()) {
      how = "short name";
      return it->second;
    }
  }
  return std::nullopt;
}

fs::path HostFileSystem::Resolve(const Parsed& parsed, std::string& notes) const {
  fs::path result = parsed.root;
  fs::path exact = parsed.root;
  for (const auto& part : parsed.parts)
    exact /= part;
  // The common case: the path exists exactly as written.
  if (ExistsOnHost(exact))
    return exact;

  bool searching = IsDirectory(result);
  if (!searching)
    notes += " root missing;";
  for (const auto& part : parsed.parts) {
    if (searching) {
      std::string how;
      if (auto found = MatchInFolder(result, part, how)) {
        if (!how.empty())
          notes += " " + how + ": " + part + " -> " + *found + ";";
        result /= *found;
        searching = IsDirectory(result);
        continue;
      }
      notes += " missing: " + part + ";";
      searching = false;
    }
    result /= part;
  }
  return result;
}

fs::path HostFileSystem::ToHost(const std::string& windowsPath) const {
  // Windows APIs end a path at its first NUL; the host must not see a different path.
  const std::string input = windowsPath.substr(0, windowsPath.find('\0'));
  if (!input.empty() && input[0] == '/' && (input.size() < 2 || input[1] != '/')) {
    Trace("file \"" + input + "\" -> \"" + input + "\" (host path)");
    return fs::path(input);
  }
  if (input.empty()) {
    Trace("file \"\" -> (empty path)");
    return {};
  }
  const Parsed parsed = Parse(input);
  if (!parsed.error.empty()) {
    Trace("file \"" + input + "\" -> (none): " + parsed.error);
    return {};
  }
  std::string notes;
  fs::path host = Resolve(parsed, notes);
  if (trace_) {
    std::string line = "file \"" + input + "\" -> \"" + host.string() + "\"";
    if (!notes.empty()) {
      notes.pop_back();
      line += " (" + notes.substr(1) + ")";
    }
    Trace(line);
  }
  return host;
}

std::string HostFileSystem::ToWindows(const fs::path& hostPath) const {
  const fs::path normal = NormalHost(hostPath, current_);
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(normal, ec);

  const Mount* best = nullptr;
  fs::path bestPath;
  int bestLength = -1;
  for (const auto& m : mounts_) {
    if (!m)
      continue;
    for (const fs::path* candidate : {&normal, &canonical}) {
      if (candidate->empty())
        continue;
      const int n = PrefixLength(m->root, *candidate);
      if (n > bestLength) {
        bestLength = n;
        best = &*m;
        bestPath = *candidate;
      }
    }
  }
  if (best == nullptr)
    return {};

  std::string out(1, best->letter);
  out += ":\\";
  const fs::path rel = bestPath.lexically_relative(best->root);
  bool first = true;
  for (const auto& part : rel) {
    if (part.empty() || part == ".")
      continue;
    if (!first)
      out += '\\';
    out += codePage_.FromUtf8(part.string());
    first = false;
  }
  return out;
}

}  // namespace qlm
