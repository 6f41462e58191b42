#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "document/ProjectWriter.h"
#include "graphics/ImageCodec.h"
#include "support/ShellCommand.h"
#include "support/TestFolder.h"
#include "tools/ArchiveRunFolder.h"
#include "tools/ArchiveSlurm.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string Quote(const std::string& text) {
  return ShellQuote(text);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A collection and a stand-in player: a shell script that notes each file it is asked to play
// in calls.log and copies a prepared picture to its --screenshot path. A file whose name holds
// "fail" gets no picture, one whose name holds "hold" waits while the file `hold` exists.
class ArchiveCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = test::MakeTestFolder("qlm_archive");
    Project project;
    project.settings.clientWidth = 64;
    project.settings.clientHeight = 48;
    const std::vector<uint8_t> bytes = WriteProject(project, 29);
    document_.assign(bytes.begin(), bytes.end());
    Image24 picture{2, 1, {1, 2, 3, 4, 5, 6}};
    const std::vector<uint8_t> png = EncodePng(picture);
    WriteBytes(root_ / "picture.png", std::string(png.begin(), png.end()));
    player_ = root_ / "player";
    std::ofstream(player_) << "#!/bin/sh\n"
                              "while [ \"$1\" != --screenshot ]; do shift; done\n"
                              "out=$2; file=$4\n"
                              "printf '%s\\n' \"$file\" >> '"
                           << (root_ / "calls.log").string()
                           << "'\n"
                              "case \"$file\" in *hold*) while [ -e '"
                           << (root_ / "hold").string()
                           << "' ]; do sleep 0.05; done;; esac\n"
                              "case \"$file\" in *fail*) exit 1;; esac\n"
                              "cp '"
                           << (root_ / "picture.png").string() << "' \"$out\"\n";
    fs::permissions(player_, fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root_); }

  test::ShellOutput Tool(const std::string& args) {
    const std::string home = (root_ / "home").string();
    return test::RunShellCommand("HOME=" + Quote(home) + " XDG_DATA_HOME=" + Quote(home) +
                                 " XDG_CONFIG_HOME=" + Quote(home) + " " + QMDTOOL_PATH + " " +
                                 args + " 2>&1");
  }
  std::string RunFolder() const { return Quote((root_ / "run").string()); }
  std::string PlayerOption() const { return " --player " + Quote(player_.string()); }

  std::vector<std::string> Calls() { return Lines(ReadText(root_ / "calls.log")); }
  std::vector<Json> Records(const fs::path& file) {
    std::vector<Json> records;
    for (const std::string& line : Lines(ReadText(file)))
      records.push_back(Json::parse(line));
    return records;
  }

  fs::path root_;
  fs::path player_;
  std::string document_;
};

TEST_F(ArchiveCommandTest, PlanListsEveryPresentationByItsBytesInChunksOfLineNumbers) {
  const fs::path pile = root_ / "pile";
  const std::vector<std::string> names = {"a/show.qmd", "b/show.qmd", "new\nline.qmd",
                                          "caf\xE9.qmd", "z/show.qmd"};
  for (const std::string& name : names)
    WriteBytes(pile / name, document_);
  WriteBytes(pile / "readme.txt", "not a presentation");
  const test::ShellOutput plan =
      Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder() + " --chunk 2");
  ASSERT_EQ(plan.status, 0) << plan.text;

  const ArchiveRunFolder folder(root_ / "run");
  const ArchivePlanInfo info = folder.ReadPlan();
  EXPECT_EQ(info.entries, 5u);
  EXPECT_EQ(info.chunks, 3u);
  EXPECT_EQ(folder.ReadChunk(2), std::vector<size_t>{4});
  std::set<std::string> paths;
  for (const ManifestEntry& entry : folder.ReadEntries({})) {
    paths.insert(entry.path);
    EXPECT_EQ(entry.size, document_.size());
    EXPECT_EQ(entry.sha256, DigestFile(entry.path)->sha256);
  }
  std::set<std::string> expected;
  for (const std::string& name : names)
    expected.insert((pile / name).string());
  EXPECT_EQ(paths, expected);
  // A second plan into the same folder would orphan the results of the first.
  EXPECT_EQ(Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder()).status, 1);
}

TEST_F(ArchiveCommandTest, DisplayFormsAndHexKeepEveryByte) {
  const struct {
    std::string bytes;
    std::string display;
  } cases[] = {{"plain.qmd", "plain.qmd"},
               {"caf\xC3\xA9.qmd", "caf\xC3\xA9.qmd"},
               {"caf\xE9.qmd", "caf\\xE9.qmd"},
               {"new\nline", "new\nline"},
               {"\xFF\xC3", "\\xFF\\xC3"}};
  for (const auto& c : cases) {
    EXPECT_EQ(DisplayPath(c.bytes), c.display);
    EXPECT_EQ(BytesFromHex(HexBytes(c.bytes)), c.bytes);
  }
  EXPECT_EQ(BytesFromHex("4"), std::nullopt);
  EXPECT_EQ(BytesFromHex("zz"), std::nullopt);
}

