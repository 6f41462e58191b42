#pragma once

#include <filesystem>

#include "platform/host/HostProcesses.h"

namespace qlm {

// Launches of headless runs: nothing is started, but each target is checked as the desktop's
// launcher checks it, so a missing file or a program the host cannot run fails with the same
// result (and the player shows the same message) as on the desktop.
class HeadlessProcesses : public Processes {
 public:
  // `selfExecutable`: the player that would start presentations.
  HeadlessProcesses(std::filesystem::path selfExecutable,
                    HostProcesses::PresentationTest isPresentation)
      : host_(std::move(selfExecutable), std::move(isPresentation)) {}

  LaunchPlan Plan(const std::filesystem::path& program,
                  const LaunchOptions& options) const override {
    return host_.Plan(program, options);
  }
  uint32_t Launch(const LaunchPlan& plan, const LaunchOptions& /*options*/,
                  const std::function<void()>& /*whileWaiting*/) override {
    return plan.failure;
  }

 private:
  HostProcesses host_;
};

}  // namespace qlm
