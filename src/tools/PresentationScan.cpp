#include "tools/PresentationScan.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string_view>

#include "document/ObjectRecord.h"
#include "expr/PathMacros.h"
#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/host/HostFileSystem.h"
#include "plugins/PluginFileName.h"
#include "script/CommandTable.h"
#include "tools/ProjectJson.h"
#include "tools/StandaloneFile.h"
#include "tools/ToolInput.h"

namespace qlm {

namespace {

// Object kinds the player draws or runs only in part, with what is missing.
std::string_view KindShortfall(int32_t kind) {
  switch (kind) {
    case kObjProgram:
      return "program objects run their program only where the host can (a Windows program "
             "needs Wine) and hold its window only on an X11 desktop; elsewhere the frame is "
             "drawn";
    case kObjFlash:
      return "no Flash engine exists: the frame shows the movie's file name and \"Flash content "
             "cannot be shown\"";
    default:
      return {};
  }
}

bool KnownKind(int32_t kind) {
  return ObjectKindName(kind).rfind("type ", 0) != 0;
}

// File endings that mark a literal script argument as a file the presentation ships.
bool HasFileEnding(std::string_view text) {
  static constexpr std::array<std::string_view, 32> kEndings = {
      "wav", "mid", "midi", "rmi", "mp3",  "ogg", "wma", "avi",  "mpg",  "mpeg", "mov",
      "wmv", "mp4", "bmp",  "jpg", "jpeg", "gif", "png", "tif",  "tiff", "txt",  "rtf",
      "qmd", "exe", "mod",  "xm",  "s3m",  "it",  "htm", "html", "pdf",  "m3u"};
  const size_t dot = text.rfind('.');
  if (dot == std::string_view::npos || dot + 1 >= text.size())
    return false;
  const std::string ending = AsciiLower(text.substr(dot + 1));
  return std::find(kEndings.begin(), kEndings.end(), ending) != kEndings.end();
}

// Commands whose arguments may name a file: media, files, texts loaded from files, programs
// and documents started. Message texts and dialog captions that end in a file name are not
// references.
bool MayNameFiles(CommandGroup group) {
  switch (group) {
    case CommandGroup::kMedia:
    case CommandGroup::kVideo:
    case CommandGroup::kFile:
    case CommandGroup::kText:
    case CommandGroup::kSystem:
    case CommandGroup::kList:
    case CommandGroup::kNoEffect:
      return true;
    default:
      return false;
  }
}

// A script argument that names a file as written: no variable, expression or address in it.
bool IsLiteralFileArgument(const std::string& text) {
  if (text.empty() || text.find("://") != std::string::npos)
    return false;
  if (text.find_first_of("$&%+\"[]=") != std::string::npos)
    return false;
  return HasFileEnding(text);
}

class Scanner {
 public:
  Scanner(const std::filesystem::path& path, const ScanSettings& settings,
          PresentationReport& report)
      : settings_(settings),
        codePage_(settings.codePage),
        files_(settings.environment, codePage_),
        macros_(settings.folders, ""),
        report_(report) {
    for (const DriveMount& mount : settings.mounts)
      files_.AddMount(mount);
    const std::filesystem::path absolute = std::filesystem::absolute(path);
    files_.SetCurrentFolder(absolute.parent_path());
    macros_.SetExecutablePath(files_.ToWindows(absolute));
    sourceDir_ = macros_.Expand("<SrcDir>");
    if (!settings.playerDir.empty())
      playerDir_ = files_.ToWindows(settings.playerDir);
  }

  void Page(const PageRecord& page, const std::string& where) {
    Script(page.enterScript, where + " enter script");
    Script(page.exitScript, where + " exit script");
    for (const ObjectRecord& object : page.objects)
      Object(object, where + ", object \"" + codePage_.ToUtf8(object.name) + "\"");
  }

 private:
  void Object(const ObjectRecord& object, const std::string& where) {
    const std::string kind = ObjectKindName(object.typeCode);
    if (report_.kinds[kind]++ == 0) {
      const std::string_view shortfall = KindShortfall(object.typeCode);
      if (!shortfall.empty())
        report_.unsupported.push_back({"kind " + kind, std::string(shortfall)});
      else if (!KnownKind(object.typeCode))
        report_.unsupported.push_back({"kind " + kind, "unknown object kind: not drawn"});
    }
    if (object.typeCode == kObjPlugIn && !object.text.empty())
      Refer(object.text, "plug-in", where);
    else if ((object.typeCode == kObjMci || object.typeCode == kObjVideo) && !object.text.empty())
      Refer(object.text, "media", where);
    for (size_t slot = 1; slot < object.scripts.size(); ++slot)
      Script(object.scripts[slot], where);
  }