TEST_F(ArchiveCommandTest, AnInterruptedRunResumesWithoutRedoingFinishedEntries) {
  const fs::path pile = root_ / "pile";
  for (const char* name : {"1.qmd", "2.qmd", "3-hold.qmd", "4.qmd", "5.qmd"})
    WriteBytes(pile / name, document_);
  ASSERT_EQ(Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder()).status, 0);
  WriteBytes(root_ / "hold", "");
  const test::ShellOutput started =
      test::RunShellCommand(std::string(QMDTOOL_PATH) + " archive run " + RunFolder() +
                            PlayerOption() + " --jobs 1 >/dev/null 2>&1 & echo $!");
  const pid_t tool = std::stoi(started.text);
  const fs::path results = root_ / "run" / "results" / "0.jsonl";
  for (int i = 0; i < 400 && Calls().size() < 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ASSERT_EQ(Calls().size(), 3u);
  ::kill(tool, SIGKILL);
  fs::remove(root_ / "hold");
  // As if the kill had come in the middle of writing a record.
  std::ofstream(results, std::ios::app) << R"({"entry":2,"pathHex":")";

  const test::ShellOutput resumed = Tool("archive run " + RunFolder() + PlayerOption());
  ASSERT_EQ(resumed.status, 0) << resumed.text;
  std::map<std::string, int> calls;
  for (const std::string& call : Calls())
    ++calls[fs::path(call).filename().string()];
  const std::map<std::string, int> expected = {
      {"1.qmd", 1}, {"2.qmd", 1}, {"3-hold.qmd", 2}, {"4.qmd", 1}, {"5.qmd", 1}};
  EXPECT_EQ(calls, expected);
  std::set<size_t> entries;
  for (const Json& record : Records(results)) {
    EXPECT_TRUE(entries.insert(record["entry"].get<size_t>()).second) << record;
    EXPECT_EQ(record["ok"], true) << record;
  }
  EXPECT_EQ(entries.size(), 5u);
  EXPECT_EQ(Tool("archive merge " + RunFolder()).status, 0);
}

TEST_F(ArchiveCommandTest, FailuresAreKeptUntilAskedToRedoThem) {
  const fs::path pile = root_ / "pile";
  WriteBytes(pile / "good.qmd", document_);
  WriteBytes(pile / "fail.qmd", document_);
  WriteBytes(pile / "cut.qmd", document_.substr(0, 30));
  ASSERT_EQ(Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder()).status, 0);
  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption()).status, 0);
  std::map<std::string, Json> byName;
  for (const Json& record : Records(root_ / "run" / "results" / "0.jsonl"))
    byName[fs::path(record["path"].get<std::string>()).filename().string()] = record;
  EXPECT_EQ(byName["good.qmd"]["ok"], true);
  EXPECT_EQ(byName["good.qmd"]["blank"], false);
  EXPECT_TRUE(
      fs::is_regular_file(root_ / "run" / byName["good.qmd"]["picture"].get<std::string>()));
  EXPECT_EQ(byName["fail.qmd"]["error"]["code"], "no-picture");
  // A damaged file is not handed to a player at all.
  EXPECT_EQ(byName["cut.qmd"]["error"]["code"], "damaged");
  EXPECT_EQ(Calls().size(), 2u);

  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption()).status, 0);
  EXPECT_EQ(Calls().size(), 2u) << "nothing is run again";
  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption() + " --redo-failed").status, 0);
  EXPECT_EQ(Calls().size(), 3u) << "only the failure with a player is run again";
  EXPECT_EQ(Records(root_ / "run" / "results" / "0.jsonl").size(), 3u);

  // A file changed since the plan is not passed off as the planned one.
  WriteBytes(pile / "good.qmd", document_ + "more");
  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption() + " --redo-failed").status, 0);
  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption() + " --redo-failed").status, 0);
  for (const Json& record : Records(root_ / "run" / "results" / "0.jsonl")) {
    if (record["path"].get<std::string>().ends_with("good.qmd")) {
      EXPECT_EQ(record["ok"], true) << "a good record stays: " << record;
    }
  }
}

