#include "tools/ArchiveCommand.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

#include "platform/CodePage.h"
#include "tools/ArchiveMerge.h"
#include "tools/ArchivePlan.h"
#include "tools/ArchiveRun.h"
#include "tools/ArchiveRunFolder.h"
#include "tools/ArchiveSlurm.h"
#include "tools/ChildProcess.h"
#include "tools/ScanCommand.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options of one archive step, read in order; each step asks for those it takes.
class ArchiveOptions {
 public:
  ArchiveOptions(const std::vector<std::string>& args, std::string step)
      : args_(args), step_(std::move(step)) {}

  // Walks the arguments: `take(option)` returns true when it used the option (reading its value
  // with Value or Number); other words are operands.
  template <typename Take>
  std::vector<std::string> Parse(Take take) {
    std::vector<std::string> operands;
    for (i_ = 2; i_ < args_.size(); ++i_) {
      const std::string& arg = args_[i_];
      if (arg.size() > 1 && arg[0] == '-') {
        if (!take(arg))
          throw UsageError("unknown option " + arg + " for archive " + step_);
      } else {
        operands.push_back(arg);
      }
    }
    return operands;
  }
  std::string Value() {
    if (i_ + 1 >= args_.size())
      throw UsageError(args_[i_] + " needs a value");
    return args_[++i_];
  }
  size_t Number(size_t low, size_t high) {
    const std::string option = args_[i_];
    const std::string text = Value();
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos || std::stoull(text) < low ||
        std::stoull(text) > high)
      throw UsageError(option + " takes a number from " + std::to_string(low) + " to " +
                       std::to_string(high));
    return std::stoull(text);
  }

 private:
  const std::vector<std::string>& args_;
  std::string step_;
  size_t i_ = 0;
};

// The options `archive run` passes to the players and the scanner; shared with `archive slurm`,
// which hands them on to its tasks.
struct PlayerOptions {
  std::optional<fs::path> player;
  int timeoutSeconds = 30;
  std::optional<uint64_t> maxMemoryMb;
  std::vector<DriveMount> mounts;
  std::vector<std::string> mountTexts;
  std::string codePage = "WINDOWS-1252";

  bool Take(const std::string& arg, ArchiveOptions& options) {
    if (arg == "--player") {
      player = fs::absolute(options.Value());
    } else if (arg == "--timeout") {
      timeoutSeconds = static_cast<int>(options.Number(1, 86400));
    } else if (arg == "--max-memory") {
      maxMemoryMb = options.Number(16, 1u << 30);
    } else if (arg == "--mount") {
      const std::string text = options.Value();
      const std::optional<DriveMount> mount = ParseDriveMount(text);
      if (!mount)
        throw UsageError("--mount takes D=PATH or D=PATH:cdrom");
      mounts.push_back(*mount);
      mountTexts.push_back(text);
    } else if (arg == "--codepage") {
      codePage = options.Value();
      if (CodePage(codePage).Name() != codePage)
        throw UsageError("unknown code page " + codePage);
    } else {
      return false;
    }
    return true;
  }

  // The same options again, for a task's command line.
  std::vector<std::string> Arguments() const {
    std::vector<std::string> args;
    if (player)
      args.insert(args.end(), {"--player", player->string()});
    args.insert(args.end(), {"--timeout", std::to_string(timeoutSeconds)});
    if (maxMemoryMb)
      args.insert(args.end(), {"--max-memory", std::to_string(*maxMemoryMb)});
    for (const std::string& mount : mountTexts)
      args.insert(args.end(), {"--mount", mount});
    if (codePage != "WINDOWS-1252")
      args.insert(args.end(), {"--codepage", codePage});
    return args;
  }
};

int ProgressFd() {
  return ::isatty(STDERR_FILENO) == 1 ? STDERR_FILENO : -1;
}

int Plan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ArchivePlanSettings settings;
  ArchiveOptions options(args, "plan");
  std::optional<fs::path> run;
  settings.roots = options.Parse([&](const std::string& arg) {
    if (arg == "-o" || arg == "--output")
      run = options.Value();
    else if (arg == "--chunk")
      settings.chunkSize = options.Number(1, 1000000);
    else if (arg == "--jobs")
      settings.jobs = options.Number(1, 256);
    else
      return false;
    return true;
  });
  if (settings.roots.empty() || !run)
    throw UsageError("archive plan takes one or more folders or files and -o RUN");
  settings.run = *run;
  settings.progressFd = ProgressFd();
  std::vector<std::string> problems;
  const ArchivePlanInfo plan = PlanArchive(settings, problems);
  for (const std::string& problem : problems)
    err << "qmdtool: " << problem << "\n";
  out << "Planned " << plan.entries << " files in " << plan.chunks << " chunks of up to "
      << plan.chunkSize << ": " << run->string() << "\n";
  return problems.empty() ? kToolOk : kToolFailed;
}

