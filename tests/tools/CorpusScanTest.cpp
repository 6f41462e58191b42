#include "tools/CorpusScan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "document/ProjectWriter.h"
#include "script/CommandCode.h"
#include "support/ShellCommand.h"
#include "support/TestFolder.h"
#include "tools/StandaloneFile.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

ObjectRecord Object(int32_t type, std::string name, std::string text = {}) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = type;
  o.name = std::move(name);
  o.text = std::move(text);
  o.rect = {0, 0, 50, 50};
  return o;
}

ScriptStatement Command(CommandCode code, std::string arg1, std::string arg2 = {}) {
  ScriptStatement s;
  s.code = static_cast<int32_t>(code);
  s.arg1 = std::move(arg1);
  s.arg2 = std::move(arg2);
  return s;
}

// Two pages: an MCI object and a plug-in that are on disk under other letter cases, a plug-in
// and a sound that are not, a video object, a program object the player does not run and a
// command that does nothing here.
Project RichProject() {
  Project p;
  PageRecord one;
  one.name = "One";
  one.objects = {Object(kObjMci, "Tune", "<SrcDir>\\Sounds\\INTRO.WAV"),
                 Object(kObjPlugIn, "Clock", "Clock.dll"), Object(kObjText, "Title", "Hello"),
                 Object(kObjMci, "Film", "<CD>\\VIDEO\\INTRO.AVI")};
  one.enterScript.statements = {Command(CommandCode::kVideoPlay, "Film"),
                                Command(CommandCode::kMessage, "Please see readme.txt"),
                                Command(CommandCode::kPlaySound, "One"),
                                Command(CommandCode::kPage, "Two")};
  PageRecord two;
  two.name = "Two";
  two.objects = {Object(kObjPlugIn, "Gauge", "Gauge.dll"), Object(kObjVideo, "Film"),
                 Object(kObjText, "Note", "Bye"), Object(kObjProgram, "Launcher")};
  two.objects[2].extended = true;  // only extended records store object scripts
  two.objects[2].scripts[2].statements = {Command(CommandCode::kMCICommand, "missing.wav"),
                                          Command(CommandCode::kMCICommand, "Name$")};
  p.pages = {one, two};
  return p;
}

class CorpusScanTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = test::MakeTestFolder("qlm_scan");
    fs::create_directories(root_ / "pile" / "sounds");
    fs::create_directories(root_ / "pile" / "plugins");
    fs::create_directories(root_ / "home");
    settings_.environment.home = root_ / "home";
    settings_.environment.xdgDataHome = root_ / "home" / "data";
    settings_.environment.tmpDir = root_ / "home";
    // The disc the presentation plays its video from, mounted as the first CD drive.
    settings_.mounts = {{'D', (root_ / "cd").string(), true}};
    settings_.folders.cd = "D:\\";
    Write("cd/Video/intro.avi", {'R', 'I', 'F', 'F'});

    const Bytes good = WriteProject(RichProject(), 29);
    Write("pile/good.qmd", good);
    Write("pile/sounds/Intro.wav", {'R', 'I', 'F', 'F'});
    Write("pile/plugins/libclock.so", {0x7f, 'E', 'L', 'F'});
    // A document without the .qmd name is found by its magic word.
    Write("pile/old/SHOW.DAT", WriteProject(Project{}, 12));
    // Cut short in the middle of the pages.
    Write("pile/damaged.qmd", Bytes(good.begin(), good.begin() + good.size() / 2));
    Write("pile/player.bin", Bytes(4096, 0x90));
    WriteStandalone(root_ / "pile/player.bin", good, true, "{11111111-2222-4333-8444-555555555555}",
                    root_ / "pile/KIOSK.EXE");
    // A stand-alone trailer whose length reaches before the start of the file.
    Bytes broken = Read("pile/KIOSK.EXE");
    broken.erase(broken.begin(), broken.begin() + 4096 + 100);
    Write("pile/broken.exe", broken);
    Write("pile/readme.txt", {'h', 'i'});
    Write("pile/setup.exe", Bytes(64, 'M'));
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const Bytes& bytes) {
    fs::create_directories((root_ / name).parent_path());
    std::ofstream(root_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  Bytes Read(const std::string& name) {
    std::ifstream in(root_ / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::vector<PresentationReport> Scan(std::vector<std::string> roots, size_t workers) {
    std::vector<std::string> problems;
    const auto candidates = ListScanCandidates(roots, problems);
    EXPECT_TRUE(problems.empty());
    return ScanCandidates(candidates, settings_, workers);
  }

  static const PresentationReport& Named(const std::vector<PresentationReport>& reports,
                                         const std::string& name) {
    for (const PresentationReport& r : reports) {
      if (fs::path(r.file).filename() == name)
        return r;
    }
    ADD_FAILURE() << "no report for " << name;
    static const PresentationReport none;
    return none;
  }

  fs::path root_;
  ScanSettings settings_;
};

TEST_F(CorpusScanTest, FindsEveryPresentationAndSummarisesThePile) {
  const auto reports = Scan({(root_ / "pile").string()}, 4);
  std::vector<std::string> names;
  for (const PresentationReport& r : reports)
    names.push_back(fs::path(r.file).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"KIOSK.EXE", "broken.exe", "damaged.qmd", "good.qmd",
                                             "SHOW.DAT"}));

  const ScanSummary summary = Summarize(reports);
  EXPECT_EQ(summary.presentations, 5u);
  EXPECT_EQ(summary.ok, 3u);
  EXPECT_EQ(summary.damaged, 2u);
  EXPECT_EQ(summary.standalone, 2u);
  EXPECT_EQ(summary.withMissingFiles, 2u);
  EXPECT_EQ(summary.withUnsupported, 2u);
  EXPECT_EQ(summary.unsupported.at("command PlaySound"), 2u);

  const PresentationReport& damaged = Named(reports, "damaged.qmd");
  EXPECT_FALSE(damaged.ok);
  EXPECT_FALSE(damaged.error.empty());
  EXPECT_FALSE(Named(reports, "broken.exe").ok);
  EXPECT_TRUE(Named(reports, "broken.exe").standalone);

  const PresentationReport& kiosk = Named(reports, "KIOSK.EXE");
  EXPECT_TRUE(kiosk.ok);
  EXPECT_TRUE(kiosk.standalone);
  EXPECT_EQ(kiosk.identifier, "{11111111-2222-4333-8444-555555555555}");
  const PresentationReport& old = Named(reports, "SHOW.DAT");
  EXPECT_TRUE(old.ok);
  EXPECT_EQ(old.version, 12);
  EXPECT_TRUE(old.files.empty());
}

TEST_F(CorpusScanTest, ReportsKindsCommandsShortfallsAndFilesAsThePlayerFindsThem) {
  const PresentationReport r = ScanPresentation(root_ / "pile" / "good.qmd", settings_);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.version, 29);
  EXPECT_EQ(r.pages, 2u);
  EXPECT_FALSE(r.standalone);
  EXPECT_EQ(r.kinds,
            (std::map<std::string, int>{
                {"MCI media", 2}, {"plug-in", 2}, {"program", 1}, {"text", 2}, {"video", 1}}));
  EXPECT_EQ(
      r.commands,
      (std::map<std::string, int>{
          {"MCICommand", 2}, {"Message", 1}, {"Page", 1}, {"PlaySound", 1}, {"VideoPlay", 1}}));

  std::vector<std::string> unsupported;
  for (const UnsupportedUse& u : r.unsupported) {
    unsupported.push_back(u.what);
    EXPECT_FALSE(u.reason.empty()) << u.what;
  }
  EXPECT_EQ(unsupported, (std::vector<std::string>{"command PlaySound", "kind program"}));

  struct Expected {
    std::string reference;
    std::string role;
    bool present;
  };
  const Expected expected[] = {
      {"<SrcDir>\\Sounds\\INTRO.WAV", "media", true},  // sounds/Intro.wav
      {"Clock.dll", "plug-in", true},                  // plugins/libclock.so
      {"<CD>\\VIDEO\\INTRO.AVI", "media", true},       // on drive D:
      {"Gauge.dll", "plug-in", false},
      {"missing.wav", "media", false},
  };
  ASSERT_EQ(r.files.size(), std::size(expected));
  for (size_t i = 0; i < r.files.size(); ++i) {
    EXPECT_EQ(r.files[i].reference, expected[i].reference);
    EXPECT_EQ(r.files[i].role, expected[i].role) << expected[i].reference;
    EXPECT_EQ(r.files[i].present, expected[i].present) << expected[i].reference;
  }
  EXPECT_EQ(r.MissingFiles(), 2u);
}

TEST_F(CorpusScanTest, NamedFilesAreReportedEvenWhenTheyAreNoPresentation) {
  std::vector<std::string> problems;
  const auto candidates = ListScanCandidates(
      {(root_ / "pile" / "readme.txt").string(), (root_ / "nowhere").string()}, problems);
  ASSERT_EQ(problems.size(), 1u);
  const auto reports = ScanCandidates(candidates, settings_, 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_FALSE(reports[0].ok);
  EXPECT_FALSE(reports[0].error.empty());
}

// The program prints the same JSON lines on one thread and on several, and the summary last.
TEST_F(CorpusScanTest, ProgramPrintsJsonLinesWithASummary) {
  auto run = [&](const std::string& jobs) {
    const std::string command = "XDG_DATA_HOME='" + (root_ / "home").string() + "' TMPDIR='" +
                                (root_ / "home").string() + "' " + QMDTOOL_PATH +
                                " scan --json --jobs " + jobs + " '" + (root_ / "pile").string() +
                                "'";
    const test::ShellOutput output = test::RunShellCommand(command);
    EXPECT_EQ(output.status, 1);  // two presentations are damaged
    return output.text;
  };
  const std::string serial = run("1");
  EXPECT_EQ(run("4"), serial);
  std::istringstream lines(serial);
  std::vector<nlohmann::json> parsed;
  for (std::string line; std::getline(lines, line);)
    parsed.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(parsed.size(), 6u);
  EXPECT_EQ(parsed[2]["ok"], false);
  EXPECT_TRUE(parsed[2]["error"].is_string());
  const nlohmann::json& summary = parsed.back()["summary"];
  EXPECT_EQ(summary["presentations"], 5);
  EXPECT_EQ(summary["damaged"], 2);
  EXPECT_EQ(summary["standalone"], 2);
}

}  // namespace
}  // namespace qlm
