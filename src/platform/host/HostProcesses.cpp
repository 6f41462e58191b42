#include "platform/host/HostProcesses.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <span>
#include <thread>

#include "platform/Sha256.h"
#include "platform/host/HostFiles.h"

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
bool IsHostProgram(ReadableFile& file) {
  uint8_t head[4] = {};
  const size_t n = std::min<uint64_t>(file.Size(), sizeof head);
  if (!file.ReadAt(0, std::span<uint8_t>(head, n)))
    return false;
  const std::string_view magic(reinterpret_cast<const char*>(head), n);
  return magic.starts_with(
             "\x7f"
             "ELF") ||
         magic.starts_with("#!");
}

// The first executable file `name` in a folder of the PATH; empty when there is none.
fs::path FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "";
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
    if (folder.empty())
      continue;
    const fs::path candidate = fs::path(folder) / name;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
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

HostProcesses::HostProcesses(fs::path selfExecutable, PresentationTest isPresentation)
    : self_(std::move(selfExecutable)), isPresentation_(std::move(isPresentation)) {}

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

LaunchPlan HostProcesses::Plan(const fs::path& program, const LaunchOptions& options) const {
  LaunchPlan plan;
  if (program.empty()) {
    plan.failure = launch_result::kFileNotFound;
    return plan;
  }
  // Judged and started is the target the host reaches: links and ".." followed on the disk, not
  // the name as written.
  std::error_code error;
  plan.resolved = fs::weakly_canonical(fs::absolute(program, error), error);
  if (error)
    plan.resolved = fs::absolute(program, error).lexically_normal();
  const fs::path& target = plan.resolved;
  const fs::file_status status = fs::status(target, error);
  if (!fs::exists(status)) {
    const fs::path folder = target.parent_path();
    plan.failure = !folder.empty() && !fs::is_directory(folder, error)
                       ? launch_result::kPathNotFound
                       : launch_result::kFileNotFound;
    return plan;
  }
  const auto opener = [&] {
    // A folder or a document: its parameters mean nothing to the program the desktop picks.
    plan.runner = "the desktop";
    plan.argv = {"xdg-open", target.string()};
    return plan;
  };
  if (!fs::is_regular_file(status))
    return opener();
  std::string openError;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(target, openError);
  if (!file) {
    plan.failure = launch_result::kAccessDenied;
    return plan;
  }
  plan.arguments = SplitParameters(options.parameters);
  if (isPresentation_ && isPresentation_(*file)) {
    plan.presentation = true;
    plan.argv = {self_.string(), target.string()};
  } else {
    plan.sha256 = Sha256::HexOfFile(*file);
    const std::string ext = LowerExtension(target);
    if (ext == ".qmd") {
      // Not a presentation after all: our player says what is wrong with it.
      plan.argv = {self_.string(), target.string()};
    } else if (IsHostProgram(*file)) {
      if (::access(target.c_str(), X_OK) != 0) {
        plan.failure = launch_result::kAccessDenied;
        return plan;
      }
      plan.argv = {target.string()};
    } else if (ext == ".exe" || ext == ".com") {
      const fs::path wine = FindOnPath("wine");
      if (wine.empty()) {
        plan.failure = launch_result::kBadFormat;
        return plan;
      }
      plan.runner = "Wine";
      plan.argv = {wine.string(), target.string()};
    } else if (ext == ".bat" || ext == ".cmd") {
      plan.failure = launch_result::kNoAssociation;
      return plan;
    } else {
      plan.arguments.clear();
      return opener();
    }
  }
  plan.argv.insert(plan.argv.end(), plan.arguments.begin(), plan.arguments.end());
  return plan;
}

