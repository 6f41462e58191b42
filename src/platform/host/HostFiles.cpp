#include "platform/host/HostFiles.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace qlm {

namespace fs = std::filesystem;

namespace {

class DescriptorFile : public ReadableFile {
 public:
  DescriptorFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  uint64_t Size() const override { return size_; }
  int HostDescriptor() const override { return fd_.Get(); }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::pread(fd_.Get(), out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // A private read-only mapping: pages come in as they are touched and the kernel may drop
  // them again, so a large document costs no more memory than what is looked at. Reading into
  // one buffer remains for files that cannot be mapped. The mapping covers what the file holds
  // now (not the size seen at opening), and its users ask before each read whether the file
  // still holds the bytes: a file cut short under a mapping would otherwise raise SIGBUS.
  std::optional<SharedBytes> ViewWhole() override {
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0 || st.st_size <= 0 ||
        static_cast<uint64_t>(st.st_size) > SIZE_MAX || static_cast<uint64_t>(st.st_size) < size_)
      return ReadableFile::ViewWhole();
    const size_t length = static_cast<size_t>(size_);
    if (length == 0)
      return ReadableFile::ViewWhole();
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd_.Get(), 0);
    if (base == MAP_FAILED)
      return ReadableFile::ViewWhole();
    Descriptor watched(::fcntl(fd_.Get(), F_DUPFD_CLOEXEC, 0));
    if (watched.Get() < 0) {
      ::munmap(base, length);
      return ReadableFile::ViewWhole();
    }
    auto mapping = std::make_shared<const Mapping>(static_cast<const uint8_t*>(base), length,
                                                   std::move(watched));
    return SharedBytes::Mapped(mapping, {mapping->base, length});
  }

 private:
  // The mapped pages and a descriptor of the file, to ask its size at each use.
  struct Mapping : MappedStorage {
    Mapping(const uint8_t* b, size_t l, Descriptor fd) : base(b), length(l), file(std::move(fd)) {}
    ~Mapping() override { ::munmap(const_cast<uint8_t*>(base), length); }
    bool Backs(std::span<const uint8_t> bytes) const override {
      struct stat st {};
      if (::fstat(file.Get(), &st) != 0 || st.st_size < 0)
        return false;
      const uint64_t end = static_cast<uint64_t>(bytes.data() - base) + bytes.size();
      return end <= static_cast<uint64_t>(st.st_size);
    }
    const uint8_t* base;
    size_t length;
    Descriptor file;
  };

  Descriptor fd_;
  uint64_t size_;
};

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
    if (!WriteAllBytes(out, std::string_view(buffer, static_cast<size_t>(n))))
      return false;
  }
}

std::string Reason(const std::string& what, const fs::path& path) {
  return "cannot " + what + " " + path.string() + ": " + std::strerror(errno);
}

// A fresh file beside `name` in `folder`, created with `mode` (less the umask); -1 when none can
// be made.
int CreateTemporary(int folder, const std::string& name, mode_t mode, std::string& temporary) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    temporary = "." + name + suffix;
    const int fd = ::openat(folder, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

// A regular file opened for reading, its status in `st`; -1 when it is none.
int OpenRegular(int folder, const std::string& name, struct stat& st) {
  Descriptor fd(::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0)
    return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  return fd.Release();
}

}  // namespace

Descriptor::~Descriptor() {
  if (fd_ >= 0)
    ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

int Descriptor::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool Descriptor::Close() {
  const int fd = Release();
  return fd < 0 || ::close(fd) == 0;
}

int ReopenFolder(int folder) {
  return ::openat(folder, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
}

bool WriteAllBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::unique_ptr<ReadableFile> OpenReadableFile(const fs::path& path, std::string& error) {
  // Non-blocking, so that opening a pipe does not wait for a writer.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    error = std::strerror(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return nullptr;
  }
  return std::make_unique<DescriptorFile>(fd.Release(), static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<ReadableFile> OpenReadableFileAt(int folder, const std::string& name,
                                                 std::string& error) {
  struct stat st {};
  const int fd = OpenRegular(folder, name, st);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<DescriptorFile>(fd, static_cast<uint64_t>(st.st_size));
}

bool ReplaceFile(const fs::path& target, std::optional<mode_t> mode,
                 const std::function<bool(int fd)>& fill, std::string& error) {
  std::error_code ec;
  fs::path real = target;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    real = fs::weakly_canonical(target, ec);
    if (ec) {
      error = "cannot follow the link " + target.string() + ": " + ec.message();
      return false;
    }
  }
  const fs::path folderPath = real.has_parent_path() ? real.parent_path() : fs::path(".");
  Descriptor folder(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) {
    error = Reason("create a file beside", real);
    return false;
  }
  return ReplaceFileAt(folder.Get(), real.filename().string(), mode, fill, error);
}

bool ReplaceFileAt(int folder, const std::string& name, std::optional<mode_t> mode,
                   const std::function<bool(int fd)>& fill, std::string& error) {
  struct stat st {};
  mode_t createMode = 0666;
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      error = Reason("replace", name);
      return false;
    }
    if (!mode && S_ISREG(st.st_mode))
      mode = static_cast<mode_t>(st.st_mode & 07777);
  }
  if (mode)
    createMode = *mode;

  std::string temporary;
  Descriptor out(CreateTemporary(folder, name, createMode, temporary));
  if (out.Get() < 0) {
    error = Reason("create a file beside", name);
    return false;
  }
  bool ok = fill(out.Get());
  if (!ok)
    error = Reason("write", temporary);
  if (ok && mode && ::fchmod(out.Get(), *mode) != 0) {
    error = Reason("set the mode of", temporary);
    ok = false;
  }
  if (ok && ::fsync(out.Get()) != 0) {
    error = Reason("flush", temporary);
    ok = false;
  }
  if (!out.Close() && ok) {
    error = Reason("write", temporary);
    ok = false;
  }
  if (ok && ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
    error = Reason("replace", name);
    ok = false;
  }
  if (!ok)
    ::unlinkat(folder, temporary.c_str(), 0);
  return ok;
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  std::string error;
  return ReplaceFile(
      target, std::nullopt, [bytes](int fd) { return WriteAllBytes(fd, bytes); }, error);
}

bool AppendToFile(const fs::path& target, std::string_view bytes) {
  Descriptor fd(::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.Get() < 0)
    return false;
  const bool ok = WriteAllBytes(fd.Get(), bytes);
  return fd.Close() && ok;
}

bool AppendToFileAt(int folder, const std::string& name, std::string_view bytes) {
  Descriptor fd(
      ::openat(folder, name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (fd.Get() < 0)
    return false;
  const bool ok = WriteAllBytes(fd.Get(), bytes);
  return fd.Close() && ok;
}

bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (in.Get() < 0 || ::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  std::string error;
  return ReplaceFile(
      to, static_cast<mode_t>(st.st_mode & 07777),
      [&in](int fd) { return CopyBytes(in.Get(), fd); }, error);
}

bool CopyRegularFileAt(int fromFolder, const std::string& fromName, int toFolder,
                       const std::string& toName) {
  struct stat st {};
  Descriptor in(OpenRegular(fromFolder, fromName, st));
  if (in.Get() < 0)
    return false;
  std::string error;
  return ReplaceFileAt(
      toFolder, toName, static_cast<mode_t>(st.st_mode & 07777),
      [&in](int fd) { return CopyBytes(in.Get(), fd); }, error);
}

std::filesystem::path RealPath(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec)
    return path.lexically_normal();
  const std::filesystem::path real = std::filesystem::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : real;
}

}  // namespace qlm