  void Script(const ScriptBody& body, const std::string& where) {
    for (const ScriptStatement& s : body.statements) {
      if (s.code >= KindAssign && s.code <= KindCommentEnd)
        continue;
      if (s.code == KindMarked)
        continue;
      const ScriptCommand* command = FindCommandByCode(s.code);
      const std::string name =
          command ? std::string(command->name) : "code " + std::to_string(s.code);
      if (report_.commands[name]++ == 0) {
        if (!command)
          report_.unsupported.push_back({"command " + name, "unknown command code: skipped"});
        else if (command->group == CommandGroup::kNoEffect)
          report_.unsupported.push_back({"command " + name, std::string(command->noEffectReason)});
      }
      if (!command || !MayNameFiles(command->group))
        continue;
      if (command->argCount >= 1 && IsLiteralFileArgument(s.arg1))
        Refer(s.arg1, "media", where);
      if (command->argCount >= 2 && IsLiteralFileArgument(s.arg2))
        Refer(s.arg2, "media", where);
    }
  }

  void Refer(const std::string& stored, const std::string& role, const std::string& where) {
    const std::string reference = codePage_.ToUtf8(stored);
    for (const ReferencedFile& known : report_.files) {
      if (known.reference == reference && known.role == role)
        return;
    }
    const std::string expanded = macros_.Expand(stored);
    const bool present = role == "plug-in" ? PluginPresent(expanded) : files_.IsFile(expanded);
    report_.files.push_back({reference, role, where, present});
  }

  // Looked for in the places and under the names the player's plug-in host tries.
  bool PluginPresent(const std::string& name) const {
    std::vector<std::string> folders = {sourceDir_};
    if (!playerDir_.empty())
      folders.push_back(playerDir_);
    for (const std::string& folder : folders) {
      for (const std::string& place : PluginPathCandidates(name, folder)) {
        for (const std::string& file : PluginFileNames(place)) {
          if (files_.IsFile(file))
            return true;
        }
      }
    }
    return false;
  }

  const ScanSettings& settings_;
  CodePage codePage_;
  HostFileSystem files_;
  PathMacros macros_;
  std::string sourceDir_;
  std::string playerDir_;
  PresentationReport& report_;
};

}  // namespace

bool HasStandaloneTrailer(const std::filesystem::path& path) {
  if (IsStandaloneFile(path))
    return true;
  // A trailer whose length or magic word is damaged still marks a stand-alone file.
  const StandaloneStatus status = ReadStandaloneContainer(path).status;
  return status == StandaloneStatus::kLengthTooLarge || status == StandaloneStatus::kNoMagicWord;
}

size_t PresentationReport::MissingFiles() const {
  return static_cast<size_t>(std::count_if(files.begin(), files.end(),
                                           [](const ReferencedFile& f) { return !f.present; }));
}

PresentationReport ScanPresentation(const std::filesystem::path& path,
                                    const ScanSettings& settings) {
  PresentationReport report;
  report.file = path.string();
  try {
    const ToolInput input = ReadToolInput(path);
    report.standalone = input.standalone;
    if (input.oneInstance)
      report.identifier = input.identifier;
    const CodePage codePage(settings.codePage);
    std::vector<std::string> messages;
    const Project project = LoadToolProject(input, path.filename().string(), messages, &codePage);
    for (const std::string& m : messages)
      report.warnings.push_back(codePage.ToUtf8(m));
    report.version = project.version;
    report.pages = project.pages.size();
    Scanner scanner(path, settings, report);
    scanner.Page(project.masterPage, "Master Page");
    scanner.Page(project.masterLayer, "Master Layer");
    for (const PageRecord& page : project.pages)
      scanner.Page(page, "page \"" + codePage.ToUtf8(page.name) + "\"");
    report.ok = true;
  } catch (const std::exception& e) {
    report.ok = false;
    report.error = e.what();
    report.standalone = report.standalone || HasStandaloneTrailer(path);
  }
  return report;
}

nlohmann::ordered_json ReportToJson(const PresentationReport& report) {
  using Json = nlohmann::ordered_json;
  Json json;
  json["file"] = report.file;
  json["ok"] = report.ok;
  if (!report.ok)
    json["error"] = report.error;
  if (!report.warnings.empty())
    json["warnings"] = report.warnings;
  json["standalone"] = report.standalone;
  json["identifier"] = report.identifier.empty() ? Json(nullptr) : Json(report.identifier);
  if (!report.ok)
    return json;
  json["version"] = report.version;
  json["pages"] = report.pages;
  json["kinds"] = report.kinds;
  json["commands"] = report.commands;
  Json unsupported = Json::array();
  for (const UnsupportedUse& u : report.unsupported)
    unsupported.push_back({{"what", u.what}, {"reason", u.reason}});
  json["unsupported"] = std::move(unsupported);
  Json files = Json::array();
  for (const ReferencedFile& f : report.files) {
    files.push_back(
        {{"reference", f.reference}, {"role", f.role}, {"where", f.where}, {"present", f.present}});
  }
  json["files"] = std::move(files);
  return json;
}

}  // namespace qlm
