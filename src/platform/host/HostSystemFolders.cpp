#include "platform/host/HostSystemFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>

#include "platform/host/HostEnvironment.h"
#include "platform/host/HostFileSystem.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

// A folder in a shared temporary directory is safe to use only when it is a real directory
// (not a symbolic link planted by someone else), belongs to us and nobody else can write to it.
bool IsPrivateFolder(const fs::path& p) {
  struct stat st {};
  if (lstat(p.c_str(), &st) != 0)
    return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid())
    return false;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return chmod(p.c_str(), 0700) == 0;
  return true;
}

std::optional<fs::path> PrivateTempFolder(const fs::path& root, const std::string& name) {
  const fs::path wanted = root / name;
  if (mkdir(wanted.c_str(), 0700) == 0 || errno == EEXIST) {
    if (IsPrivateFolder(wanted))
      return wanted;
  }
  // The usual name is taken by something we must not trust: make a fresh unique folder.
  std::string templ = (root / (name + "-XXXXXX")).string();
  if (mkdtemp(templ.data()) != nullptr)
    return fs::path(templ);
  return std::nullopt;
}

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\')
    path += '\\';
  return path;
}

}  // namespace

SystemFolders MakeSystemFolders(const HostFileSystem& fileSystem, const HostEnvironment& env) {
  SystemFolders folders;

  const fs::path driveC = fileSystem.DriveC();
  folders.windows = WithBackslash(fileSystem.ToWindows(driveC / "Windows"));
  folders.system = WithBackslash(fileSystem.ToWindows(driveC / "Windows" / "System32"));

  const std::string name = "qlmplayer-" + std::to_string(env.userId);
  auto temp = PrivateTempFolder(env.TempRoot(), name);
  if (!temp && env.TempRoot() != "/tmp")
    temp = PrivateTempFolder("/tmp", name);
  const fs::path tempFolder = temp ? *temp : env.TempRoot() / name;
  std::error_code ec;
  fs::create_directories(tempFolder / "QLMPlayer", ec);
  folders.temp = WithBackslash(fileSystem.ToWindows(tempFolder));
  folders.embedded = WithBackslash(fileSystem.ToWindows(tempFolder / "QLMPlayer"));

  if (const auto cd = fileSystem.FirstCdMount()) {
    folders.cd = std::string(1, cd->letter) + ":\\";
  }
  return folders;
}

}  // namespace qlm
