#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InstanceLock.h"

namespace qlm {

// A system-wide lock named by a project identifier, telling the second creator that it already
// exists, with a local socket beside it over which later starts hand their command line to the
// first. The lock is an flock on a file, so it goes away with the process that held it, however
// that process ended.
class HostInstanceLock : public InstanceLock {
 public:
  // Larger hand-overs are refused.
  static constexpr size_t kMaxRequestBytes = 64 * 1024;

  // $XDG_RUNTIME_DIR/qlmplayer, or /tmp/qlmplayer-<uid> when that variable is not set.
  static std::filesystem::path DefaultDirectory();
  // The identifier as a file name: letters, digits, '-', '{' and '}' kept, any other byte
  // written "_XX" in hex; a long result is replaced by a hash of the identifier.
  static std::string FileStem(std::string_view identifier);

  explicit HostInstanceLock(std::string_view identifier,
                            std::filesystem::path directory = DefaultDirectory());
  ~HostInstanceLock() override;
  HostInstanceLock(const HostInstanceLock&) = delete;
  HostInstanceLock& operator=(const HostInstanceLock&) = delete;

  State GetState() const override { return state_; }
  const std::string& Error() const override { return error_; }

  // Second start: sends `request` to the first and waits up to `timeoutMs` for its receipt.
  // False (with Error()) when no first instance took it.
  bool HandOver(const ActivationRequest& request, int timeoutMs = kHandOverTimeoutMs) override;

  // First start: the hand-overs that have arrived completely, without blocking.
  std::vector<ActivationRequest> Poll() override;

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

// Locks as files in one folder.
class HostInstanceLocks : public InstanceLocks {
 public:
  explicit HostInstanceLocks(std::filesystem::path directory = HostInstanceLock::DefaultDirectory())
      : directory_(std::move(directory)) {}
  std::unique_ptr<InstanceLock> Lock(std::string_view identifier) override {
    return std::make_unique<HostInstanceLock>(identifier, directory_);
  }

 private:
  std::filesystem::path directory_;
};

}  // namespace qlm
