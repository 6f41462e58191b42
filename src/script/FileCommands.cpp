// File tests and folder listings of scripts.
#include <algorithm>
#include <string>
#include <vector>

#include "expr/ExpressionEvaluator.h"
#include "platform/FileSystem.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {


constexpr std::string_view kMediaExtensions = "mpg,mp1,mp2,ogg,wma,asf";

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

void SetResult(CommandContext& context, double value) {
  const std::string name(Trim(context.statement.arg1));
  if (name.empty())
    return;
  ExpressionEvaluator& evaluator = context.host.Evaluator();
  evaluator.SetNumber(evaluator.NormalizeName(name), value);
}

// 1 when the named file (or folder) exists, 0 otherwise.
CommandResult FileExist(CommandContext& context) {
  SystemHost& system = context.System();
  const std::string path = system.ExpandPathMacros(Expand(context, context.statement.arg2));
  bool exists = false;
  if (const FileSystem* files = system.Files(); files && !Trim(path).empty())
    exists = files->Exists(path);
  SetResult(context, exists ? 1 : 0);
  return CommandResult::kContinue;
}

// -1 when no file was chosen, else whether the chosen path contains the text, ignoring case.
CommandResult FileString(CommandContext& context) {
  const std::string file = context.System().FileText();
  double result = -1;
  if (!file.empty()) {
    const std::string text = Expand(context, context.statement.arg2);
    result = AsciiLower(file).find(AsciiLower(text)) != std::string::npos ? 1 : 0;
  }
  SetResult(context, result);
  return CommandResult::kContinue;
}

// The extensions of a comma list, lower-cased, without blanks or a leading dot.
std::vector<std::string> ExtensionList(std::string_view list) {
  std::vector<std::string> out;
  for (;;) {
    const size_t comma = list.find(',');
    std::string_view piece = Trim(list.substr(0, comma));
    if (piece.starts_with('.'))
      piece.remove_prefix(1);
    if (!piece.empty())
      out.push_back(AsciiLower(piece));
    if (comma == std::string_view::npos)
      return out;
    list.remove_prefix(comma + 1);
  }
}

// The song list becomes the files of one folder (not its subfolders) with the given
// extensions, in name order.
CommandResult SearchForFiles(CommandContext& context) {
  SystemHost& system = context.System();
  ListHost& lists = context.Lists();
  const ScriptStatement& s = context.statement;
  std::string folder(Trim(Expand(context, s.arg1)));
  if (folder.empty())
    folder = "<SrcDir>";
  folder = system.ExpandPathMacros(folder);
  std::string extensions(Trim(Expand(context, s.arg2)));
  if (extensions.empty())
    extensions = kMediaExtensions;
  const std::vector<std::string> wanted = ExtensionList(extensions);

  const FileSystem* files = system.Files();
  std::vector<std::string> songs;
  if (files) {
    for (const FolderEntry& entry :
         files->ListFolder(folder).value_or(std::vector<FolderEntry>{})) {
      if (entry.kind != FileKind::kFile)
        continue;
      // A name that only starts with a dot (".hidden") has no extension.
      const size_t dot = entry.name.rfind('.');
      if (dot == std::string::npos || dot == 0)
        continue;
      const std::string extension = AsciiLower(std::string_view(entry.name).substr(dot + 1));
      if (std::find(wanted.begin(), wanted.end(), extension) != wanted.end())
        songs.push_back(entry.path);
    }
  }
  lists.SetSongList(std::move(songs));
  return CommandResult::kContinue;
}

}  // namespace

void RegisterFileCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kFileExist, FileExist);
  runner.SetHandler(CommandCode::kFileString, FileString);
  runner.SetHandler(CommandCode::kSearchForFiles, SearchForFiles);
}

}  // namespace qlm
