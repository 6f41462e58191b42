#pragma once

#include <cstdint>
#include <string>

#include "platform/Processes.h"

namespace qlm {

struct PlayerContext;

// How the trust policy judges a launch.
struct LaunchVerdict {
  // launch_result::kStarted when it may go ahead; otherwise the result the script gets.
  uint32_t result = launch_result::kStarted;
  // The user refused it in the consent box just now: no further message is due.
  bool deniedInBox = false;
};

// Judges the launch `plan` of `program` (as the script named it, macros expanded) by its
// resolved target. Outside the presentation's reach every target fails as a missing file does
// (and is reported blocked), so a launch tells nothing about what lies there. Within it, a
// presentation plays in a new player without consent; anything else needs the gate's consent,
// remembered for this program, its parameters and its content.
LaunchVerdict JudgeLaunch(const PlayerContext& ctx, const std::string& program,
                          const LaunchPlan& plan, const std::string& parameters);

}  // namespace qlm
