#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qlm {

// What the batch script of an archive run asks of the cluster and passes to each task.
struct SlurmScriptSettings {
  std::filesystem::path run;            // absolute
  std::filesystem::path qmdtool;        // absolute: the program each task runs
  std::vector<std::string> runOptions;  // passed on to `archive run` (--player, --timeout ...)
  size_t chunks = 0;
  size_t jobs = 1;             // players at a time in a task (its CPUs)
  size_t parallel = 0;         // tasks at a time (the %P of --array); 0: no limit
  size_t maxArraySize = 1001;  // the cluster's MaxArraySize: array indices stay below it
  size_t memoryMb = 1024;      // for the whole task
  size_t minutes = 60;         // time limit of a task
  std::string partition;       // empty: the cluster's default
};

// The batch script: an array job whose task i runs chunk i + OFFSET (OFFSET is the script's
// first argument, 0 when none), its output under RUN/logs/.
std::string SlurmBatchScript(const SlurmScriptSettings& settings);

// The sbatch command lines that submit `chunks` (sorted) with `script`: one line per block of
// maxArraySize chunk numbers, so no array index reaches MaxArraySize; `runOption` (such as
// "--redo-failed") is passed on to archive run when not empty.
std::vector<std::string> SlurmSubmitLines(const std::filesystem::path& script,
                                          const std::vector<size_t>& chunks, size_t maxArraySize,
                                          size_t parallel, const std::string& runOption = "");

// The MaxArraySize of `scontrol show config` output, or nullopt when it does not say.
std::optional<size_t> ParseMaxArraySize(const std::string& config);

// Quoted for a POSIX shell.
std::string ShellQuote(const std::string& text);

}  // namespace qlm
