#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace qlm {

// Launching on a Linux desktop. Project documents (".qmd") start another player (this
// executable); programs the host can run (ELF files and scripts with the execute bit) are
// started directly with the parameters split as a command line; folders and other documents go
// to xdg-open. Windows programs and batch files have nothing to run them and fail as the shell
// does when no program is associated. Window placement options (HIDE, MAXIMIZE, MINIMIZE, TOP,
// TOPMOST) are left to the desktop; WAIT waits for the started process.
class HostProcesses : public Processes {
 public:
  // `selfExecutable`: the player started for project documents.
  explicit HostProcesses(std::filesystem::path selfExecutable);

  uint32_t Launch(const std::filesystem::path& program, const LaunchOptions& options,
                  const std::function<void()>& whileWaiting) override;
  uint32_t Check(const std::filesystem::path& program,
                 const LaunchOptions& options) const override {
    return PlanLaunch(program, options).failure;
  }

  // The command line a launch would run, or a failing launch result (no process is started).
  struct Plan {
    std::vector<std::string> argv;
    uint32_t failure = launch_result::kStarted;
  };
  Plan PlanLaunch(const std::filesystem::path& program, const LaunchOptions& options) const;

  // Parameters cut as a command line: blanks separate, double quotes group ("" inside quotes is
  // a quote).
  static std::vector<std::string> SplitParameters(const std::string& parameters);

 private:
  std::filesystem::path self_;
};

}  // namespace qlm
