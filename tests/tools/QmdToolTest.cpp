#include "tools/QmdTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "document/ProjectWriter.h"
#include "document/StandaloneContainer.h"
#include "graphics/ImageCodec.h"
#include "tools/Guid.h"
#include "tools/StandaloneFile.h"

namespace qlm {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

ScriptStatement Statement(int32_t code, std::string arg1, std::string arg2) {
  ScriptStatement s;
  s.code = code;
  s.arg1 = std::move(arg1);
  s.arg2 = std::move(arg2);
  return s;
}

ObjectRecord Object(int32_t type, std::string name) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = type;
  o.name = std::move(name);
  o.rect = {10, 20, 110, 60};
  return o;
}

// A small project with Windows-1252 text, scripts, an encoded background and an embedded file.
Project SampleProject() {
  Project p;
  p.settings.title = "Caf\xE9 tour";
  p.settings.clientWidth = 640;
  p.settings.clientHeight = 480;
  p.settings.windowMode = 1;
  p.settings.showTitleBar = 0;

  PageRecord intro;
  intro.name = "Intro";
  intro.objects = {Object(kObjText, "Heading"), Object(kObjButton, "Next"),
                   Object(kObjText, "Caption")};
  intro.objects[0].text = "Na\xEFve";
  intro.enterScript.statements = {Statement(KindAssign, "", "a=1"),
                                  Statement(KindCommentLine, "", "' hello")};
  PageRecord gallery;
  gallery.name = "Gallery";
  gallery.hasImage = 1;
  gallery.image.form = ImageForm::Encoded;
  Image24 picture{4, 3, Bytes(4 * 3 * 3, 0x40)};
  gallery.image.image = picture;
  gallery.image.encoded = EncodePng(picture);
  p.pages = {intro, gallery};
  p.storedPageCount = 2;
  p.masterLayer.objects = {Object(kObjHotSpot, "Exit")};

  EmbeddedSound sound;
  sound.kind = 10;
  sound.name = "click.wav";
  sound.data.bytes = {'R', 'I', 'F', 'F', 0};
  p.sounds = {sound};
  return p;
}

class QmdToolTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("qlm_qmdtool_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    env_.executableDir = dir_;
    env_.newGuid = [] { return std::string("{11111111-2222-4333-8444-555555555555}"); };
    document_ = WriteProject(SampleProject(), 29);
    documentPath_ = Write("show.qmd", document_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const Bytes& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunQmdTool(args, out_, err_, env_);
  }

  fs::path dir_;
  ToolEnvironment env_;
  Bytes document_;
  fs::path documentPath_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(QmdToolTest, InfoSummarisesDocument) {
  ASSERT_EQ(Run({"info", documentPath_.string()}), kToolOk) << err_.str();
  const std::string text = out_.str();
  for (const char* line : {
           "Container: document, ",
           "\nFormat version: 29\n",
           "\nTitle: \"Caf\xC3\xA9 tour\"\n",
           "\nClient size: 640 x 480\n",
           "\nWindow: always on top, title bar no,",
           "\nPages: 2\n",
           "\n  1. \"Intro\": 3 objects (1 button, 2 text), enter script 2 lines\n",
           "\n  2. \"Gallery\": 0 objects, background image 4 x 3 PNG\n",
           "\nMaster Layer: 1 object (1 hot spot)\n",
           "\nEmbedded files: 1\n  \"click.wav\": kind 10, 5 bytes\n",
       }) {
    EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "\nin:\n" << text;
  }
  EXPECT_EQ(err_.str(), "");
}

TEST_F(QmdToolTest, DumpGivesEveryFieldAsJson) {
  ASSERT_EQ(Run({"dump", documentPath_.string()}), kToolOk) << err_.str();
  const auto json = nlohmann::json::parse(out_.str());
  EXPECT_EQ(json["version"], 29);
  EXPECT_EQ(json["settings"]["title"], "Caf\xC3\xA9 tour");
  EXPECT_EQ(json["settings"]["windowMode"], 1);
  EXPECT_EQ(json["container"]["standalone"], false);
  ASSERT_EQ(json["pages"].size(), 2u);
  const auto& intro = json["pages"][0];
  EXPECT_EQ(intro["name"], "Intro");
  ASSERT_EQ(intro["objects"].size(), 3u);
  EXPECT_EQ(intro["objects"][0]["kind"], "text");
  EXPECT_EQ(intro["objects"][0]["text"], "Na\xC3\xAFve");
  EXPECT_EQ(intro["objects"][1]["rect"], nlohmann::json({10, 20, 110, 60}));
  ASSERT_EQ(intro["enterScript"].size(), 2u);
  EXPECT_EQ(intro["enterScript"][0]["kind"], "assign");
  EXPECT_EQ(intro["enterScript"][0]["arg2"], "a=1");
  EXPECT_EQ(intro["enterScript"][1]["kind"], "comment");
  const auto& image = json["pages"][1]["image"];
  EXPECT_EQ(image["format"], "PNG");
  EXPECT_EQ(image["width"], 4);
  EXPECT_EQ(image["height"], 3);
  EXPECT_EQ(json["masterLayer"]["objects"][0]["name"], "Exit");
  EXPECT_EQ(json["sounds"][0]["name"], "click.wav");
  EXPECT_EQ(json["sounds"][0]["data"]["bytes"], 5);

  // Another code page reads the same bytes differently.
  ASSERT_EQ(Run({"dump", documentPath_.string(), "--codepage", "CP1251"}), kToolOk);
  EXPECT_EQ(nlohmann::json::parse(out_.str())["settings"]["title"], "Caf\xD0\xB9 tour");
}

TEST_F(QmdToolTest, BundleReadsBackThroughContainerAndInfo) {
  const Bytes player = {'\x7F', 'E', 'L', 'F', 1, 2, 3};
  const fs::path playerPath = Write("custom-player", player);
  const fs::path out = dir_ / "show.exe";
  ASSERT_EQ(Run({"bundle", documentPath_.string(), "-o", out.string(), "--one-instance", "--player",
                 playerPath.string()}),
            kToolOk)
      << err_.str();

  const auto read = ReadStandaloneContainer(out);
  ASSERT_EQ(read.status, StandaloneStatus::kOk) << read.message;
  EXPECT_TRUE(read.container->oneInstance);
  EXPECT_EQ(read.container->identifier, "{11111111-2222-4333-8444-555555555555}");
  EXPECT_EQ(Bytes(read.container->Project().begin(), read.container->Project().end()), document_);
  EXPECT_NE(fs::status(out).permissions() & fs::perms::owner_exec, fs::perms::none);
  {
    std::ifstream in(out, std::ios::binary);
    Bytes head(player.size());
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, player);
  }

  ASSERT_EQ(Run({"info", out.string()}), kToolOk) << err_.str();
  EXPECT_NE(out_.str().find("Container: stand-alone executable, player 7 bytes, project " +
                            std::to_string(document_.size()) + " bytes\n"),
            std::string::npos)
      << out_.str();
  EXPECT_NE(out_.str().find("One instance: yes, identifier {11111111-2222-4333-8444-555555555555}"),
            std::string::npos);
  EXPECT_NE(out_.str().find("\"Intro\": 3 objects"), std::string::npos);

  ASSERT_EQ(Run({"dump", out.string()}), kToolOk) << err_.str();
  const auto json = nlohmann::json::parse(out_.str());
  EXPECT_EQ(json["container"]["standalone"], true);
  EXPECT_EQ(json["container"]["oneInstance"], true);
  EXPECT_EQ(json["pages"][1]["name"], "Gallery");

  // A stand-alone file can be bundled again; without --one-instance there is no marker.
  const fs::path again = dir_ / "again.exe";
  ASSERT_EQ(Run({"bundle", out.string(), "-o", again.string(), "--player", playerPath.string()}),
            kToolOk)
      << err_.str();
  const auto reread = ReadStandaloneContainer(again);
  ASSERT_EQ(reread.status, StandaloneStatus::kOk);
  EXPECT_FALSE(reread.container->oneInstance);
  EXPECT_EQ(Bytes(reread.container->block.begin(), reread.container->block.end()), document_);
}

