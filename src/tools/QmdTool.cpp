#include "tools/QmdTool.h"

#include <optional>
#include <stdexcept>
#include <system_error>

#include "document/ArchiveWriter.h"
#include "document/CompressedBlock.h"
#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/StandaloneContainer.h"
#include "platform/CodePage.h"
#include "tools/ArchiveCommand.h"
#include "tools/Guid.h"
#include "tools/ProjectFolder.h"
#include "tools/ProjectFolderReader.h"
#include "tools/ProjectJson.h"
#include "tools/ProjectSummary.h"
#include "tools/ScanCommand.h"
#include "tools/ScriptCheck.h"
#include "tools/StandaloneFile.h"
#include "tools/StoredConversions.h"
#include "tools/ThumbnailCommand.h"
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
    "  unpack FILE DIR [--codepage NAME]\n"
    "      An editable project folder: project.json with every stored field, images\n"
    "      as PNG (or their stored JPEG/PNG/TIFF files), scripts as text, embedded\n"
    "      files as files. DIR must not exist or be empty.\n"
    "  build DIR -o OUT [--format-version N] [--secure] [--bundle [--one-instance]]\n"
    "        [--player PATH]\n"
    "      The project folder back into a document (format version N from 2 to 29,\n"
    "      default the folder's; --secure wraps it in the packed secure layer), or\n"
    "      with --bundle into a stand-alone executable. Scripts are compiled with the\n"
    "      player's compiler; errors name the file and line, and nothing is written.\n"
    "  bundle DOCUMENT -o OUT [--one-instance] [--player PATH]\n"
    "      A stand-alone executable: a copy of the player with DOCUMENT and a trailer\n"
    "      appended. The player defaults to the qlmplayer-bundle (stripped) beside\n"
    "      qmdtool, else the qlmplayer there.\n"
    "      --one-instance lets only one copy of the presentation run at a time.\n"
    "  check FILE\n"
    "      Compiles a script text file and prints every message the player would show;\n"
    "      exit status 1 when the script does not compile.\n"
    "  scan DIR... [--json] [--jobs N] [--codepage NAME] [--mount D=PATH[:cdrom]]\n"
    "      Walks folders (and the files named) for documents and stand-alone files and\n"
    "      reports each: format version, stand-alone identifier, pages, object kinds and\n"
    "      commands used, what of it this player does not fully support, the media and\n"
    "      plug-in files it refers to and whether they are there (found as the player\n"
    "      finds them, without regard to case), and whether it reads cleanly. A table\n"
    "      and a summary, or JSON lines with --json. Runs on every core (or N threads).\n"
    "      --mount maps a drive letter as the player's --mount does (repeatable), so\n"
    "      that files on a disc (\"<CD>\\...\", \"D:\\...\") are found. Exit status 1 when\n"
    "      a presentation does not read cleanly.\n"
    "  thumbnails DIR... -o OUT [--jobs N] [--timeout SECONDS] [--player PATH]\n"
    "        [--mount D=PATH[:cdrom]] [--json]\n"
    "      The first frame of every presentation found, as OUT/<path below DIR>.png,\n"
    "      each played by its own headless qlmplayer (the one beside qmdtool unless\n"
    "      --player names another) and ended after SECONDS (default 30). Runs on\n"
    "      every core (or N at a time); --mount goes to every player. Exit status 1\n"
    "      when a picture is missing. Files of the same name named together get\n"
    "      NAME.png, NAME.2.png ...; a picture that is all one colour is flagged blank,\n"
    "      one taken at the time limit (the first page never finished) timedOut.\n"
    "  archive plan DIR... -o RUN [--chunk N] [--jobs N]\n"
    "      Walks the collection once into the run folder RUN: manifest.jsonl (each\n"
    "      file's path as bytes and for display, size, mtime, SHA-256) and chunks of N\n"
    "      entries (default 100).\n"
    "  archive run RUN [--chunk K] [--jobs N] [--redo-failed] [--timeout SECONDS]\n"
    "        [--max-memory MB] [--player PATH] [--mount D=PATH[:cdrom]]\n"
    "        [--codepage NAME]\n"
    "      Scans and takes the first frame of every entry of chunk K (of every chunk\n"
    "      without --chunk) into RUN/results/K.jsonl, a line per file as it is done,\n"
    "      and RUN/pictures/. Entries already recorded are skipped, so an interrupted\n"
    "      run is resumed by running it again; --redo-failed runs failures again.\n"
    "  archive merge RUN\n"
    "      RUN/inventory.jsonl and inventory.csv (every file once), RUN/summary.json,\n"
    "      and the chunks to run again. Exit status 0 when every file has a record.\n"
    "  archive slurm RUN [-o FILE|-] [--parallel P] [--jobs N] [--max-array N]\n"
    "        [--mem MB] [--time MINUTES] [--partition NAME] [run options]\n"
    "      Writes the Slurm batch script (RUN/archive.sbatch; - prints it), an array\n"
    "      job of one task per chunk, logs in RUN/logs/, and prints the sbatch lines\n"
    "      that submit it in blocks below the cluster's MaxArraySize.\n"
    "  help\n"
    "      This text.\n"
    "  --version\n"
    "      The tool's version.\n"
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
  std::optional<int32_t> formatVersion;
  bool secure = false;
  bool bundle = false;
  std::optional<std::string> output;
  std::optional<std::string> player;
  std::optional<std::string> codePage;
  bool oneInstance = false;
  bool help = false;
};

