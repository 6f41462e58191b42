#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

class EventLoop;

// What a second start of a one-instance presentation hands to the first: the file name of its
// executable and its raw command line.
struct ActivationRequest {
  std::string exeFileName;
  std::string commandLine;
  bool operator==(const ActivationRequest&) const = default;
};

// A system-wide lock named by a project identifier, telling the second creator that it already
// exists, with a local socket beside it over which later starts hand their command line to the
// first. The lock is an flock on a file, so it goes away with the process that held it, however
// that process ended.
class InstanceLock {
 public:
  enum class State {
    kFirst,           // this process holds the lock and listens for hand-overs
    kAlreadyRunning,  // another process holds it
    kUnavailable,     // no lock could be made (see Error()); the player goes on as first
  };

  // Larger hand-overs are refused.
  static constexpr size_t kMaxRequestBytes = 64 * 1024;

  // $XDG_RUNTIME_DIR/qlmplayer, or /tmp/qlmplayer-<uid> when that variable is not set.
  static std::filesystem::path DefaultDirectory();
  // The identifier as a file name: letters, digits, '-', '{' and '}' kept, any other byte
  // written "_XX" in hex; a long result is replaced by a hash of the identifier.
  static std::string FileStem(std::string_view identifier);

  explicit InstanceLock(std::string_view identifier,
                        std::filesystem::path directory = DefaultDirectory());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State GetState() const { return state_; }
  bool AlreadyExisted() const { return state_ == State::kAlreadyRunning; }
  const std::string& Error() const { return error_; }

  // Second start: sends `request` to the first and waits up to `timeoutMs` for its receipt.
  // False (with Error()) when no first instance took it.
  bool HandOver(const ActivationRequest& request, int timeoutMs = 2000);

  // First start: the hand-overs that have arrived completely, without blocking.
  std::vector<ActivationRequest> Poll();

  // The listening socket, for loops that wait on descriptors; -1 unless first.
  int ListenFd() const { return listenFd_; }

 private:
  struct Connection {
    int fd = -1;
    std::string data;
  };
  bool ReadConnection(Connection& c, std::vector<ActivationRequest>& out);

  State state_ = State::kUnavailable;
  std::string error_;
  std::filesystem::path directory_;
  std::string stem_;
  int dirFd_ = -1;
  int lockFd_ = -1;
  int listenFd_ = -1;
  std::vector<Connection> connections_;
};

// Makes `loop` check `lock` each time it pumps and post every hand-over as a message `messageId`
// with texts {exe file name, command line}. Returns the loop's source handle.
int WatchActivations(InstanceLock& lock, EventLoop& loop, uint32_t messageId);

}  // namespace qlm
