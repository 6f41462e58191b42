#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "desktop/ChildProcess.h"
#include "desktop/XWindowTree.h"

namespace qlm::test {

// Starts openbox on `display` (its home and configuration below `root`) and waits until it
// manages the screen, which it says by naming itself on the root window. nullopt: openbox is
// not installed; otherwise whether it came up.
inline std::optional<bool> StartOpenbox(ChildProcess& wm, Display* dpy, const std::string& display,
                                        const std::filesystem::path& root) {
  if (access("/usr/bin/openbox", X_OK) != 0)
    return std::nullopt;
  const std::string r = root.string();
  if (!wm.Start({"/usr/bin/openbox", "--sm-disable"},
                {"DISPLAY=" + display, "HOME=" + r + "/home", "XDG_CONFIG_HOME=" + r + "/config"},
                (root / "openbox.err").string()))
    return false;
  const auto managing = [dpy] {
    return !PropertyItems(dpy, DefaultRootWindow(dpy), "_NET_SUPPORTING_WM_CHECK").empty();
  };
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (Clock::now() < deadline && !managing())
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return managing();
}

}  // namespace qlm::test
