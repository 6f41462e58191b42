#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
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
    root_ = fs::canonical(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path Write(const std::string& name, const std::string& bytes, bool executable = false) {
    const fs::path path = root_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable)
      ::chmod(path.c_str(), 0755);
    return path;
  }
  // Presentations of these tests start with "QLM!".
  static bool IsPresentation(ReadableFile& file) {
    uint8_t head[4] = {};
    return file.Size() >= 4 && file.ReadAt(0, head) && std::memcmp(head, "QLM!", 4) == 0;
  }
  HostProcesses Launcher() const { return HostProcesses("/opt/qlm/qlmplayer", IsPresentation); }
  fs::path root_;
};

// Plans only: no test here starts a process.
TEST_F(HostProcessesTest, WhatALaunchWouldRun) {
  fs::create_directories(root_ / "outside");
  fs::create_directories(root_ / "x.qmd");
  fs::create_symlink(Write("outside/show.qmd", "QLM!"), root_ / "link.qmd");
  const fs::path player = "/opt/qlm/qlmplayer";
  struct Case {
    fs::path program;
    std::string parameters;
    std::vector<std::string> argv;
    uint32_t failure;
    bool presentation = false;
    fs::path resolved = {};  // the program itself when empty
  } cases[] = {
      {Write("show.qmd", "QLM!"),
       "-x",
       {player, (root_ / "show.qmd").string(), "-x"},
       launch_result::kStarted,
       true},
      // Judged by content: a stand-alone presentation with any name plays, a ".qmd" that is no
      // presentation is no document, a folder named ".qmd" goes to the desktop.
      {Write("other.exe", "QLM!MZ"),
       "",
       {player, (root_ / "other.exe").string()},
       launch_result::kStarted,
       true},
      {Write("fake.QMD", "text"),
       "",
       {player, (root_ / "fake.QMD").string()},
       launch_result::kStarted},
      {root_ / "x.qmd", "", {"xdg-open", (root_ / "x.qmd").string()}, launch_result::kStarted},
      // Links and ".." are followed to what the host would start.
      {root_ / "link.qmd",
       "",
       {player, (root_ / "outside/show.qmd").string()},
       launch_result::kStarted,
       true,
       root_ / "outside/show.qmd"},
      {root_ / "folder/../outside/./show.qmd",
       "",
       {player, (root_ / "outside/show.qmd").string()},
       launch_result::kStarted,
       true,
       root_ / "outside/show.qmd"},
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
      {Write("go.bat", "@echo off"), "", {}, launch_result::kNoAssociation},
      {root_ / "none.txt", "", {}, launch_result::kFileNotFound},
      {root_ / "nowhere" / "none.txt", "", {}, launch_result::kPathNotFound},
      {fs::path(), "", {}, launch_result::kFileNotFound},
  };
  const HostProcesses processes = Launcher();
  for (const Case& c : cases) {
    LaunchOptions options;
    options.parameters = c.parameters;
    const LaunchPlan plan = processes.Plan(c.program, options);
    EXPECT_EQ(plan.failure, c.failure) << c.program;
    EXPECT_EQ(plan.argv, c.argv) << c.program;
    EXPECT_EQ(plan.presentation, c.presentation) << c.program;
    if (!c.program.empty()) {
      EXPECT_EQ(plan.resolved, c.resolved.empty() ? c.program : c.resolved) << c.program;
    }
    // Consent is tied to the content of what is no presentation.
    if (c.failure == launch_result::kStarted) {
      EXPECT_EQ(plan.sha256.size(),
                !c.presentation && fs::is_regular_file(plan.resolved) ? 64u : 0u)
          << c.program;
    }
    if (c.failure != launch_result::kStarted) {
      // A launch that cannot start reports it without starting anything.
      HostProcesses launcher = Launcher();
      EXPECT_EQ(launcher.Launch(plan, options, {}), c.failure) << c.program;
    }
  }
}

// A Windows program starts with Wine when it is on the PATH, and fails as an invalid program
// when not.
TEST_F(HostProcessesTest, WindowsProgramsStartWithWineWhenThereIsOne) {
  const fs::path setup = Write("setup.exe", "MZ\x90");
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  LaunchOptions options;
  options.parameters = "/quiet \"a b\"";
  options.wait = true;

  ::setenv("PATH", (root_ / "folder").c_str(), 1);
  HostProcesses launcher = Launcher();
  LaunchPlan plan = launcher.Plan(setup, options);
  EXPECT_EQ(plan.failure, launch_result::kBadFormat);
  EXPECT_EQ(launcher.Launch(plan, options, {}), launch_result::kBadFormat);

  // A wine of our own that writes down what it was given.
  Write("folder/wine",
        "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + (root_ / "ran.txt").string() + "\"\n", true);
  plan = launcher.Plan(setup, options);
  ::setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(plan.failure, launch_result::kStarted);
  EXPECT_EQ(plan.runner, "Wine");
  EXPECT_EQ(plan.arguments, (std::vector<std::string>{"/quiet", "a b"}));
  ASSERT_EQ(launcher.Launch(plan, options, {}), launch_result::kStarted);
  std::ifstream in(root_ / "ran.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), setup.string() + "|/quiet|a b|");
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

// A program held by an object runs until it is let go, and then ends with what it started in
// its session; one that ends by itself says so; a launch that fails is no program.
TEST_F(HostProcessesTest, StartedProgramEndsWithItsSessionWhenLetGo) {
  const fs::path pids = root_ / "pids.txt";
  // The program starts a helper of its own and waits; both write their process numbers.
  const fs::path program =
      Write("holder.sh",
            "#!/bin/sh\nsleep 60 &\necho $$ $! > \"" + pids.string() + ".tmp\"\nmv \"" +
                pids.string() + ".tmp\" \"" + pids.string() + "\"\nwait\n",
            true);
  HostProcesses processes = Launcher();
  const LaunchPlan plan = processes.Plan(program, {});
  uint32_t result = 0;
  std::unique_ptr<RunningProgram> held = processes.Start(plan, result);
  ASSERT_EQ(result, launch_result::kStarted);
  ASSERT_TRUE(held);
  for (int i = 0; i < 500 && !fs::exists(pids); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  pid_t shell = 0, helper = 0;
  std::ifstream(pids) >> shell >> helper;
  ASSERT_GT(helper, 0);
  EXPECT_EQ(shell, held->Pid());
  EXPECT_EQ(::getsid(helper), held->Pid());
  EXPECT_TRUE(held->Running());
  held.reset();
  // The helper was in the program's session: it went too (it is not ours to reap: gone or a
  // zombie of init, it no longer runs).
  bool helperGone = false;
  for (int i = 0; i < 200 && !helperGone; ++i) {
    std::ifstream stat("/proc/" + std::to_string(helper) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    helperGone = text.empty() || text.find(") Z ") != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(helperGone);

  const LaunchPlan quick = processes.Plan(Write("quick.sh", "#!/bin/sh\nexit 0\n", true), {});
  held = processes.Start(quick, result);
  ASSERT_TRUE(held);
  bool running = true;
  for (int i = 0; i < 500 && running; ++i) {
    running = held->Running();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(running);

  EXPECT_EQ(processes.Start(processes.Plan(root_ / "none", {}), result), nullptr);
  EXPECT_EQ(result, launch_result::kFileNotFound);
}

}  // namespace
}  // namespace qlm