int Run(const std::vector<std::string>& args, std::ostream& out, const ToolEnvironment& env) {
  ArchiveRunSettings settings;
  PlayerOptions player;
  ArchiveOptions options(args, "run");
  const std::vector<std::string> operands = options.Parse([&](const std::string& arg) {
    if (arg == "--chunk")
      settings.chunk = options.Number(0, 100000000);
    else if (arg == "--jobs")
      settings.jobs = options.Number(1, 256);
    else if (arg == "--redo-failed")
      settings.redoFailed = true;
    else
      return player.Take(arg, options);
    return true;
  });
  if (operands.size() != 1)
    throw UsageError("archive run takes one run folder");
  settings.run = operands[0];
  settings.frames.player = player.player.value_or(env.executableDir / "qlmplayer");
  settings.frames.timeoutSeconds = player.timeoutSeconds;
  settings.frames.maxMemoryMb = player.maxMemoryMb;
  for (const std::string& mount : player.mountTexts)
    settings.frames.playerOptions.insert(settings.frames.playerOptions.end(), {"--mount", mount});
  if (player.codePage != "WINDOWS-1252")
    settings.frames.playerOptions.insert(settings.frames.playerOptions.end(),
                                         {"--codepage", player.codePage});
  settings.scan = HostScanSettings(player.mounts, player.codePage, env);
  settings.progressFd = ProgressFd();
  const ArchiveRunCounts counts = RunArchive(settings);
  out << counts.entries << " entries: " << counts.kept << " recorded before, " << counts.done
      << " recorded now (" << counts.failed << " of them failures)\n";
  return kToolOk;
}

// The Slurm settings a run folder was given, for merge's resubmission lines.
fs::path SlurmScriptPath(const fs::path& run) {
  return run / "archive.sbatch";
}
fs::path SlurmSettingsPath(const fs::path& run) {
  return run / "slurm.json";
}

int Merge(const std::vector<std::string>& args, std::ostream& out) {
  ArchiveOptions options(args, "merge");
  const std::vector<std::string> operands = options.Parse([](const std::string&) { return false; });
  if (operands.size() != 1)
    throw UsageError("archive merge takes one run folder");
  const fs::path run = operands[0];
  const ArchiveMergeSummary summary = MergeArchive(run);
  out << summary.entries << " files: " << summary.recorded << " recorded, " << summary.ok << " ok ("
      << summary.blank << " blank, " << summary.timedOut << " at the time limit), "
      << summary.failed << " failed\n";
  for (const auto& [code, count] : summary.errors)
    out << "  " << code << ": " << count << "\n";
  out << "inventory: " << (run / "inventory.jsonl").string() << ", "
      << (run / "inventory.csv").string() << "\n";
  // How to submit again what is missing or failed, on this machine and on the cluster when the
  // run has a batch script.
  std::optional<nlohmann::json> slurm;
  if (std::ifstream in(SlurmSettingsPath(run)); in) {
    slurm = nlohmann::json::parse(in, nullptr, false);
    if (slurm->is_discarded() || !slurm->is_object())
      slurm.reset();
  }
  auto resubmit = [&](const std::vector<size_t>& chunks, const char* what,
                      const std::string& runOption) {
    if (chunks.empty())
      return;
    out << what << ": " << ChunkRanges(chunks) << "\n";
    for (const size_t chunk : chunks) {
      out << "  qmdtool archive run " << ShellQuote(run.string()) << " --chunk " << chunk
          << (runOption.empty() ? "" : " " + runOption) << "\n";
    }
    if (slurm) {
      for (const std::string& line :
           SlurmSubmitLines(SlurmScriptPath(run), chunks, slurm->value("maxArraySize", 1001),
                            slurm->value("parallel", 0), runOption))
        out << "  " << line << "\n";
    }
  };
  resubmit(summary.missingChunks, "chunks not finished", "");
  resubmit(summary.failedChunks, "chunks with failures (run again with --redo-failed)",
           "--redo-failed");
  out << (summary.Complete() ? "complete\n" : "incomplete\n");
  return summary.Complete() ? kToolOk : kToolFailed;
}