namespace {

// A started child: its process, or why it did not start.
struct Spawned {
  pid_t pid = -1;
  uint32_t result = launch_result::kStarted;
};

// Starts the plan's command line in a session of its own, in the target's folder. A detached
// program is the child of a child that ends at once (`pid` is that child, to reap), so nobody
// has to reap the program itself. Returns once the program runs or failed to.
Spawned Spawn(const LaunchPlan& plan, bool detach) {
  // Everything the child needs is made before fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  for (const std::string& word : plan.argv)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const std::string workDir = plan.resolved.parent_path().string();

  // The exec error travels back through a pipe that closes by itself when exec succeeds.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    return {-1, launch_result::kOutOfResources};
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return {-1, launch_result::kOutOfResources};
  }
  if (child == 0) {
    ::close(pipeFds[0]);
    ::setsid();
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
  // The pipe closes at exec (or says why exec failed) before the program runs for long.
  int execError = 0;
  ssize_t got = 0;
  do {
    got = ::read(pipeFds[0], &execError, sizeof execError);
  } while (got < 0 && errno == EINTR);
  ::close(pipeFds[0]);
  if (got != static_cast<ssize_t>(sizeof execError))
    return {child, launch_result::kStarted};
  // Nothing to open documents with is the shell's missing association.
  if (execError == ENOENT && plan.argv[0] == "xdg-open")
    return {child, launch_result::kNoAssociation};
  return {child, ResultOfErrno(execError)};
}

// Waits for `child` to end; with `whileWaiting` it is called now and then meanwhile.
void Reap(pid_t child, const std::function<void()>* whileWaiting) {
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, whileWaiting ? WNOHANG : 0);
    if (done == child || (done < 0 && errno != EINTR))
      return;
    if (done == 0) {
      if (*whileWaiting)
        (*whileWaiting)();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

// A program held by an object. Let go, it is asked to end (SIGTERM to its session's process
// group) after a moment to close by itself, and killed when it does not.
class HostRunningProgram : public RunningProgram {
 public:
  explicit HostRunningProgram(pid_t pid) : pid_(pid) {}
  ~HostRunningProgram() override {
    if (!Running())
      return;
    // Its window was just asked to close: well-behaved programs end on that.
    if (EndsWithin(std::chrono::milliseconds(200)))
      return;
    ::kill(-pid_, SIGTERM);
    if (EndsWithin(std::chrono::milliseconds(500)))
      return;
    ::kill(-pid_, SIGKILL);
    Reap(pid_, nullptr);
  }
  HostRunningProgram(const HostRunningProgram&) = delete;
  HostRunningProgram& operator=(const HostRunningProgram&) = delete;

  int Pid() const override { return pid_; }
  bool Running() override {
    if (ended_)
      return false;
    int status = 0;
    pid_t done = 0;
    do {
      done = ::waitpid(pid_, &status, WNOHANG);
    } while (done < 0 && errno == EINTR);
    ended_ = done != 0;
    return !ended_;
  }

 private:
  bool EndsWithin(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (Running()) {
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  pid_t pid_;
  bool ended_ = false;
};

}  // namespace

uint32_t HostProcesses::Launch(const LaunchPlan& plan, const LaunchOptions& options,
                               const std::function<void()>& whileWaiting) {
  if (plan.failure != launch_result::kStarted)
    return plan.failure;
  if (plan.argv.empty())
    return launch_result::kFileNotFound;
  const Spawned spawned = Spawn(plan, !options.wait);
  if (spawned.pid > 0)
    Reap(spawned.pid, options.wait ? &whileWaiting : nullptr);
  return spawned.result;
}

std::unique_ptr<RunningProgram> HostProcesses::Start(const LaunchPlan& plan, uint32_t& result) {
  result = plan.failure;
  if (plan.failure != launch_result::kStarted)
    return nullptr;
  if (plan.argv.empty()) {
    result = launch_result::kFileNotFound;
    return nullptr;
  }
  const Spawned spawned = Spawn(plan, false);
  result = spawned.result;
  if (spawned.pid <= 0)
    return nullptr;
  if (spawned.result != launch_result::kStarted) {
    Reap(spawned.pid, nullptr);
    return nullptr;
  }
  return std::make_unique<HostRunningProgram>(spawned.pid);
}

}  // namespace qlm
