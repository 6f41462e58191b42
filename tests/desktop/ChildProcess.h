#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qlm::test {

using Clock = std::chrono::steady_clock;

// A program started by a test, with its standard output on a pipe. Everything that waits for
// it takes a deadline, and the destructor ends it, so a test can never hang on it.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // argv[0] is the program's path. `env` entries replace or add to the test's environment.
  // extraFd: a descriptor the child keeps open (-1: none). stderrPath: where its errors go.
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& stderrPath, int extraFd = -1) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
      return false;
    pid_ = fork();
    if (pid_ < 0)
      return false;
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0)
        dup2(err, STDERR_FILENO);
      const int null = open("/dev/null", O_RDONLY);
      if (null >= 0)
        dup2(null, STDIN_FILENO);
      if (extraFd >= 0)
        fcntl(extraFd, F_SETFD, 0);  // survives exec
      for (const std::string& e : env)
        putenv(const_cast<char*>(e.c_str()));
      std::vector<char*> args;
      for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
    return true;
  }

  // The next line of output (without its newline), or nullopt at the deadline or the end.
  std::optional<std::string> ReadLine(Clock::time_point deadline) {
    for (;;) {
      if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || out_ < 0)
        return std::nullopt;
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0)
        continue;
      char data[4096];
      const ssize_t n = read(out_, data, sizeof data);
      if (n <= 0) {
        close(out_);
        out_ = -1;
        continue;
      }
      buffer_.append(data, static_cast<size_t>(n));
    }
  }

  // Reads lines until one equals `line`; every line read is kept in Seen().
  bool WaitForLine(const std::string& line, Clock::time_point deadline) {
    while (auto l = ReadLine(deadline)) {
      seen_.push_back(*l);
      if (*l == line)
        return true;
    }
    return false;
  }
  const std::vector<std::string>& Seen() const { return seen_; }

  // The exit status once the program ended by itself before the deadline, else nullopt.
  std::optional<int> Wait(Clock::time_point deadline) {
    while (pid_ > 0) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (Clock::now() >= deadline)
        return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
  }

  // Ends the program: SIGTERM, then SIGKILL after a second.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      if (!Wait(Clock::now() + std::chrono::seconds(1))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
      pid_ = -1;
    }
    if (out_ >= 0)
      close(out_);
    out_ = -1;
  }

  int OutputFd() const { return out_; }
  // The process while it runs; -1 before and after.
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
  std::vector<std::string> seen_;
};

}  // namespace qlm::test