// A stand-alone file starts with the player it was made from.
char FirstByte(const fs::path& path) {
  char c = 0;
  std::ifstream(path, std::ios::binary).get(c);
  return c;
}

TEST_F(QmdToolTest, BundleFindsDefaultPlayerBesideTool) {
  const fs::path out = dir_ / "show.exe";
  EXPECT_EQ(Run({"bundle", documentPath_.string(), "-o", out.string()}), kToolFailed);
  EXPECT_NE(err_.str().find("no player program at " + (dir_ / "qlmplayer").string()),
            std::string::npos)
      << err_.str();
  EXPECT_FALSE(fs::exists(out));

  Write("qlmplayer", {'P'});
  ASSERT_EQ(Run({"bundle", documentPath_.string(), "-o", out.string()}), kToolOk) << err_.str();
  EXPECT_TRUE(IsStandaloneFile(out));
  EXPECT_EQ(FirstByte(out), 'P');

  // The size-optimised player beside the tool wins over the plain one, for bundle and build.
  Write("qlmplayer-bundle", {'S'});
  ASSERT_EQ(Run({"bundle", documentPath_.string(), "-o", out.string()}), kToolOk) << err_.str();
  EXPECT_EQ(FirstByte(out), 'S');
  const fs::path folder = dir_ / "folder";
  ASSERT_EQ(Run({"unpack", documentPath_.string(), folder.string()}), kToolOk) << err_.str();
  ASSERT_EQ(Run({"build", folder.string(), "-o", out.string(), "--bundle"}), kToolOk) << err_.str();
  EXPECT_EQ(FirstByte(out), 'S');
  // --player still names any other.
  ASSERT_EQ(Run({"bundle", documentPath_.string(), "-o", out.string(), "--player",
                 (dir_ / "qlmplayer").string()}),
            kToolOk)
      << err_.str();
  EXPECT_EQ(FirstByte(out), 'P');
}

TEST_F(QmdToolTest, FailuresExplainThemselves) {
  Write("qlmplayer", {'P'});
  const fs::path notQmd = Write("notes.txt", {'h', 'e', 'l', 'l', 'o', '\n'});
  Bytes badLength = BuildStandalone(Bytes{'P'}, document_, false, "");
  badLength[badLength.size() - 4] ^= 1;
  const fs::path badStandalone = Write("bad.exe", badLength);
  Bytes truncated(document_.begin(), document_.begin() + document_.size() / 2);
  const fs::path cut = Write("cut.qmd", truncated);
  const fs::path out = dir_ / "out.exe";

  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"info", (dir_ / "missing.qmd").string()}, "qmdtool: Cannot Open "},
      {{"info", notQmd.string()}, "qmdtool: The file notes.txt is not a QMD file!"},
      {{"dump", badStandalone.string()}, "qmdtool: Corrupted stand-alone file (2)"},
      {{"dump", cut.string()}, "qmdtool: The file cut.qmd is damaged"},
      {{"bundle", notQmd.string(), "-o", out.string()}, "is not a QMD file!"},
      {{"bundle", cut.string(), "-o", out.string()}, "damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    EXPECT_EQ(Run(c.args), kToolFailed);
    EXPECT_NE(err_.str().find(c.error), std::string::npos) << err_.str();
    EXPECT_EQ(out_.str(), "");
  }
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(QmdToolTest, UsageErrors) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", "a", "b"},
      {"dump", "--bogus", "x"},
      {"bundle", "doc"},
      {"bundle", "doc", "-o"},
      {"info", "x", "--one-instance"},
  };
  for (const auto& args : wrong) {
    EXPECT_EQ(Run(args), kToolUsage) << (args.empty() ? "" : args[0]);
    EXPECT_NE(err_.str().find("Usage: qmdtool"), std::string::npos);
  }
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"help"}, {"bundle", "--help"}}) {
    EXPECT_EQ(Run(args), kToolOk);
    EXPECT_NE(out_.str().find("bundle DOCUMENT -o OUT [--one-instance] [--player PATH]"),
              std::string::npos);
  }
}

