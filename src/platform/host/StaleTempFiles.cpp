#include "platform/host/StaleTempFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <ctime>
#include <string_view>
#include <system_error>

#include "platform/host/HostFiles.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

// "name." or ".name." followed by 6 to 8 letters or digits: the suffixes mkstemp and our own
// atomic writes give.
bool IsTempName(std::string_view entry, std::string_view fileName) {
  if (!entry.empty() && entry[0] == '.')
    entry.remove_prefix(1);
  if (entry.size() <= fileName.size() + 1 || !entry.starts_with(fileName) ||
      entry[fileName.size()] != '.')
    return false;
  const std::string_view suffix = entry.substr(fileName.size() + 1);
  if (suffix.size() < 6 || suffix.size() > 8)
    return false;
  for (char c : suffix) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum)
      return false;
  }
  return true;
}

}  // namespace

int RemoveStaleTempFiles(const fs::path& dir, const std::string& fileName,
                         std::chrono::seconds age) {
  Descriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.Get() < 0)
    return 0;
  // A writer holds this lock from reading the file to the rename of its temporary file.
  if (::flock(dirFd.Get(), LOCK_EX | LOCK_NB) != 0)
    return 0;
  const std::time_t before = std::time(nullptr) - static_cast<std::time_t>(age.count());
  int removed = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (!IsTempName(name, fileName))
      continue;
    struct stat st {};
    if (::fstatat(dirFd.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_mtime > before)
      continue;
    if (::unlinkat(dirFd.Get(), name.c_str(), 0) == 0)
      ++removed;
  }
  ::flock(dirFd.Get(), LOCK_UN);
  return removed;
}

}  // namespace qlm
