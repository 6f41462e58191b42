#include "platform/host/ResolvedPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

namespace qlm {

namespace fs = std::filesystem;

namespace {

// As many links as the kernel follows in one lookup.
constexpr int kMaxLinks = 40;

using Names = std::deque<std::string>;

// The names of `path` below its root, in order; "." and empty names dropped, ".." kept.
void PushNames(const fs::path& path, Names& into, bool front) {
  Names names;
  for (const fs::path& part : path.relative_path()) {
    const std::string name = part.string();
    if (!name.empty() && name != ".")
      names.push_back(name);
  }
  if (front)
    into.insert(into.begin(), names.begin(), names.end());
  else
    into.insert(into.end(), names.begin(), names.end());
}

// The text of the link `name` in `folder` (or of the O_PATH link `folder` itself when `name` is
// empty); nullopt when it is no link (any more).
std::optional<std::string> LinkText(int folder, const char* name) {
  std::string text(256, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(folder, name, text.data(), text.size());
    if (n < 0)
      return std::nullopt;
    if (static_cast<size_t>(n) < text.size()) {
      text.resize(static_cast<size_t>(n));
      return text;
    }
    if (text.size() >= 65536)
      return std::nullopt;
    text.resize(text.size() * 2);
  }
}

struct Walker {
  // The folders resolved so far below the start, with their names.
  struct Step {
    std::string name;
    Descriptor folder;
  };

  Descriptor start;
  fs::path startReal;
  bool host = true;  // walking from the host's root: an absolute link restarts there
  ResolvedPath::Links links = ResolvedPath::Links::kFollow;
  std::vector<Step> steps;
  int followed = 0;  // links so far

  int Top() const { return steps.empty() ? start.Get() : steps.back().folder.Get(); }

  fs::path RealOfSteps() const {
    fs::path real = startReal;
    for (const Step& step : steps)
      real /= step.name;
    return real;
  }

  // Puts the names of a link's text in front of those still to walk, from the host's root for
  // an absolute one; false when the text is none, or the walk may not go where it leads.
  bool Follow(const std::optional<std::string>& text, Names& names) {
    if (!text || text->empty() || ++followed > kMaxLinks)
      return false;
    const fs::path target(*text);
    if (target.is_absolute()) {
      if (!host)
        return false;
      steps.clear();
    }
    PushNames(target, names, true);
    return true;
  }
};

}  // namespace

// The walk itself: consumes `names` from the walker's start.
struct ResolvedPathBuilder {
  static ResolvedPath Run(Walker& w, Names names);