Options ParseOptions(const std::string& command, const std::vector<std::string>& args) {
  Options options;
  const bool build = command == "build";
  const bool bundle = command == "bundle" || build;
  const bool unpack = command == "unpack";
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
    } else if (build && arg == "--format-version") {
      const std::string text = value("--format-version");
      const bool digits = !text.empty() && text.size() <= 2 &&
                          text.find_first_not_of("0123456789") == std::string::npos;
      if (!digits || std::stoi(text) < 2 || std::stoi(text) > 29) {
        throw UsageError("--format-version takes a number from 2 to 29");
      }
      options.formatVersion = std::stoi(text);
    } else if (build && arg == "--secure") {
      options.secure = true;
    } else if (build && arg == "--bundle") {
      options.bundle = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg + " for " + command);
    } else {
      options.positional.push_back(arg);
    }
  }
  if (options.help) {
    return options;
  }
  if (unpack && options.positional.size() != 2) {
    throw UsageError("unpack takes a file and a folder");
  }
  if (!unpack && options.positional.size() != 1) {
    throw UsageError(command + (build ? " takes exactly one folder" : " takes exactly one file"));
  }
  if (bundle && !options.output) {
    throw UsageError(command + " needs -o OUT");
  }
  if (build && !options.bundle && (options.oneInstance || options.player)) {
    throw UsageError("--one-instance and --player go with --bundle");
  }
  if (build && options.secure && options.formatVersion && *options.formatVersion < 13) {
    throw UsageError("the secure layer needs format version 13 or later");
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
  // A summary shows no pixels; a dump describes every picture.
  const Project project =
      LoadToolProject(input, std::filesystem::path(path).filename().string(), messages, nullptr,
                      command == "info" ? ToolPictures::kPacked : ToolPictures::kDecoded);
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

// The player a stand-alone file starts from: --player, else the stripped, size-optimised
// qlmplayer-bundle beside qmdtool, else the qlmplayer there. Says why when there is none.
std::optional<std::filesystem::path> BundlePlayer(const Options& options, std::ostream& err,
                                                  const ToolEnvironment& env) {
  std::error_code error;
  std::filesystem::path player;
  if (options.player) {
    player = *options.player;
  } else {
    player = env.executableDir / "qlmplayer-bundle";
    if (!std::filesystem::is_regular_file(player, error)) {
      player = env.executableDir / "qlmplayer";
    }
  }
  if (!std::filesystem::is_regular_file(player, error)) {
    err << "qmdtool: no player program at " << player.string()
        << (options.player ? "" : " (name one with --player PATH)") << "\n";
    return std::nullopt;
  }
  return player;
}

int RunBundle(const Options& options, std::ostream& out, std::ostream& err,
              const ToolEnvironment& env) {
  const std::string& documentPath = options.positional[0];
  const std::optional<std::filesystem::path> player = BundlePlayer(options, err, env);
  if (!player) {
    return kToolFailed;
  }
  std::error_code error;
  // The document must load, or the bundle would be a player that cannot start.
  const ToolInput input = ReadToolInput(documentPath);
  std::vector<std::string> messages;
  LoadToolProject(input, std::filesystem::path(documentPath).filename().string(), messages);
  PrintMessages(messages, err);

  const std::string identifier = env.newGuid ? env.newGuid() : NewGuid();
  const std::filesystem::path output = *options.output;
  WriteStandalone(*player, input.document.Span(), options.oneInstance, identifier, output);
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

int RunUnpack(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string& path = options.positional[0];
  const CodePage codePage(options.codePage.value_or("WINDOWS-1252"));
  if (options.codePage && codePage.Name() != *options.codePage) {
    err << "qmdtool: unknown code page " << *options.codePage << "\n";
    return kToolFailed;
  }
  const ToolInput input = ReadToolInput(path);
  std::vector<std::string> messages;
  const Project project =
      LoadToolProject(input, std::filesystem::path(path).filename().string(), messages, &codePage);
  PrintMessages(messages, err);
  DocumentForm form = DetectDocumentForm(input.document.Span(), project.version);
  form.codePage = codePage.Name();
  form.oneInstance = input.oneInstance;
  form.identifier = input.oneInstance ? input.identifier : std::string();
  const FolderFiles files = UnpackProject(project, form);
  WriteFolder(files, options.positional[1]);
  out << "Unpacked " << path << " (version " << project.version << ", " << project.pages.size()
      << " pages) into " << options.positional[1] << " (" << files.size() << " files)\n";
  return kToolOk;
}

// Keeps the reader's messages when a built document is read back.
class ListDialogs : public Dialogs {
 public:
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    messages.push_back(text);
    return idb::kOk;
  }
  std::vector<std::string> messages;
};

int RunBuild(const Options& options, std::ostream& out, std::ostream& err,
             const ToolEnvironment& env) {
  const std::filesystem::path dir = options.positional[0];
  FolderProject folder = ReadProjectFolder(dir);
  for (const FolderMessage& m : folder.warnings) {
    err << FormatFolderMessage({m.file, m.line, "warning: " + m.text}) << "\n";
  }
  if (!folder.errors.empty()) {
    for (const FolderMessage& m : folder.errors) {
      err << FormatFolderMessage(m) << "\n";
    }
    err << "qmdtool: " << folder.errors.size() << (folder.errors.size() == 1 ? " error" : " errors")
        << " in " << dir.string() << "; nothing written\n";
    return kToolFailed;
  }
  Project& project = folder.project;
  const DocumentForm& form = folder.form;
  const int32_t version = options.formatVersion.value_or(project.version);
  SecureLayer secure = options.secure ? SecureLayer::Packed : form.secure;
  const bool keepWrapper = !options.formatVersion && !options.secure && form.outerVersion != 0;
  if (secure != SecureLayer::None && version < 13 && !keepWrapper) {
    err << "qmdtool: warning: format version " << version
        << " has no secure layer; the document is written without it\n";
    secure = SecureLayer::None;
  }
  project.version = version;
  const Project stored = UndoReadConversions(project, version);
  std::vector<uint8_t> document;
  try {
    if (keepWrapper) {
      // A secure wrapper of another version than the project inside it.
      ArchiveWriter w;
      w.WriteString("Quillmark" + std::to_string(form.outerVersion));
      w.WriteU32(1);
      WriteCompressedBlock(w, WriteProject(stored, version), secure == SecureLayer::Packed);
      document = w.Take();
    } else {
      document = WriteProject(stored, version, secure);
    }
  } catch (const std::exception& e) {
    err << "qmdtool: " << dir.string() << ": " << e.what() << "; nothing written\n";
    return kToolFailed;
  }

  // Read the document back as the player will, so that nothing is lost unnoticed.
  ListDialogs dialogs;
  LoadContext ctx(dialogs);
  const CodePage codePage(form.codePage);
  ctx.codePage = &codePage;
  ctx.sourceName = std::filesystem::path(*options.output).filename().string();
  const LoadResult back = LoadProjectFromMemory(document, ctx);
  for (const std::string& m : dialogs.messages) {
    err << "qmdtool: warning: reading the document back: " << codePage.ToUtf8(m) << "\n";
  }
  if (!back.Ok()) {
    err << "qmdtool: the built document does not read back; nothing written\n";
    return kToolFailed;
  }
  const std::string difference = FirstDifference(project, back.project);
  if (!difference.empty()) {
    err << "qmdtool: warning: format version " << version << " does not hold everything in "
        << codePage.ToUtf8(difference) << "\n";
  }

  const std::filesystem::path output = *options.output;
  if (options.bundle) {
    const std::optional<std::filesystem::path> player = BundlePlayer(options, err, env);
    if (!player) {
      return kToolFailed;
    }
    std::error_code error;
    const bool oneInstance = options.oneInstance || form.oneInstance;
    std::string identifier = form.identifier;
    if (identifier.empty()) {
      identifier = env.newGuid ? env.newGuid() : NewGuid();
    }
    WriteStandalone(*player, document, oneInstance, identifier, output);
    using std::filesystem::perms;
    std::filesystem::permissions(output, perms::owner_exec | perms::group_exec | perms::others_exec,
                                 std::filesystem::perm_options::add, error);
  } else {
    WriteFileAtomically(output, document);
  }
  out << "Wrote " << output.string() << " (format version " << version << ", " << document.size()
      << " bytes of project" << (options.bundle ? ", stand-alone" : "") << ")\n";
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
  if (command == "--version" || command == "version") {
    out << "qmdtool " << QLM_VERSION << '\n';
    return kToolOk;
  }
  if (command == "check") {
    return RunScriptCheck(args, out, err);
  }
  if (command == "scan") {
    return RunScanCommand(args, out, err, env);
  }
  if (command == "archive")
    return RunArchiveCommand(args, out, err, env);
  if (command == "thumbnails") {
    return RunThumbnailCommand(args, out, err, env);
  }
  if (command != "info" && command != "dump" && command != "bundle" && command != "unpack" &&
      command != "build") {
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
    if (command == "unpack") {
      return RunUnpack(options, out, err);
    }
    if (command == "build") {
      return RunBuild(options, out, err, env);
    }
    return RunInfoOrDump(command, options, out, err);
  } catch (const std::exception& e) {
    err << "qmdtool: " << e.what() << "\n";
    return kToolFailed;
  }
}

}  // namespace qlm
