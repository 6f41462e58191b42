#include "platform/FilePickerModel.h"

#include <algorithm>

#include "platform/AsciiText.h"

namespace qlm {
namespace {

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

// A drive root ("C:\", "C:") or a host root.
bool IsRoot(const std::string& path) {
  return path == "/" || path == "\\" ||
         (path.size() <= 3 && path.size() >= 2 && path[1] == ':' &&
          (path.size() == 2 || path[2] == '\\' || path[2] == '/'));
}

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\") || path.starts_with("/");
}

std::string Trimmed(const std::string& text) {
  return std::string(TrimSpacesAndTabs(text));
}

bool LessFolded(const FolderEntry& a, const FolderEntry& b) {
  return LessIgnoreAsciiCase(a.name, b.name);
}

std::string LastComponent(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ParentFolder(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/') && !IsRoot(p))
    p.pop_back();
  if (IsRoot(p))
    return {};
  const size_t slash = p.find_last_of("\\/");
  if (slash == std::string::npos)
    return {};
  std::string parent = p.substr(0, slash);
  if (parent.empty() || (parent.size() == 2 && parent[1] == ':'))
    parent += p[slash];
  return parent;
}

FilePickerModel::FilePickerModel(const FileSystem& files, FileDialogMode mode,
                                 const std::string& filter, const std::string& initial,
                                 const std::string& startFolder, std::vector<std::string> places)
    : files_(files), mode_(mode), places_(std::move(places)) {
  filters_ = mode == FileDialogMode::kFolder ? std::vector<FileFilterChoice>{{"Folders", {"*"}}}
                                             : ParseFileFilter(filter);
  std::string start = startFolder;
  std::string name = Trimmed(initial);
  if (mode == FileDialogMode::kFolder) {
    if (!name.empty())
      start = name;
    name.clear();
  } else if (!name.empty()) {
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
      const std::string folder = slash == 0 || (slash == 2 && name[1] == ':')
                                     ? name.substr(0, slash + 1)
                                     : name.substr(0, slash);
      if (KindOf(folder) == FileKind::kFolder)
        start = folder;
      name = name.substr(slash + 1);
    }
    if (HasWildcard(name)) {
      filters_.insert(filters_.begin(), TypedFilter(name));
      typedFilter_ = true;
      name.clear();
    }
  }
  name_ = name;
  if (!Enter(start) && !Enter(places_.empty() ? std::string() : places_.front()))
    ListPlaces();
}

void FilePickerModel::SetFilter(size_t index) {
  if (index >= filters_.size())
    return;
  filterIndex_ = index;
  Refresh();
}

std::string FilePickerModel::Normalised(const std::string& path) const {
  // The names as they are on the disk, and ".." worked out.
  const std::filesystem::path host = files_.ToHost(path);
  if (host.empty())
    return path;
  return files_.ToWindows(host.lexically_normal());
}

std::optional<FileKind> FilePickerModel::KindOf(const std::string& path) const {
  const std::optional<FileInfo> info = files_.Stat(path);
  if (!info)
    return std::nullopt;
  return info->kind;
}

bool FilePickerModel::Enter(const std::string& folder) {
  if (folder.empty())
    return false;
  const std::string path = Normalised(folder);
  std::optional<std::vector<FolderEntry>> listing = files_.ListFolder(path);
  if (!listing)
    return false;
  std::vector<FolderEntry> folders, matching;
  for (FolderEntry& entry : *listing) {
    if (entry.name.empty() || entry.name.front() == '.')
      continue;
    if (entry.kind == FileKind::kFolder)
      folders.push_back(std::move(entry));
    else if (mode_ != FileDialogMode::kFolder && entry.kind == FileKind::kFile &&
             MatchesFilter(entry.name, filters_[filterIndex_]))
      matching.push_back(std::move(entry));
  }
  std::stable_sort(folders.begin(), folders.end(), LessFolded);
  std::stable_sort(matching.begin(), matching.end(), LessFolded);
  folders.insert(folders.end(), std::make_move_iterator(matching.begin()),
                 std::make_move_iterator(matching.end()));
  rows_ = std::move(folders);
  folder_ = path;
  return true;
}

bool FilePickerModel::ListPlaces() {
  rows_.clear();
  folder_.clear();
  for (const std::string& place : places_) {
    if (files_.ListFolder(place))
      rows_.push_back({place, place, FileKind::kFolder});
  }
  return true;
}

bool FilePickerModel::Up() {
  if (folder_.empty())
    return false;
  const std::string parent = ParentFolder(folder_);
  if (!parent.empty() && Enter(parent))
    return true;
  return ListPlaces();
}

void FilePickerModel::Refresh() {
  if (folder_.empty() || !Enter(folder_))
    ListPlaces();
}

void FilePickerModel::Select(size_t row) {
  if (row >= rows_.size())
    return;
  if (rows_[row].kind == FileKind::kFile)
    name_ = rows_[row].name;
}

FilePickerModel::Outcome FilePickerModel::Activate(size_t row) {
  if (row >= rows_.size())
    return {};
  if (rows_[row].kind == FileKind::kFolder) {
    if (!Enter(rows_[row].path))
      return {std::nullopt, "The folder cannot be opened."};
    if (mode_ == FileDialogMode::kFolder)
      name_.clear();
    return {};
  }
  name_ = rows_[row].name;
  return Accept();
}

std::string FilePickerModel::Resolve(const std::string& name) const {
  if (IsAbsolute(name) || folder_.empty())
    return name;
  return InFolder(folder_, name);
}

// Open: the name must lead to an existing file. Save: a name without an extension gets the
// chosen type's, and the folder it goes in must exist. Folder: an empty name chooses the shown
// folder, a name must lead to a folder. In every mode a name with wildcards becomes the filter
// and a name that leads to a folder (in the file modes) opens it.
FilePickerModel::Outcome FilePickerModel::Accept() {
  std::string name = Trimmed(name_);
  if (name.empty()) {
    if (mode_ == FileDialogMode::kFolder && !folder_.empty())
      return {folder_, {}};
    return {};
  }
  if (HasWildcard(name) && mode_ != FileDialogMode::kFolder) {
    const FileFilterChoice typed = TypedFilter(name);
    if (typedFilter_)
      filters_.front() = typed;
    else
      filters_.insert(filters_.begin(), typed);
    typedFilter_ = true;
    filterIndex_ = 0;
    Refresh();
    return {};
  }
  if (!IsAbsolute(name) && folder_.empty())
    return {std::nullopt, "Choose a folder first."};
  std::string path = Resolve(name);
  const std::optional<FileKind> kind = KindOf(path);
  if (kind == FileKind::kFolder) {
    if (mode_ == FileDialogMode::kFolder)
      return {Normalised(path), {}};
    name_.clear();
    if (!Enter(path))
      return {std::nullopt, "The folder cannot be opened."};
    return {};
  }
  switch (mode_) {
    case FileDialogMode::kFolder:
      return {std::nullopt, LastComponent(path) + "\nThe folder does not exist."};
    case FileDialogMode::kOpen:
      if (kind != FileKind::kFile)
        return {std::nullopt,
                LastComponent(path) + "\nFile not found.\nCheck the file name and try again."};
      return {Normalised(path), {}};
    case FileDialogMode::kSave: {
      if (LastComponent(path).find('.') == std::string::npos) {
        if (const std::optional<std::string> ext = DefaultExtension(filters_[filterIndex_])) {
          path += "." + *ext;
          if (KindOf(path) == FileKind::kFolder)
            return {std::nullopt, LastComponent(path) + "\nThis name is taken by a folder."};
        }
      }
      const std::string parent = ParentFolder(path);
      if (parent.empty() || KindOf(parent) != FileKind::kFolder)
        return {std::nullopt,
                LastComponent(path) + "\nPath does not exist.\nCheck the path and try again."};
      if (kind == FileKind::kOther)
        return {std::nullopt, LastComponent(path) + "\nThis name cannot be used."};
      return {Normalised(path), {}};
    }
  }
  return {};
}

}  // namespace qlm