  // A path that leads nowhere: nothing to act on, and as its real path what the rest names
  // below the folders resolved so far, for the policy to judge (so a loop or a file taken for
  // a folder inside the reach is missing there, not refused).
  static ResolvedPath Nowhere(const Walker& w, const std::string& name, const Names& rest) {
    ResolvedPath r;
    r.real_ = w.RealOfSteps() / name;
    for (const std::string& part : rest)
      r.real_ /= part;
    r.real_ = r.real_.lexically_normal();
    return r;
  }
};

ResolvedPath ResolvedPathBuilder::Run(Walker& w, Names names) {
  ResolvedPath r;
  if (w.start.Get() < 0)
    return r;
  while (!names.empty()) {
    const std::string name = std::move(names.front());
    names.pop_front();
    if (name == "..") {
      if (!w.steps.empty())
        w.steps.pop_back();
      else if (!w.host)
        return Nowhere(w, name, names);  // out of the folder the walk is kept below
      continue;
    }
    const bool last = names.empty();
    const int top = w.Top();
    if (!last) {
      // A folder, the common case, opens as one; anything else (a link) is looked at after.
      Descriptor next(::openat(top, name.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC));
      if (next.Get() >= 0) {
        w.steps.push_back({name, std::move(next)});
        continue;
      }
      if (errno == ENOTDIR)
        next = Descriptor(::openat(top, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
      struct stat st {};
      if (next.Get() < 0) {
        if (errno != ENOENT)
          return Nowhere(w, name, names);
        // The rest does not exist: kept as named, for a folder about to be made.
        r.missing_.push_back(name);
        while (!names.empty()) {
          std::string rest = std::move(names.front());
          names.pop_front();
          if (rest == "..")
            return Nowhere(w, name, names);
          if (names.empty()) {
            r.name_ = rest;
            break;
          }
          r.missing_.push_back(std::move(rest));
        }
        r.real_ = w.RealOfSteps();
        for (const std::string& missing : r.missing_)
          r.real_ /= missing;
        r.real_ /= r.name_;
        r.folder_ = Descriptor(ReopenFolder(top));
        return r;
      }
      if (::fstat(next.Get(), &st) != 0)
        return Nowhere(w, name, names);
      if (S_ISDIR(st.st_mode)) {
        w.steps.push_back({name, std::move(next)});
        continue;
      }
      if (!S_ISLNK(st.st_mode) || w.links == ResolvedPath::Links::kRefuse ||
          !w.Follow(LinkText(next.Get(), ""), names))
        return Nowhere(w, name, names);
      continue;
    }

    // The last name: the target, unless it is a link to follow.
    struct stat st {};
    if (::fstatat(top, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
      if (w.links == ResolvedPath::Links::kRefuse)
        return Nowhere(w, name, names);
      if (w.links == ResolvedPath::Links::kFollow) {
        const std::optional<std::string> text = LinkText(top, name.c_str());
        // A link swapped for something else since is taken as what is there now, by its name.
        if (text) {
          if (!w.Follow(text, names))
            return Nowhere(w, name, names);
          continue;
        }
      }
    }
    r.folder_ = Descriptor(ReopenFolder(top));
    r.name_ = name;
    r.real_ = w.RealOfSteps() / name;
    return r;
  }
  // Nothing named after the last folder: the target is that folder.
  if (w.steps.empty()) {
    r.folder_ = Descriptor(ReopenFolder(w.start.Get()));
    r.name_ = std::string(1, '.');  // not a literal: GCC 12 warns falsely on it
    r.real_ = w.startReal;
    return r;
  }
  r.name_ = w.steps.back().name;
  r.real_ = w.RealOfSteps();
  w.steps.pop_back();
  r.folder_ = Descriptor(ReopenFolder(w.Top()));
  return r;
}

ResolvedPath ResolvedPath::Walk(const fs::path& path, Links links) {
  Walker w;
  if (!path.is_absolute())
    return ResolvedPath();
  w.start = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  w.startReal = "/";
  w.links = links;
  Names names;
  PushNames(path, names, false);
  return ResolvedPathBuilder::Run(w, std::move(names));
}

ResolvedPath ResolvedPath::Below(const fs::path& root, const fs::path& relative) {
  Walker w;
  if (relative.is_absolute())
    return ResolvedPath();
  w.start = Descriptor(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  w.startReal = root.lexically_normal();
  w.host = false;
  w.links = Links::kRefuse;
  Names names;
  PushNames(relative, names, false);
  return ResolvedPathBuilder::Run(w, std::move(names));
}

std::optional<struct stat> ResolvedPath::Status() const {
  if (!HasFolder())
    return std::nullopt;
  struct stat st {};
  if (::fstatat(folder_.Get(), name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return std::nullopt;
  return st;
}

std::optional<FileInfo> ResolvedPath::Info() const {
  const std::optional<struct stat> st = Status();
  if (!st)
    return std::nullopt;
  FileInfo info;
  info.kind = S_ISREG(st->st_mode)   ? FileKind::kFile
              : S_ISDIR(st->st_mode) ? FileKind::kFolder
                                     : FileKind::kOther;
  info.size = info.kind == FileKind::kFile ? static_cast<uint64_t>(st->st_size) : 0;
  return info;
}

}  // namespace qlm