// MaxArraySize from `scontrol show config`, when scontrol is on the PATH and answers.
std::optional<size_t> ClusterMaxArraySize() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    const fs::path scontrol = fs::path(folders.substr(start, end - start)) / "scontrol";
    start = end + 1;
    std::error_code error;
    if (scontrol.is_absolute() && fs::is_regular_file(scontrol, error)) {
      const ChildResult result = RunChild(scontrol, {"show", "config"}, std::chrono::seconds(20));
      return result.exitCode == 0 ? ParseMaxArraySize(result.output) : std::nullopt;
    }
  }
  return std::nullopt;
}

int Slurm(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const ToolEnvironment& env) {
  SlurmScriptSettings settings;
  PlayerOptions player;
  std::optional<std::string> output;
  std::optional<size_t> maxArray;
  std::optional<size_t> memoryMb;
  std::optional<size_t> minutes;
  ArchiveOptions options(args, "slurm");
  const std::vector<std::string> operands = options.Parse([&](const std::string& arg) {
    if (arg == "-o" || arg == "--output")
      output = options.Value();
    else if (arg == "--jobs")
      settings.jobs = options.Number(1, 256);
    else if (arg == "--parallel")
      settings.parallel = options.Number(1, 1000000);
    else if (arg == "--max-array")
      maxArray = options.Number(1, 100000000);
    else if (arg == "--mem")
      memoryMb = options.Number(16, 1u << 30);
    else if (arg == "--time")
      minutes = options.Number(1, 1000000);
    else if (arg == "--partition")
      settings.partition = options.Value();
    else
      return player.Take(arg, options);
    return true;
  });
  if (operands.size() != 1)
    throw UsageError("archive slurm takes one run folder");
  settings.run = fs::absolute(operands[0]).lexically_normal();
  const ArchivePlanInfo plan = ArchiveRunFolder(settings.run).ReadPlan();
  if (plan.chunks == 0)
    throw ArchiveError("the plan holds no files: nothing to submit");
  settings.chunks = plan.chunks;
  settings.qmdtool = env.executableDir / "qmdtool";
  if (!player.player)
    player.player = env.executableDir / "qlmplayer";
  settings.runOptions = player.Arguments();
  if (!maxArray)
    maxArray = ClusterMaxArraySize();
  settings.maxArraySize = maxArray.value_or(1001);
  // A player with media maps about a gigabyte of address space; each runs its own process.
  settings.memoryMb = memoryMb.value_or(settings.jobs * player.maxMemoryMb.value_or(1024));
  // Every entry of a chunk may take the whole time limit, and a little to start and scan.
  const size_t perChunk = (plan.chunkSize + settings.jobs - 1) / settings.jobs;
  settings.minutes =
      minutes.value_or(10 + (perChunk * (static_cast<size_t>(player.timeoutSeconds) + 10)) / 60);

  const std::string script = SlurmBatchScript(settings);
  if (output && *output == "-") {
    out << script;
    return kToolOk;
  }
  const fs::path scriptPath = output ? fs::absolute(*output) : SlurmScriptPath(settings.run);
  WriteRunFile(scriptPath, script);
  fs::permissions(scriptPath, fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);
  const nlohmann::ordered_json saved = {{"script", scriptPath.string()},
                                        {"maxArraySize", settings.maxArraySize},
                                        {"parallel", settings.parallel}};
  WriteRunFile(SlurmSettingsPath(settings.run), saved.dump(2) + "\n");
  std::vector<size_t> chunks(plan.chunks);
  for (size_t i = 0; i < chunks.size(); ++i)
    chunks[i] = i;
  err << "qmdtool: wrote " << scriptPath.string() << " (" << plan.chunks << " chunks, MaxArraySize "
      << settings.maxArraySize << "); submit with:\n";
  for (const std::string& line :
       SlurmSubmitLines(scriptPath, chunks, settings.maxArraySize, settings.parallel))
    out << line << "\n";
  return kToolOk;
}

}  // namespace

int RunArchiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const ToolEnvironment& env) {
  const std::string step = args.size() > 1 ? args[1] : "";
  try {
    if (step == "plan")
      return Plan(args, out, err);
    if (step == "run")
      return Run(args, out, env);
    if (step == "merge")
      return Merge(args, out);
    if (step == "slurm")
      return Slurm(args, out, err, env);
    err << "qmdtool: archive takes plan, run, merge or slurm\n";
    return kToolUsage;
  } catch (const UsageError& e) {
    err << "qmdtool: " << e.what() << "\n";
    return kToolUsage;
  } catch (const ArchiveError& e) {
    err << "qmdtool: " << e.what() << "\n";
    return kToolFailed;
  } catch (const std::exception& e) {
    err << "qmdtool: archive " << step << ": " << e.what() << "\n";
    return kToolFailed;
  }
}

}  // namespace qlm
