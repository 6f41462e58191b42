#include "platform/host/HostInstanceLock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace qlm {
namespace {

constexpr char kMagic[4] = {'Q', 'L', 'M', 'A'};
constexpr char kReceipt = 'K';
constexpr size_t kMaxStem = 64;
constexpr size_t kMaxConnections = 16;

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const std::string& in, size_t pos) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i)
    v |= static_cast<uint32_t>(static_cast<uint8_t>(in[pos + i])) << (8 * i);
  return v;
}

// Creates `dir` (mode 0700) when missing and checks that it is a folder of this user that
// nobody else can write to, since the lock and the socket live in it.
bool PrepareDirectory(const std::filesystem::path& dir, std::string& error) {
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = SystemError("cannot create " + dir.string());
    return false;
  }
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) {
    error = SystemError("cannot read " + dir.string());
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 022) != 0) {
    error = dir.string() + " is not a private folder of this user";
    return false;
  }
  return true;
}

}  // namespace

std::filesystem::path HostInstanceLock::DefaultDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/')
    return std::filesystem::path(runtime) / "qlmplayer";
  return "/tmp/qlmplayer-" + std::to_string(::getuid());
}

std::string HostInstanceLock::FileStem(std::string_view identifier) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string stem;
  for (char ch : identifier) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '{' || c == '}') {
      stem += ch;
    } else {
      stem += '_';
      stem += kHex[c >> 4];
      stem += kHex[c & 15];
    }
  }
  if (stem.size() > kMaxStem) {
    uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a over the raw identifier
    for (char ch : identifier) {
      h ^= static_cast<unsigned char>(ch);
      h *= 0x100000001b3ULL;
    }
    stem = "h";
    for (int i = 15; i >= 0; --i)
      stem += kHex[(h >> (4 * i)) & 15];
  }
  if (stem.empty())
    stem = "_";
  return stem;
}

namespace {

// The socket's address beside the lock file; through the open folder when the full path is too
// long for a socket address.
bool SocketAddress(const std::filesystem::path& dir, int dirFd, const std::string& stem,
                   sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  std::string path = (dir / (stem + ".sock")).string();
  if (path.size() >= sizeof addr.sun_path) {
    path = "/proc/self/fd/" + std::to_string(dirFd) + "/" + stem + ".sock";
  }
  if (path.size() >= sizeof addr.sun_path)
    return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

HostInstanceLock::HostInstanceLock(std::string_view identifier, std::filesystem::path directory)
    : directory_(std::move(directory)), stem_(FileStem(identifier)) {
  if (!PrepareDirectory(directory_, error_))
    return;
  dirFd_ = ::open(directory_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd_ < 0) {
    error_ = SystemError("cannot open " + directory_.string());
    return;
  }
  const std::filesystem::path lockPath = directory_ / (stem_ + ".lock");
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) {
    error_ = SystemError("cannot open " + lockPath.string());
    return;
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) {
      state_ = State::kAlreadyRunning;
    } else {
      error_ = SystemError("cannot lock " + lockPath.string());
    }
    ::close(lockFd_);
    lockFd_ = -1;
    return;
  }
  state_ = State::kFirst;

  // Holding the lock, any socket file left here belongs to a process that has ended.
  sockaddr_un addr{};
  if (!SocketAddress(directory_, dirFd_, stem_, addr)) {
    error_ = "socket path too long in " + directory_.string();
    return;
  }
  ::unlink(addr.sun_path);
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 8) != 0) {
    error_ = SystemError("cannot listen for other starts");
    if (listenFd_ >= 0)
      ::close(listenFd_);
    listenFd_ = -1;
  }
}

HostInstanceLock::~HostInstanceLock() {
  for (Connection& c : connections_)
    ::close(c.fd);
  if (listenFd_ >= 0) {
    sockaddr_un addr{};
    if (SocketAddress(directory_, dirFd_, stem_, addr))
      ::unlink(addr.sun_path);
    ::close(listenFd_);
  }
  // The lock file stays: removing it could let two processes lock two different files.
  if (lockFd_ >= 0)
    ::close(lockFd_);
  if (dirFd_ >= 0)
    ::close(dirFd_);
}

