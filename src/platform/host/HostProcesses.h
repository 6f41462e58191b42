#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/ReadableFile.h"

namespace qlm {

// Launching on a Linux desktop. The target is judged by what it is once every link is followed:
// a regular file that reads as a presentation (a project document or a stand-alone file, whatever
// its name) starts another player (this executable); programs the host can run (ELF files and
// scripts with the execute bit) are started directly with the parameters split as a command line;
// other ".exe" and ".com" programs start with Wine when it is on the PATH; folders and other
// documents go to xdg-open. Batch files, and Windows programs without Wine, have nothing to run
// them and fail as the shell does. Window placement options (HIDE, MAXIMIZE, MINIMIZE, TOP,
// TOPMOST) are left to the desktop; WAIT waits for the started process.
class HostProcesses : public Processes {
 public:
  // Whether an open file reads as a presentation.
  using PresentationTest = std::function<bool(ReadableFile& file)>;

  // `selfExecutable`: the player started for presentations, which `isPresentation` recognises.
  HostProcesses(std::filesystem::path selfExecutable, PresentationTest isPresentation);

  LaunchPlan Plan(const std::filesystem::path& program,
                  const LaunchOptions& options) const override;
  uint32_t Launch(const LaunchPlan& plan, const LaunchOptions& options,
                  const std::function<void()>& whileWaiting) override;
  // The program runs in a session of its own, so that letting it go ends what it started too.
  std::unique_ptr<RunningProgram> Start(const LaunchPlan& plan, uint32_t& result) override;

  // Parameters cut as a command line: blanks separate, double quotes group ("" inside quotes is
  // a quote).
  static std::vector<std::string> SplitParameters(const std::string& parameters);

 private:
  std::filesystem::path self_;
  PresentationTest isPresentation_;
};

}  // namespace qlm
