#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>
#include "../document/DocumentFixtures.h"

#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/StandaloneContainer.h"
#include "graphics/ImageCodec.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "support/ProjectFiles.h"
#include "support/RecordingDialogs.h"
#include "tools/ProjectFolder.h"
#include "tools/QmdTool.h"
#include "tools/StandaloneFile.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct ToolRun {
  int code = 0;
  std::string out;
  std::string err;
};

ToolRun Tool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  ToolEnvironment env;
  env.newGuid = [] { return std::string("{11111111-2222-3333-4444-555555555555}"); };
  const int code = RunQmdTool(args, out, err, env);
  return {code, out.str(), err.str()};
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
  const Bytes b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Every file of a folder by relative path.
std::map<std::string, Bytes> FolderContents(const fs::path& dir) {
  std::map<std::string, Bytes> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir).generic_string()] = ReadBytes(entry.path());
    }
  }
  return files;
}

Project Load(const fs::path& path) {
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  LoadResult result = test::LoadProjectFile(path, ctx);
  EXPECT_TRUE(result.Ok()) << path;
  EXPECT_TRUE(dialogs.boxes.empty()) << path;
  return result.project;
}

class ProjectFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("qlm-folder-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Path(const std::string& name) const { return root_ / name; }

  // A document written from `project`, unpacked into "name".
  fs::path Unpacked(const Project& project, const std::string& name, int32_t version = 29) {
    const fs::path doc = Path(name + ".qmd");
    EXPECT_TRUE(test::WriteProjectFile(doc, project, version));
    const ToolRun run = Tool({"unpack", doc.string(), Path(name).string()});
    EXPECT_EQ(run.code, kToolOk) << run.err;
    return Path(name);
  }

  fs::path root_;
};

// ---- round trips --------------------------------------------------------------------------

struct RoundTripCase {
  int32_t version;
  SecureLayer secure;
};

