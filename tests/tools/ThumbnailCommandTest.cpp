#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "document/ProjectWriter.h"
#include "support/ShellCommand.h"
#include "support/TestFolder.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::vector<nlohmann::json> lines;
};

class ThumbnailCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = test::MakeTestFolder("qlm_thumbs");
    fs::create_directories(root_ / "pile" / "disc");
    fs::create_directories(root_ / "home");
    Project project;
    project.settings.clientWidth = 320;
    project.settings.clientHeight = 200;
    const std::vector<uint8_t> bytes = WriteProject(project, 29);
    Write("pile/disc/Show.qmd", bytes);
    Write("pile/cut.qmd", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40));
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(root_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  ToolRun Thumbnails(const std::string& options) {
    const std::string home = (root_ / "home").string();
    const std::string command = "HOME='" + home + "' XDG_DATA_HOME='" + home +
                                "' XDG_CONFIG_HOME='" + home + "' " + QMDTOOL_PATH +
                                " thumbnails --json '" + (root_ / "pile").string() + "' -o '" +
                                (root_ / "out").string() + "' " + options;
    const test::ShellOutput output = test::RunShellCommand(command);
    ToolRun run;
    run.status = output.status;
    std::istringstream lines(output.text);
    for (std::string line; std::getline(lines, line);)
      run.lines.push_back(nlohmann::json::parse(line));
    return run;
  }

  fs::path root_;
};

#ifdef QLMPLAYER_PATH
TEST_F(ThumbnailCommandTest, WritesTheFirstFrameOfEveryPresentationThatPlays) {
  const ToolRun run = Thumbnails("--jobs 2 --mount 'D=" + (root_ / "pile").string() +
                                 ":cdrom' --player '" + std::string(QLMPLAYER_PATH) + "'");
  EXPECT_EQ(run.status, 1);  // the cut document gives no picture
  ASSERT_EQ(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[0]["ok"], false);
  // The reader's message box, as the player showed it.
  EXPECT_NE(run.lines[0]["error"].get<std::string>().find("cut.qmd"), std::string::npos)
      << run.lines[0]["error"];
  EXPECT_EQ(run.lines[1]["ok"], true);
  const fs::path png = root_ / "out" / "disc" / "Show.qmd.png";
  EXPECT_EQ(run.lines[1]["png"], png.string());
  std::ifstream in(png, std::ios::binary);
  char signature[8] = {};
  in.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_EQ(run.lines[2]["summary"]["written"], 1);
  EXPECT_EQ(run.lines[2]["summary"]["failed"], 1);
  EXPECT_FALSE(fs::exists(root_ / "out" / "cut.qmd.png"));
}
#endif

// A player that never finishes is ended at the time limit and the rest still run.
TEST_F(ThumbnailCommandTest, APlayerThatHangsIsEndedAtTheTimeLimit) {
  const fs::path player = root_ / "hanging-player";
  std::ofstream(player) << "#!/bin/sh\nsleep 60\n";
  fs::permissions(player, fs::perms::owner_all);
  const auto start = std::chrono::steady_clock::now();
  const ToolRun run = Thumbnails("--timeout 1 --player '" + player.string() + "'");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.lines.size(), 3u);
  for (size_t i = 0; i < 2; ++i)
    EXPECT_EQ(run.lines[i]["error"], "no first frame within the time limit");
}

}  // namespace
}  // namespace qlm
