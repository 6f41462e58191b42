#include "tools/QmdTool.h"

#include <optional>
#include <stdexcept>
#include <system_error>

#include "document/StandaloneContainer.h"
#include "platform/CodePage.h"
#include "tools/Guid.h"
#include "tools/ProjectJson.h"
#include "tools/ProjectSummary.h"
#include "tools/ScriptCheck.h"
#include "tools/ToolInput.h"

namespace qlm {

namespace {

constexpr const char* kUsage =
    "Usage: qmdtool COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  info FILE [--codepage NAME]\n"
    "      Summary of a document or stand-alone file: version, title, client size,\n"
    "      window settings, pages with their objects by kind, embedded files.\n"
    "  dump FILE [--codepage NAME]\n"
    "      Every field as JSON (texts in UTF-8, scripts as statement lists, images as\n"
    "      size and format).\n"
    "  bundle DOCUMENT -o OUT [--one-instance] [--player PATH]\n"
    "      A stand-alone executable: a copy of the player with DOCUMENT and a trailer\n"
    "      appended. The player defaults to the qlmplayer beside qmdtool.\n"
    "      --one-instance lets only one copy of the presentation run at a time.\n"
    "  check FILE\n"
    "      Compiles a script text file and prints every message the player would show;\n"
    "      exit status 1 when the script does not compile.\n"
    "  help\n"
    "      This text.\n"
    "\n"
    "FILE may be a document or a stand-alone file. Texts are read in Windows-1252\n"
    "unless --codepage names another code page. Exit status: 0 done, 1 failed,\n"
    "2 wrong command line.\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::vector<std::string> positional;
  std::optional<std::string> output;
  std::optional<std::string> player;
  std::optional<std::string> codePage;
  bool oneInstance = false;
  bool help = false;
};

Options ParseOptions(const std::string& command, const std::vector<std::string>& args) {
  Options options;
  const bool bundle = command == "bundle";
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](const char* name) {
      if (i + 1 >= args.size()) {
        throw UsageError(std::string(name) + " needs a value");
      }
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (bundle && (arg == "-o" || arg == "--output")) {
      options.output = value("-o");
    } else if (bundle && arg == "--player") {
      options.player = value("--player");
    } else if (bundle && arg == "--one-instance") {
      options.oneInstance = true;
    } else if (!bundle && arg == "--codepage") {
      options.codePage = value("--codepage");
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg + " for " + command);
    } else {
      options.positional.push_back(arg);
    }
  }
  if (!options.help && options.positional.size() != 1) {
    throw UsageError(command + " takes exactly one file");
  }
  if (!options.help && bundle && !options.output) {
    throw UsageError("bundle needs -o OUT");
  }
  return options;
}

// Prints the reader's messages (damage it worked around) as warnings.
void PrintMessages(const std::vector<std::string>& messages, std::ostream& err) {
  for (const std::string& m : messages) {
    err << "qmdtool: warning: " << m << "\n";
  }
}

int RunInfoOrDump(const std::string& command, const Options& options, std::ostream& out,
                  std::ostream& err) {
  const std::string& path = options.positional[0];
  const ToolInput input = ReadToolInput(path);
  std::vector<std::string> messages;
  const Project project =
      LoadToolProject(input, std::filesystem::path(path).filename().string(), messages);
  PrintMessages(messages, err);
  const CodePage codePage(options.codePage.value_or("WINDOWS-1252"));
  if (command == "info") {
    WriteProjectSummary(out, path, input, project, codePage);
  } else {
    using Json = nlohmann::ordered_json;
    Json json;
    json["container"] = {
        {"standalone", input.standalone},
        {"oneInstance", input.oneInstance},
        {"identifier", input.oneInstance ? Json(input.identifier) : Json(nullptr)}};
    Json fields = ProjectToJson(project, codePage);
    for (auto it = fields.begin(); it != fields.end(); ++it) {
      json[it.key()] = std::move(it.value());
    }
    out << JsonText(json) << "\n";
  }
  return kToolOk;
}

int RunBundle(const Options& options, std::ostream& out, std::ostream& err,
              const ToolEnvironment& env) {
  const std::string& documentPath = options.positional[0];
  const std::filesystem::path player =
      options.player ? std::filesystem::path(*options.player) : env.executableDir / "qlmplayer";
  std::error_code error;
  if (!std::filesystem::is_regular_file(player, error)) {
    err << "qmdtool: no player program at " << player.string()
        << (options.player ? "" : " (name one with --player PATH)") << "\n";
    return kToolFailed;
  }
  // The document must load, or the bundle would be a player that cannot start.
  const ToolInput input = ReadToolInput(documentPath);
  std::vector<std::string> messages;
  LoadToolProject(input, std::filesystem::path(documentPath).filename().string(), messages);
  PrintMessages(messages, err);

  const std::string identifier = env.newGuid ? env.newGuid() : NewGuid();
  const std::filesystem::path output = *options.output;
  WriteStandalone(player, input.document, options.oneInstance, identifier, output);
  using std::filesystem::perms;
  std::filesystem::permissions(output, perms::owner_exec | perms::group_exec | perms::others_exec,
                               std::filesystem::perm_options::add, error);
  if (error) {
    err << "qmdtool: warning: cannot make " << output.string() << " executable: " << error.message()
        << "\n";
  }
  out << "Wrote " << output.string() << " (" << input.document.size() << " bytes of project"
      << (options.oneInstance ? ", one instance " + identifier : std::string()) << ")\n";
  return kToolOk;
}

}  // namespace

int RunQmdTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const ToolEnvironment& env) {
  if (args.empty()) {
    err << kUsage;
    return kToolUsage;
  }
  const std::string& command = args[0];
  if (command == "help" || command == "--help" || command == "-h") {
    out << kUsage;
    return kToolOk;
  }
  if (command == "check") {
    return RunScriptCheck(args, out, err);
  }
  if (command != "info" && command != "dump" && command != "bundle") {
    err << "qmdtool: unknown command " << command << "\n\n" << kUsage;
    return kToolUsage;
  }
  Options options;
  try {
    options = ParseOptions(command, args);
  } catch (const UsageError& e) {
    err << "qmdtool: " << e.what() << "\n\n" << kUsage;
    return kToolUsage;
  }
  if (options.help) {
    out << kUsage;
    return kToolOk;
  }
  try {
    if (command == "bundle") {
      return RunBundle(options, out, err, env);
    }
    return RunInfoOrDump(command, options, out, err);
  } catch (const std::exception& e) {
    err << "qmdtool: " << e.what() << "\n";
    return kToolFailed;
  }
}

}  // namespace qlm
