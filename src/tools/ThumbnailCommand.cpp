#include "tools/ThumbnailCommand.h"

#include <filesystem>
#include <optional>
#include <set>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "platform/DriveMount.h"
#include "tools/CorpusScan.h"
#include "tools/FirstFrame.h"
#include "tools/ProgressBar.h"
#include "tools/ScanCommand.h"
#include "tools/WorkerPool.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

struct ThumbnailJob {
  fs::path input;
  fs::path output;
};

// The pictures' paths: the presentation's path below the folder it was found in (its bare name
// when it was named itself), with ".png" added, so that two folders with the same names do not
// overwrite each other's pictures when scanned together under separate roots. Files named with
// the same bare name (disc1/show.qmd disc2/show.qmd) get show.qmd.png, show.qmd.2.png ...
std::vector<ThumbnailJob> PlanJobs(const std::vector<std::string>& roots, const fs::path& outDir,
                                   std::vector<std::string>& problems) {
  std::vector<ThumbnailJob> jobs;
  std::set<fs::path> taken;
  for (const std::string& root : roots) {
    for (ScanCandidate& c : ListScanCandidates({root}, problems)) {
      if (!c.named && !LooksLikePresentation(c.path))
        continue;
      const fs::path relative = c.named ? c.path.filename() : c.path.lexically_relative(root);
      fs::path output = outDir / (relative.string() + ".png");
      for (int n = 2; !taken.insert(output).second; ++n)
        output = outDir / (relative.string() + "." + std::to_string(n) + ".png");
      jobs.push_back({c.path, std::move(output)});
    }
  }
  return jobs;
}

// What a picture's flags add to its line of text.
std::string FrameNotes(const FirstFrame& frame) {
  std::string notes;
  if (frame.timedOut)
    notes += " (the frame at the time limit: the first page never finished)";
  if (frame.blank)
    notes += " (blank: one colour only)";
  return notes;
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

  FirstFrameSettings settings;
  settings.player = player;
  settings.playerOptions = playerOptions;
  settings.timeoutSeconds = timeoutSeconds;
  settings.profileDir = profileDir;
  std::vector<FirstFrame> results(plan.size());
  {
    ProgressBar progress("thumbnails", plan.size(), STDERR_FILENO);
    RunTasks(plan.size(), WorkerCount(plan.size(), jobs), [&](size_t i) {
      results[i] = TakeFirstFrame(plan[i].input, plan[i].output, settings);
      progress.Advance();
    });
  }
  fs::remove_all(profileDir, error);

  size_t written = 0;
  size_t blank = 0;
  size_t timedOut = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    const FirstFrame& r = results[i];
    written += r.written ? 1 : 0;
    blank += r.blank ? 1 : 0;
    timedOut += r.timedOut ? 1 : 0;
    if (json) {
      nlohmann::ordered_json line = {{"file", plan[i].input.string()}, {"ok", r.written}};
      if (r.written) {
        line["png"] = plan[i].output.string();
        line["blank"] = r.blank;
        line["timedOut"] = r.timedOut;
      } else {
        line["error"] = r.message;
      }
      out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else if (r.written) {
      out << plan[i].input.string() << " -> " << plan[i].output.string() << FrameNotes(r) << "\n";
    } else {
      out << plan[i].input.string() << ": " << r.message << "\n";
    }
  }
  const size_t failed = plan.size() - written;
  if (json) {
    out << nlohmann::ordered_json{{"summary",
                                   {{"presentations", plan.size()},
                                    {"written", written},
                                    {"blank", blank},
                                    {"timedOut", timedOut},
                                    {"failed", failed}}}}
               .dump()
        << "\n";
  } else {
    out << "\n"
        << plan.size() << " presentations: " << written << " pictures written (" << blank
        << " blank, " << timedOut << " at the time limit), " << failed << " failed\n";
  }
  return failed == 0 && problems.empty() ? kToolOk : kToolFailed;
}

}  // namespace qlm
