#pragma once

#include <string>
#include <utility>

#include "platform/SystemFolders.h"

namespace qlm {

// Expands the path macros "<SrcDir>", "<SrcDrive>", "<CD>", "<File>", "<Embedded>",
// "<Windows>", "<System>", "<Temp>" in a text. Values other than "<File>" are cached until Reset.
class PathMacros {
 public:
  // executablePath: Windows-style full path of the running executable (or of the stand-alone
  // file / document folder the presentation came from).
  PathMacros(const SystemFolders& folders, std::string executablePath);

  std::string Expand(const std::string& text);

  // Marks the cached values stale; the next Expand reads them again.
  void Reset();
  void SetExecutablePath(std::string path);

  // "<File>": the path last chosen in a file dialog or received from a plug-in.
  void SetFile(std::string path) { file_ = std::move(path); }
  const std::string& File() const { return file_; }

 private:
  void Refresh();

  const SystemFolders& folders_;
  std::string executablePath_;
  std::string file_;
  bool stale_ = true;
  std::string srcDir_, srcDrive_, cd_, embedded_, windows_, system_, temp_;
};

}  // namespace qlm
