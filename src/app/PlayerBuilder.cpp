#include "app/PlayerBuilder.h"

#include <span>
#include <system_error>

#include "document/StandaloneContainer.h"
#include "platform/Sha256.h"
#include "platform/host/HostFiles.h"
#include "platform/host/HostSystemFolders.h"
#include "platform/host/ModuleLibrary.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

fs::path ProfileFolder(const PlayerProcess& process, const PlayerOptions& options) {
  return options.profileDir ? fs::path(*options.profileDir) : process.environment.ConfigDir();
}

// What names a presentation's overlay and its remembered consent: its content (the SHA-256 of
// the document, or of the project inside a stand-alone file) together with the identifier of a
// one-instance stand-alone file, which stays the same wherever a copy lies, or else the file's
// path. So a different presentation never borrows another's saved files or grants, whatever
// its name, size or identifier. `legacy` is the name older players gave the same presentation
// (the identifier alone, or the path and size), for saved files made before.
struct PresentationIdentity {
  std::string current;
  std::string legacy;
};

// `named`: the document was named on the command line (not the player's own program, which is
// only read for a presentation it carries).
PresentationIdentity IdentityOf(const FileSystem& files, const fs::path& document, bool named) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(document, ec);
  const FileSystem::Opened opened = files.OpenRead(absolute.string());
  const StandaloneReadResult standalone =
      ReadStandaloneContainer(opened.file.get(), document.string(), opened.error);
  const uintmax_t size = fs::file_size(document, ec);
  PresentationIdentity id;
  id.legacy = Sha256::Hex(absolute.string() + '\n' + std::to_string(ec ? 0 : size)).substr(0, 16);
  std::string where = "document\n" + absolute.string();
  std::string content;
  if (const std::optional<StandaloneContainer>& c = standalone.container) {
    const std::span<const uint8_t> project = c->Project();
    content = Sha256::Hex(
        std::string_view(reinterpret_cast<const char*>(project.data()), project.size()));
    if (c->oneInstance && !c->identifier.empty()) {
      where = "stand-alone\n" + c->identifier;
      id.legacy = Sha256::Hex(where).substr(0, 16);
    }
  } else if (opened.file && named) {
    content = Sha256::HexOfFile(*opened.file);
  }
  id.current = Sha256::Hex(where + '\n' + content).substr(0, 16);
  return id;
}

// Files saved under the older name of a presentation move to its name by content, the first
// time the presentation plays with nothing saved under that name yet.
void AdoptLegacyOverlay(const fs::path& overlays, const PresentationIdentity& id) {
  std::error_code ec;
  const fs::path legacy = overlays / id.legacy;
  const fs::path current = overlays / id.current;
  if (id.legacy != id.current && !fs::exists(current, ec) && fs::is_directory(legacy, ec))
    fs::rename(legacy, current, ec);
}

}  // namespace

IniProfileStore TrustStoreOf(const HostEnvironment& env) {
  return IniProfileStore(env.ConfigDir(), "trust.ini");
}

PlayerBuilder::PlayerBuilder(const PlayerProcess& process, const PlayerOptions& options,
                             MediaModuleOptions media)
    : options_(options),
      err_(*process.err),
      codePage_(options.codePage),
      files_(process.environment, codePage_),
      profile_(ProfileFolder(process, options)),
      trustStore_(TrustStoreOf(process.environment)),
      media_(MediaModuleOptions{.nullAudio = media.nullAudio,
                                .untimed = media.untimed,
                                .followReferences = options.trust},
             MediaModuleLoader::DefaultCandidates(process.executable)),
      speech_(SpeechModuleLoader::DefaultCandidates(process.executable)) {
  for (const DriveMount& m : options.mounts)
    files_.AddMount(m);
  if (options.traceFiles) {
    files_.SetTrace([&err = *process.err](const std::string& line) { err << line << '\n'; });
  }
  folders_ = MakeSystemFolders(files_, process.environment);
  // Relative paths of the presentation start in its folder.
  std::error_code ec;
  if (!options.arguments.empty() && fs::is_regular_file(options.arguments[0], ec))
    files_.SetCurrentFolder(fs::absolute(options.arguments[0], ec).parent_path());
  else
    files_.SetCurrentFolder(fs::current_path(ec));
  SetUpPolicy(process);
  const std::vector<fs::path> moduleFolders = ModuleFolders(process.executable);
  metafiles_ =
      std::make_unique<ModuleMetafileRenderer>(moduleFolders, [this](const std::string& why) {
        if (!options_.headless || options_.traceFiles)
          err_ << "qlmplayer: metafiles cannot be drawn: " << why << '\n';
      });
  browsers_ = std::make_unique<ModuleBrowserEngine>(moduleFolders, [this](const std::string& why) {
    err_ << "qlmplayer: web pages cannot be shown: " << why << '\n';
  });
}

