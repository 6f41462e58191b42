#include "player/PlayerApp.h"

#include <system_error>

#include "document/DocumentMessages.h"
#include "document/StandaloneContainer.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FileSystem.h"
#include "player/CommandLine.h"

namespace qlm {
namespace {

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path result = std::filesystem::absolute(path, ec);
  return ec ? path : result;
}

// Plug-in libraries live beside the player (and in its "Plugins" folder): the player's folder
// as scripts see it, without a trailing backslash.
std::string PluginFolderOf(const FileSystem& files, const std::filesystem::path& executable) {
  std::string folder = files.ToWindows(Absolute(executable).parent_path());
  while (!folder.empty() && folder.back() == '\\')
    folder.pop_back();
  return folder;
}

// The container of a stand-alone file named by a host path (relative to the working folder);
// messages name it as given.
StandaloneReadResult ReadContainer(const FileSystem& files, const std::filesystem::path& path) {
  const FileSystem::Opened opened = files.OpenRead(Absolute(path).string());
  return ReadStandaloneContainer(opened.file.get(), path.string(), opened.error);
}

bool IsStandalone(const FileSystem& files, const std::filesystem::path& path) {
  const FileSystem::Opened opened = files.OpenRead(Absolute(path).string());
  return opened.file && IsStandaloneFile(*opened.file);
}

// The command line without its first parameter.
std::string WithoutFirstParameter(std::string_view raw) {
  CommandLineParams params;
  params.Set(raw);
  std::vector<std::string> rest(params.All().begin() + (params.Count() > 0 ? 1 : 0),
                                params.All().end());
  return JoinCommandLine(rest);
}

}  // namespace

PlayerApp::PlayerApp(PlayerContext& context, std::filesystem::path ownExecutable)
    : ctx_(context), ownExecutable_(std::move(ownExecutable)) {}

PlayerApp::~PlayerApp() {
  Finish();
}

PlayerApp::StartResult PlayerApp::StartUp(std::string_view rawCommandLine) {
  // The boxes about reading the presentation go to the terminal too; what the presentation
  // itself shows once it runs does not.
  struct Echo {
    Dialogs& dialogs;
    ~Echo() { dialogs.EchoMessagesTo(nullptr); }
  } echo{ctx_.dialogs};
  ctx_.dialogs.EchoMessagesTo(diagnostics_);
  window_ = std::make_unique<PlayerWindow>(ctx_);
  window_->SetPluginFolders({PluginFolderOf(ctx_.files, ownExecutable_)});
  std::string raw(rawCommandLine);
  StartupCommand command = ParseStartupCommand(raw);

  // The container: a stand-alone file named first stands in for the executable; otherwise
  // the player's own file may carry a bundled project.
  std::optional<StandaloneContainer> container;
  std::string containerMessage;
  std::filesystem::path exePath = ownExecutable_;
  if (!command.documentPath.empty() && IsStandalone(ctx_.files, command.documentPath)) {
    exePath = command.documentPath;
    raw = WithoutFirstParameter(raw);
    command = ParseStartupCommand(raw);
  }
  if (startPage_) {
    std::vector<std::string> params = command.params.All();
    if (params.empty()) {
      command.startPage = StartPageArgument{false, *startPage_};
    } else {
      params.insert(params.begin() + 1, StartPageParameter(*startPage_));
      raw = JoinCommandLine(params);
      command = ParseStartupCommand(raw);
    }
  }
  StandaloneReadResult read = ReadContainer(ctx_.files, exePath);
  if (read.container) {
    container = std::move(read.container);
  } else if (read.status != StandaloneStatus::kNoTrailer) {
    containerMessage = read.message;
  }

  if (command.startPage) {
    window_->SetStartPage(command.startPage->startPage);
    window_->SetNewWindow(command.startPage->newWindow);
  }
  window_->SetCommandLine(command.params);
  window_->SetExeFileName(exePath.filename().string());
  window_->SetQuietOpen(true);
  window_->SetStarting(true);

  // One instance: the lock is named by the project identifier. A NEW_WINDOW start ignores it.
  if (container && container->oneInstance && !window_->NewWindow() && ctx_.instanceLocks) {
    lock_ = ctx_.instanceLocks->Lock(container->identifier);
    if (lock_->AlreadyExisted()) {
      if (!lock_->HandOver({window_->ExeFileName(), raw}, InstanceLock::kHandOverTimeoutMs)) {
        handOverError_ = lock_->Error();
        ctx_.dialogs.Message(
            "This presentation is already running, but it could not be reached:\n" +
            handOverError_);
      }
      window_->SetStarting(false);
      return StartResult::kHandedOver;
    }
    if (lock_->GetState() == InstanceLock::State::kFirst) {
      watchHandle_ = WatchActivations(*lock_, ctx_.loop, player_message::kActivation);
    }
  }

  // A document that opens wins over the embedded project.
  bool loaded = false;
  if (!command.documentPath.empty())
    loaded = window_->OpenDocument(Absolute(command.documentPath).string(), command.documentPath);
  const LoadStatus documentStatus = window_->LastLoadStatus();
  if (loaded && !container) {
    presentationPath_ = Absolute(command.documentPath);
  } else if (container) {
    presentationPath_ = Absolute(exePath);
    if (!loaded)
      loaded = window_->OpenProjectBytes(container->Project(), exePath.string());
  }
  window_->SetStarting(false);
  window_->SetQuietOpen(false);

  if (!loaded) {
    if (!command.documentPath.empty() && documentStatus == LoadStatus::CannotOpen && !container) {
      ctx_.dialogs.Message(std::string(msg::kCannotFind) + command.documentPath);
    } else if (command.documentPath.empty() && !container) {
      ctx_.dialogs.Message(containerMessage.empty()
                               ? "No presentation to play: name a document, or start a player "
                                 "with a presentation bundled into it."
                               : containerMessage);
    }
    return StartResult::kNoProject;
  }
  ctx_.dialogs.EchoMessagesTo(nullptr);
  return Show();
}

PlayerApp::StartResult PlayerApp::StartWith(Project project, std::string_view rawCommandLine) {
  window_ = std::make_unique<PlayerWindow>(ctx_);
  window_->SetPluginFolders({PluginFolderOf(ctx_.files, ownExecutable_)});
  StartupCommand command = ParseStartupCommand(rawCommandLine);
  window_->SetCommandLine(command.params);
  window_->SetExeFileName(ownExecutable_.filename().string());
  if (!window_->OpenProject(std::move(project)))
    return StartResult::kNoProject;
  return Show();
}

PlayerApp::StartResult PlayerApp::Show() {
  if (!presentationPath_.empty())
    window_->SetSourcePath(ctx_.files.ToWindows(presentationPath_));
  else
    window_->SetSourcePath(ctx_.files.ToWindows(Absolute(ownExecutable_)));
  window_->Initialize();
  return StartResult::kRunning;
}

void PlayerApp::Finish() {
  if (window_)
    window_->ShutDown();
  if (watchHandle_) {
    ctx_.loop.RemoveSource(watchHandle_);
    watchHandle_ = 0;
  }
}

}  // namespace qlm