TEST_F(ArchiveCommandTest, MergeListsEveryEntryOnceAndTheChunksLeftToRun) {
  const fs::path pile = root_ / "pile";
  for (const char* name : {"a.qmd", "b.qmd", "new\nline, \"quoted\".qmd", "d.qmd", "e.qmd"})
    WriteBytes(pile / name, document_);
  ASSERT_EQ(
      Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder() + " --chunk 2").status, 0);
  ASSERT_EQ(Tool("archive run " + RunFolder() + " --chunk 1" + PlayerOption()).status, 0);
  const test::ShellOutput partial = Tool("archive merge " + RunFolder());
  EXPECT_EQ(partial.status, 1);
  EXPECT_NE(partial.text.find("chunks not finished: 0,2\n"), std::string::npos) << partial.text;
  EXPECT_NE(partial.text.find("--chunk 2\n"), std::string::npos) << partial.text;
  const std::vector<Json> inventory = Records(root_ / "run" / "inventory.jsonl");
  ASSERT_EQ(inventory.size(), 5u);
  for (size_t i = 0; i < inventory.size(); ++i) {
    EXPECT_EQ(inventory[i]["entry"], i);
    EXPECT_EQ(inventory[i]["ok"], i == 2 || i == 3) << inventory[i];
  }
  EXPECT_EQ(inventory[0]["error"]["code"], "not-run");

  ASSERT_EQ(Tool("archive run " + RunFolder() + PlayerOption()).status, 0);
  const test::ShellOutput complete = Tool("archive merge " + RunFolder());
  EXPECT_EQ(complete.status, 0) << complete.text;
  const std::string csv = ReadText(root_ / "run" / "inventory.csv");
  // A name with a line break, a comma and quotes stays one field of one row.
  EXPECT_NE(csv.find(",\"" + (pile / "new\nline, \"\"quoted\"\".qmd").string() + "\","),
            std::string::npos)
      << csv;
  const Json summary = Json::parse(ReadText(root_ / "run" / "summary.json"));
  EXPECT_EQ(summary["ok"], 5);
  EXPECT_EQ(summary["complete"], true);
}

TEST_F(ArchiveCommandTest, TheBatchScriptIsSubmittedInBlocksBelowMaxArraySize) {
  const fs::path pile = root_ / "pile";
  for (int i = 0; i < 10; ++i)
    WriteBytes(pile / (std::to_string(i) + ".qmd"), document_);
  ASSERT_EQ(
      Tool("archive plan " + Quote(pile.string()) + " -o " + RunFolder() + " --chunk 1").status, 0);
  const test::ShellOutput slurm =
      test::RunShellCommand(std::string(QMDTOOL_PATH) + " archive slurm " + RunFolder() +
                            " --max-array 4 --parallel 3 --timeout 7 2>/dev/null");
  ASSERT_EQ(slurm.status, 0);
  const std::string script = (root_ / "run" / "archive.sbatch").string();
  EXPECT_EQ(Lines(slurm.text),
            (std::vector<std::string>{"sbatch --array=0-3%3 " + Quote(script) + " 0",
                                      "sbatch --array=0-3%3 " + Quote(script) + " 4",
                                      "sbatch --array=0-1%3 " + Quote(script) + " 8"}));
  const std::string text = ReadText(script);
  EXPECT_NE(text.find("#SBATCH --array=0-3%3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("#SBATCH --output=" + (root_ / "run" / "logs" / "%A_%a.out").string()),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("'--timeout' '7'"), std::string::npos) << text;

  // Each task runs its own chunk: the array index plus the block's offset.
  const fs::path fakeTool = root_ / "bin" / "qmdtool";
  WriteBytes(fakeTool, "#!/bin/sh\necho \"$@\"\n");
  fs::permissions(fakeTool, fs::perms::owner_all);
  const std::string scriptOfFake =
      test::RunShellCommand("cd " + Quote((root_ / "bin").string()) + " && " +
                            "sed 's|exec .* archive run|exec " + fakeTool.string() +
                            " archive run|' " + Quote(script))
          .text;
  WriteBytes(root_ / "task.sh", scriptOfFake);
  const std::string task =
      test::RunShellCommand("SLURM_ARRAY_TASK_ID=1 sh " + Quote((root_ / "task.sh").string()) +
                            " 4 --redo-failed")
          .text;
  EXPECT_NE(task.find("--chunk 5 --jobs 1"), std::string::npos) << task;
  EXPECT_NE(task.find("--redo-failed"), std::string::npos) << task;
}

TEST(ArchiveSlurmTest, MaxArraySizeIsReadFromTheClusterConfiguration) {
  const struct {
    const char* config;
    std::optional<size_t> size;
  } cases[] = {
      {"MailProg                = /bin/mail\nMaxArraySize            = 40001\nMaxJobCount = 1\n",
       40001},
      {"MaxArraySizeX = 3\n", std::nullopt},
      {"MaxArraySize = (null)\n", std::nullopt},
      {"MaxArraySize = 0\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseMaxArraySize(c.config), c.size) << c.config;
}

}  // namespace
}  // namespace qlm
