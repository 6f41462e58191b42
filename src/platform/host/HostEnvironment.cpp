#include "platform/host/HostEnvironment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace qlm {

namespace {

// XDG base directories must be absolute; a relative value is ignored as the standard says.
std::filesystem::path AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/')
    return {};
  return value;
}

std::filesystem::path PerUserFallback(const HostEnvironment& env, const char* what) {
  return env.TempRoot() / ("qlmplayer-" + std::to_string(env.userId) + "-" + what);
}

}  // namespace

HostEnvironment HostEnvironment::FromProcess() {
  HostEnvironment env;
  env.userId = static_cast<unsigned>(getuid());
  env.home = AbsoluteEnv("HOME");
  if (env.home.empty()) {
    if (const passwd* pw = getpwuid(getuid());
        pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') {
      env.home = pw->pw_dir;
    }
  }
  env.xdgDataHome = AbsoluteEnv("XDG_DATA_HOME");
  env.xdgConfigHome = AbsoluteEnv("XDG_CONFIG_HOME");
  env.tmpDir = AbsoluteEnv("TMPDIR");
  return env;
}

std::filesystem::path HostEnvironment::DataDir() const {
  if (!xdgDataHome.empty())
    return xdgDataHome / "qlmplayer";
  if (!home.empty())
    return home / ".local" / "share" / "qlmplayer";
  return PerUserFallback(*this, "data");
}

std::filesystem::path HostEnvironment::ConfigDir() const {
  if (!xdgConfigHome.empty())
    return xdgConfigHome / "qlmplayer";
  if (!home.empty())
    return home / ".config" / "qlmplayer";
  return PerUserFallback(*this, "config");
}

std::filesystem::path HostEnvironment::TempRoot() const {
  return tmpDir.empty() ? std::filesystem::path("/tmp") : tmpDir;
}

}  // namespace qlm
