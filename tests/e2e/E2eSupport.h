#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qlm::test {

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

// A private world for one player run: runtime, temporary, data and configuration folders.
struct Sandbox {
  std::filesystem::path root;
  // The shell words that start the player: the desktop build's binary unless told otherwise.
  std::string program = ShellQuote(QLMPLAYER_PATH);

  explicit Sandbox(const std::string& name, const std::string& folder = "e2e")
      : root(std::filesystem::path(QLM_BINARY_DIR) / folder / name) {
    std::filesystem::remove_all(root);
    for (const char* d : {"run", "tmp", "data", "config", "home", "profile"})
      std::filesystem::create_directories(root / d);
  }

  // A sandbox of its own for the running test: ctest runs a fixture's tests in parallel, so
  // a folder shared between them would be wiped under a neighbour's feet.
  static Sandbox ForCurrentTest(const std::string& prefix) {
    return Sandbox(prefix + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // The environment prefix of a shell command that runs in this sandbox.
  std::string Env() const {
    const std::string r = root.string();
    return "cd " + ShellQuote(r) +
           " && env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + ShellQuote(r + "/home") +
           " XDG_RUNTIME_DIR=" + ShellQuote(r + "/run") + " TMPDIR=" + ShellQuote(r + "/tmp") +
           " XDG_DATA_HOME=" + ShellQuote(r + "/data") +
           " XDG_CONFIG_HOME=" + ShellQuote(r + "/config") + " ";
  }

  // The player's command with the sandbox's profile folder and the given arguments.
  std::string PlayerCommand(const std::vector<std::string>& args) const {
    std::string cmd =
        Env() + program + " --headless --profile-dir " + ShellQuote((root / "profile").string());
    for (const std::string& a : args)
      cmd += " " + ShellQuote(a);
    return cmd;
  }

  // Runs a player to its end; stdout and stderr go to files of the sandbox.
  int Run(const std::vector<std::string>& args, const std::string& tag = "out") const {
    const std::string cmd = PlayerCommand(args) + " >" +
                            ShellQuote((root / (tag + ".jsonl")).string()) + " 2>" +
                            ShellQuote((root / (tag + ".err")).string()) + " </dev/null";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

}  // namespace qlm::test