bool HostInstanceLock::HandOver(const ActivationRequest& request, int timeoutMs) {
  if (state_ != State::kAlreadyRunning) {
    error_ = "no other instance holds the lock";
    return false;
  }
  if (request.exeFileName.size() + request.commandLine.size() + 12 > kMaxRequestBytes) {
    error_ = "command line too long to hand over";
    return false;
  }
  std::string message(kMagic, sizeof kMagic);
  PutU32(message, static_cast<uint32_t>(request.exeFileName.size()));
  message += request.exeFileName;
  PutU32(message, static_cast<uint32_t>(request.commandLine.size()));
  message += request.commandLine;

  sockaddr_un addr{};
  if (!SocketAddress(directory_, dirFd_, stem_, addr)) {
    error_ = "socket path too long in " + directory_.string();
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  auto msLeft = [&] {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
  };
  int fd = -1;
  // The first instance may hold the lock and not listen yet: try again for a while.
  for (;;) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      error_ = SystemError("cannot create a socket");
      return false;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
      break;
    const int err = errno;
    ::close(fd);
    fd = -1;
    if ((err != ENOENT && err != ECONNREFUSED && err != EAGAIN) || msLeft() == 0) {
      errno = err;
      error_ = SystemError("cannot reach the running instance");
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  size_t sent = 0;
  while (sent < message.size()) {
    const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      error_ = SystemError("cannot send to the running instance");
      ::close(fd);
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  // Wait for the receipt, so that the caller knows the first instance has the request.
  pollfd p{fd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&p, 1, msLeft());
  } while (ready < 0 && errno == EINTR);
  char receipt = 0;
  const bool ok = ready == 1 && ::recv(fd, &receipt, 1, 0) == 1 && receipt == kReceipt;
  ::close(fd);
  if (!ok)
    error_ = "the running instance did not answer";
  return ok;
}

bool HostInstanceLock::ReadConnection(Connection& c, std::vector<ActivationRequest>& out) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return errno == EAGAIN || errno == EWOULDBLOCK;  // keep waiting unless failed
    if (n == 0)
      return false;  // closed before complete
    c.data.append(buf, static_cast<size_t>(n));
    if (c.data.size() > kMaxRequestBytes)
      return false;
    if (c.data.size() >= 4 && std::memcmp(c.data.data(), kMagic, 4) != 0)
      return false;
    if (c.data.size() < 8)
      continue;
    const size_t nameLen = GetU32(c.data, 4);
    if (nameLen > kMaxRequestBytes)
      return false;
    if (c.data.size() < 12 + nameLen)
      continue;
    const size_t lineLen = GetU32(c.data, 8 + nameLen);
    if (lineLen > kMaxRequestBytes)
      return false;
    const size_t total = 12 + nameLen + lineLen;
    if (c.data.size() < total)
      continue;
    if (c.data.size() > total)
      return false;
    out.push_back({c.data.substr(8, nameLen), c.data.substr(12 + nameLen, lineLen)});
    ::send(c.fd, &kReceipt, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    return false;  // done with this connection
  }
}

std::vector<ActivationRequest> HostInstanceLock::Poll() {
  std::vector<ActivationRequest> out;
  if (listenFd_ < 0)
    return out;
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
      break;
    if (connections_.size() >= kMaxConnections) {
      // Starts that never finish sending must not use up descriptors: drop the oldest.
      ::close(connections_.front().fd);
      connections_.erase(connections_.begin());
    }
    connections_.push_back({fd, {}});
  }
  for (size_t i = 0; i < connections_.size();) {
    if (ReadConnection(connections_[i], out)) {
      ++i;
    } else {
      ::close(connections_[i].fd);
      connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  return out;
}

}  // namespace qlm
