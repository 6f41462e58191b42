#include "tools/ThumbnailCommand.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/DriveMount.h"
#include "tools/ChildProcess.h"
#include "tools/CorpusScan.h"
#include "tools/ScanCommand.h"
#include "tools/WorkerPool.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

struct ThumbnailJob {
  fs::path input;
  fs::path output;
};

struct ThumbnailResult {
  bool done = false;
  std::string error;
};

// The pictures' paths: the presentation's path below the folder it was found in (its bare name
// when it was named itself), with ".png" added, so that two folders with the same names do not
// overwrite each other's pictures when scanned together under separate roots.
std::vector<ThumbnailJob> PlanJobs(const std::vector<std::string>& roots, const fs::path& outDir,
                                   std::vector<std::string>& problems) {
  std::vector<ThumbnailJob> jobs;
  for (const std::string& root : roots) {
    for (ScanCandidate& c : ListScanCandidates({root}, problems)) {
      if (!c.named && !LooksLikePresentation(c.path))
        continue;
      const fs::path relative = c.named ? c.path.filename() : c.path.lexically_relative(root);
      jobs.push_back({c.path, outDir / (relative.string() + ".png")});
    }
  }
  return jobs;
}

// What the player last told its user: the text of its last message box (a JSON line), else
// its last line of diagnostics.
std::string LastMessage(const std::string& output) {
  std::string message;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (json.is_discarded())
      message = line;
    else if (json.is_object() && json.value("event", "") == "messagebox")
      message = json.value("text", "");
  }
  return message;
}

ThumbnailResult MakeThumbnail(const ThumbnailJob& job, const fs::path& player,
                              std::vector<std::string> options, std::chrono::milliseconds timeout,
                              const fs::path& profileDir) {
  ThumbnailResult result;
  std::error_code error;
  fs::create_directories(job.output.parent_path(), error);
  fs::remove(job.output, error);
  options.insert(options.end(), {"--headless", "--profile-dir", profileDir.string(), "--screenshot",
                                 job.output.string(), "--", job.input.string()});
  const ChildResult child = RunChild(player, options, timeout);
  if (!child.started) {
    result.error = "cannot start " + player.string() + ": " + child.error;
  } else if (child.timedOut) {
    result.error = "no first frame within the time limit";
  } else if (child.signal != 0) {
    result.error = "the player ended on signal " + std::to_string(child.signal);
  } else if (!fs::is_regular_file(job.output, error)) {
    const std::string why = LastMessage(child.output);
    result.error = "no picture (exit status " + std::to_string(child.exitCode) + ")" +
                   (why.empty() ? "" : ": " + why);
  } else {
    result.done = true;
  }
  return result;
}

}  // namespace

int RunThumbnailCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const ToolEnvironment& env) {
  std::vector<std::string> roots;
  std::optional<fs::path> outDir;
  fs::path player = env.executableDir / "qlmplayer";
  size_t jobs = 0;
  int timeoutSeconds = 30;
  bool json = false;
  std::vector<std::string> playerOptions;  // passed on to every player
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--json") {
      json = true;
    } else if ((arg == "-o" || arg == "--output") && hasValue) {
      outDir = args[++i];
    } else if (arg == "--player" && hasValue) {
      player = args[++i];
    } else if (arg == "--jobs" && hasValue) {
      if (!ParseJobCount(args[++i], jobs)) {
        err << "qmdtool: --jobs takes a number from 1 to 256\n";
        return kToolUsage;
      }
    } else if (arg == "--timeout" && hasValue) {
      size_t seconds = 0;
      if (!ParseJobCount(args[++i], seconds)) {
        err << "qmdtool: --timeout takes a number of seconds from 1 to 256\n";
        return kToolUsage;
      }
      timeoutSeconds = static_cast<int>(seconds);
    } else if (arg == "--mount" && hasValue) {
      if (!ParseDriveMount(args[i + 1])) {
        err << "qmdtool: --mount takes D=PATH or D=PATH:cdrom\n";
        return kToolUsage;
      }
      playerOptions.insert(playerOptions.end(), {"--mount", args[++i]});
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "qmdtool: unknown option or missing value: " << arg << " for thumbnails\n";
      return kToolUsage;
    } else {
      roots.push_back(arg);
    }
  }
  if (roots.empty() || !outDir) {
    err << "qmdtool: thumbnails takes one or more folders or files and -o OUT\n";
    return kToolUsage;
  }
  std::error_code error;
  if (!fs::is_regular_file(player, error)) {
    err << "qmdtool: no player program at " << player.string() << " (name one with --player)\n";
    return kToolFailed;
  }

  std::vector<std::string> problems;
  const std::vector<ThumbnailJob> plan = PlanJobs(roots, *outDir, problems);
  for (const std::string& problem : problems)
    err << "qmdtool: " << problem << "\n";
  // The players keep their settings here rather than in the user's profile.
  const fs::path profileDir = *outDir / ".qlmplayer-profile";
  fs::create_directories(profileDir, error);

  std::vector<ThumbnailResult> results(plan.size());
  RunTasks(plan.size(), WorkerCount(plan.size(), jobs), [&](size_t i) {
    results[i] = MakeThumbnail(plan[i], player, playerOptions, std::chrono::seconds(timeoutSeconds),
                               profileDir);
  });
  fs::remove_all(profileDir, error);

  size_t written = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    const ThumbnailResult& r = results[i];
    written += r.done ? 1 : 0;
    if (json) {
      nlohmann::ordered_json line = {{"file", plan[i].input.string()}, {"ok", r.done}};
      if (r.done)
        line["png"] = plan[i].output.string();
      else
        line["error"] = r.error;
      out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else if (r.done) {
      out << plan[i].input.string() << " -> " << plan[i].output.string() << "\n";
    } else {
      out << plan[i].input.string() << ": " << r.error << "\n";
    }
  }
  const size_t failed = plan.size() - written;
  if (json) {
    out << nlohmann::ordered_json{{"summary",
                                   {{"presentations", plan.size()},
                                    {"written", written},
                                    {"failed", failed}}}}
               .dump()
        << "\n";
  } else {
    out << "\n"
        << plan.size() << " presentations: " << written << " pictures written, " << failed
        << " failed\n";
  }
  return failed == 0 && problems.empty() ? kToolOk : kToolFailed;
}

}  // namespace qlm