class FolderRoundTrip : public ProjectFolderTest,
                        public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(FolderRoundTrip, UnpackBuildReadsBackTheSameAndUnpacksToTheSameFolder) {
  const auto [version, secure] = GetParam();
  const fs::path original = Path("original.qmd");
  ASSERT_TRUE(test::WriteProjectFile(original, test::RichProject(), version, secure));
  const Project read = Load(original);

  ToolRun run = Tool({"unpack", original.string(), Path("a").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  run = Tool({"build", Path("a").string(), "-o", Path("rebuilt.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Load(Path("rebuilt.qmd")) == read);

  run = Tool({"unpack", Path("rebuilt.qmd").string(), Path("b").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_EQ(FolderContents(Path("a")), FolderContents(Path("b")));
  // The secure layer is kept as it was stored.
  const Project rebuilt = Load(Path("rebuilt.qmd"));
  EXPECT_EQ(DetectDocumentForm(ReadBytes(Path("rebuilt.qmd")), rebuilt.version).secure, secure);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FolderRoundTrip,
    ::testing::Values(RoundTripCase{2, SecureLayer::None}, RoundTripCase{12, SecureLayer::None},
                      RoundTripCase{13, SecureLayer::Stored}, RoundTripCase{22, SecureLayer::None},
                      RoundTripCase{24, SecureLayer::Packed}, RoundTripCase{29, SecureLayer::None},
                      RoundTripCase{29, SecureLayer::Packed}));

TEST_F(ProjectFolderTest, FolderHoldsImagesScriptsAndBlocksAsFiles) {
  const fs::path dir = Unpacked(test::RichProject(), "rich");
  const auto files = FolderContents(dir);
  for (const char* name :
       {"project.json", "pages/01-First/background.png", "pages/04-Fourth/background.png",
        "pages/01-First/data.bin", "sounds/01-click", "sounds/02-music.mid", "window-mask.bin",
        "backdrop.png", "pages/01-First/16-Obj16.animation.gif",
        "pages/01-First/02-Obj2.metafile.emf", "pages/01-First/02-Obj2.state1.png",
        "pages/01-First/02-Obj2.state2.png"}) {
    EXPECT_TRUE(files.count(name)) << name;
  }
  EXPECT_EQ(files.at("sounds/02-music.mid"), (Bytes{'M', 'T', 'h', 'd', 0, 0}));
  // The stored PNG file of an encoded background is kept as it was.
  const Project read = Load(Path("rich.qmd"));
  EXPECT_EQ(files.at("pages/04-Fourth/background.png"), read.pages[3].image.encoded);
}

TEST_F(ProjectFolderTest, EveryImageFormSurvives) {
  Project p = test::RichProject();
  const Bytes jpeg = EncodeJpeg(test::Gradient(8, 6, 1));
  p.settings.backdropImage = {ImageForm::Encoded, {}, jpeg, {}};
  ObjectRecord& o = p.pages[0].objects[2];  // an image object
  o.stateImages[1] = test::MarkedImage(1, ImageForm::Encoded, 0, 0, 0);
  o.stateImages[1].stored.data.encoded = jpeg;
  o.stateImages[2] = test::MarkedImage(1, ImageForm::Raw, 3, 3, 7);
  // Method 0 keeps any number of bytes, also fewer than its size asks for.
  o.stateImages[3] = test::MarkedImage(0, ImageForm::Raw, 5, 5, 2);
  o.stateImages[3].stored.data.image.pixels.resize(10);
  p.pages[1].image = {ImageForm::Encoded, {}, jpeg, {}};
  const fs::path dir = Unpacked(p, "images");
  const auto files = FolderContents(dir);
  EXPECT_EQ(files.at("backdrop.jpg"), jpeg);
  EXPECT_EQ(files.at("pages/01-First/03-Obj3.state1.jpg"), jpeg);
  EXPECT_EQ(files.at("pages/02-Second/background.jpg"), jpeg);
  EXPECT_EQ(files.at("pages/01-First/03-Obj3.state3.raw").size(), 10u);

  const ToolRun run = Tool({"build", dir.string(), "-o", Path("out.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Load(Path("out.qmd")) == Load(Path("images.qmd")));
}

TEST_F(ProjectFolderTest, ScriptsBecomeSourceTextThatCompilesBackExactly) {
  const std::string source =
      "a=1\n"
      "If (a=1) Then\n"
      "Hide(\"Logo\")\n"
      "else\n"
      "Message(\"Title\",\"Say \"hi\" twice\")\n"
      "end\n"
      "For i=1 To 3\n"
      "Next i\n"
      "/* a block\n"
      "comment line\n"
      "closing */\n"
      "** marked line\n"
      "NextPage()\n";
  Project p;
  PageRecord page;
  page.name = "Only";
  EvaluatorSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  ASSERT_TRUE(compiler.CompileScript(page.enterScript, source, true));
  page.enterScript.ifBalance = 0;
  // A statement with a reserved field set cannot be written as source: its script stays in
  // the project file.
  ScriptStatement odd = page.enterScript.statements[0];
  odd.arg4 = "kept";
  page.exitScript.statements = {odd};
  p.pages.push_back(page);
  p.storedPageCount = 1;

  const fs::path dir = Unpacked(p, "scripts");
  EXPECT_EQ(ReadText(dir / "pages/01-Only/enter.txt"), source);
  EXPECT_FALSE(fs::exists(dir / "pages/01-Only/exit.txt"));
  EXPECT_NE(ReadText(dir / "project.json").find("\"arg4\": \"kept\""), std::string::npos);

  const ToolRun run = Tool({"build", dir.string(), "-o", Path("out.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_TRUE(Load(Path("out.qmd")) == Load(Path("scripts.qmd")));

  // Edited on another system: a byte-order mark and CR LF line ends compile the same.
  std::string edited = "\xEF\xBB\xBF";
  for (char c : source) {
    edited += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  WriteText(dir / "pages/01-Only/enter.txt", edited);
  ASSERT_EQ(Tool({"build", dir.string(), "-o", Path("edited.qmd").string()}).code, kToolOk);
  EXPECT_EQ(ReadBytes(Path("edited.qmd")), ReadBytes(Path("out.qmd")));
}

TEST_F(ProjectFolderTest, TextsOutsideTheCodePageKeepTheirBytes) {
  Project p;
  PageRecord page;
  page.name = "Caf\xE9";            // Windows-1252: UTF-8 in the project file
  page.pageText = "odd \x81 byte";  // not a Windows-1252 character: kept as hex
  p.pages.push_back(page);
  p.storedPageCount = 1;
  const fs::path dir = Unpacked(p, "texts");
  const std::string json = ReadText(dir / "project.json");
  EXPECT_NE(json.find("\"Caf\xC3\xA9\""), std::string::npos);
  EXPECT_NE(json.find("\"hex\": \"6f646420812062797465\""), std::string::npos) << json;
  ASSERT_EQ(Tool({"build", dir.string(), "-o", Path("out.qmd").string()}).code, kToolOk);
  EXPECT_TRUE(Load(Path("out.qmd")) == Load(Path("texts.qmd")));
}

TEST_F(ProjectFolderTest, BuildChangesVersionAndMakesStandaloneFiles) {
  const fs::path dir = Unpacked(test::RichProject(), "rich");
  // Down to version 12: what version 12 stores survives, and the tool says that something
  // does not fit.
  ToolRun run =
      Tool({"build", dir.string(), "-o", Path("v12.qmd").string(), "--format-version", "12"});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_NE(run.err.find("format version 12 does not hold everything"), std::string::npos);
  EXPECT_EQ(Load(Path("v12.qmd")).version, 12);

  WriteText(Path("player"), "#!/bin/sh\nexit 0\n");
  run = Tool({"build", dir.string(), "-o", Path("show").string(), "--secure", "--bundle",
              "--one-instance", "--player", Path("player").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  const StandaloneReadResult container = ReadStandaloneContainer(Path("show"));
  ASSERT_EQ(container.status, StandaloneStatus::kOk) << container.message;
  EXPECT_TRUE(container.container->oneInstance);
  EXPECT_EQ(container.container->identifier, "{11111111-2222-3333-4444-555555555555}");
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  EXPECT_TRUE(LoadProjectFromMemory(container.container->Project(), ctx).project ==
              Load(Path("rich.qmd")));

  // A one-instance file unpacks with its identifier, and bundling the folder again keeps it.
  run = Tool({"unpack", Path("show").string(), Path("from-show").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_NE(ReadText(Path("from-show/project.json"))
                .find("\"identifier\": \"{11111111-2222-3333-4444-555555555555}\""),
            std::string::npos);
  EXPECT_NE(ReadText(Path("from-show/project.json")).find("\"secure\": \"packed\""),
            std::string::npos);
}

TEST_F(ProjectFolderTest, UnpackRefusesAFolderThatHoldsFiles) {
  WriteText(Path("busy/keep.txt"), "mine");
  Project p;
  ASSERT_TRUE(test::WriteProjectFile(Path("p.qmd"), p, 29));
  const ToolRun run = Tool({"unpack", Path("p.qmd").string(), Path("busy").string()});
  EXPECT_EQ(run.code, kToolFailed);
  EXPECT_NE(run.err.find("not an empty folder"), std::string::npos);
  EXPECT_EQ(FolderContents(Path("busy")).size(), 1u);
}

// ---- folder errors ------------------------------------------------------------------------

struct FolderErrorCase {
  const char* name;
  std::function<void(const fs::path&)> damage;
  std::string expected;  // a line of the error output
};

class FolderErrors : public ProjectFolderTest,
                     public ::testing::WithParamInterface<FolderErrorCase> {};

// A folder whose project file has a known layout: the page's enter script on one line.
const char* kSmallProject = R"({
  "codePage": "WINDOWS-1252",
  "version": 29,
  "settings": {"title": "Small", "clientWidth": 640, "clientHeight": 480},
  "pages": [
    {
      "name": "One",
      "hasImage": 1,
      "image": {"form": "zlib", "file": "one.png"},
      "enterScript": "one.txt",
      "objects": [
        {"name": "T", "typeCode": 1, "rect": [0, 0, 10, 10], "text": "Hi"}
      ]
    }
  ]
}
)";

Bytes EncodePngForTest() {
  return EncodePng(test::Gradient(4, 3));
}

void Replace(const fs::path& file, const std::string& from, const std::string& to) {
  std::string text = ReadText(file);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  WriteText(file, text);
}

TEST_P(FolderErrors, NameFileAndLineAndWriteNothing) {
  const fs::path dir = Path("small");
  WriteText(dir / "project.json", kSmallProject);
  WriteText(dir / "one.txt", "a=1\nHide(\"T\")\n");
  const Bytes png = EncodePngForTest();
  std::ofstream(dir / "one.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  ToolRun run = Tool({"build", dir.string(), "-o", Path("out.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  ASSERT_EQ(run.err, "");
  fs::remove(Path("out.qmd"));

  GetParam().damage(dir);
  run = Tool({"build", dir.string(), "-o", Path("out.qmd").string()});
  EXPECT_EQ(run.code, kToolFailed);
  const std::string expected = (dir / GetParam().expected).string();
  EXPECT_NE(run.err.find(expected), std::string::npos) << run.err << "\nexpected: " << expected;
  EXPECT_NE(run.err.find("nothing written"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Path("out.qmd")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderErrors,
    ::testing::Values(
        FolderErrorCase{"MissingImage", [](const fs::path& d) { fs::remove(d / "one.png"); },
                        "project.json:9: /pages/0/image/file: cannot read"},
        FolderErrorCase{
            "ImageOutsideTheFolder",
            [](const fs::path& d) { Replace(d / "project.json", "one.png", "../one.png"); },
            "project.json:9: /pages/0/image/file: file name \"../one.png\" must be a "
            "path inside the project folder"},
        FolderErrorCase{"NotAnImage", [](const fs::path& d) { WriteText(d / "one.png", "text"); },
                        "project.json:9: /pages/0/image/file: not a PNG, JPEG or TIFF file"},
        FolderErrorCase{
            "ScriptDoesNotCompile",
            [](const fs::path& d) { WriteText(d / "one.txt", "a=1\n\nHidde(\"T\")\n"); },
            "one.txt:3: Unknown function hidde\nHidde(\"T\")"},
        FolderErrorCase{"ScriptBadExpression",
                        [](const fs::path& d) { WriteText(d / "one.txt", "If (a=) Then\nend\n"); },
                        "one.txt:1: "},
        FolderErrorCase{"ScriptUnbalanced",
                        [](const fs::path& d) { WriteText(d / "one.txt", "If (a=1) Then\n"); },
                        "one.txt: Expected 'End' \nYou have more 'If' than 'End' commands."},
        FolderErrorCase{"ScriptNotUtf8",
                        [](const fs::path& d) { WriteText(d / "one.txt", "a=1\nb$=\"\xE9\"\n"); },
                        "one.txt:2: not UTF-8"},
        FolderErrorCase{
            "TextOutsideTheCodePage",
            [](const fs::path& d) { Replace(d / "project.json", "\"Hi\"", "\"\xE6\x97\xA5\""); },
            "project.json:12: /pages/0/objects/0/text: the character \xE6\x97\xA5 does "
            "not exist in code page WINDOWS-1252"},
        FolderErrorCase{
            "UnknownKey",
            [](const fs::path& d) { Replace(d / "project.json", "\"text\"", "\"txet\""); },
            "project.json:12: /pages/0/objects/0/txet: unknown key \"txet\""},
        FolderErrorCase{"WrongType",
                        [](const fs::path& d) {
                          Replace(d / "project.json", "\"clientWidth\": 640",
                                  "\"clientWidth\": \"640\"");
                        },
                        "project.json:4: /settings/clientWidth: expected an integer"},
        FolderErrorCase{
            "KindDoesNotMatch",
            [](const fs::path& d) {
              Replace(d / "project.json", "\"typeCode\": 1",
                      "\"typeCode\": 1, \"kind\": \"button\"");
            },
            "project.json:12: /pages/0/objects/0/kind: type code 1 is the kind \"text\""},
        FolderErrorCase{
            "JsonSyntax",
            [](const fs::path& d) { Replace(d / "project.json", "\"One\",", "\"One\""); },
            "project.json:8: JSON: "}),
    [](const auto& param) { return std::string(param.param.name); });

// ---- the demo -----------------------------------------------------------------------------

TEST_F(ProjectFolderTest, DemoBuildsWithoutMessagesAndRoundTrips) {
  const fs::path demo = fs::path(QLM_SOURCE_DIR) / "examples/demo";
  ToolRun run = Tool({"build", demo.string(), "-o", Path("demo.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_EQ(run.err, "");
  const Project demoProject = Load(Path("demo.qmd"));
  EXPECT_GE(demoProject.pages.size(), 3u);
  EXPECT_FALSE(demoProject.masterPage.objects.empty());
  EXPECT_FALSE(demoProject.masterLayer.objects.empty());

  run = Tool({"unpack", Path("demo.qmd").string(), Path("demo").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  run = Tool({"build", Path("demo").string(), "-o", Path("again.qmd").string()});
  ASSERT_EQ(run.code, kToolOk) << run.err;
  EXPECT_EQ(ReadBytes(Path("again.qmd")), ReadBytes(Path("demo.qmd")));
}

}  // namespace
}  // namespace qlm

namespace qlm {
namespace {

// The demo played headless by the real player: its page changes, enter script and click
// scripts run, and it shows no message box on the way.
TEST_F(ProjectFolderTest, DemoPlaysHeadlessThroughItsPages) {
  const fs::path player = fs::path(QLM_BINARY_DIR) / "qlmplayer";
  if (!fs::exists(player)) {
    GTEST_SKIP() << "qlmplayer is not built";
  }
  const fs::path demo = fs::path(QLM_SOURCE_DIR) / "examples/demo";
  ASSERT_EQ(Tool({"build", demo.string(), "-o", Path("demo.qmd").string()}).code, kToolOk);
  // Buttons of the Master Page (Next at 520,458), the arrow-key shortcuts of the Master Layer
  // and the click scripts of the Scripts page.
  WriteText(Path("events.txt"),
            "wait 200\n"
            "click 520 458\n"
            "wait 200\n"
            "move 330 220\n"
            "wait 200\n"
            "dump\n"
            "key RIGHT\n"
            "wait 200\n"
            "click 160 118\n"
            "click 160 118\n"
            "click 160 168\n"
            "wait 200\n"
            "dump\n"
            "click 520 458\n"
            "wait 200\n"
            "screenshot " +
                Path("pictures.png").string() +
                "\n"
                "key LEFT\n"
                "wait 200\n"
                "dump\n"
                "quit\n");
  const std::string command = player.string() + " --headless --events " +
                              Path("events.txt").string() + " " + Path("demo.qmd").string() +
                              " > " + Path("out.jsonl").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(Path("out.jsonl"));

  std::vector<std::string> pages;
  std::vector<nlohmann::json> states;
  std::istringstream lines(ReadText(Path("out.jsonl")));
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json event = nlohmann::json::parse(line);
    EXPECT_NE(event["event"], "messagebox") << line;
    if (event["event"] == "page") {
      pages.push_back(event["name"]);
    } else if (event["event"] == "state") {
      states.push_back(event);
    }
  }
  EXPECT_EQ(pages,
            (std::vector<std::string>{"Welcome", "Shapes", "Scripts", "Pictures", "Scripts"}));
  ASSERT_EQ(states.size(), 3u);
  // Pointing at the mouse-over button showed its hidden target.
  int secretShown = 0;
  for (const auto& object : states[0]["objects"]) {
    secretShown += object["name"] == "Secret" && object["hidden"] == false;
  }
  EXPECT_EQ(secretShown, 1);
  EXPECT_EQ(states[1]["vars"]["visits"], 1);
  EXPECT_EQ(states[2]["vars"]["visits"], 2);  // the enter script ran again
  EXPECT_EQ(states[2]["vars"]["total"], 55);
  EXPECT_EQ(states[2]["vars"]["count"], 2);
  std::map<std::string, std::string> texts;
  for (const auto& object : states[1]["objects"]) {
    texts[object["name"]] = object["text"];
  }
  EXPECT_EQ(texts["CBK_PageName"], "Scripts");
  EXPECT_TRUE(fs::exists(Path("pictures.png")));
}

}  // namespace
}  // namespace qlm
