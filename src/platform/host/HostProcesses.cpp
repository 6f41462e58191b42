#include "platform/host/HostProcesses.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

namespace qlm {

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

// ELF binaries and "#!" scripts: what the host can run itself.
bool IsHostProgram(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char head[4] = {};
  in.read(head, sizeof head);
  const std::string_view magic(head, static_cast<size_t>(in.gcount()));
  return magic.starts_with(
             "\x7f"
             "ELF") ||
         magic.starts_with("#!");
}

uint32_t ResultOfErrno(int error) {
  switch (error) {
    case ENOENT:
      return launch_result::kFileNotFound;
    case ENOTDIR:
      return launch_result::kPathNotFound;
    case EACCES:
    case EPERM:
      return launch_result::kAccessDenied;
    case ENOEXEC:
      return launch_result::kBadFormat;
    case ENOMEM:
      return launch_result::kOutOfMemory;
    case ETXTBSY:
      return launch_result::kSharingViolation;
    default:
      return launch_result::kOutOfResources;
  }
}

}  // namespace

HostProcesses::HostProcesses(fs::path selfExecutable) : self_(std::move(selfExecutable)) {}

std::vector<std::string> HostProcesses::SplitParameters(const std::string& parameters) {
  std::vector<std::string> out;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const char c = parameters[i];
    if (c == '"') {
      if (quoted && i + 1 < parameters.size() && parameters[i + 1] == '"') {
        word += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord)
        out.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord)
    out.push_back(std::move(word));
  return out;
}

HostProcesses::Plan HostProcesses::PlanLaunch(const fs::path& program,
                                              const LaunchOptions& options) const {
  Plan plan;
  std::error_code error;
  if (program.empty() || !fs::exists(program, error)) {
    const fs::path folder = program.parent_path();
    plan.failure = !folder.empty() && !fs::is_directory(folder, error)
                       ? launch_result::kPathNotFound
                       : launch_result::kFileNotFound;
    return plan;
  }
  if (fs::is_directory(program, error)) {
    plan.argv = {"xdg-open", program.string()};
    return plan;
  }
  const std::string ext = LowerExtension(program);
  if (ext == ".qmd") {
    plan.argv = {self_.string(), program.string()};
  } else if (IsHostProgram(program)) {
    if (::access(program.c_str(), X_OK) != 0) {
      plan.failure = launch_result::kAccessDenied;
      return plan;
    }
    plan.argv = {program.string()};
  } else if (ext == ".exe" || ext == ".com") {
    plan.failure = launch_result::kBadFormat;
    return plan;
  } else if (ext == ".bat" || ext == ".cmd") {
    plan.failure = launch_result::kNoAssociation;
    return plan;
  } else {
    // A document: its parameters mean nothing to the program the desktop picks.
    plan.argv = {"xdg-open", program.string()};
    return plan;
  }
  for (std::string& word : SplitParameters(options.parameters))
    plan.argv.push_back(std::move(word));
  return plan;
}

uint32_t HostProcesses::Launch(const fs::path& program, const LaunchOptions& options,
                               const std::function<void()>& whileWaiting) {
  const Plan plan = PlanLaunch(program, options);
  if (plan.failure != launch_result::kStarted)
    return plan.failure;

  // Everything the child needs is made before fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  for (const std::string& word : plan.argv)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const std::string workDir = program.parent_path().string();

  // The exec error travels back through a pipe that closes by itself when exec succeeds.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    return launch_result::kOutOfResources;
  const bool detach = !options.wait;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return launch_result::kOutOfResources;
  }
  if (child == 0) {
    ::close(pipeFds[0]);
    ::setsid();
    // A detached program is the child of a child that ends at once, so nobody has to reap it.
    if (detach) {
      const pid_t grandchild = ::fork();
      if (grandchild < 0) {
        const int e = errno;
        (void)!::write(pipeFds[1], &e, sizeof e);
        ::_exit(127);
      }
      if (grandchild > 0)
        ::_exit(0);
    }
    if (!workDir.empty())
      (void)!::chdir(workDir.c_str());
    ::execvp(argv[0], argv.data());
    const int e = errno;
    (void)!::write(pipeFds[1], &e, sizeof e);
    ::_exit(127);
  }
  ::close(pipeFds[1]);

  auto reap = [&](bool pumping) {
    for (;;) {
      int status = 0;
      const pid_t done = ::waitpid(child, &status, pumping ? WNOHANG : 0);
      if (done == child || (done < 0 && errno != EINTR))
        return;
      if (done == 0) {
        if (whileWaiting)
          whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  };
  int execError = 0;
  ssize_t got = 0;
  if (detach) {
    reap(false);
    do {
      got = ::read(pipeFds[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
  } else {
    // The pipe closes at exec (or says why exec failed) before the program runs for long.
    do {
      got = ::read(pipeFds[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    reap(true);
  }
  if (got == static_cast<ssize_t>(sizeof execError)) {
    // Nothing to open documents with is the shell's missing association.
    if (execError == ENOENT && plan.argv[0] == "xdg-open")
      return launch_result::kNoAssociation;
    return ResultOfErrno(execError);
  }
  return launch_result::kStarted;
}

}  // namespace qlm