void PlayerBuilder::SetUpPolicy(const PlayerProcess& process) {
  const HostEnvironment& env = process.environment;
  std::error_code ec;
  const bool withDocument =
      !options_.arguments.empty() && fs::is_regular_file(options_.arguments[0], ec);
  const fs::path document = withDocument ? fs::path(options_.arguments[0]) : process.executable;
  // Read before the policy is in place: the player's own file may be the document.
  const PresentationIdentity identity = IdentityOf(files_, document, withDocument);

  policy_.SetTrustAll(options_.trust);
  policy_.SetPresentationFolder(files_.CurrentFolder(), RealPath(files_.CurrentFolder()));
  const fs::path overlays = env.DataDir() / "overlay";
  AdoptLegacyOverlay(overlays, identity);
  policy_.SetOverlay(overlays / identity.current);
  policy_.SetOverlayQuota(uint64_t{options_.overlayQuotaMb} << 20);
  policy_.AddProtected(overlays);
  policy_.AddProtected(RealPath(overlays));
  policy_.AddProtected(RealPath(profile_.File()));
  policy_.AddSealed(RealPath(trustStore_.File()));
  for (const std::string& folder : {folders_.temp, folders_.embedded})
    policy_.AddWritable(RealPath(files_.ToHost(folder)));
  policy_.AddWritable(RealPath(files_.DriveC()));
  for (const DriveMount& m : options_.mounts) {
    if (m.writable)
      policy_.AddWritable(RealPath(m.hostPath));
    else
      policy_.AddReadable(RealPath(m.hostPath));
  }
  // Installed fonts, the player's own files (its program, which may carry a presentation, and
  // plug-ins beside it) and its plug-in folder.
  for (const fs::path& fonts : {fs::path("/usr/share/fonts"), fs::path("/usr/local/share/fonts"),
                                env.home / ".fonts", env.home / ".local/share/fonts"}) {
    policy_.AddReadable(RealPath(fonts));
  }
  const fs::path ownFolder = RealPath(process.executable).parent_path();
  policy_.AddReadableFiles(ownFolder);
  policy_.AddReadable(ownFolder / "Plugins");
  files_.SetTrustPolicy(
      &policy_, [this](std::string_view what, const std::string& path) { Blocked(what, path); });

  TrustGate::Settings settings;
  settings.trustAll = options_.trust;
  settings.allowLaunch = options_.allowLaunch;
  settings.allowPlugins = options_.allowPlugins;
  settings.ask = !options_.headless || options_.ask;
  gate_ = std::make_unique<TrustGate>(settings, trustStore_, identity.current);
  gate_->SetBlockedSink(
      [this](std::string_view what, const std::string& path) { Blocked(what, path); });
  libraries_ = std::make_unique<GatedLibraries>(hostLibraries_, *gate_, ownFolder,
                                                RealPath(files_.CurrentFolder()));
}

void PlayerBuilder::Blocked(std::string_view what, const std::string& path) {
  if (!reported_.emplace(std::string(what), path).second)
    return;
  if (events_)
    events_->OnBlocked(what, path);
  if (what == "quota") {
    // Once per run, and on stderr in any mode: the user should know why saves stopped working.
    err_ << "qlmplayer: the overlay is full (" << options_.overlayQuotaMb
         << " MB, --overlay-quota);"
         << " the write of \"" << codePage_.ToUtf8(path) << "\" failed\n";
    return;
  }
  if (!options_.headless || options_.traceFiles)
    err_ << "qlmplayer: blocked " << what << " of \"" << codePage_.ToUtf8(path) << "\"\n";
}

PlayerContext PlayerBuilder::Build(EventLoop& loop, Display& display, Dialogs& dialogs,
                                   PlayerEvents* events) {
  events_ = events;
  gate_->SetDialogs(&dialogs);
  PlayerContext context{loop,     display,   dialogs, profile_,     files_,
                        folders_, codePage_, events,  options_.seed};
  context.imageCacheBytes = uint64_t{options_.imageCacheMb} * 1024 * 1024;
  context.media = &media_;
  context.videos = &media_;
  context.libraries = libraries_.get();
  context.metafiles = metafiles_.get();
  // Headless runs keep virtual time, which a web engine's own processes cannot follow.
  context.browsers = options_.headless ? nullptr : browsers_.get();
  context.instanceLocks = &instanceLocks_;
  context.system = &system_;
  context.trust = gate_.get();
  context.trustPolicy = &policy_;
  return context;
}

}  // namespace qlm
