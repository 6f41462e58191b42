#include "app/PlayerBuilder.h"

#include <system_error>

#include "platform/host/HostSystemFolders.h"

namespace qlm {
namespace {

std::filesystem::path ProfileFolder(const PlayerProcess& process, const PlayerOptions& options) {
  return options.profileDir ? std::filesystem::path(*options.profileDir)
                            : process.environment.ConfigDir();
}

}  // namespace

PlayerBuilder::PlayerBuilder(const PlayerProcess& process, const PlayerOptions& options,
                             MpvMediaBackend::Options media)
    : options_(options),
      codePage_(options.codePage),
      files_(process.environment, codePage_),
      profile_(ProfileFolder(process, options)),
      media_(media) {
  for (const DriveMount& m : options.mounts)
    files_.AddMount(m);
  if (options.traceFiles) {
    files_.SetTrace([&err = *process.err](const std::string& line) { err << line << '\n'; });
  }
  folders_ = MakeSystemFolders(files_, process.environment);
  // Relative paths of the presentation start in its folder.
  std::error_code ec;
  if (!options.arguments.empty() && std::filesystem::is_regular_file(options.arguments[0], ec))
    files_.SetCurrentFolder(std::filesystem::absolute(options.arguments[0], ec).parent_path());
  else
    files_.SetCurrentFolder(std::filesystem::current_path(ec));
}

PlayerContext PlayerBuilder::Build(EventLoop& loop, Display& display, Dialogs& dialogs,
                                   PlayerEvents* events) {
  PlayerContext context{loop,     display,   dialogs, profile_,     files_,
                        folders_, codePage_, events,  options_.seed};
  context.media = &media_;
  context.libraries = &libraries_;
  context.instanceLocks = &instanceLocks_;
  context.system = &system_;
  return context;
}

}  // namespace qlm