TEST(Guid, RegistryFormVersionFour) {
  std::array<uint8_t, 16> bytes{};
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(0xF0 + i);
  EXPECT_EQ(FormatGuid(bytes), "{F0F1F2F3-F4F5-46F7-B8F9-FAFBFCFDFEFF}");
  const std::string a = NewGuid();
  const std::string b = NewGuid();
  EXPECT_TRUE(IsRegistryGuid(a)) << a;
  EXPECT_EQ(a.size(), 38u);
  EXPECT_EQ(a[15], '4');
  EXPECT_NE(a, b);
  EXPECT_FALSE(IsRegistryGuid("{F0F1F2F3-F4F5-46F7-B8F9-FAFBFCFDFEF}"));
  EXPECT_FALSE(IsRegistryGuid("(F0F1F2F3-F4F5-46F7-B8F9-FAFBFCFDFEFF)"));
}

// The installed program runs the same code: exit codes and output reach the shell.
TEST(QmdToolProgram, RunsFromTheShell) {
  const std::string tool = QMDTOOL_PATH;
  EXPECT_EQ(std::system((tool + " --help > /dev/null").c_str()), 0);
  // --version names the tool and the version it was built as.
  FILE* pipe = popen((tool + " --version").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[128] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_TRUE(read);
  EXPECT_EQ(std::string(line), std::string("qmdtool ") + QLM_TEST_VERSION + "\n");
  const int status = std::system((tool + " frobnicate 2> /dev/null").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kToolUsage);
}

#ifdef QLMPLAYER_BUNDLE_PATH
std::string SlurpFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The built tool bundles with the stripped, size-optimised player beside it by default, and the
// stand-alone file plays the demo headless.
TEST(QmdToolProgram, BundlesWithTheSizeOptimisedPlayerWhichPlays) {
  const fs::path dir = fs::path(testing::TempDir()) / ("qlm_bundle_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "home");
  const std::string tool = QMDTOOL_PATH;
  const std::string d = dir.string();
  const std::string make = tool + " build '" + QLM_SOURCE_DIR + "/examples/demo' -o '" + d +
                           "/demo.qmd' >/dev/null && " + tool + " bundle '" + d +
                           "/demo.qmd' -o '" + d + "/show' >/dev/null";
  ASSERT_EQ(std::system(make.c_str()), 0);

  const std::string player = SlurpFile(QLMPLAYER_BUNDLE_PATH);
  const std::string bundle = SlurpFile(dir / "show");
  ASSERT_GT(bundle.size(), player.size());
  EXPECT_TRUE(bundle.compare(0, player.size(), player) == 0) << "not made from the bundle player";
  // Stripped and without debug information, unlike the player of the main build.
  const std::string sections =
      "readelf -S -W '" + std::string(QLMPLAYER_BUNDLE_PATH) + "' > '" + d + "/sections.txt'";
  ASSERT_EQ(std::system(sections.c_str()), 0);
  const std::string table = SlurpFile(dir / "sections.txt");
  EXPECT_NE(table.find(" .text "), std::string::npos) << table;
  EXPECT_EQ(table.find(" .symtab "), std::string::npos) << table;
  EXPECT_EQ(table.find(" .debug_info "), std::string::npos) << table;

  std::ofstream(dir / "events.txt") << "wait 200\nscreenshot " << d << "/shot.png\nquit\n";
  const std::string play = "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + d +
                           "/home' XDG_CONFIG_HOME='" + d + "/home' XDG_DATA_HOME='" + d +
                           "/home' '" + d + "/show' --headless --events '" + d + "/events.txt' >'" +
                           d + "/out.jsonl' 2>&1 </dev/null";
  ASSERT_EQ(std::system(play.c_str()), 0) << SlurpFile(dir / "out.jsonl");
  const std::string out = SlurpFile(dir / "out.jsonl");
  EXPECT_NE(out.find(R"({"event":"page","name":"Welcome"})"), std::string::npos) << out;
  EXPECT_EQ(SlurpFile(dir / "shot.png").substr(1, 3), "PNG");
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace qlm
