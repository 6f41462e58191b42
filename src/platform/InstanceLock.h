#pragma once

#include <cstdint>
#include <memory>
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

// A lock named by a project identifier: the first start of a one-instance presentation holds
// it, and later starts hand their command line to that first one instead of playing.
class InstanceLock {
 public:
  enum class State {
    kFirst,           // this process holds the lock and listens for hand-overs
    kAlreadyRunning,  // another process holds it
    kUnavailable,     // no lock could be made (see Error()); the player goes on as first
  };
  // How long a second start waits for the first to take its command line.
  static constexpr int kHandOverTimeoutMs = 2000;

  virtual ~InstanceLock() = default;

  virtual State GetState() const = 0;
  bool AlreadyExisted() const { return GetState() == State::kAlreadyRunning; }
  // Why the lock is unavailable or the last hand-over failed.
  virtual const std::string& Error() const = 0;

  // Second start: sends `request` to the first and waits up to `timeoutMs` for its receipt.
  // False (with Error()) when no first instance took it.
  virtual bool HandOver(const ActivationRequest& request, int timeoutMs) = 0;

  // First start: the hand-overs that have arrived completely, without blocking.
  virtual std::vector<ActivationRequest> Poll() = 0;
};

// Makes the instance locks of the presentations a process plays.
class InstanceLocks {
 public:
  virtual ~InstanceLocks() = default;
  // The lock named by `identifier`, held by this process when no other holds it.
  virtual std::unique_ptr<InstanceLock> Lock(std::string_view identifier) = 0;
};

// Makes `loop` check `lock` each time it pumps and post every hand-over as a message `messageId`
// with texts {exe file name, command line}. Returns the loop's source handle.
int WatchActivations(InstanceLock& lock, EventLoop& loop, uint32_t messageId);

}  // namespace qlm
