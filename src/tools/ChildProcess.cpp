#include "tools/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qlm {

namespace {

constexpr size_t kKeptOutput = 16000;

// Reads what is there without blocking; keeps the last kKeptOutput bytes.
void Drain(int fd, std::string& kept) {
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    kept.append(buffer, static_cast<size_t>(n));
    if (kept.size() > kKeptOutput)
      kept.erase(0, kept.size() - kKeptOutput);
  }
}

}  // namespace

ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     std::chrono::milliseconds timeout) {
  ChildResult result;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    result.error = std::strerror(errno);
    return result;
  }
  ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group, so that a timeout ends whatever it started as well.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);

  std::vector<std::string> argvText = {program.string()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvText)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, argvText[0].c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    result.error = std::strerror(spawned);
    return result;
  }
  result.started = true;

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  for (;;) {
    Drain(pipeFds[0], result.output);
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child)
      break;
    if (done < 0 && errno != EINTR) {
      result.error = std::strerror(errno);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(-child, SIGKILL);
      ::waitpid(child, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Drain(pipeFds[0], result.output);
  ::close(pipeFds[0]);
  if (!result.timedOut) {
    if (WIFEXITED(status))
      result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
      result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace qlm
