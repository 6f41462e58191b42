#include <string_view>

#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "media/MediaSession.h"
#include "media/PlayListFile.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// Answers longer than this are cut, as the platform's answer buffer cuts them.
constexpr size_t kMaxAnswer = 255;
constexpr std::string_view kListPrefix = "<List>";
constexpr std::string_view kSaveFilter = "M3L Files (*.m3l)|*.m3l|All Files (*.*)|*.*||";

void Publish(CommandContext& context, const MediaSession& media) {
  media.songs.Publish(context.host.Evaluator().Variables(), media.boundObjects);
}

// The bytes of a play-list file; nullopt when it cannot be read. A file of the size limit or
// more gives the message and nothing.
std::optional<std::string> ReadListFile(ScriptHost& host, SystemHost& system,
                                        const std::string& path) {
  const FileSystem* files = system.Files();
  if (!files || path.empty())
    return std::nullopt;
  std::optional<std::string> bytes = files->ReadFile(path, PlayListFile::kMaxBytes);
  if (bytes && bytes->size() >= PlayListFile::kMaxBytes) {
    host.GetDialogs().Message(std::string(PlayListFile::kTooBig));
    return std::nullopt;
  }
  return bytes;
}

CommandResult MciObjectCommand(CommandContext& context, MediaSession& media) {
  ObjectRecord* object = context.object;
  if (!object || object->typeCode != kObjMci)
    return CommandResult::kContinue;
  const std::string verb = Expand(context, context.statement.arg2);
  media.objects.Command(*object, verb, context.System().ExpandPathMacros(object->text),
                        media.windowHandle);
  return CommandResult::kContinue;
}

CommandResult MciCommand(CommandContext& context, MediaSession& media) {
  std::string text = context.System().ExpandPathMacros(Expand(context, context.statement.arg1));
  if (const size_t at = text.find("<This>"); at != std::string::npos)
    text.replace(at, 6, std::to_string(media.windowHandle));
  std::string answer = media.devices.Send(text).answer;
  if (answer.size() > kMaxAnswer)
    answer.resize(kMaxAnswer);
  context.host.Evaluator().SetNumber("MCIResult", MciAnswerValue(answer));
  return CommandResult::kContinue;
}

CommandResult SongListAdd(CommandContext& context, MediaSession& media) {
  std::string text = Expand(context, context.statement.arg1);
  if (text == "<File>")
    text = context.System().ExpandPathMacros(text);
  media.songs.Add(std::move(text));
  Publish(context, media);
  return CommandResult::kContinue;
}

CommandResult SongListDel(CommandContext& context, MediaSession& media) {
  const std::string argument(Trim(context.statement.arg1));
  double value = 0;
  if (!context.host.Evaluator().GetNumber(argument, value))
    value = ParseDecimal(argument);
  media.songs.Delete(TruncateIndex(value));
  Publish(context, media);
  return CommandResult::kContinue;
}

CommandResult SongListLoad(CommandContext& context, MediaSession& media) {
  SystemHost& system = context.System();
  media.songs.Replace({});
  const std::string path = system.ExpandPathMacros(Expand(context, context.statement.arg1));
  const std::string requested = Expand(context, context.statement.arg2);
  if (std::optional<std::string> bytes = ReadListFile(context.host, system, path)) {
    media.songs.Replace(PlayListFile::Parse(*bytes, PlayListFile::TypeFor(path, requested),
                                            PlayListFile::FolderOf(path)));
  }
  Publish(context, media);
  return CommandResult::kContinue;
}

CommandResult SongListSave(CommandContext& context, MediaSession& media) {
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  std::string path = system.ExpandPathMacros(Expand(context, context.statement.arg2));
  if (path.empty()) {
    std::optional<std::string> chosen =
        host.GetDialogs().ChooseFile(FileDialogMode::kSave, std::string(kSaveFilter), "");
    if (!chosen || chosen->empty())
      return CommandResult::kContinue;
    path = std::move(*chosen);
    const size_t slash = path.find_last_of("\\/");
    if (path.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
      path += ".tch";
  }
  std::vector<std::string> entries;
  const std::string first = Expand(context, context.statement.arg1);
  if (first.starts_with(kListPrefix)) {
    // The list object the statement names: "<List>Name", or the statement's object.
    const std::string name(Trim(std::string_view(first).substr(kListPrefix.size())));
    ObjectRecord* list = context.object;
    if (!name.empty())
      list = FindObject(host.PageManager(), host.Evaluator().Variables(), name).object;
    if (!list || list->typeCode != kObjListBox)
      return CommandResult::kContinue;
    for (const std::string& item : list->stringList)
      entries.push_back(system.ExpandPathMacros(item));
  } else {
    entries = media.songs.Entries();
  }
  const FileSystem* files = system.Files();
  if (!files)
    return CommandResult::kContinue;
  files->WriteFile(path, PlayListFile::Join(entries));
  return CommandResult::kContinue;
}

}  // namespace

void RegisterMediaCommands(ScriptRunner& runner, MediaSession& media) {
  MediaSession* m = &media;
  auto bind = [m](CommandResult (*handler)(CommandContext&, MediaSession&)) {
    return [m, handler](CommandContext& context) { return handler(context, *m); };
  };
  runner.SetHandler(CommandCode::kMCIObject, bind(MciObjectCommand));
  runner.SetHandler(CommandCode::kMCICommand, bind(MciCommand));
  runner.SetHandler(CommandCode::kSongListAdd, bind(SongListAdd));
  runner.SetHandler(CommandCode::kSongListDel, bind(SongListDel));
  runner.SetHandler(CommandCode::kSongListLoad, bind(SongListLoad));
  runner.SetHandler(CommandCode::kSongListSave, bind(SongListSave));
  runner.SetHandler(CommandCode::kSongListReset, [m](CommandContext& context) {
    m->songs.Reset();
    Publish(context, *m);
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kSongListRND, [m](CommandContext& context) {
    m->songs.Shuffle(context.host.Evaluator().Random());
    Publish(context, *m);
    return CommandResult::kContinue;
  });
  // The editor needs a list dialog the platform does not offer: it ends as if cancelled, so
  // the list stays and only the variables are published, as the editor does when cancelled.
  runner.SetHandler(CommandCode::kSongListEdit, [m](CommandContext& context) {
    Publish(context, *m);
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
