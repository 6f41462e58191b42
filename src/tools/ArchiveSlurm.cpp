#include "tools/ArchiveSlurm.h"

#include <cctype>
#include <map>
#include <sstream>

#include "tools/ArchiveMerge.h"

namespace qlm {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string SlurmBatchScript(const SlurmScriptSettings& settings) {
  const size_t firstBlock = std::min(settings.chunks, settings.maxArraySize);
  std::ostringstream script;
  script << "#!/bin/sh\n"
         << "#SBATCH --job-name=qmdtool-archive\n"
         << "#SBATCH --array=0-" << (firstBlock == 0 ? 0 : firstBlock - 1);
  if (settings.parallel > 0)
    script << "%" << settings.parallel;
  script << "\n"
         << "#SBATCH --output=" << (settings.run / "logs" / "%A_%a.out").string() << "\n"
         << "#SBATCH --cpus-per-task=" << settings.jobs << "\n"
         << "#SBATCH --mem=" << settings.memoryMb << "M\n"
         << "#SBATCH --time=" << settings.minutes << "\n";
  if (!settings.partition.empty())
    script << "#SBATCH --partition=" << settings.partition << "\n";
  script << "# Task i runs chunk i + OFFSET, OFFSET being the first argument (0 when none), so a\n"
         << "# run of more chunks than the cluster's MaxArraySize is submitted in blocks.\n"
         << "# A chunk run again skips the entries it has already recorded.\n"
         << "# Further arguments go to archive run (--redo-failed).\n"
         << "OFFSET=${1:-0}\n"
         << "[ $# -gt 0 ] && shift\n"
         << "exec " << ShellQuote(settings.qmdtool.string()) << " archive run "
         << ShellQuote(settings.run.string())
         << " --chunk \"$((SLURM_ARRAY_TASK_ID + OFFSET))\" --jobs " << settings.jobs;
  for (const std::string& option : settings.runOptions)
    script << " " << ShellQuote(option);
  script << " \"$@\"\n";
  return script.str();
}

std::vector<std::string> SlurmSubmitLines(const std::filesystem::path& script,
                                          const std::vector<size_t>& chunks, size_t maxArraySize,
                                          size_t parallel, const std::string& runOption) {
  std::map<size_t, std::vector<size_t>> blocks;  // offset to array indices
  for (const size_t chunk : chunks) {
    const size_t offset = chunk / maxArraySize * maxArraySize;
    blocks[offset].push_back(chunk - offset);
  }
  std::vector<std::string> lines;
  for (const auto& [offset, indices] : blocks) {
    std::string line = "sbatch --array=" + ChunkRanges(indices);
    if (parallel > 0)
      line += "%" + std::to_string(parallel);
    line += " " + ShellQuote(script.string()) + " " + std::to_string(offset);
    lines.push_back(runOption.empty() ? line : line + " " + runOption);
  }
  return lines;
}

std::optional<size_t> ParseMaxArraySize(const std::string& config) {
  std::istringstream lines(config);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    std::string key = line.substr(0, equals);
    key.erase(key.find_last_not_of(" \t") + 1);
    if (key != "MaxArraySize")
      continue;
    const size_t digits = line.find_first_not_of(" \t", equals + 1);
    if (digits == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[digits])))
      return std::nullopt;
    const size_t end = line.find_first_not_of("0123456789", digits);
    const std::string number = line.substr(digits, end - digits);
    if (number.size() > 9)
      return std::nullopt;
    const size_t value = std::stoull(number);
    return value > 0 ? std::optional<size_t>(value) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace qlm
