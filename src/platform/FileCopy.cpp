#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace qlm {

namespace fs = std::filesystem;

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CopyBytes(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (n == 0)
      return true;
    if (!WriteAll(out, buffer, static_cast<size_t>(n)))
      return false;
  }
}

}  // namespace

bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  std::error_code error;
  if (!fs::is_regular_file(from, error) || fs::is_directory(to, error))
    return false;
  Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0)
    return false;
  std::string temp = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
  Descriptor out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.get() < 0)
    return false;
  const fs::perms mode = fs::status(from, error).permissions();
  bool ok = CopyBytes(in.get(), out.get()) && ::fsync(out.get()) == 0;
  if (ok)
    (void)::fchmod(out.get(), static_cast<mode_t>(mode & fs::perms::mask));
  ok = out.Close() && ok;
  if (ok && ::rename(temp.c_str(), to.c_str()) == 0)
    return true;
  ::unlink(temp.c_str());
  return false;
}

}  // namespace qlm
