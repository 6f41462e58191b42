#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/host/HostFiles.h"
#include "platform/host/HostProcesses.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using Raise = LaunchOptions::Raise;

TEST(ProcessesTest, LaunchOptionsFields) {
  struct Case {
    const char* text;
    const char* parameters;
    const char* flags;  // W wait, H hide, X maximize, N minimize
    Raise raise;
    uint32_t raiseWaitMs;
  } cases[] = {
      {"", "", "", Raise::kNone, 0},
      {"-a file.txt", "-a file.txt", "", Raise::kNone, 0},
      {"WAIT", "", "W", Raise::kNone, 0},
      {"/p,WAIT,MINIMIZE", "/p", "WN", Raise::kNone, 0},
      {"TOPMOST(2000)", "", "", Raise::kTopmost, 2000},
      {"x, TOP(150) ,HIDE", "x", "H", Raise::kTop, 150},
      {"MAXIMIZE,WAIT,HIDE,MINIMIZE", "", "XWH", Raise::kNone, 0},
      {"TOP", "", "", Raise::kTop, 0},
      {"a,b,c", "a", "", Raise::kNone, 0},
  };
  for (const Case& c : cases) {
    const LaunchOptions o = ParseLaunchOptions(c.text);
    const std::string flags(c.flags);
    EXPECT_EQ(o.parameters, c.parameters) << c.text;
    EXPECT_EQ(o.wait, flags.find('W') != std::string::npos) << c.text;
    EXPECT_EQ(o.hide, flags.find('H') != std::string::npos) << c.text;
    EXPECT_EQ(o.maximize, flags.find('X') != std::string::npos) << c.text;
    EXPECT_EQ(o.minimize, flags.find('N') != std::string::npos) << c.text;
    EXPECT_EQ(o.raise, c.raise) << c.text;
    EXPECT_EQ(o.raiseWaitMs, c.raiseWaitMs) << c.text;
  }
}

TEST(ProcessesTest, FailuresHaveTheShellsMessages) {
  EXPECT_EQ(LaunchErrorText(launch_result::kStarted), "");
  EXPECT_EQ(LaunchErrorText(launch_result::kFileNotFound), "The specified file was not found.\n");
  EXPECT_EQ(LaunchErrorText(launch_result::kPathNotFound), "The specified path was not found.\n");
  EXPECT_EQ(LaunchErrorText(launch_result::kNoAssociation),
            "There is no application associated with the given filename extension.");
  EXPECT_EQ(LaunchErrorText(launch_result::kOutOfResources),
            "The operating system is out of memory or resources.");
}

TEST(ProcessesTest, ParametersSplitAsACommandLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(HostProcesses::SplitParameters(""), V{});
  EXPECT_EQ(HostProcesses::SplitParameters("  -a  b "), (V{"-a", "b"}));
  EXPECT_EQ(HostProcesses::SplitParameters("\"two words\" x\"y z\""), (V{"two words", "xy z"}));
  EXPECT_EQ(HostProcesses::SplitParameters("\"say \"\"hi\"\"\" \"\""), (V{"say \"hi\"", ""}));
}

class HostProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("qlm-processes-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "folder");
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path Write(const std::string& name, const std::string& bytes, bool executable = false) {
    const fs::path path = root_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable)
      ::chmod(path.c_str(), 0755);
    return path;
  }
  fs::path root_;
};

// Plans only: no test starts a process.
TEST_F(HostProcessesTest, WhatALaunchWouldRun) {
  const HostProcesses processes("/opt/qlm/qlmplayer");
  struct Case {
    fs::path program;
    std::string parameters;
    std::vector<std::string> argv;
    uint32_t failure;
  } cases[] = {
      {Write("show.QMD", "QMD"),
       "-x",
       {"/opt/qlm/qlmplayer", (root_ / "show.QMD").string(), "-x"},
       launch_result::kStarted},
      {Write("tool",
             "\x7f"
             "ELF....",
             true),
       "-v \"a b\"",
       {(root_ / "tool").string(), "-v", "a b"},
       launch_result::kStarted},
      {Write("run.sh", "#!/bin/sh\n", true),
       "",
       {(root_ / "run.sh").string()},
       launch_result::kStarted},
      {Write("notes.txt", "text"),
       "-ignored",
       {"xdg-open", (root_ / "notes.txt").string()},
       launch_result::kStarted},
      {root_ / "folder", "", {"xdg-open", (root_ / "folder").string()}, launch_result::kStarted},
      {Write("locked",
             "\x7f"
             "ELF...."),
       "",
       {},
       launch_result::kAccessDenied},
      {Write("setup.exe", "MZ\x90"), "", {}, launch_result::kBadFormat},
      {Write("go.bat", "@echo off"), "", {}, launch_result::kNoAssociation},
      {root_ / "none.txt", "", {}, launch_result::kFileNotFound},
      {root_ / "nowhere" / "none.txt", "", {}, launch_result::kPathNotFound},
      {fs::path(), "", {}, launch_result::kFileNotFound},
  };
  for (const Case& c : cases) {
    LaunchOptions options;
    options.parameters = c.parameters;
    const HostProcesses::Plan plan = processes.PlanLaunch(c.program, options);
    EXPECT_EQ(plan.failure, c.failure) << c.program;
    EXPECT_EQ(plan.argv, c.argv) << c.program;
    if (c.failure != launch_result::kStarted) {
      // A launch that cannot start reports it without starting anything.
      HostProcesses launcher("/opt/qlm/qlmplayer");
      EXPECT_EQ(launcher.Launch(c.program, options, {}), c.failure) << c.program;
    }
  }
}

TEST_F(HostProcessesTest, CopyReplacesOnlyTheNamedFile) {
  const std::string bytes("a\0b\r\n", 5);
  const fs::path from = Write("from.bin", bytes);
  const fs::path to = Write("to.bin", "old");
  ASSERT_TRUE(CopyRegularFile(from, to));
  std::ifstream in(to, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

  EXPECT_FALSE(CopyRegularFile(root_ / "none", to));
  EXPECT_FALSE(CopyRegularFile(from, root_ / "folder"));
  EXPECT_FALSE(CopyRegularFile(root_ / "folder", to));
  EXPECT_FALSE(CopyRegularFile(from, root_ / "nowhere" / "x"));
  EXPECT_TRUE(fs::is_empty(root_ / "folder"));
  EXPECT_FALSE(fs::exists(root_ / "nowhere"));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(root_))
    ++files;
  EXPECT_EQ(files, 3u);  // from, to and the folder: no temporary copy is left
}

}  // namespace
}  // namespace qlm
