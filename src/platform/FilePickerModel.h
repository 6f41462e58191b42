#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/FileFilter.h"
#include "platform/FileSystem.h"

namespace qlm {

// What a file, save or folder picker shows and does, apart from how it is drawn. Everything it
// lists goes through the FileSystem it is given, so a picker of a presentation shows only the
// folders that presentation may list; what it returns is a Windows path as scripts see them.
//
// The rows are the folders of the current folder and then its files that match the chosen
// filter (folders only when a folder is asked for), each group without regard to case, hidden
// names (a leading dot) left out. Above the root of a drive the rows are the places the picker
// was given (drive roots, the presentation's folder): a level whose folder is empty.
class FilePickerModel {
 public:
  // What Accept did.
  struct Outcome {
    std::optional<std::string> path;  // the choice: the picker closes with it
    std::string message;              // why it stays open, for the user; may be empty
  };

  // `filter` and `initial` as the dialog's caller gives them: for files the filter text and the
  // proposed name (a name with a folder starts in that folder; a name with wildcards becomes
  // the filter); for folders the title and the start folder. `startFolder` is where the picker
  // opens when `initial` names no folder (or one it cannot list).
  FilePickerModel(const FileSystem& files, FileDialogMode mode, const std::string& filter,
                  const std::string& initial, const std::string& startFolder,
                  std::vector<std::string> places);

  FileDialogMode Mode() const { return mode_; }
  // The folder shown, a Windows path; empty at the places level.
  const std::string& Folder() const { return folder_; }
  const std::vector<FolderEntry>& Rows() const { return rows_; }

  const std::vector<FileFilterChoice>& Filters() const { return filters_; }
  size_t FilterIndex() const { return filterIndex_; }
  void SetFilter(size_t index);

  // The name field, in the presentation's code page.
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Shows `folder`; false (and nothing changes) when it cannot be listed.
  bool Enter(const std::string& folder);
  // The folder above, or the places above a drive root.
  bool Up();
  // Lists the current folder again.
  void Refresh();

  // A row chosen with a single click or the arrow keys: a file's name goes into the name field.
  void Select(size_t row);
  // A row opened with a double click or Enter: a folder is entered, a file accepted.
  Outcome Activate(size_t row);
  // The OK button: the name field decides, as the source says for each mode.
  Outcome Accept();
  // Whether `path` (as Accept returns it) names a file that is there: a save over it replaces
  // it.
  bool IsExistingFile(const std::string& path) const { return KindOf(path) == FileKind::kFile; }

 private:
  std::string Normalised(const std::string& path) const;
  std::string Resolve(const std::string& name) const;
  std::optional<FileKind> KindOf(const std::string& path) const;
  bool ListPlaces();

  const FileSystem& files_;
  FileDialogMode mode_;
  std::vector<FileFilterChoice> filters_;
  size_t filterIndex_ = 0;
  bool typedFilter_ = false;  // the first filter is one the user typed
  std::vector<std::string> places_;
  std::string folder_;
  std::string name_;
  std::vector<FolderEntry> rows_;
};

// The folder above a Windows path ("D:\Show\a" gives "D:\Show", "D:\Show" gives "D:\"); empty
// for a drive root or a path with no folder.
std::string ParentFolder(const std::string& path);

}  // namespace qlm
