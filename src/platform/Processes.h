#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// How a launch is asked to go, read from the options text of Run: up to three comma fields,
// each "WAIT", "HIDE", "MAXIMIZE", "MINIMIZE" or "TOPMOST(ms)" / "TOP(ms)"; a first field that
// is none of these is the program's command-line parameters.
struct LaunchOptions {
  enum class Raise { kNone, kTop, kTopmost };
  std::string parameters;
  bool wait = false;
  bool hide = false;
  bool maximize = false;
  bool minimize = false;
  Raise raise = Raise::kNone;
  uint32_t raiseWaitMs = 0;

  bool operator==(const LaunchOptions&) const = default;
};

LaunchOptions ParseLaunchOptions(std::string_view options);

// Launch results as scripts read them in CBK_ReturnVal: the shell's numbers, above 32 when the
// program or document was started.
namespace launch_result {
inline constexpr uint32_t kStarted = 42;
inline constexpr uint32_t kOutOfResources = 0;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kOutOfMemory = 8;
inline constexpr uint32_t kBadFormat = 11;
inline constexpr uint32_t kSharingViolation = 26;
inline constexpr uint32_t kAssociationIncomplete = 27;
inline constexpr uint32_t kDdeTimeout = 28;
inline constexpr uint32_t kDdeFailed = 29;
inline constexpr uint32_t kDdeBusy = 30;
inline constexpr uint32_t kNoAssociation = 31;
inline constexpr uint32_t kDllNotFound = 32;
// The extended launcher's error numbers.
inline constexpr uint32_t kNoAssociationEx = 1155;
inline constexpr uint32_t kLibraryMissing = 1157;
inline constexpr uint32_t kCancelled = 1223;
}  // namespace launch_result

// The message a failed launch shows (caption "Error"); empty for a result that is no failure
// or has no message of its own.
std::string_view LaunchErrorText(uint32_t result);

// What a launch would start, judged by what the target is on the host, not by its name.
struct LaunchPlan {
  // The target with every symbolic link and ".." followed as the host follows them: what the
  // trust policy judges and what is started.
  std::filesystem::path resolved;
  // The command line to run; empty when the launch fails.
  std::vector<std::string> argv;
  // The words handed to the target, as the program will receive them.
  std::vector<std::string> arguments;
  // A regular file that reads as a project document or a stand-alone presentation: it plays in
  // a new player.
  bool presentation = false;
  // What runs the target when it is not run itself: "Wine" for Windows programs, "the desktop"
  // for folders and documents; empty for a program or presentation started directly.
  std::string runner;
  // SHA-256 (hex) of a regular file that is no presentation: consent is tied to it.
  std::string sha256;
  // launch_result::kStarted, or why the launch fails before anything starts.
  uint32_t failure = launch_result::kStarted;
};

// A program started for as long as something holds it: letting it go ends it (and what it
// started in its session).
class RunningProgram {
 public:
  virtual ~RunningProgram() = default;
  // The process started; its windows name it, or one of its session, as their owner.
  virtual int Pid() const = 0;
  // False once the program has ended by itself.
  virtual bool Running() = 0;
};

// Starting programs and documents.
class Processes {
 public:
  virtual ~Processes() = default;

  // What a launch of `program` (a host path: a program, a document or a folder) would start,
  // or the failure it meets first (a missing file, a program the host cannot run).
  virtual LaunchPlan Plan(const std::filesystem::path& program,
                          const LaunchOptions& options) const = 0;

  // Starts what `plan` says and returns a launch result. With options.wait it returns when the
  // program has ended, calling `whileWaiting` now and then so the caller can repaint.
  virtual uint32_t Launch(const LaunchPlan& plan, const LaunchOptions& options,
                          const std::function<void()>& whileWaiting) = 0;

  // Starts what `plan` says and keeps hold of it, for an object that shows the program's
  // window; `result` receives the launch result. Null when nothing runs: the launch failed, or
  // these processes only check launches (the default), which then count as started.
  virtual std::unique_ptr<RunningProgram> Start(const LaunchPlan& plan, uint32_t& result) {
    result = plan.failure;
    return nullptr;
  }
};

}  // namespace qlm
