#pragma once

#include <filesystem>
#include <string>

namespace qlm {

struct PlayerContext;

// Whether the trust policy lets a launch go ahead: `program` as the script named it (macros
// expanded), `target` its host path. A project document within the presentation's reach opens
// in our own player without consent; anything else needs the gate's consent.
bool PermitLaunch(const PlayerContext& ctx, const std::string& program,
                  const std::filesystem::path& target, const std::string& parameters);

}  // namespace qlm
